// What every output device of the library does: send short messages at once, end what
// sounds, drop what waits.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "Registry.h"

namespace vx {

class OutputDevice : public Object {
 public:
  // Sends one short message of 1 to 3 bytes (length from shortMessageLength) and keeps
  // track of the notes it leaves sounding. Called with the entry lock held.
  void put(const uint8_t *bytes, std::size_t length);

  // Ends every note this output left sounding and, on all 16 channels, sends All Sound Off,
  // All Notes Off and Reset All Controllers.
  virtual void reset();

  // Drops whatever is waiting to go out and has not yet been sent.
  virtual void flush() {}

 protected:
  // Hands the message to the device at once.
  virtual void send(const uint8_t *bytes, std::size_t length) = 0;

 private:
  std::bitset<16 * 128> sounding_;
};

}  // namespace vx
