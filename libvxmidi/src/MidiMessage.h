// Facts of the MIDI byte stream that several devices need.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vx {

// Bytes of a whole short message that starts with status: 3 for note, key pressure,
// control change and pitch bend, 2 for program change and channel pressure (a third byte
// would be read as running status by a real synth), the system common and real-time
// lengths for 0xF1..0xFF, and 0 for what cannot be sent as a short message (data bytes,
// system exclusive, undefined statuses).
constexpr std::size_t shortMessageLength(uint8_t status) {
  if (status < 0x80) return 0;
  if (status < 0xC0) return 3;
  if (status < 0xE0) return 2;
  if (status < 0xF0) return 3;
  switch (status) {
    case 0xF1:
    case 0xF3:
      return 2;
    case 0xF2:
      return 3;
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
    case 0xFF:
      return 1;
    default:
      return 0;
  }
}

}  // namespace vx
