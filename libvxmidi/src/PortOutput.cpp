#include "PortOutput.h"

#include <RtMidi.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "OpenFailure.h"

namespace vx {

namespace {

constexpr const char *kClientName = "Kovrinta";
constexpr const char *kPortName = "midi_out";

}  // namespace

struct PortOutput::Impl {
  // Set by RtMidi's error callback: with a callback installed RtMidi reports its failures
  // there instead of printing and throwing.
  std::atomic<bool> failed{false};
  std::unique_ptr<RtMidiOut> midi;

  static void recordError(RtMidiError::Type type, const std::string &, void *data) {
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
      static_cast<Impl *>(data)->failed = true;
  }
};

// The index of a port changes as other ports come and go, so it is looked up again here
// by the name the device list took.
PortOutput::PortOutput(const DeviceInfo &device) : impl_(std::make_unique<Impl>()) {
  const auto api = static_cast<RtMidi::Api>(device.api);
  if (device.kind != DeviceInfo::Kind::Port ||
      (api != RtMidi::LINUX_ALSA && api != RtMidi::UNIX_JACK))
    throw std::runtime_error("not a MIDI port: " + device.description);
  try {
    impl_->midi = std::make_unique<RtMidiOut>(api, kClientName);
  } catch (const RtMidiError &error) {
    throw OpenFailure(VX_OPEN_PORT_REFUSED, error.getMessage());
  }
  RtMidiOut &midi = *impl_->midi;
  midi.setErrorCallback(&Impl::recordError, impl_.get());
  const unsigned int count = midi.getPortCount();
  unsigned int index = 0;
  while (index < count && midi.getPortName(index) != device.portName) ++index;
  if (index == count || impl_->failed)
    throw OpenFailure(VX_OPEN_PORT_GONE, "MIDI port is gone: " + device.portName);
  midi.openPort(index, kPortName);
  if (impl_->failed || !midi.isPortOpen())
    throw OpenFailure(VX_OPEN_PORT_REFUSED, "cannot connect to MIDI port " + device.portName);
}

// RtMidi closes the port and its client; on JACK it first waits (up to a second) for the
// process cycle that hands the last sent messages to the port.
PortOutput::~PortOutput() = default;

bool PortOutput::send(const uint8_t *bytes, std::size_t length, int64_t) {
  impl_->midi->sendMessage(bytes, length);
  return true;
}

}  // namespace vx
