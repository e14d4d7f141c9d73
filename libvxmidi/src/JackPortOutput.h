// An output to a JACK MIDI port through a JACK client of the library's own: every message is
// written at its own frame of the process cycle where its moment falls, so that nothing the
// program's thread does between two cycles moves it.
#pragma once

#include <memory>

#include "Agenda.h"
#include "DeviceCatalog.h"
#include "Notifier.h"
#include "OutputDevice.h"

namespace vx {

class JackPortOutput : public OutputDevice {
 public:
  // Opens a client "Kovrinta" with the output port "midi_out" and connects it to the port of
  // device. Throws OpenFailure when no server answers, the port is gone or refuses. Room in
  // the queue after it was found full is announced through notifier as VX_NOTIFY_OUT_ROOM.
  JackPortOutput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier);
  // Closes the client once the messages already put have left (a second at most).
  ~JackPortOutput() override;

  // Drops every message queued and not yet written. Entry lock held.
  void flush() override;
  uint64_t lateMessages() const override;
  bool takesHits() const override { return true; }
  // The input thread of the input that plays here: written one period after it arrived, at
  // its frame (jackFrame exactly when given, else the frame of ns).
  bool takeHit(const uint8_t *bytes, std::size_t length, int64_t ns, int64_t jackFrame) override;

  // One period of the server, the delay a message put at a moment waits for its cycle: a
  // message due at t is written at the frame of t plus this. Any thread.
  int64_t latencyNs() const;
  int64_t stampDelayNs() const override { return latencyNs(); }

 protected:
  // Queues the message for the process thread. False when the queue is full.
  bool send(const uint8_t *bytes, std::size_t length, int64_t dueNs) override;
  void dropStamped() override;
  void sendReset(const uint8_t *bytes, std::size_t length) override;

 private:
  bool queue(const uint8_t *bytes, std::size_t length, int64_t dueNs, Scheduled::Kind kind);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
