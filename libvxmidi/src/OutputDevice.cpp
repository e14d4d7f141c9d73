#include "OutputDevice.h"

#include <chrono>

namespace vx {

namespace {

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

// A note-off that waits for its moment may still be dropped by a reset before it goes out,
// so its note counts as sounding until then.
bool OutputDevice::put(const uint8_t *bytes, std::size_t length, int64_t dueNs) {
  if (dueNs != 0 && dueNs < nowNs()) {
    ++lateAtPut_;
    dueNs = 0;
  }
  if (!send(bytes, length, dueNs)) return false;
  const uint8_t kind = bytes[0] & 0xF0;
  if (length == 3 && (kind == 0x90 || kind == 0x80)) {
    const std::size_t key = (bytes[0] & 0x0F) * 128u + (bytes[1] & 0x7F);
    const bool on = kind == 0x90 && bytes[2] != 0;
    if (on)
      sounding_[key] = true;
    else if (dueNs == 0)
      sounding_[key] = false;
  }
  return true;
}

void OutputDevice::reset() {
  dropStamped();
  for (std::size_t key = 0; key < sounding_.size(); ++key) {
    if (!sounding_[key]) continue;
    const uint8_t off[3] = {static_cast<uint8_t>(0x90 | (key / 128)),
                            static_cast<uint8_t>(key % 128), 0};
    sendReset(off, 3);
  }
  sounding_.reset();
  for (uint8_t channel = 0; channel < 16; ++channel) {
    for (uint8_t controller : {120, 123, 121}) {
      const uint8_t message[3] = {static_cast<uint8_t>(0xB0 | channel), controller, 0};
      sendReset(message, 3);
    }
  }
}

}  // namespace vx
