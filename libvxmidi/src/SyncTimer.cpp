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

}  // namespace

struct SyncTimer::Impl {
  explicit Impl(std::unique_ptr<Notifier> notifier) : notifier(std::move(notifier)) {}

  void run();
  // Calls the sink without the lock held, so entry points are never stuck behind it.
  void announce(std::unique_lock<std::mutex> &held, uint32_t message);
  // Waits until no announcement is in flight.
  void settle(std::unique_lock<std::mutex> &held);

  const std::unique_ptr<Notifier> notifier;

  mutable std::mutex lock;
  std::condition_variable wake;     // the timer thread waits on it
  std::condition_variable settled;  // entry points wait on it for an announcement to end
  State state = State::stopped;
  bool quit = false;
  bool doneDue = false;     // VX_NOTIFY_SYNC_DONE still to be announced
  bool announcing = false;  // the thread is inside the sink
  std::chrono::microseconds period{500000};
  Clock::time_point anchor;       // the last deadline; the next beat is due one period later
  Clock::duration pausedPhase{};  // time into the current beat when paused
  uint16_t resolution = 96;
  uint32_t position = 0;

  std::thread thread;
};

void SyncTimer::Impl::announce(std::unique_lock<std::mutex> &held, uint32_t message) {
  announcing = true;
  held.unlock();
  try {
    if (notifier) notifier->notify(message);
  } catch (...) {
    // A failing lock inside the notifier must not end the thread; the beat is lost.
  }
  held.lock();
  announcing = false;
  settled.notify_all();
}

void SyncTimer::Impl::settle(std::unique_lock<std::mutex> &held) {
  settled.wait(held, [this] { return !announcing; });
}

// Deadlines are anchor + period, with anchor moved by exactly one period per beat, so the
// grid start + k * period holds however late any single wake-up is. A wake-up later than
// a whole period announces every missed beat in turn before sleeping again.
void SyncTimer::Impl::run() {
  tightenTimerSlack();
  std::unique_lock held(lock);
  while (!quit) {
    if (doneDue) {
      doneDue = false;
      announce(held, VX_NOTIFY_SYNC_DONE);
      continue;
    }
    if (state != State::running) {
      wake.wait(held);
      continue;
    }
    const Clock::time_point due = anchor + period;
    const Clock::time_point now = Clock::now();
    if (now < due) {
      if (due - now > kFinalStretch) {
        wake.wait_until(held, due - kFinalStretch);
      } else {
        held.unlock();
        sleepUntil(due);
        held.lock();
      }
      continue;  // the state may have changed meanwhile
    }
    anchor = due;
    ++position;
    announce(held, VX_NOTIFY_BEAT);
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
  impl_->anchor = Clock::now();
  held.unlock();
  impl_->wake.notify_all();
}

void SyncTimer::stop() {
  std::unique_lock held(impl_->lock);
  if (impl_->state == State::stopped) return;
  impl_->state = State::stopped;
  impl_->doneDue = true;
  impl_->wake.notify_all();
  impl_->settle(held);
}

void SyncTimer::pause(bool keepPhase) {
  std::unique_lock held(impl_->lock);
  if (impl_->state != State::running) return;
  impl_->state = State::paused;
  // At most one overdue beat is kept for restart(); pausing creates no burst.
  const Clock::duration phase = Clock::now() - impl_->anchor;
  impl_->pausedPhase =
      keepPhase ? std::min<Clock::duration>(phase, impl_->period) : Clock::duration::zero();
  impl_->wake.notify_all();
  impl_->settle(held);
}

void SyncTimer::restart() {
  std::unique_lock held(impl_->lock);
  if (impl_->state != State::paused) return;
  // The period may have shrunk while paused: the beat in progress never lasts longer than it.
  const Clock::duration phase = std::min<Clock::duration>(impl_->pausedPhase, impl_->period);
  impl_->anchor = Clock::now() - phase;
  impl_->state = State::running;
  held.unlock();
  impl_->wake.notify_all();
}

bool SyncTimer::setPeriod(std::chrono::microseconds period) {
  if (period <= std::chrono::microseconds::zero()) return false;
  std::unique_lock held(impl_->lock);
  const Clock::time_point now = Clock::now();
  const bool overdue = impl_->anchor + impl_->period <= now;
  impl_->period = period;
  if (impl_->state == State::running && !overdue) {
    // The next beat is due one new period after the last; when a much shorter period puts
    // that in the past, it comes now and the grid goes on from here instead of bursting out
    // beats that were never due under either period. Beats already overdue (a stalled
    // machine) are left for the thread to announce.
    impl_->anchor = std::max(impl_->anchor, now - Clock::duration(period));
  }
  held.unlock();
  impl_->wake.notify_all();
  return true;
}

std::chrono::microseconds SyncTimer::period() const {
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

}  // namespace vx
