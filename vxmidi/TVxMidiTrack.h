// One stream of MIDI events with delta times, grown in large steps.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "VxMidi.h"

class TVxMidiIn;

class TVxMidiTrack {
 public:
  // Slots reserved for a new track and added at every growth: 64 KiB of events.
  static constexpr uint32_t growthStep = 8192;

  // An empty track with growthStep zeroed slots.
  TVxMidiTrack();
  // Detaches itself from an input that records into it.
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
  uint32_t Capacity() const { return static_cast<uint32_t>(events_.size()); }
  // The slot at index (below Capacity, not only Count), or nullptr past the capacity.
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

  // Raw access for the file reader, which fills the slots in blocks: grows the slots by
  // extra zeroed ones, and sets the count after filling.
  VxMidiEvent *eventSlots() { return events_.data(); }
  void grow(uint32_t extra) { events_.resize(events_.size() + extra, VxMidiEvent{}); }
  void setCount(uint32_t count) { count_ = count; }

 private:
  std::vector<VxMidiEvent> events_;
  bool allocated_ = false;
  uint32_t count_ = 0;
};
