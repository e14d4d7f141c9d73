#include "TVxMidiScore.h"

#include <algorithm>

#include "TVxMidiOut.h"

TrackMerge::TrackMerge(std::unique_ptr<TVxMidiTrack> track)
    : Track(track ? std::move(track) : std::make_unique<TVxMidiTrack>()) {}

TVxMidiScore::TVxMidiScore(int n) {
  cursors_.reserve(static_cast<std::size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) {
    cursors_.push_back(std::make_unique<TrackMerge>());
    indices_.emplace(cursors_.back()->Track.get(), i);
  }
}

int TVxMidiScore::IndexOf(const TVxMidiTrack *track) const {
  const auto found = indices_.find(track);
  return found == indices_.end() ? -1 : found->second;
}

void TVxMidiScore::Clear() {
  indices_.clear();
  cursors_.clear();
}

namespace {

bool hasHead(const TrackMerge &c) {
  return !c.Chunk.empty() && c.ChunkIndex < c.ChunkSize;
}

// Deltas wrap as unsigned numbers; one that went below zero (an event out of time order,
// as an exclusive run makes) counts as no delay.
uint32_t clampedDelta(uint32_t later, uint32_t earlier) {
  const auto delta = static_cast<int32_t>(later - earlier);
  return delta < 0 ? 0 : static_cast<uint32_t>(delta);
}

}  // namespace

// Merges by absolute time: ties go to the lower track index. While a system-exclusive run
// (data1 0xF0 up to 0xF7) is open, events come from its track only, so a message is never
// interleaved; the other tracks' earlier events follow with delta 0.
const std::vector<VxMidiEvent> &TVxMidiScore::MergeNextBlock() {
  if (merged_.empty()) merged_.assign(blockSize, VxMidiEvent{});

  TrackMerge *exclusive = nullptr;
  for (auto &c : cursors_) {
    c->Chunk = c->Track->CopyAbsolute(c->Position, blockSize);
    c->ChunkSize = static_cast<uint32_t>(c->Chunk.size());
    c->ChunkIndex = 0;
    if (!c->Chunk.empty() && c->InExclusive) exclusive = c.get();
  }

  uint32_t i = 0;
  for (; i < blockSize; ++i) {
    TrackMerge *candidate = nullptr;
    if (exclusive) {
      if (!hasHead(*exclusive)) break;
      candidate = exclusive;
    } else {
      for (auto &c : cursors_) {
        if (!hasHead(*c)) continue;
        if (!candidate ||
            c->Chunk[c->ChunkIndex].time < candidate->Chunk[candidate->ChunkIndex].time)
          candidate = c.get();
      }
      if (!candidate) break;
    }
    const VxMidiEvent &event = candidate->Chunk[candidate->ChunkIndex++];
    merged_[i] = event;
    if (event.data1 == 0xF0) {
      candidate->InExclusive = true;
      exclusive = candidate;
    } else if (event.data1 == 0xF7) {
      candidate->InExclusive = false;
      exclusive = nullptr;
    }
  }

  for (auto &c : cursors_) {
    c->Position += c->ChunkIndex;
    c->Chunk.clear();
    c->Chunk.shrink_to_fit();
  }

  if (i > 0) {
    const uint32_t last = merged_[i - 1].time;
    for (uint32_t j = i - 1; j >= 1; --j)
      merged_[j].time = clampedDelta(merged_[j].time, merged_[j - 1].time);
    merged_[0].time = clampedDelta(merged_[0].time, previousTime_);
    previousTime_ = last;
  }
  mergedCount_ = i;
  return merged_;
}

void TVxMidiScore::FeedOutput(TVxMidiOut &output) {
  if (cursors_.empty()) return;
  if (mergedCount_ == playIndex_) {
    MergeNextBlock();
    playIndex_ = 0;
  }
  while (playIndex_ < mergedCount_ && output.Put(merged_[playIndex_])) {
    ++playIndex_;
    if (mergedCount_ == playIndex_) {
      MergeNextBlock();
      playIndex_ = 0;
    }
  }
}
