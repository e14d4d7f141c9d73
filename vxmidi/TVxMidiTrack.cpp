#include "TVxMidiTrack.h"

#include <algorithm>

#include "TVxMidiIn.h"

namespace {
const VxMidiEvent zeroSlot{};
}  // namespace

TVxMidiTrack::TVxMidiTrack() {
  Allocate(growthStep);
}

// A destructor must not raise: an input that no longer holds this track as its recording
// track only has its own pointer cleared.
TVxMidiTrack::~TVxMidiTrack() {
  if (!Input) return;
  Recording = false;
  try {
    if (Input->RecordingTrack() == this) Input->DetachTrack(this);
  } catch (...) {
  }
}

bool TVxMidiTrack::Allocate(uint32_t n) {
  if (allocated_) return false;
  blocks_.clear();
  capacity_ = n;
  allocated_ = true;
  return true;
}

const VxMidiEvent &TVxMidiTrack::slot(uint32_t index) const {
  const uint32_t block = index / blockSize;
  if (block >= blocks_.size() || !blocks_[block]) return zeroSlot;
  return blocks_[block][index % blockSize];
}

VxMidiEvent &TVxMidiTrack::slotForWriting(uint32_t index) {
  const uint32_t block = index / blockSize;
  if (block >= blocks_.size()) blocks_.resize(block + 1);
  if (!blocks_[block]) blocks_[block] = std::make_unique<VxMidiEvent[]>(blockSize);
  return blocks_[block][index % blockSize];
}

VxMidiEvent *TVxMidiTrack::GetEvent(uint32_t index) {
  return index < capacity_ ? &slotForWriting(index) : nullptr;
}

void TVxMidiTrack::InsertEvent(const VxMidiEvent &event, int32_t index) {
  if (count_ == capacity_) grow(growthStep);
  if (index == -1 || static_cast<uint32_t>(index) >= count_) {
    slotForWriting(count_) = event;
  } else {
    for (uint32_t i = count_; i > static_cast<uint32_t>(index); --i)
      slotForWriting(i) = slot(i - 1);
    slotForWriting(static_cast<uint32_t>(index)) = event;
  }
  ++count_;
}

void TVxMidiTrack::RecordEvent(const VxMidiEvent &event) {
  if (Recording) InsertEvent(event, -1);
}

uint32_t TVxMidiTrack::AbsoluteTime(uint32_t k) const {
  if (k >= count_) return 0;
  uint32_t sum = 0;
  for (uint32_t i = 0; i <= k; ++i) sum += slot(i).time;
  return sum;
}

std::vector<VxMidiEvent> TVxMidiTrack::CopyAbsolute(uint32_t start, uint32_t n) const {
  if (start >= count_ || Muted || Recording) return {};
  n = std::min(n, count_ - start);
  std::vector<VxMidiEvent> copy;
  if (n == 0) return copy;
  copy.reserve(n);
  for (uint32_t i = 0; i < n; ++i) copy.push_back(slot(start + i));
  copy[0].time = AbsoluteTime(start);
  for (uint32_t i = 1; i < n; ++i) copy[i].time = copy[i - 1].time + slot(start + i).time;
  return copy;
}

void TVxMidiTrack::store(uint32_t from, const VxMidiEvent *events, uint32_t n) {
  for (uint32_t i = 0; i < n && from + i < capacity_; ++i) slotForWriting(from + i) = events[i];
}

std::vector<VxMidiEvent> TVxMidiTrack::events() const {
  std::vector<VxMidiEvent> all;
  all.reserve(count_);
  for (uint32_t i = 0; i < count_; ++i) all.push_back(slot(i));
  return all;
}
