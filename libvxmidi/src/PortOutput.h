// An output to a MIDI port of the system (ALSA sequencer or JACK) through RtMidi.
#pragma once

#include <memory>

#include "DeviceCatalog.h"
#include "OutputDevice.h"

namespace vx {

class PortOutput : public OutputDevice {
 public:
  // Connects to the port of device; throws std::runtime_error when it is gone.
  explicit PortOutput(const DeviceInfo &device);
  ~PortOutput() override;

 protected:
  void send(const uint8_t *bytes, std::size_t length) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
