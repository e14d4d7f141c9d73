// The one door through which the library's threads reach the program: a copy of the
// caller's notification sink that can be disarmed.
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

  // Sets the handle passed with every notification (known only after registration).
  void setHandle(uint32_t handle);

  // After this returns no call to the sink is in flight and none will follow.
  void disarm();

 private:
  mutable std::mutex lock_;
  VxNotifySink sink_{};
  uint32_t handle_ = 0;
};

}  // namespace vx
