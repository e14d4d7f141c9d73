// The beat timer through the library's C interface, with a sink that records what arrives.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "VxMidi.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous: every wait below is expected to end far sooner.
constexpr auto kPatience = 5s;

// Records every notification with its handle and arrival time; tests wait on it.
class Recorder {
 public:
  struct Entry {
    uint32_t message;
    uint32_t handle;
    Clock::time_point at;
  };

  Recorder() : sink_{&Recorder::record, this} {}

  const VxNotifySink *sink() const { return &sink_; }

  // Runs on the timer's thread before each beat is recorded; index counts from 1.
  void onBeat(std::function<void(size_t index)> hook) { hook_ = std::move(hook); }

  size_t count(uint32_t message) const {
    std::lock_guard held(lock_);
    return countLocked(message);
  }
  size_t beats() const { return count(VX_NOTIFY_BEAT); }

  std::vector<Entry> entries() const {
    std::lock_guard held(lock_);
    return entries_;
  }

  // True once at least n notifications of message have arrived, false at the deadline.
  bool waitFor(uint32_t message, size_t n, Clock::time_point deadline) const {
    std::unique_lock held(lock_);
    return changed_.wait_until(held, deadline, [&] { return countLocked(message) >= n; });
  }
  bool waitForBeats(size_t n, Clock::duration within = kPatience) const {
    return waitFor(VX_NOTIFY_BEAT, n, Clock::now() + within);
  }

  // True when nothing more of message arrived before the deadline: used to show that
  // something does not happen.
  bool staysAt(uint32_t message, size_t n, Clock::duration span) const {
    return !waitFor(message, n + 1, Clock::now() + span);
  }

 private:
  static void record(void *context, uint32_t message, uint32_t handle) {
    auto *self = static_cast<Recorder *>(context);
    const Clock::time_point at = Clock::now();
    if (message == VX_NOTIFY_BEAT && self->hook_) self->hook_(self->beats() + 1);
    {
      std::lock_guard held(self->lock_);
      self->entries_.push_back({message, handle, at});
    }
    self->changed_.notify_all();
  }

  size_t countLocked(uint32_t message) const {
    return static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(),
                                             [&](const Entry &e) { return e.message == message; }));
  }

  VxNotifySink sink_;
  std::function<void(size_t)> hook_;
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::vector<Entry> entries_;
};

// Records the beats a beat sink receives, with their details.
class BeatRecorder {
 public:
  BeatRecorder() : sink_{&BeatRecorder::record, this} {}
  const VxBeatSink *sink() const { return &sink_; }

  std::vector<VxBeat> beats() const {
    std::lock_guard held(lock_);
    return beats_;
  }
  bool waitForBeats(size_t n) const {
    std::unique_lock held(lock_);
    return changed_.wait_until(held, Clock::now() + kPatience, [&] { return beats_.size() >= n; });
  }

 private:
  static void record(void *context, uint32_t, const VxBeat *beat) {
    auto *self = static_cast<BeatRecorder *>(context);
    {
      std::lock_guard held(self->lock_);
      self->beats_.push_back(*beat);
    }
    self->changed_.notify_all();
  }

  VxBeatSink sink_;
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::vector<VxBeat> beats_;
};

// An open timer, closed when it goes out of scope; declare it after its recorder.
class Sync {
 public:
  explicit Sync(const Recorder &recorder) : handle_(OpenSync(0, recorder.sink(), 0, 2)) {}
  ~Sync() { close(); }
  Sync(const Sync &) = delete;
  Sync &operator=(const Sync &) = delete;

  uint32_t handle() const { return handle_; }
  void close() {
    if (handle_ > VX_HANDLE_FAILED_MAX) CloseSync(handle_);
    handle_ = 0;
  }

 private:
  uint32_t handle_;
};

