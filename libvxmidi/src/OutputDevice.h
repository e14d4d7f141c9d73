// What every output device of the library does: send short messages at once or at the
// moment they are stamped with, end what sounds, drop what waits.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "Registry.h"

namespace vx {

class OutputDevice : public Object {
 public:
  // Sends one short message of 1 to 3 bytes (length from shortMessageLength) and keeps
  // track of the notes it leaves sounding. dueNs 0 sends it at once; otherwise it is the
  // moment on the monotonic clock at which the message counts as put (the ideal time of the
  // song's beat plus the program's latency): the device plays it as it would play a message
  // put at that moment, exactly. A moment already past at the put is counted late and the
  // message leaves at once. Answers false, sending nothing, when the device has no room.
  // Called with the entry lock held.
  bool put(const uint8_t *bytes, std::size_t length, int64_t dueNs = 0);

  // Ends every note this output left sounding and, on all 16 channels, sends All Sound Off,
  // All Notes Off and Reset All Controllers, at once; messages still waiting for their
  // moment are dropped first, so that none starts a note after the reset.
  virtual void reset();

  // Drops whatever is waiting to go out and has not yet been sent.
  virtual void flush() {}

 protected:
  // Drops the stamped messages still waiting for their moment; those put at once stay.
  virtual void dropStamped() {}
  // Sends one message of a reset, at once; one that waits must survive a following flush.
  virtual void sendReset(const uint8_t *bytes, std::size_t length) { send(bytes, length, 0); }

 public:
  // Whether takeHit plays hits here.
  virtual bool takesHits() const { return false; }
  // Called by the input thread of the one input that plays on this output: plays a hit of
  // 1 to 3 bytes that arrived at ns on the monotonic clock, with the device's own constant
  // delay after that moment; jackFrame is the hit's frame on the JACK server's frame counter
  // when it came from a JACK port (-1 otherwise), which a JACK output places it by exactly.
  // No lock, no allocation. False when it cannot (no room).
  virtual bool takeHit(const uint8_t *bytes, std::size_t length, int64_t ns, int64_t jackFrame) {
    (void)bytes, (void)length, (void)ns, (void)jackFrame;
    return false;
  }

  // Messages that could not go out at their moment: their stamp had passed when they were
  // put, or the device reached them too late. Any thread.
  virtual uint64_t lateMessages() const { return lateAtPut_; }
  // How long after its stamp a stamped message leaves the device, in nanoseconds: the moment a
  // listener hears it, less what lies beyond the device (a sound card's buffers, a cable).
  // 0 for a device that sends at once. Any thread.
  virtual int64_t stampDelayNs() const { return 0; }

 protected:
  // Hands the message to the device: dueNs 0 at once, else at that moment. False when the
  // device has no room.
  virtual bool send(const uint8_t *bytes, std::size_t length, int64_t dueNs) = 0;

  uint64_t lateAtPut_ = 0;

 private:
  std::bitset<16 * 128> sounding_;
};

}  // namespace vx
