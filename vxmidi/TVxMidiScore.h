// The tracks of one song, each behind a merge cursor, merged by time into blocks that feed
// an output.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "TVxMidiTrack.h"
#include "VxMidi.h"

class TVxMidiOut;

// A cursor over one track during merging; owns the track.
struct TrackMerge {
  // Uses track, or a new empty one when none is given.
  explicit TrackMerge(std::unique_ptr<TVxMidiTrack> track = nullptr);

  std::unique_ptr<TVxMidiTrack> Track;
  // The events being merged, with absolute times; exists only during a merge.
  std::vector<VxMidiEvent> Chunk;
  uint32_t ChunkSize = 512;
  uint32_t ChunkIndex = 0;
  // Index in Track of the first event not yet merged.
  uint32_t Position = 0;
  // A system-exclusive run from this track is under way.
  bool InExclusive = false;
};

class TVxMidiScore {
 public:
  // Events merged per block, and copied per track per block.
  static constexpr uint32_t blockSize = 512;

  // A score of n new empty tracks.
  explicit TVxMidiScore(int n = 0);

  int GetNumTracks() const { return static_cast<int>(cursors_.size()); }
  // The track of cursor index; throws std::out_of_range outside 0..GetNumTracks()-1.
  TVxMidiTrack *GetTrack(int index) const { return cursors_.at(index)->Track.get(); }
  // Index of the first cursor holding track, or -1. Constant time, so that reading a file
  // of many tracks stays linear.
  int IndexOf(const TVxMidiTrack *track) const;
  // Destroys every cursor and its track.
  void Clear();

  // Fills the next block of at most blockSize events in time order, with delta times; see
  // the definition for the rules of ties and exclusive runs. Answers the block.
  const std::vector<VxMidiEvent> &MergeNextBlock();
  // Hands merged events to output until it refuses one; the refused one is offered again
  // at the next call.
  void FeedOutput(TVxMidiOut &output);

  uint32_t MergedCount() const { return mergedCount_; }
  uint32_t PlayIndex() const { return playIndex_; }
  uint32_t PreviousTime() const { return previousTime_; }
  const std::vector<VxMidiEvent> &Merged() const { return merged_; }

 private:
  std::vector<std::unique_ptr<TrackMerge>> cursors_;
  // Each cursor's index by its track; a track belongs to one cursor only.
  std::unordered_map<const TVxMidiTrack *, int> indices_;
  std::vector<VxMidiEvent> merged_;
  uint32_t mergedCount_ = 0;
  uint32_t playIndex_ = 0;
  // Absolute time of the last event of the previous block.
  uint32_t previousTime_ = 0;
};