// Ends the process if a test hangs (a deadlock in stop or close), naming the test.
class Watchdog {
 public:
  explicit Watchdog(Clock::duration limit)
      : thread_([this, deadline = Clock::now() + limit] {
          std::unique_lock held(lock_);
          if (!done_.wait_until(held, deadline, [this] { return disarmed_; })) {
            std::fprintf(stderr, "watchdog: test still running after its limit, aborting\n");
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard held(lock_);
      disarmed_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex lock_;
  std::condition_variable done_;
  bool disarmed_ = false;
  std::thread thread_;
};

class SyncTimerTest : public ::testing::Test {
 protected:
  Watchdog watchdog_{60s};
};

// Beats counted up to a moment can never exceed the grid's count of elapsed periods.
size_t mostBeatsSince(Clock::time_point since, std::chrono::microseconds period) {
  return static_cast<size_t>((Clock::now() - since) / period);
}

TEST_F(SyncTimerTest, OpensStoppedWithDefaultTempoAndResolution) {
  Recorder recorder;
  Sync sync(recorder);
  ASSERT_GT(sync.handle(), VX_HANDLE_FAILED_MAX);
  EXPECT_EQ(GetTempo(sync.handle()), 500000u);
  EXPECT_EQ(GetResolution(sync.handle()), 96u);
  EXPECT_EQ(GetPosition(sync.handle()), 0u);
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, 0, 20ms));
}

TEST_F(SyncTimerTest, OpenRefusesNonZeroReservedAndRunsSilentlyWithoutSink) {
  EXPECT_LE(OpenSync(1, nullptr, 0, 2), VX_HANDLE_FAILED_MAX);

  const uint32_t silent = OpenSync(0, nullptr, 0, 2);
  ASSERT_GT(silent, VX_HANDLE_FAILED_MAX);
  ASSERT_EQ(SetTempo(silent, 1000), VX_OK);
  StartSync(silent);
  // Position counts beats whether or not anyone listens.
  const Clock::time_point deadline = Clock::now() + kPatience;
  while (GetPosition(silent) < 5 && Clock::now() < deadline) std::this_thread::yield();
  EXPECT_GE(GetPosition(silent), 5u);
  CloseSync(silent);
}

TEST_F(SyncTimerTest, BeatsFlowAfterStartAndEndWithOneSyncDoneAfterStop) {
  Recorder recorder;
  Sync sync(recorder);
  ASSERT_EQ(SetTempo(sync.handle(), 2000), VX_OK);
  StartSync(sync.handle());
  ASSERT_TRUE(recorder.waitForBeats(10));

  StopSync(sync.handle());
  // Every beat counted was delivered before StopSync returned, and none follows it.
  const size_t atStop = recorder.beats();
  EXPECT_EQ(GetPosition(sync.handle()), atStop);
  ASSERT_TRUE(recorder.waitFor(VX_NOTIFY_SYNC_DONE, 1, Clock::now() + kPatience));
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, atStop, 20ms));  // ten periods
  EXPECT_EQ(recorder.count(VX_NOTIFY_SYNC_DONE), 1u);

  const std::vector<Recorder::Entry> entries = recorder.entries();
  EXPECT_EQ(entries.back().message, VX_NOTIFY_SYNC_DONE);
  for (const Recorder::Entry &e : entries) EXPECT_EQ(e.handle, sync.handle());
}

TEST_F(SyncTimerTest, SyncDoneOnlyWhenStoppingARunningOrPausedTimer) {
  Recorder recorder;
  Sync sync(recorder);
  StopSync(sync.handle());
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_SYNC_DONE, 0, 20ms));

  StartSync(sync.handle());
  StopSync(sync.handle());
  StopSync(sync.handle());
  ASSERT_TRUE(recorder.waitFor(VX_NOTIFY_SYNC_DONE, 1, Clock::now() + kPatience));
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_SYNC_DONE, 1, 20ms));

  StartSync(sync.handle());
  PauseSync(sync.handle(), 1);
  StopSync(sync.handle());
  EXPECT_TRUE(recorder.waitFor(VX_NOTIFY_SYNC_DONE, 2, Clock::now() + kPatience));
}

TEST_F(SyncTimerTest, StartAgainResumesFromPositionZero) {
  Recorder recorder;
  Sync sync(recorder);
  ASSERT_EQ(SetTempo(sync.handle(), 2000), VX_OK);
  StartSync(sync.handle());
  ASSERT_TRUE(recorder.waitForBeats(5));
  StopSync(sync.handle());
  const size_t firstRun = recorder.beats();
  ASSERT_GE(GetPosition(sync.handle()), 5u);

  // A long period makes the first beat of the new run come well after the checks.
  ASSERT_EQ(SetTempo(sync.handle(), 1000000), VX_OK);
  StartSync(sync.handle());
  EXPECT_EQ(GetPosition(sync.handle()), 0u);
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, firstRun, 100ms));

  ASSERT_EQ(SetTempo(sync.handle(), 2000), VX_OK);
  ASSERT_TRUE(recorder.waitForBeats(firstRun + 5));
  StopSync(sync.handle());
  EXPECT_EQ(GetPosition(sync.handle()), recorder.beats() - firstRun);
}

