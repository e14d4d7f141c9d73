// A beat timer: a thread of its own that announces one beat per period, with absolute
// deadlines on the monotonic clock so that it never drifts.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "Notifier.h"
#include "Registry.h"

namespace vx {

// Every member is called by the entry points (under the entry lock, never from inside the
// sink); beats and VX_NOTIFY_SYNC_DONE leave only through the notifier, on the timer's thread.
class SyncTimer : public Object {
 public:
  // A stopped timer at 500000 us per beat and 96 ticks per quarter note; starts its thread
  // (throws std::system_error when it cannot).
  explicit SyncTimer(std::unique_ptr<Notifier> notifier);
  // Stops and joins the thread; no beat is announced after this returns.
  ~SyncTimer() override;

  // Starts from position 0; the first beat comes one period from now.
  void start();
  // Stops the beats (none follows once this returns) and announces VX_NOTIFY_SYNC_DONE if
  // it was running or paused.
  void stop();
  // Holds the beats; see PauseSync. Does nothing unless running.
  void pause(bool keepPhase);
  // Continues after pause(); does nothing unless paused.
  void restart();

  // Period between beats; the next beat comes one new period after the last one (at once
  // if that moment has passed). Refuses 0.
  bool setPeriod(std::chrono::microseconds period);
  std::chrono::microseconds period() const;

  // Ticks per quarter note of the music driven; the beat rate does not depend on it.
  void setResolution(uint16_t ticksPerQuarter);
  uint16_t resolution() const;

  // Beats announced since the last start().
  uint32_t position() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
