#include "SyncTimer.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vx {

namespace {

// steady_clock reads CLOCK_MONOTONIC, so its time points are what clock_nanosleep takes.
using Clock = std::chrono::steady_clock;

// The last stretch before a deadline is slept with clock_nanosleep, which is the most exact
// wake-up but cannot be cut short; until then the thread waits on its condition variable so
// that a stop, a tempo change or teardown is seen at once. The stretch only has to cover how
// late a condition wait may wake.
constexpr std::chrono::microseconds kFinalStretch{1000};

// Above the desktop's interactive threads, below the kernel's own and JACK's (usually 80+).
constexpr int kRealtimePriority = 70;

void sleepUntil(Clock::time_point deadline) {
  const auto ns =
      std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
  const timespec when{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) == EINTR) {
  }
}

// Real-time scheduling where the system grants it (CAP_SYS_NICE or an rtprio limit);
// otherwise the thread stays an ordinary one.
void raisePriority(pthread_t thread) {
  sched_param param{};
  param.sched_priority = std::min(kRealtimePriority, sched_get_priority_max(SCHED_FIFO));
  pthread_setschedparam(thread, SCHED_FIFO, &param);
}

// An ordinary thread's wake-ups may be deferred by its timer slack (50 us by default) to
// coalesce them with others; the timer wants none. Real-time threads have none anyway.
void tightenTimerSlack() {
#if defined(__linux__)
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

enum class State { stopped, running, paused };

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

Clock::time_point timePoint(int64_t ns) {
  return Clock::time_point(
      std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns)));
}

}  // namespace

int64_t BeatPeriod::spanNs(uint64_t beats) const {
  // 2^32 beats of 2^32 us overflow 64 bits; the product is exact in 128.
  const unsigned __int128 ns = static_cast<unsigned __int128>(beats) * numeratorUs * 1000u;
  return static_cast<int64_t>(ns / denominator);
}

bool BeatPeriod::valid() const {
  return numeratorUs != 0 && denominator != 0 &&
         static_cast<uint64_t>(numeratorUs) >=
             static_cast<uint64_t>(VX_MIN_PERIOD_US) * denominator;
}

struct SyncTimer::Impl {
  explicit Impl(std::unique_ptr<Notifier> notifier) : notifier(std::move(notifier)) {}

  void run();
  // Calls the sink without the lock held, so entry points are never stuck behind it: a beat,
  // or VX_NOTIFY_SYNC_DONE for none.
  void announce(std::unique_lock<std::mutex> &held, const VxBeat *beat);
  // Waits until no announcement is in flight.
  void settle(std::unique_lock<std::mutex> &held);

  // When beat p of the current grid is due (p at or after anchorPosition).
  int64_t idealNs(uint32_t p) const { return anchorNs + period.spanNs(p - anchorPosition); }

  const std::unique_ptr<Notifier> notifier;

  mutable std::mutex lock;
  std::condition_variable wake;     // the timer thread waits on it
  std::condition_variable settled;  // entry points wait on it for an announcement to end
  State state = State::stopped;
  bool quit = false;
  bool doneDue = false;     // VX_NOTIFY_SYNC_DONE still to be announced
  bool announcing = false;  // the thread is inside the sink
  BeatPeriod period;
  // The grid: beat anchorPosition was due at anchorNs, and every later beat one period after
  // the one before, computed from the anchor so that no rounding adds up.
  uint32_t anchorPosition = 0;
  int64_t anchorNs = 0;
  int64_t pausedPhaseNs = 0;  // time into the current beat when paused
  uint16_t resolution = 96;
  uint32_t position = 0;
  uint32_t runNumber = 1;

  std::thread thread;
};

void SyncTimer::Impl::announce(std::unique_lock<std::mutex> &held, const VxBeat *beat) {
  announcing = true;
  held.unlock();
  try {
    if (notifier) {
      if (beat)
        notifier->notifyBeat(*beat);
      else
        notifier->notify(VX_NOTIFY_SYNC_DONE);
    }
  } catch (...) {
    // A failing lock inside the notifier must not end the thread; the notification is lost.
  }
  held.lock();
  announcing = false;
  settled.notify_all();
}

void SyncTimer::Impl::settle(std::unique_lock<std::mutex> &held) {
  settled.wait(held, [this] { return !announcing; });
}

// Each deadline is computed from the grid's anchor, so the grid holds however late any single
// wake-up is. A wake-up later than a whole period announces every missed beat in turn before
// sleeping again. The deadline is looked at anew after every wait: the grid may have changed.
void SyncTimer::Impl::run() {
  tightenTimerSlack();
  std::unique_lock held(lock);
  while (!quit) {
    if (doneDue) {
      doneDue = false;
      announce(held, nullptr);
      continue;
    }
    if (state != State::running) {
      wake.wait(held);
      continue;
    }
    const int64_t due = idealNs(position + 1);
    const int64_t now = nowNs();
    if (now < due) {
      if (due - now > std::chrono::nanoseconds(kFinalStretch).count()) {
        wake.wait_until(held, timePoint(due) - kFinalStretch);
      } else {
        held.unlock();
        sleepUntil(timePoint(due));
        held.lock();
      }
      continue;
    }
    ++position;
    const VxBeat beat{runNumber, position, due};
    announce(held, &beat);
  }
}