TEST_F(SyncTimerTest, PauseHoldsBeatsAndRestartContinuesThePosition) {
  Recorder recorder;
  Sync sync(recorder);
  ASSERT_EQ(SetTempo(sync.handle(), 2000), VX_OK);
  // Pausing or restarting a stopped timer starts nothing.
  PauseSync(sync.handle(), 1);
  ReStartSync(sync.handle());
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, 0, 20ms));

  StartSync(sync.handle());
  for (uint32_t keepPhase : {1u, 0u}) {
    SCOPED_TRACE(keepPhase);
    ASSERT_TRUE(recorder.waitForBeats(recorder.beats() + 5));
    PauseSync(sync.handle(), keepPhase);
    const size_t held = recorder.beats();
    EXPECT_EQ(GetPosition(sync.handle()), held);
    EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, held, 20ms));
    EXPECT_EQ(GetPosition(sync.handle()), held);

    ReStartSync(sync.handle());
    ASSERT_TRUE(recorder.waitForBeats(held + 5));
    EXPECT_GE(GetPosition(sync.handle()), held + 5);
  }
  StopSync(sync.handle());
  EXPECT_EQ(GetPosition(sync.handle()), recorder.beats());
  // The stop is announced from the timer's thread after StopSync returns: counted once it is
  // in, every notification is either a beat or that one.
  ASSERT_TRUE(recorder.waitFor(VX_NOTIFY_SYNC_DONE, 1, Clock::now() + kPatience));
  EXPECT_EQ(recorder.count(VX_NOTIFY_SYNC_DONE) + recorder.beats(), recorder.entries().size());
}

// Where the first beat after ReStartSync lies on the grid: with the phase kept, the rest of
// the beat in progress; without it, one whole period. Read from the beats' ideal times, so
// that a delivery held up on a loaded machine does not move what is measured.
TEST_F(SyncTimerTest, RestartKeepsThePhaseOnlyWhenAskedTo) {
  constexpr int64_t kPeriodNs = 500'000'000;
  const auto steady = [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
  };
  for (uint32_t keepPhase : {1u, 0u}) {
    SCOPED_TRACE(keepPhase);
    Recorder recorder;
    BeatRecorder beats;
    Sync sync(recorder);
    ASSERT_EQ(VxSetBeatSink(sync.handle(), beats.sink()), VX_OK);
    ASSERT_EQ(SetTempo(sync.handle(), kPeriodNs / 1000), VX_OK);
    const int64_t started = steady();
    StartSync(sync.handle());
    std::this_thread::sleep_for(std::chrono::nanoseconds(kPeriodNs * 7 / 10));
    const int64_t paused = steady();
    PauseSync(sync.handle(), keepPhase);
    std::this_thread::sleep_for(std::chrono::nanoseconds(kPeriodNs / 10));
    const int64_t restarted = steady();
    ReStartSync(sync.handle());
    ASSERT_TRUE(beats.waitForBeats(1));
    StopSync(sync.handle());
    const VxBeat first = beats.beats().front();
    // The phase at the pause: the time since the start (no beat had come by then).
    const int64_t expected =
        keepPhase ? restarted + kPeriodNs - (paused - started) : restarted + kPeriodNs;
    EXPECT_NEAR(double(first.idealNs), double(expected), 50e6)
        << "ms off: " << (first.idealNs - expected) / 1e6;
    EXPECT_EQ(first.position, 1u);
  }
}

