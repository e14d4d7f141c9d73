// A beat timer: a thread of its own that announces one beat per period, on a grid of
// absolute deadlines on the monotonic clock, so that it never drifts.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "Notifier.h"
#include "Registry.h"

namespace vx {

// A period of numeratorUs / denominator microseconds, kept as a fraction so that tempos such
// as 7812.5 us per beat (120 BPM at 64 beats per quarter note) are exact.
struct BeatPeriod {
  uint32_t numeratorUs = 500000;
  uint32_t denominator = 1;

  // The span of beats periods in nanoseconds, exact to the nanosecond below.
  int64_t spanNs(uint64_t beats) const;
  // Whole microseconds, truncated (what GetTempo answers).
  uint32_t wholeMicroseconds() const { return numeratorUs / denominator; }
  // At least VX_MIN_PERIOD_US and not zero.
  bool valid() const;
};

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
  // if that moment has passed). False (nothing changed) for an invalid period.
  bool setPeriod(BeatPeriod period);
  // Period between beats, continuing the grid from beat fromPosition of the current run
  // when running (see VxSetSyncPeriod). False (nothing changed) for an invalid period.
  bool setPeriodFrom(BeatPeriod period, uint32_t fromPosition);
  BeatPeriod period() const;

  // Ticks per quarter note of the music driven; the beat rate does not depend on it.
  void setResolution(uint16_t ticksPerQuarter);
  uint16_t resolution() const;

  // Beats announced since the last start().
  uint32_t position() const;
  // Changes at every start, stop, pause, restart and running change of period.
  uint32_t run() const;

  // Where beats are announced with their details (null: as VX_NOTIFY_BEAT).
  void setBeatSink(const VxBeatSink *sink);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
