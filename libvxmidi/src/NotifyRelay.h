// Carries notifications out of real-time threads (JACK's process thread, the audio callback):
// they may neither lock for long nor allocate, and the program's sink may do both. The
// real-time side only counts a semaphore up; a thread of ours makes the sink calls.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "Notifier.h"

namespace vx {

class NotifyRelay {
 public:
  // Starts the relay thread, which announces message through notifier (not owned; it must
  // outlive the relay) once per signal(). Throws std::system_error when it cannot.
  NotifyRelay(const Notifier &notifier, uint32_t message);
  // Stops and joins the thread; signals not yet relayed are dropped.
  ~NotifyRelay();

  NotifyRelay(const NotifyRelay &) = delete;
  NotifyRelay &operator=(const NotifyRelay &) = delete;

  // Any thread, real-time ones included: no lock, no allocation.
  void signal() noexcept;

 private:
  void run();

  const Notifier &notifier_;
  const uint32_t message_;
  sem_t pending_;
  std::atomic<bool> quit_{false};
  std::thread thread_;
};

}  // namespace vx
