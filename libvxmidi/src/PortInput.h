// An input from an ALSA sequencer port through RtMidi.
#pragma once

#include <memory>

#include "DeviceCatalog.h"
#include "InputDevice.h"

namespace vx {

class PortInput : public InputDevice {
 public:
  // Connects to the port of device; throws OpenFailure when it is gone or refuses. Sysex and
  // timing clock are not delivered, active sensing is; each arrival is timed at the moment
  // RtMidi's thread hands it over.
  PortInput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier);
  // Disconnects; no notification is in flight or made after this returns.
  ~PortInput() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