TEST_F(SyncTimerTest, StopAndPauseWaitForTheBeatInFlight) {
  Recorder recorder;
  Sync sync(recorder);
  // A sink slower than the period keeps a beat in flight nearly all the time.
  recorder.onBeat([](size_t) { std::this_thread::sleep_for(3ms); });
  ASSERT_EQ(SetTempo(sync.handle(), 1000), VX_OK);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    const size_t before = recorder.beats();
    StartSync(sync.handle());
    ASSERT_TRUE(recorder.waitForBeats(before + 3));
    if (round % 2) {
      PauseSync(sync.handle(), 1);
    } else {
      StopSync(sync.handle());
    }
    const size_t atReturn = recorder.beats();
    EXPECT_EQ(GetPosition(sync.handle()), atReturn - before);
    EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, atReturn, 10ms));
    StopSync(sync.handle());
  }
}

TEST_F(SyncTimerTest, SetTempoRefusesZeroAndTooShortAPeriodAndKeepsOtherPeriods) {
  Recorder recorder;
  Sync sync(recorder);
  EXPECT_EQ(SetTempo(sync.handle(), 0), VX_REFUSED);
  EXPECT_EQ(GetTempo(sync.handle()), 500000u);
  EXPECT_EQ(SetTempo(sync.handle(), 1), VX_OUT_OF_RANGE);
  EXPECT_EQ(SetTempo(sync.handle(), VX_MIN_PERIOD_US - 1), VX_OUT_OF_RANGE);
  EXPECT_EQ(GetTempo(sync.handle()), 500000u);
  EXPECT_EQ(SetTempo(sync.handle(), VX_MIN_PERIOD_US), VX_OK);
  EXPECT_EQ(GetTempo(sync.handle()), VX_MIN_PERIOD_US);
  EXPECT_EQ(SetTempo(sync.handle(), 3906), VX_OK);
  EXPECT_EQ(GetTempo(sync.handle()), 3906u);
  EXPECT_EQ(SetTempo(sync.handle(), 0xFFFFFFFFu), VX_OK);
  EXPECT_EQ(GetTempo(sync.handle()), 0xFFFFFFFFu);
}

TEST_F(SyncTimerTest, AFractionalPeriodKeepsTheGridExactToTheNanosecond) {
  Recorder recorder;
  BeatRecorder beats;
  Sync sync(recorder);
  ASSERT_EQ(VxSetBeatSink(sync.handle(), beats.sink()), VX_OK);
  // 120 BPM at 64 beats per quarter note: 7812.5 us, which whole microseconds cannot hold.
  ASSERT_EQ(VxSetSyncPeriod(sync.handle(), 937500, 120, 0), VX_OK);
  EXPECT_EQ(GetTempo(sync.handle()), 7812u);
  StartSync(sync.handle());
  const uint32_t run = VxGetSyncRun(sync.handle());
  ASSERT_TRUE(beats.waitForBeats(64));
  StopSync(sync.handle());
  const std::vector<VxBeat> got = beats.beats();
  EXPECT_EQ(recorder.beats(), 0u) << "beats go to the beat sink only";
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].run, run);
    EXPECT_EQ(got[i].position, i + 1);
    EXPECT_EQ(got[i].idealNs - got[0].idealNs, int64_t(i) * 7'812'500);
  }
  EXPECT_NE(VxGetSyncRun(sync.handle()), run) << "a stop ends the run";
}

TEST_F(SyncTimerTest, APeriodChangeGoesOnFromTheGivenBeatInANewRun) {
  Recorder recorder;
  BeatRecorder beats;
  Sync sync(recorder);
  ASSERT_EQ(VxSetBeatSink(sync.handle(), beats.sink()), VX_OK);
  ASSERT_EQ(VxSetSyncPeriod(sync.handle(), 2000, 1, 0), VX_OK);
  StartSync(sync.handle());
  const uint32_t first = VxGetSyncRun(sync.handle());
  ASSERT_TRUE(beats.waitForBeats(8));
  // As a program that handles beat 3 late would: the grid goes on from beat 3's ideal time.
  ASSERT_EQ(VxSetSyncPeriod(sync.handle(), 3000, 1, 3), VX_OK);
  const uint32_t second = VxGetSyncRun(sync.handle());
  EXPECT_NE(second, first);
  ASSERT_TRUE(beats.waitForBeats(20));
  StopSync(sync.handle());
  std::vector<VxBeat> got = beats.beats();
  int64_t beat3 = 0;
  std::vector<VxBeat> later;
  for (const VxBeat &b : got) {
    if (b.run == first && b.position == 3) beat3 = b.idealNs;
    if (b.run == second) later.push_back(b);
  }
  ASSERT_NE(beat3, 0);
  ASSERT_GE(later.size(), 5u);
  for (size_t i = 0; i < later.size(); ++i) {
    EXPECT_EQ(later[i].position, 4 + i);
    EXPECT_EQ(later[i].idealNs, beat3 + int64_t(i + 1) * 3'000'000);
  }
  EXPECT_EQ(VxSetSyncPeriod(sync.handle(), 0, 1, 0), VX_REFUSED);
  EXPECT_EQ(VxSetSyncPeriod(sync.handle(), 937500, 0, 0), VX_REFUSED);
  EXPECT_EQ(VxSetSyncPeriod(sync.handle(), 937500, 3751, 0), VX_OUT_OF_RANGE) << "249.9 us";
  EXPECT_EQ(GetTempo(sync.handle()), 3000u);
  EXPECT_EQ(VxSetSyncPeriod(0, 3000, 1, 0), VX_REFUSED);
  EXPECT_EQ(VxGetSyncRun(0), 0u);
}

