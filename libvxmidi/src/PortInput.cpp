#include "PortInput.h"

#include <RtMidi.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "OpenFailure.h"

namespace vx {

namespace {

constexpr const char *kClientName = "Kovrinta";
constexpr const char *kPortName = "midi_in";

}  // namespace

struct PortInput::Impl {
  PortInput *owner = nullptr;
  // Set by RtMidi's error callback, which replaces RtMidi's printing and throwing.
  std::atomic<bool> failed{false};
  // Last, so that it is destroyed first: no callback runs once it is gone.
  std::unique_ptr<RtMidiIn> midi;

  static void recordError(RtMidiError::Type type, const std::string &, void *data) {
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
      static_cast<Impl *>(data)->failed = true;
  }

  // RtMidi's thread: the message is judged, played and queued at once.
  static void received(double, std::vector<unsigned char> *message, void *data) {
    if (!message || message->empty()) return;
    const int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    static_cast<Impl *>(data)->owner->receive(message->data(), message->size(), ns);
  }
};

PortInput::PortInput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier)
    : InputDevice(std::move(notifier)), impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
  if (device.kind != DeviceInfo::Kind::Port || device.api != DeviceInfo::alsaApi)
    throw std::runtime_error("not an ALSA sequencer port: " + device.description);
  try {
    // RtMidi's own queue is unused: every message goes to the callback.
    impl_->midi = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName, 1);
  } catch (const RtMidiError &error) {
    throw OpenFailure(VX_OPEN_PORT_REFUSED, error.getMessage());
  }
  RtMidiIn &midi = *impl_->midi;
  midi.setErrorCallback(&Impl::recordError, impl_.get());
  midi.ignoreTypes(true, true, false);
  midi.setCallback(&Impl::received, impl_.get());
  // The index of a port changes as other ports come and go: look it up again by name.
  const unsigned int count = midi.getPortCount();
  unsigned int index = 0;
  while (index < count && midi.getPortName(index) != device.portName) ++index;
  if (index == count || impl_->failed)
    throw OpenFailure(VX_OPEN_PORT_GONE, "MIDI port is gone: " + device.portName);
  midi.openPort(index, kPortName);
  if (impl_->failed || !midi.isPortOpen())
    throw OpenFailure(VX_OPEN_PORT_REFUSED, "cannot connect to MIDI port " + device.portName);
}

// Notifications end first; then RtMidi closes the port and ends its thread, after which no
// callback runs.
PortInput::~PortInput() {
  disarm();
  setThru(nullptr, nullptr);
  impl_->midi.reset();
}

}  // namespace vx