SyncTimer::SyncTimer(std::unique_ptr<Notifier> notifier)
    : impl_(std::make_unique<Impl>(std::move(notifier))) {
  Impl *impl = impl_.get();
  impl_->thread = std::thread([impl] { impl->run(); });
  // From here, so that the thread has its priority once OpenSync returns.
  raisePriority(impl_->thread.native_handle());
}

// Disarming first means the thread can be inside the sink for at most the call in flight,
// and never enters it again; then it sees quit at its next look and returns.
SyncTimer::~SyncTimer() {
  {
    std::lock_guard held(impl_->lock);
    impl_->quit = true;
    impl_->state = State::stopped;
  }
  impl_->wake.notify_all();
  if (impl_->notifier) impl_->notifier->disarm();
  impl_->thread.join();
}

void SyncTimer::start() {
  std::unique_lock held(impl_->lock);
  impl_->settle(held);
  impl_->state = State::running;
  impl_->position = 0;
  impl_->anchorPosition = 0;
  impl_->anchorNs = nowNs();
  ++impl_->runNumber;
  held.unlock();
  impl_->wake.notify_all();
}

void SyncTimer::stop() {
  std::unique_lock held(impl_->lock);
  if (impl_->state == State::stopped) return;
  impl_->state = State::stopped;
  impl_->doneDue = true;
  ++impl_->runNumber;
  impl_->wake.notify_all();
  impl_->settle(held);
}

void SyncTimer::pause(bool keepPhase) {
  std::unique_lock held(impl_->lock);
  if (impl_->state != State::running) return;
  impl_->state = State::paused;
  ++impl_->runNumber;
  // At most one overdue beat is kept for restart(); pausing creates no burst.
  const int64_t phase = nowNs() - impl_->idealNs(impl_->position);
  impl_->pausedPhaseNs =
      keepPhase ? std::clamp<int64_t>(phase, 0, impl_->period.spanNs(1)) : int64_t{0};
  impl_->wake.notify_all();
  impl_->settle(held);
}

void SyncTimer::restart() {
  std::unique_lock held(impl_->lock);
  if (impl_->state != State::paused) return;
  // The period may have shrunk while paused: the beat in progress never lasts longer than it.
  const int64_t phase = std::min(impl_->pausedPhaseNs, impl_->period.spanNs(1));
  impl_->anchorPosition = impl_->position;
  impl_->anchorNs = nowNs() - phase;
  impl_->state = State::running;
  ++impl_->runNumber;
  held.unlock();
  impl_->wake.notify_all();
}

bool SyncTimer::setPeriod(BeatPeriod period) {
  if (!period.valid()) return false;
  std::unique_lock held(impl_->lock);
  Impl &m = *impl_;
  const int64_t now = nowNs();
  const int64_t last = m.idealNs(m.position);
  const bool overdue = m.idealNs(m.position + 1) <= now;
  m.period = period;
  m.anchorPosition = m.position;
  m.anchorNs = last;
  if (m.state == State::running && !overdue) {
    // The next beat is due one new period after the last; when a much shorter period puts
    // that in the past, it comes now and the grid goes on from here instead of bursting out
    // beats that were never due under either period. Beats already overdue (a stalled
    // machine) are left for the thread to announce.
    m.anchorNs = std::max(m.anchorNs, now - period.spanNs(1));
  }
  held.unlock();
  m.wake.notify_all();
  return true;
}

bool SyncTimer::setPeriodFrom(BeatPeriod period, uint32_t fromPosition) {
  if (!period.valid()) return false;
  std::unique_lock held(impl_->lock);
  Impl &m = *impl_;
  m.settle(held);
  if (m.state == State::running) {
    const uint32_t from = std::clamp(fromPosition, m.anchorPosition, m.position);
    m.anchorNs = m.idealNs(from);
    m.anchorPosition = from;
    m.position = from;
    ++m.runNumber;
  }
  m.period = period;
  held.unlock();
  m.wake.notify_all();
  return true;
}

BeatPeriod SyncTimer::period() const {
  std::lock_guard held(impl_->lock);
  return impl_->period;
}

void SyncTimer::setResolution(uint16_t ticksPerQuarter) {
  std::lock_guard held(impl_->lock);
  impl_->resolution = ticksPerQuarter;
}

uint16_t SyncTimer::resolution() const {
  std::lock_guard held(impl_->lock);
  return impl_->resolution;
}

uint32_t SyncTimer::position() const {
  std::lock_guard held(impl_->lock);
  return impl_->position;
}

uint32_t SyncTimer::run() const {
  std::lock_guard held(impl_->lock);
  return impl_->runNumber;
}

void SyncTimer::setBeatSink(const VxBeatSink *sink) {
  if (impl_->notifier) impl_->notifier->setBeatSink(sink);
}

}  // namespace vx
