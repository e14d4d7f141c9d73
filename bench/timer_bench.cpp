// How evenly beats of the library's timer reach the user-interface thread, and whether they
// drift: one timer at a tempo of 64 beats per quarter note (240 BPM unless told otherwise; a
// file's microseconds per quarter note with --file-tempo), each beat stamped in the handler of
// the toolkit's notifier and measured against the exact ideal grid start + k * period. Prints
// figures beside their goals; exits 0 whatever they are (1 only when the timer cannot be
// opened or the arguments are wrong).
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <sched.h>

#include "TVxMidiNotifier.h"
#include "VxMidi.h"
#include "timing/Analise.h"

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

// The period between beats as the sequencer gives it to the timer, exactly: numerator /
// denominator microseconds (937500 / BPM for a tempo in beats per minute, microseconds per
// quarter note / 64 for a file's tempo).
struct Period {
  uint32_t numerator = 937500;
  uint32_t denominator = 240;
  // The ideal time of beat k after the start, in nanoseconds.
  Clock::duration of(int64_t k) const {
    return std::chrono::nanoseconds(k * int64_t{numerator} * 1000 / denominator);
  }
  double microseconds() const { return double(numerator) / denominator; }
};
Period kPeriod;

constexpr double kGoalP99Us = 200;
constexpr double kGoalDriftPpm = 2;
constexpr double kGoalMaxUs = 1000;
constexpr double kGoalDriftUs = 100;
constexpr std::chrono::milliseconds kBusyEvery{16};
constexpr std::chrono::milliseconds kBusyFor{2};
// Beats averaged at each end of the run for the drift figure: one second at 240 BPM.
constexpr size_t kDriftWindow = 256;

struct Options {
  double seconds = 20;
  bool busy = false;
};

bool parse(int argc, char **argv, Options &options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--busy") == 0) {
      options.busy = true;
    } else if (std::strcmp(argv[i], "--bpm") == 0 && i + 1 < argc) {
      const int bpm = std::atoi(argv[++i]);
      if (bpm < 1 || bpm > 960) return false;
      kPeriod = {937500, static_cast<uint32_t>(bpm)};
    } else if (std::strcmp(argv[i], "--file-tempo") == 0 && i + 1 < argc) {
      const long us = std::atol(argv[++i]);
      if (us < 62500 || us > 0xFFFFFF) return false;
      kPeriod = {static_cast<uint32_t>(us), 64};
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      char *end = nullptr;
      options.seconds = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(options.seconds > 0) || options.seconds > 3600) return false;
    } else {
      return false;
    }
  }
  return true;
}

// Stamps each beat on the timer's own thread, then hands it on to the toolkit's sink; the
// gap between the two stamps is the cost of crossing to the user-interface thread.
struct Tap {
  VxNotifySink downstream{};
  std::vector<Clock::time_point> stamps;
  std::atomic<size_t> count{0};

  static void notify(void *context, uint32_t message, uint32_t handle) {
    auto *tap = static_cast<Tap *>(context);
    if (message == VX_NOTIFY_BEAT) {
      const size_t i = tap->count.load(std::memory_order_relaxed);
      if (i < tap->stamps.size()) {
        tap->stamps[i] = Clock::now();
        tap->count.store(i + 1, std::memory_order_release);
      }
    }
    tap->downstream.notify(tap->downstream.context, message, handle);
  }
};

// Errors in microseconds of beat k (1-based) at stamps[k-1] against start + k * period.
std::vector<double> gridErrors(const std::vector<Clock::time_point> &stamps, size_t count,
                               Clock::time_point start) {
  std::vector<double> errors;
  errors.reserve(count);
  for (size_t k = 1; k <= count; ++k) {
    const Clock::time_point ideal = start + kPeriod.of(static_cast<int64_t>(k));
    errors.push_back(Micros(stamps[k - 1] - ideal).count());
  }
  return errors;
}

