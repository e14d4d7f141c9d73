// One stream of MIDI events with delta times, grown in large steps.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "VxMidi.h"

class TVxMidiIn;

class TVxMidiTrack {
 public:
  // Slots reserved for a new track and added at every growth: 64 KiB of events.
  static constexpr uint32_t growthStep = 8192;

  // An empty track with growthStep zeroed slots.
  TVxMidiTrack();
  // Detaches itself from an input that records into it. Never throws.
  ~TVxMidiTrack();

  TVxMidiTrack(const TVxMidiTrack &) = delete;
  TVxMidiTrack &operator=(const TVxMidiTrack &) = delete;

  // The input recording into this track, or none; set by the input.
  TVxMidiIn *Input = nullptr;
  // The track takes events from its input and is left out of merging.
  bool Recording = false;
  // The track is left out of merging.
  bool Muted = false;
  QString Name;

  // Creates n zeroed slots unless the track already has its slots; answers whether it did.
  bool Allocate(uint32_t n);
  // Forgets the events; the slots keep their content.
  void Clear() { count_ = 0; }
  uint32_t GetNumEvents() const { return count_; }
  uint32_t Capacity() const { return capacity_; }
  // The slot at index (below Capacity, not only Count), or nullptr past the capacity. A slot
  // keeps its address for the track's life.
  VxMidiEvent *GetEvent(uint32_t index);
  // Stores event at index, moving the later ones up, or appends for index -1; grows by
  // growthStep when full.
  void InsertEvent(const VxMidiEvent &event, int32_t index);
  // Appends event while Recording is set; otherwise ignores it.
  void RecordEvent(const VxMidiEvent &event);
  // Sum of the deltas of events 0..k, k included; 0 when k is past the events. Sums wrap
  // modulo 2^32.
  uint32_t AbsoluteTime(uint32_t k) const;
  // Copies up to n events from start with absolute times from the track's start; empty for
  // a muted, recording or exhausted track.
  std::vector<VxMidiEvent> CopyAbsolute(uint32_t start, uint32_t n) const;
  QString GetName() const { return Name; }

  // For the file reader, which reads in blocks: adds extra zeroed slots to the capacity,
  // stores events at slots from..from + n - 1 (within the capacity), and sets the count.
  void grow(uint32_t extra) { capacity_ += extra; }
  void store(uint32_t from, const VxMidiEvent *events, uint32_t n);
  void setCount(uint32_t count) { count_ = count; }
  // The first count events, one after the other (for the file writer).
  std::vector<VxMidiEvent> events() const;

 private:
  // Slots live in blocks that are made when a slot of theirs is first written or asked for,
  // so memory follows the events present: a new track costs no 64 KiB, and the slots never
  // move. A slot of a block not yet made reads as zero.
  static constexpr uint32_t blockSize = 1024;
  const VxMidiEvent &slot(uint32_t index) const;
  VxMidiEvent &slotForWriting(uint32_t index);

  std::vector<std::unique_ptr<VxMidiEvent[]>> blocks_;
  uint32_t capacity_ = 0;
  bool allocated_ = false;
  uint32_t count_ = 0;
};
