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
  // short messages are queued only between start() and stop(); each arrival is announced
  // through notifier with VX_NOTIFY_MIDI_IN_DATA, from RtMidi's thread.
  PortInput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier);
  // Disconnects; no notification is in flight or made after this returns.
  ~PortInput() override;

  void start();
  void stop();

  // The oldest queued event, time = milliseconds since the previous received event;
  // nullptr when none waits. Valid until the next call or destruction.
  const VxMidiEvent *next();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