// Nearest-rank percentile of an unsorted sample.
double percentile(std::vector<double> sample, double q) {
  if (sample.empty()) return NAN;
  std::sort(sample.begin(), sample.end());
  const auto rank = static_cast<size_t>(std::ceil(q * static_cast<double>(sample.size())));
  return sample[std::clamp<size_t>(rank, 1, sample.size()) - 1];
}

double median(std::vector<double>::const_iterator from, std::vector<double>::const_iterator to) {
  return percentile(std::vector<double>(from, to), 0.5);
}

const char *verdict(double value, double goal) {
  if (std::isnan(value)) return "no data";
  return std::fabs(value) < goal ? "met" : "missed";
}

// Beats later than a whole period mark a stall of the machine rather than of the timer.
void printErrors(const char *what, const std::vector<double> &errors) {
  const auto late = std::count_if(errors.begin(), errors.end(),
                                  [](double e) { return e > kPeriod.microseconds(); });
  std::printf("  %-28s p50 %8.1f   p99 %8.1f   max %8.1f   over a period: %td\n", what,
              percentile(errors, 0.5), percentile(errors, 0.99), percentile(errors, 1.0), late);
}

// Slope through the medians of blocks of kDriftWindow beats, in microseconds per beat.
double robustSlope(const std::vector<double> &errors) {
  std::vector<double> beats(errors.size());
  for (size_t i = 0; i < beats.size(); ++i) beats[i] = static_cast<double>(i + 1);
  return bench::inclinacaoRobusta(beats, errors, kDriftWindow);
}

// Drift: how far the grid error moved from the start of the run to its end, measured two
// ways, both robust against single late beats: medians of one second of beats at either end,
// and the slope through the medians of such blocks.
void printDrift(const char *what, const std::vector<double> &errors, double seconds) {
  const size_t window = std::min(kDriftWindow, errors.size() / 2);
  double drift = NAN;
  if (window > 0) {
    drift = median(errors.end() - static_cast<ptrdiff_t>(window), errors.end()) -
            median(errors.begin(), errors.begin() + static_cast<ptrdiff_t>(window));
  }
  std::printf("drift over %.1f s, %s:\n", seconds, what);
  std::printf("  median of the last %zu beats minus the first %zu: %7.1f us (goal < %.0f us: %s)\n",
              window, window, drift, kGoalDriftUs, verdict(drift, kGoalDriftUs));
  const double robust = robustSlope(errors) / kPeriod.microseconds() * 1e6;
  std::printf(
      "  slope through the medians of %zu-beat blocks:    %+.2f ppm (goal under %.0f ppm: %s)\n",
      kDriftWindow, robust, kGoalDriftPpm, verdict(std::fabs(robust), kGoalDriftPpm));
}

