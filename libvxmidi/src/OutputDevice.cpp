#include "OutputDevice.h"

namespace vx {

void OutputDevice::put(const uint8_t *bytes, std::size_t length) {
  const uint8_t kind = bytes[0] & 0xF0;
  if (length == 3 && (kind == 0x90 || kind == 0x80)) {
    const std::size_t key = (bytes[0] & 0x0F) * 128u + (bytes[1] & 0x7F);
    sounding_[key] = kind == 0x90 && bytes[2] != 0;
  }
  send(bytes, length);
}

void OutputDevice::reset() {
  for (std::size_t key = 0; key < sounding_.size(); ++key) {
    if (!sounding_[key]) continue;
    const uint8_t off[3] = {static_cast<uint8_t>(0x90 | (key / 128)),
                            static_cast<uint8_t>(key % 128), 0};
    send(off, 3);
  }
  sounding_.reset();
  for (uint8_t channel = 0; channel < 16; ++channel) {
    for (uint8_t controller : {120, 123, 121}) {
      const uint8_t message[3] = {static_cast<uint8_t>(0xB0 | channel), controller, 0};
      send(message, 3);
    }
  }
}

}  // namespace vx
