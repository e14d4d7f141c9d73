// A beat timer: a thread of its own that announces one beat per period, with absolute
// deadlines on the monotonic clock so that it never drifts.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "Notifier.h"
#include "Registry.h"

namespace vx {

class SyncTimer : public Object {
 public:
  // A stopped timer at 500000 us per beat and 96 ticks per quarter note.
  explicit SyncTimer(std::unique_ptr<Notifier> notifier);
  // Stops and joins the thread; no beat is announced after this returns.
  ~SyncTimer() override;

  // Starts from position 0; the first beat comes one period from now.
  void start();
  // Stops the beats and announces VX_NOTIFY_SYNC_DONE if it was running or paused.
  void stop();
  // Holds the beats; see PauseSync.
  void pause(bool keepPhase);
  // Continues after pause().
  void restart();

  // Period between beats; takes effect from the beat after the next. Refuses 0.
  bool setPeriod(std::chrono::microseconds period);
  std::chrono::microseconds period() const;

  void setResolution(uint16_t ticksPerQuarter);
  uint16_t resolution() const;

  // Beats announced since the last start().
  uint32_t position() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
