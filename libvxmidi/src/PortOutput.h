// An output to a MIDI port of the ALSA sequencer through RtMidi. Every message leaves at once,
// stamped or not: RtMidi offers no way to place one later.
#pragma once

#include <memory>

#include "DeviceCatalog.h"
#include "OutputDevice.h"

namespace vx {

class PortOutput : public OutputDevice {
 public:
  // Connects to the port of device; throws OpenFailure when it is gone or refuses.
  explicit PortOutput(const DeviceInfo &device);
  ~PortOutput() override;

 protected:
  bool send(const uint8_t *bytes, std::size_t length, int64_t dueNs) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
