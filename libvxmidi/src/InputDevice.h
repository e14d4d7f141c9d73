// What every input device of the library does: judge what arrives (HitFilter), play the hits
// on an output, and queue what passes for the program, announcing each arrival.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "HitFilter.h"
#include "InputStream.h"
#include "Notifier.h"
#include "NotifyRelay.h"
#include "Registry.h"
#include "VxMidi.h"

namespace vx {

class OutputDevice;

// Where the hits of one cycle go when the output renders them itself in the same call (the
// built-in synthesizer's JACK client).
class HitSink {
 public:
  // Process thread: plays message at frame of the cycle being rendered.
  virtual void hitAt(const ShortMessage &message, uint32_t frame) = 0;

 protected:
  ~HitSink() = default;
};

class InputDevice : public Object {
 public:
  // Arrivals are announced through notifier with VX_NOTIFY_MIDI_IN_DATA from a relay thread.
  explicit InputDevice(std::unique_ptr<Notifier> notifier);
  // A derived device stops its input thread before this runs.
  ~InputDevice() override;

  // Begins queuing; the first event queued after it has time 0. Entry lock held.
  void start();
  // Ends queuing; what is queued stays for next(). Entry lock held.
  void stop();
  // The oldest queued event, time = milliseconds since the previous queued one, data3 = the
  // note it sounded as; nullptr when none waits. Valid until the next call. Entry lock held.
  const VxMidiEvent *next();
  // When the event next() last answered arrived, monotonic nanoseconds; 0 before any.
  int64_t lastNs() const { return lastNs_; }

  // Entry lock: judges with thru (null: as received) and plays hits on target (null: none);
  // returns once the input thread no longer uses the output played before.
  virtual void setThru(const VxMidiThru *thru, OutputDevice *target);
  OutputDevice *thruTarget() const { return target_.load(std::memory_order_acquire); }
  // Plays nowhere any more, keeping its judging.
  void releaseOthers() override { setThru(thru(), nullptr); }

  // Whether this input's hits play on output (here, or from a synthesizer's own cycle).
  virtual bool playsOn(const OutputDevice *output) const {
    return output != nullptr && thruTarget() == output;
  }
  // The judging set by the last setThru, or null. Entry lock.
  const VxMidiThru *thru() const { return hasThru_ ? &thru_ : nullptr; }

 protected:
  // Input thread: the bytes of one packet that arrived at ns (at jackFrame on the JACK
  // server's frame counter, -1 when not from JACK). A hit goes to sink at frame (of the cycle)
  // when a sink is given, else to the output played.
  void receive(const uint8_t *bytes, std::size_t length, int64_t ns, int64_t jackFrame = -1,
               HitSink *sink = nullptr, uint32_t frame = 0);
  // Disarms the notifier; call first in a derived destructor.
  void disarm();
  // Any thread: the device went away (its port was closed or unplugged); the program is told.
  void deviceLost();

 private:
  void queue(const ShortMessage &message, uint8_t soundedNote, int64_t ns);

  std::unique_ptr<Notifier> notifier_;
  std::unique_ptr<NotifyRelay> relay_;
  InputStream stream_;
  HitFilter filter_;

  std::atomic<OutputDevice *> target_{nullptr};
  // Set by the input thread while it plays on target_, so that a change waits for it.
  std::atomic<bool> playing_{false};

  // A ring with one writer (the input thread) and one reader (next()); 4,096 events is four
  // seconds of a flood the user-interface thread may fall behind.
  static constexpr std::size_t kQueueSize = 4096;
  struct Arrival {
    VxMidiEvent event;
    int64_t ns;
  };
  std::unique_ptr<Arrival[]> ring_;
  std::atomic<std::size_t> written_{0};
  std::atomic<std::size_t> taken_{0};
  std::atomic<bool> started_{false};
  std::atomic<bool> restart_{false};
  // Input thread only: when the last queued event arrived, in whole milliseconds.
  int64_t lastQueuedMs_ = 0;
  bool haveLast_ = false;
  // Entry lock only.
  VxMidiThru thru_{};
  bool hasThru_ = false;
  VxMidiEvent current_{};
  int64_t lastNs_ = 0;
};

}  // namespace vx
