// Builds the bytes of a Standard MIDI File from records and meta events, track by track.
#pragma once

#include <cstdint>
#include <vector>

#include "VxMidi.h"

namespace vx {

class SmfWriter {
 public:
  // Tracks made so far: one more than the highest track index written to.
  uint32_t trackCount() const { return static_cast<uint32_t>(tracks_.size()); }

  // Appends records to track, making the tracks up to it: status 0 as Set Tempo, 0x80..0xEF
  // as channel messages. Stops at the first record that is neither, or whose data bytes are
  // not 0..127, or that the track cannot take; answers the number taken.
  uint32_t appendRecords(uint32_t track, const VxMidiEvent *events, uint32_t count);
  // Adds a meta event at time 0 of track, ahead of its records. Refuses End of Track (every
  // track gets one when built), types above 0x7F and over-long data; answers false then.
  bool appendMeta(uint32_t track, uint8_t type, const uint8_t *data, uint32_t length);

  // The whole file: format 0 for one track, else format 1, with the division word given.
  std::vector<uint8_t> build(uint16_t division) const;

 private:
  struct Track {
    std::vector<uint8_t> metas;  // the time-0 meta events, delta times included
    std::vector<uint8_t> body;   // the records
    uint8_t runningStatus = 0;   // status of the last channel message in body, 0 when none
  };
  Track *trackAt(uint32_t track);

  std::vector<Track> tracks_;
};

}  // namespace vx
