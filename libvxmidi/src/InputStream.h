// Splits the bytes a MIDI input receives into whole short messages, as a module may send them:
// running status carried across packets, system exclusive of any length skipped, real-time
// bytes allowed between the bytes of a message. Fixed state, no allocation: it runs on
// real-time threads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vx {

struct ShortMessage {
  uint8_t length = 0;  // 1 to 3
  uint8_t bytes[3] = {};
};

class InputStream {
 public:
  // Takes one byte; answers true when it completes a message, which is then in *message.
  // A real-time byte (0xF8..0xFF) is a message of its own and leaves a message in progress
  // as it was. A stray data byte without a status in force is dropped.
  bool take(uint8_t byte, ShortMessage *message);

 private:
  uint8_t running_ = 0;   // the channel status in force, 0 for none
  uint8_t status_ = 0;    // the status of the message being gathered, 0 for none
  uint8_t expected_ = 0;  // its data bytes
  uint8_t gathered_ = 0;
  uint8_t data_[2] = {};
  bool inSysex_ = false;
};

}  // namespace vx
