// The one door through which the library's threads reach the program: a copy of the
// caller's notification sink (and, for timers, of its beat sink) that can be disarmed.
#pragma once

#include <cstdint>
#include <mutex>

#include "VxMidi.h"

namespace vx {

class Notifier {
 public:
  // Copies sink (which may be null: then nothing is announced).
  explicit Notifier(const VxNotifySink *sink);

  // Calls the sink with message and handle; safe from any thread. Does nothing once
  // disarmed.
  void notify(uint32_t message) const;

  // Announces a beat: through the beat sink with its details when one is set, else as
  // VX_NOTIFY_BEAT through the sink. Safe from any thread; nothing once disarmed.
  void notifyBeat(const VxBeat &beat) const;

  // Replaces the beat sink (null: beats go to the sink again). Any thread.
  void setBeatSink(const VxBeatSink *sink);

  // Sets the handle passed with every notification (known only after registration).
  void setHandle(uint32_t handle);

  // After this returns no call to either sink is in flight and none will follow.
  void disarm();

 private:
  mutable std::mutex lock_;
  VxNotifySink sink_{};
  VxBeatSink beatSink_{};
  uint32_t handle_ = 0;
};

}  // namespace vx