TEST_F(SyncTimerTest, EveryChangeOfTheBeatStreamStartsANewRun) {
  Recorder recorder;
  Sync sync(recorder);
  std::vector<uint32_t> runs{VxGetSyncRun(sync.handle())};
  ASSERT_EQ(SetTempo(sync.handle(), 1000), VX_OK);
  StartSync(sync.handle());
  runs.push_back(VxGetSyncRun(sync.handle()));
  PauseSync(sync.handle(), 1);
  runs.push_back(VxGetSyncRun(sync.handle()));
  ReStartSync(sync.handle());
  runs.push_back(VxGetSyncRun(sync.handle()));
  StopSync(sync.handle());
  runs.push_back(VxGetSyncRun(sync.handle()));
  for (size_t i = 1; i < runs.size(); ++i) EXPECT_NE(runs[i], runs[i - 1]) << i;
  ASSERT_EQ(VxSetSyncPeriod(sync.handle(), 2000, 1, 0), VX_OK);
  EXPECT_EQ(VxGetSyncRun(sync.handle()), runs.back()) << "a stopped timer's period only";
}

TEST_F(SyncTimerTest, ShorterPeriodWhileRunningComesWithoutABurst) {
  Recorder recorder;
  Sync sync(recorder);
  StartSync(sync.handle());  // 500 ms per beat
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, 0, 50ms));

  // Measured from the last beat, 25 beats of 2 ms are already past; none may be made up.
  const std::chrono::microseconds period{2000};
  const Clock::time_point changed = Clock::now();
  ASSERT_EQ(SetTempo(sync.handle(), period.count()), VX_OK);
  ASSERT_TRUE(recorder.waitForBeats(10));
  const size_t seen = recorder.beats();
  EXPECT_LE(seen, mostBeatsSince(changed, period) + 1);
}

TEST_F(SyncTimerTest, ResolutionIsStoredAndLeavesTheBeatRateAlone) {
  Recorder coarse;
  Recorder fine;
  Sync coarseSync(coarse);
  Sync fineSync(fine);
  EXPECT_EQ(SetResolution(coarseSync.handle(), 96), VX_OK);
  EXPECT_EQ(SetResolution(fineSync.handle(), 960), VX_OK);
  EXPECT_EQ(GetResolution(coarseSync.handle()), 96u);
  EXPECT_EQ(GetResolution(fineSync.handle()), 960u);

  const std::chrono::microseconds period{2000};
  ASSERT_EQ(SetTempo(coarseSync.handle(), period.count()), VX_OK);
  ASSERT_EQ(SetTempo(fineSync.handle(), period.count()), VX_OK);
  const Clock::time_point started = Clock::now();
  StartSync(coarseSync.handle());
  StartSync(fineSync.handle());
  ASSERT_TRUE(coarse.waitForBeats(100));
  ASSERT_TRUE(fine.waitForBeats(100));
  StopSync(coarseSync.handle());
  StopSync(fineSync.handle());
  const size_t most = mostBeatsSince(started, period);

  // Same period, same span: counts that differ by a factor would mean the resolution
  // scaled the rate.
  const double ratio = static_cast<double>(fine.beats()) / static_cast<double>(coarse.beats());
  EXPECT_GT(ratio, 0.8);
  EXPECT_LT(ratio, 1.25);
  EXPECT_LE(coarse.beats(), most);
  EXPECT_LE(fine.beats(), most);
}

