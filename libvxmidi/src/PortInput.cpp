#include "PortInput.h"

#include <RtMidi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include <vector>
#include "NotifyRelay.h"
#include "OpenFailure.h"

namespace vx {

namespace {

constexpr const char *kClientName = "Kovrinta";
constexpr const char *kPortName = "midi_in";

// Received events waiting for next(); at 1,000 events a second this is four seconds of
// playing that the user-interface thread may fall behind.
constexpr std::size_t kQueueSize = 4096;

}  // namespace

struct PortInput::Impl {
  std::unique_ptr<Notifier> notifier;
  // RtMidi's JACK callback runs on JACK's real-time thread: arrivals are announced from a
  // thread of ours.
  std::unique_ptr<NotifyRelay> relay;

  // A ring of received events with one writer (RtMidi's thread) and one reader (next(),
  // under the entry lock). written and taken only grow; their difference is the fill.
  std::array<VxMidiEvent, kQueueSize> queue{};
  std::atomic<std::size_t> written{0};
  std::atomic<std::size_t> taken{0};
  VxMidiEvent current{};

  std::atomic<bool> started{false};
  // Set by start(): the next event begins a new stream and has time 0.
  std::atomic<bool> restart{false};

  // RtMidi's thread only. clockSeconds sums RtMidi's deltas, so every event's time can be
  // rounded on one timeline: the rounding errors do not add up over a long take.
  double clockSeconds = 0;
  bool haveLast = false;
  long long lastMs = 0;

  // Set by RtMidi's error callback, which replaces RtMidi's printing and throwing.
  std::atomic<bool> failed{false};
  // Last, so that it is destroyed first: no callback runs once it is gone.
  std::unique_ptr<RtMidiIn> midi;

  static void recordError(RtMidiError::Type type, const std::string &, void *data) {
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
      static_cast<Impl *>(data)->failed = true;
  }

  // Runs on RtMidi's thread (for JACK the real-time process thread): no allocation, no
  // lock; the arrival is handed to the relay.
  static void received(double deltaSeconds, std::vector<unsigned char> *message, void *data) {
    static_cast<Impl *>(data)->take(deltaSeconds, message);
  }

  void take(double deltaSeconds, const std::vector<unsigned char> *message) {
    if (std::isfinite(deltaSeconds) && deltaSeconds > 0) clockSeconds += deltaSeconds;
    if (!started.load(std::memory_order_acquire)) return;
    if (restart.exchange(false, std::memory_order_acq_rel)) haveLast = false;
    const long long nowMs = std::llround(clockSeconds * 1000.0);
    const long long sinceLast = haveLast ? nowMs - lastMs : 0;
    const std::size_t length = message ? message->size() : 0;
    const std::size_t at = written.load(std::memory_order_relaxed);
    const bool fits = at - taken.load(std::memory_order_acquire) < kQueueSize;
    if (length < 1 || length > 3 || !fits) {
      // Dropped: its delay stays in the next event's time. The first event of a stream has
      // none, so a dropped first one becomes the point the next is timed from.
      if (!haveLast) {
        haveLast = true;
        lastMs = nowMs;
      }
      return;
    }
    VxMidiEvent &event = queue[at % kQueueSize];
    event.time =
        static_cast<uint32_t>(std::min<long long>(sinceLast, std::numeric_limits<uint32_t>::max()));
    event.status = (*message)[0];
    event.data1 = length > 1 ? (*message)[1] : 0;
    event.data2 = length > 2 ? (*message)[2] : 0;
    event.data3 = 0;
    written.store(at + 1, std::memory_order_release);
    haveLast = true;
    lastMs = nowMs;
    relay->signal();
  }
};

PortInput::PortInput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier)
    : impl_(std::make_unique<Impl>()) {
  impl_->notifier = notifier ? std::move(notifier) : std::make_unique<Notifier>(nullptr);
  impl_->relay = std::make_unique<NotifyRelay>(*impl_->notifier, VX_NOTIFY_MIDI_IN_DATA);
  const auto api = static_cast<RtMidi::Api>(device.api);
  if (device.kind != DeviceInfo::Kind::Port ||
      (api != RtMidi::LINUX_ALSA && api != RtMidi::UNIX_JACK))
    throw std::runtime_error("not a MIDI port: " + device.description);
  try {
    // RtMidi's own queue is unused: every message goes to the callback.
    impl_->midi = std::make_unique<RtMidiIn>(api, kClientName, 1);
  } catch (const RtMidiError &error) {
    throw OpenFailure(VX_OPEN_PORT_REFUSED, error.getMessage());
  }
  RtMidiIn &midi = *impl_->midi;
  midi.setErrorCallback(&Impl::recordError, impl_.get());
  // Sysex and timing clock are not wanted; active sensing is delivered, the toolkit drops
  // it itself and carries its delay.
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

// The notifier is disarmed first, so a relay call still running calls no sink; then RtMidi
// closes the port and ends its thread or JACK client, after which no callback runs and the
// relay can go.
PortInput::~PortInput() {
  impl_->started.store(false, std::memory_order_release);
  impl_->notifier->disarm();
  impl_->midi.reset();
  impl_->relay.reset();
}

void PortInput::start() {
  impl_->restart.store(true, std::memory_order_release);
  impl_->started.store(true, std::memory_order_release);
}

void PortInput::stop() {
  impl_->started.store(false, std::memory_order_release);
}

const VxMidiEvent *PortInput::next() {
  const std::size_t at = impl_->taken.load(std::memory_order_relaxed);
  if (at == impl_->written.load(std::memory_order_acquire)) return nullptr;
  impl_->current = impl_->queue[at % kQueueSize];
  impl_->taken.store(at + 1, std::memory_order_release);
  return &impl_->current;
}

}  // namespace vx
