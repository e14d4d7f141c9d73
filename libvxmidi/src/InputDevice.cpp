#include "InputDevice.h"

#include <algorithm>
#include <limits>
#include <thread>

#include "OutputDevice.h"

namespace vx {

InputDevice::InputDevice(std::unique_ptr<Notifier> notifier)
    : notifier_(notifier ? std::move(notifier) : std::make_unique<Notifier>(nullptr)),
      relay_(std::make_unique<NotifyRelay>(*notifier_, VX_NOTIFY_MIDI_IN_DATA)),
      ring_(std::make_unique<Arrival[]>(kQueueSize)) {}

InputDevice::~InputDevice() {
  disarm();
}

void InputDevice::deviceLost() {
  notifier_->notify(VX_NOTIFY_DEVICE_LOST);
}

void InputDevice::disarm() {
  started_.store(false, std::memory_order_release);
  notifier_->disarm();
}

void InputDevice::start() {
  restart_.store(true, std::memory_order_release);
  started_.store(true, std::memory_order_release);
}

void InputDevice::stop() {
  started_.store(false, std::memory_order_release);
}

const VxMidiEvent *InputDevice::next() {
  const std::size_t at = taken_.load(std::memory_order_relaxed);
  if (at == written_.load(std::memory_order_acquire)) return nullptr;
  const Arrival &arrival = ring_[at % kQueueSize];
  current_ = arrival.event;
  lastNs_ = arrival.ns;
  taken_.store(at + 1, std::memory_order_release);
  return &current_;
}

void InputDevice::setThru(const VxMidiThru *thru, OutputDevice *target) {
  if (thru != &thru_) {
    hasThru_ = thru != nullptr;
    thru_ = thru ? *thru : VxMidiThru{};
  }
  filter_.configure(thru);
  target_.store(target, std::memory_order_seq_cst);
  // The input thread may be inside a put to the output played before: it is done when it
  // clears the flag, and any later packet reads the new output.
  while (playing_.load(std::memory_order_seq_cst)) std::this_thread::yield();
}

void InputDevice::receive(const uint8_t *bytes, std::size_t length, int64_t ns, int64_t jackFrame,
                          HitSink *sink, uint32_t frame) {
  ShortMessage message;
  for (std::size_t i = 0; i < length; ++i) {
    if (!stream_.take(bytes[i], &message)) continue;
    const HitFilter::Decision decision = filter_.take(message, ns);
    if (decision.sound.length > 0) {
      if (sink) {
        sink->hitAt(decision.sound, frame);
      } else {
        playing_.store(true, std::memory_order_seq_cst);
        if (OutputDevice *target = target_.load(std::memory_order_seq_cst))
          target->takeHit(decision.sound.bytes, decision.sound.length, ns, jackFrame);
        playing_.store(false, std::memory_order_seq_cst);
      }
    }
    if (decision.deliver) queue(message, decision.soundedNote, ns);
  }
}

void InputDevice::queue(const ShortMessage &message, uint8_t soundedNote, int64_t ns) {
  if (!started_.load(std::memory_order_acquire)) return;
  if (restart_.exchange(false, std::memory_order_acq_rel)) haveLast_ = false;
  const std::size_t at = written_.load(std::memory_order_relaxed);
  // A full ring drops the newest: its delay stays in the time of the next one queued.
  if (at - taken_.load(std::memory_order_acquire) >= kQueueSize) return;
  // Rounded on one timeline, so that the rounding errors of a long take do not add up.
  const int64_t ms = (ns + 500000) / 1000000;
  const int64_t since = haveLast_ ? std::max<int64_t>(0, ms - lastQueuedMs_) : 0;
  Arrival &arrival = ring_[at % kQueueSize];
  arrival.ns = ns;
  arrival.event.time =
      static_cast<uint32_t>(std::min<int64_t>(since, std::numeric_limits<uint32_t>::max()));
  arrival.event.status = message.bytes[0];
  arrival.event.data1 = message.length > 1 ? message.bytes[1] : 0;
  arrival.event.data2 = message.length > 2 ? message.bytes[2] : 0;
  arrival.event.data3 = soundedNote;
  haveLast_ = true;
  lastQueuedMs_ = ms;
  written_.store(at + 1, std::memory_order_release);
  relay_->signal();
}

}  // namespace vx