TEST_F(SyncTimerTest, StalledDeliveryStillAnnouncesEveryBeatThenKeepsTheGrid) {
  Recorder recorder;
  Sync sync(recorder);
  const std::chrono::microseconds period{2000};
  std::atomic<bool> stalled{false};
  // The first beat's sink call stands for a machine that stops for 150 periods.
  recorder.onBeat([&](size_t index) {
    if (index != 1) return;
    std::this_thread::sleep_for(150 * period);
    stalled = true;
  });
  ASSERT_EQ(SetTempo(sync.handle(), period.count()), VX_OK);
  const Clock::time_point started = Clock::now();
  StartSync(sync.handle());
  ASSERT_TRUE(recorder.waitForBeats(1));
  ASSERT_TRUE(stalled);

  // Back from the stall the missed beats come one after another, not spread over another
  // 150 periods: the 150th is announced before the 300th period of the grid has begun, which
  // it would not be if the missed ones were spaced out again. Dropping or merging them would
  // leave the count near 1.
  ASSERT_TRUE(recorder.waitForBeats(200));
  const std::vector<Recorder::Entry> entries = recorder.entries();
  std::vector<Clock::time_point> beatTimes;
  for (const auto &e : entries)
    if (e.message == VX_NOTIFY_BEAT) beatTimes.push_back(e.at);
  EXPECT_LT(beatTimes[149] - started, 300 * period);
  StopSync(sync.handle());
  EXPECT_LE(recorder.beats(), mostBeatsSince(started, period));
  EXPECT_EQ(GetPosition(sync.handle()), recorder.beats());
}

TEST_F(SyncTimerTest, UnknownHandlesAnswerRefusal) {
  Recorder recorder;
  uint32_t closed;
  {
    Sync sync(recorder);
    closed = sync.handle();
  }
  for (uint32_t handle : {0u, 1u, VX_HANDLE_FAILED_MAX, 0xFFFFFFFFu, closed}) {
    SCOPED_TRACE(handle);
    EXPECT_EQ(SetTempo(handle, 1000), VX_REFUSED);
    EXPECT_EQ(SetResolution(handle, 96), VX_REFUSED);
    EXPECT_EQ(GetTempo(handle), 0u);
    EXPECT_EQ(GetResolution(handle), 0u);
    EXPECT_EQ(GetPosition(handle), 0u);
    StartSync(handle);
    PauseSync(handle, 1);
    ReStartSync(handle);
    StopSync(handle);
    CloseSync(handle);
  }
  EXPECT_EQ(recorder.entries().size(), 0u);
}

TEST_F(SyncTimerTest, CloseWhileRunningOrPausedJoinsWithNothingAfterIt) {
  for (bool pause : {false, true}) {
    SCOPED_TRACE(pause);
    Recorder recorder;
    Sync sync(recorder);
    ASSERT_EQ(SetTempo(sync.handle(), 1000), VX_OK);
    StartSync(sync.handle());
    ASSERT_TRUE(recorder.waitForBeats(5));
    if (pause) PauseSync(sync.handle(), 1);
    const uint32_t handle = sync.handle();
    sync.close();
    const size_t atClose = recorder.entries().size();
    EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, recorder.beats(), 20ms));
    EXPECT_EQ(recorder.entries().size(), atClose);
    EXPECT_EQ(GetTempo(handle), 0u);
  }
}

TEST_F(SyncTimerTest, ManyOpensAndClosesAtEveryStageJoinCleanly) {
  Recorder recorder;
  for (int round = 0; round < 50; ++round) {
    Sync sync(recorder);
    ASSERT_GT(sync.handle(), VX_HANDLE_FAILED_MAX);
    ASSERT_EQ(SetTempo(sync.handle(), VX_MIN_PERIOD_US), VX_OK);
    if (round % 3 != 0) StartSync(sync.handle());
    if (round % 3 == 2) StopSync(sync.handle());
  }
  const size_t atEnd = recorder.entries().size();
  EXPECT_TRUE(recorder.staysAt(VX_NOTIFY_BEAT, recorder.beats(), 20ms));
  EXPECT_EQ(recorder.entries().size(), atEnd);
}

}  // namespace
