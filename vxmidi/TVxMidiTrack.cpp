#include "TVxMidiTrack.h"

#include <algorithm>

#include "TVxMidiIn.h"

TVxMidiTrack::TVxMidiTrack() {
  Allocate(growthStep);
}

TVxMidiTrack::~TVxMidiTrack() {
  if (Input) {
    Input->DetachTrack(this);
    Recording = false;
  }
}

bool TVxMidiTrack::Allocate(uint32_t n) {
  if (allocated_) return false;
  events_.assign(n, VxMidiEvent{});
  allocated_ = true;
  return true;
}

VxMidiEvent *TVxMidiTrack::GetEvent(uint32_t index) {
  return index < events_.size() ? &events_[index] : nullptr;
}

void TVxMidiTrack::InsertEvent(const VxMidiEvent &event, int32_t index) {
  if (count_ == events_.size()) grow(growthStep);
  if (index == -1 || static_cast<uint32_t>(index) >= count_) {
    events_[count_] = event;
  } else {
    std::move_backward(events_.begin() + index, events_.begin() + count_,
                       events_.begin() + count_ + 1);
    events_[index] = event;
  }
  ++count_;
}

void TVxMidiTrack::RecordEvent(const VxMidiEvent &event) {
  if (Recording) InsertEvent(event, -1);
}

uint32_t TVxMidiTrack::AbsoluteTime(uint32_t k) const {
  if (k >= count_) return 0;
  uint32_t sum = 0;
  for (uint32_t i = 0; i <= k; ++i) sum += events_[i].time;
  return sum;
}

std::vector<VxMidiEvent> TVxMidiTrack::CopyAbsolute(uint32_t start, uint32_t n) const {
  if (start >= count_ || Muted || Recording) return {};
  n = std::min(n, count_ - start);
  std::vector<VxMidiEvent> copy(events_.begin() + start, events_.begin() + start + n);
  copy[0].time = AbsoluteTime(start);
  for (uint32_t i = 1; i < n; ++i) copy[i].time = copy[i - 1].time + events_[start + i].time;
  return copy;
}
