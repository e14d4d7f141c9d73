// An input from a MIDI port of the system (ALSA sequencer or JACK) through RtMidi.
#pragma once

#include <memory>

#include "DeviceCatalog.h"
#include "Notifier.h"
#include "Registry.h"
#include "VxMidi.h"

namespace vx {

class PortInput : public Object {
 public:
  // Connects to the port of device; throws std::runtime_error when it is gone. Received
  // short messages are queued only between start() and stop() (sysex and timing clock
  // are not delivered, active sensing is); each arrival is announced through notifier
  // with VX_NOTIFY_MIDI_IN_DATA, from RtMidi's thread.
  PortInput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier);
  // Disconnects; no notification is in flight or made after this returns.
  ~PortInput() override;

  // Begins queuing; the first event queued after it has time 0. Entry lock held.
  void start();
  // Ends queuing; what is queued stays for next(). Entry lock held.
  void stop();

  // The oldest queued event, time = milliseconds since the previous received event (that
  // of an event dropped for a full queue included); nullptr when none waits. Valid until
  // the next call or destruction. Entry lock held.
  const VxMidiEvent *next();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
