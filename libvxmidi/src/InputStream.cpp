#include "InputStream.h"

#include "MidiMessage.h"

namespace vx {

bool InputStream::take(uint8_t byte, ShortMessage *message) {
  if (byte >= 0xF8) {
    // Real-time: clock, start, stop, active sensing and reset may come anywhere.
    if (byte == 0xF9 || byte == 0xFD) return false;  // undefined
    message->length = 1;
    message->bytes[0] = byte;
    return true;
  }
  if (byte >= 0x80) {
    inSysex_ = byte == 0xF0;
    if (byte >= 0xF0) {
      // System common ends running status; F7 only ends a system exclusive.
      running_ = 0;
      status_ = 0;
      const std::size_t length = shortMessageLength(byte);
      if (length == 1) {
        message->length = 1;
        message->bytes[0] = byte;
        return true;
      }
      if (length > 1) {
        status_ = byte;
        expected_ = static_cast<uint8_t>(length - 1);
        gathered_ = 0;
      }
      return false;
    }
    running_ = byte;
    status_ = byte;
    expected_ = static_cast<uint8_t>(shortMessageLength(byte) - 1);
    gathered_ = 0;
    return false;
  }
  if (inSysex_) return false;
  if (status_ == 0) {
    if (running_ == 0) return false;
    status_ = running_;
    expected_ = static_cast<uint8_t>(shortMessageLength(running_) - 1);
    gathered_ = 0;
  }
  data_[gathered_++] = byte;
  if (gathered_ < expected_) return false;
  message->length = static_cast<uint8_t>(expected_ + 1);
  message->bytes[0] = status_;
  message->bytes[1] = data_[0];
  message->bytes[2] = expected_ > 1 ? data_[1] : 0;
  // Under running status the next data bytes start a new message of the same status.
  status_ = 0;
  return true;
}

}  // namespace vx