// The timer asks for SCHED_FIFO and falls back silently; this says which it got.
void printScheduling() {
  std::error_code failed;
  for (const auto &task : std::filesystem::directory_iterator("/proc/self/task", failed)) {
    const pid_t tid = static_cast<pid_t>(std::atoi(task.path().filename().c_str()));
    sched_param param{};
    if (sched_getscheduler(tid) == SCHED_FIFO && sched_getparam(tid, &param) == 0) {
      std::printf("timer thread: SCHED_FIFO, priority %d\n", param.sched_priority);
      return;
    }
  }
  std::printf("timer thread: ordinary scheduling (real-time priority not granted)\n");
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: timer_bench [--seconds N] [--busy] [--bpm BPM | --file-tempo US]\n");
    return 1;
  }

  const auto span =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
  const size_t room = static_cast<size_t>(span / kPeriod.of(1)) + 64;

  std::vector<Clock::time_point> delivered;
  delivered.reserve(room);
  bool done = false;
  TVxMidiNotifier notifier([&](uint32_t message) {
    if (message == VX_NOTIFY_BEAT) {
      if (delivered.size() < room) delivered.push_back(Clock::now());
    } else if (message == VX_NOTIFY_SYNC_DONE) {
      done = true;
      app.quit();
    }
  });
  Tap tap;
  tap.downstream = *notifier.sink();
  tap.stamps.resize(room);
  const VxNotifySink sink{&Tap::notify, &tap};

  const uint32_t handle = OpenSync(0, &sink, 0, 2);
  if (handle <= VX_HANDLE_FAILED_MAX) {
    std::fprintf(stderr, "timer_bench: OpenSync failed (%u)\n", handle);
    return 1;
  }
  if (VxSetSyncPeriod(handle, kPeriod.numerator, kPeriod.denominator, 0) != VX_OK) {
    std::fprintf(stderr, "timer_bench: the timer refused %u / %u us\n", kPeriod.numerator,
                 kPeriod.denominator);
    CloseSync(handle);
    return 1;
  }

  // Two milliseconds of work in every sixteen, like a user interface repainting.
  QTimer busy;
  busy.setTimerType(Qt::PreciseTimer);
  busy.setInterval(kBusyEvery);
  QObject::connect(&busy, &QTimer::timeout, [] {
    const Clock::time_point until = Clock::now() + kBusyFor;
    while (Clock::now() < until) {
    }
  });
  if (options.busy) busy.start();

  Clock::time_point start;
  Clock::time_point stopped;
  Micros startCall{};
  QTimer::singleShot(0, &app, [&] {
    start = Clock::now();
    StartSync(handle);
    startCall = Clock::now() - start;
    // Stopping half a period past a beat leaves no doubt which beats were due.
    const auto runFor =
        std::chrono::duration_cast<std::chrono::milliseconds>(span + kPeriod.of(1) / 2);
    QTimer::singleShot(runFor, Qt::PreciseTimer, &app, [&] {
      stopped = Clock::now();
      StopSync(handle);
      // SYNC_DONE ends the loop once every beat before it is handled; this is the backstop.
      QTimer::singleShot(std::chrono::seconds(2), &app, &QCoreApplication::quit);
    });
  });
  app.exec();

  const auto expected = static_cast<size_t>((stopped - start) / kPeriod.of(1));
  const size_t received = delivered.size();
  const size_t tapped = std::min(tap.count.load(std::memory_order_acquire), room);
  const std::vector<double> errors = gridErrors(delivered, received, start);
  const std::vector<double> wakes = gridErrors(tap.stamps, tapped, start);

  std::printf("timer_bench: %.2f BPM, period %u / %u = %.4f us, %.1f s, user-interface thread %s\n",
              937500.0 / kPeriod.microseconds(), kPeriod.numerator, kPeriod.denominator,
              kPeriod.microseconds(), options.seconds,
              options.busy ? "busy 2 ms in every 16 ms" : "idle");
  std::printf("beats: expected %zu, received %zu on the user-interface thread%s\n", expected,
              received, done ? "" : " (no SYNC_DONE seen)");
  std::printf("error against start + k * period, microseconds (StartSync took %.1f us):\n",
              startCall.count());
  printErrors("handled on the UI thread", errors);
  printErrors("woken on the timer thread", wakes);
  std::vector<double> crossing;
  for (size_t i = 0; i < std::min(received, tapped); ++i) crossing.push_back(errors[i] - wakes[i]);
  printErrors("timer thread to UI handler", crossing);

  const double p99 = percentile(errors, 0.99);
  const double max = percentile(errors, 1.0);
  std::printf("goal p99 < %.0f us: %s; goal max < %.0f us: %s\n", kGoalP99Us,
              verdict(p99, kGoalP99Us), kGoalMaxUs, verdict(max, kGoalMaxUs));

  printDrift("handled on the UI thread", errors, options.seconds);
  printDrift("woken on the timer thread", wakes, options.seconds);
  printScheduling();
  CloseSync(handle);
  return 0;
}
