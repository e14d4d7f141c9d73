// How evenly the sound-card test's scale reaches a device: the wizard's scale player
// (EscalaTeste, a timer of the user-interface thread) plays its 24 notes into a JACK MIDI
// port of this program, through the output facade and the real library. Each note-on is
// stamped twice: on the monotonic clock when the player sends it, and with the frame at
// which the port receives it. Figures on each timeline: the gap from one note-on to the
// next (the goal is 80 ms) and each note's error against the ideal grid first + 80 ms * k.
// The dummy driver's frame clock loses the time of an xrun, so received figures use only
// the runs without one. With --busy the user-interface thread is also kept busy 10 ms in
// every 16, as heavy painting would. A private "jackd -d dummy" is started unless a JACK
// server already answers. Prints figures; exits 0 whatever they are (1 when no JACK server
// can be reached, the port is not listed or the arguments are wrong).
//
//   scale_bench [--runs N] [--busy]
#include <jack/jack.h>
#include <jack/midiport.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "TVxMidi.h"
#include "midi/SaidaMIDI.h"
#include "setup/EscalaTeste.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kGoalGapMs = 80;
constexpr std::chrono::milliseconds kBusyEvery{16};
constexpr std::chrono::milliseconds kBusyFor{10};

struct Options {
  int runs = 5;
  bool busy = false;
};

bool parse(int argc, char **argv, Options &options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--busy") == 0) {
      options.busy = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      options.runs = std::atoi(argv[++i]);
      if (options.runs < 1 || options.runs > 100) return false;
    } else {
      return false;
    }
  }
  return true;
}

void quiet(const char *) {}

bool serverAnswers() {
  jack_client_t *probe = jack_client_open("scale-bench-probe", JackNoStartServer, nullptr);
  if (!probe) return false;
  jack_client_close(probe);
  return true;
}

// A JACK client with one MIDI input that stamps each note-on with its frame.
class Capture {
 public:
  Capture() {
    client_ = jack_client_open("scale-bench", JackNoStartServer, nullptr);
    if (!client_) return;
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &Capture::process, this);
    jack_set_xrun_callback(client_, &Capture::xrun, this);
    if (!port_ || jack_activate(client_) != 0) {
      jack_client_close(client_);
      client_ = nullptr;
      return;
    }
    rate_ = jack_get_sample_rate(client_);
  }
  ~Capture() {
    if (client_) jack_client_close(client_);
  }
  bool ready() const { return client_ != nullptr; }
  double rate() const { return rate_; }
  std::string portName() const { return jack_port_name(port_); }
  std::vector<uint64_t> noteOns() {
    std::lock_guard guard(lock_);
    return noteOns_;
  }
  void clear() {
    std::lock_guard guard(lock_);
    noteOns_.clear();
    xruns_ = 0;
  }
  int xruns() {
    std::lock_guard guard(lock_);
    return xruns_;
  }

 private:
  static int process(jack_nframes_t frames, void *arg) {
    auto &self = *static_cast<Capture *>(arg);
    const uint64_t start = jack_last_frame_time(self.client_);
    void *buffer = jack_port_get_buffer(self.port_, frames);
    const uint32_t n = jack_midi_get_event_count(buffer);
    std::lock_guard guard(self.lock_);
    for (uint32_t i = 0; i < n; ++i) {
      jack_midi_event_t e;
      if (jack_midi_event_get(&e, buffer, i) == 0 && e.size == 3 && (e.buffer[0] & 0xF0) == 0x90 &&
          e.buffer[2] > 0)
        self.noteOns_.push_back(start + e.time);
    }
    return 0;
  }

  static int xrun(void *arg) {
    auto &self = *static_cast<Capture *>(arg);
    std::lock_guard guard(self.lock_);
    ++self.xruns_;
    return 0;
  }

  jack_client_t *client_ = nullptr;
  jack_port_t *port_ = nullptr;
  double rate_ = 48000;
  int xruns_ = 0;
  std::mutex lock_;
  std::vector<uint64_t> noteOns_;
};

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const std::size_t i =
      std::min(values.size() - 1, static_cast<std::size_t>(std::ceil(p * values.size())) - 1);
  return values[i];
}

// Gaps and grid errors of the runs of one timeline; each run gives the times of its
// note-ons in ms after its first.
struct Figures {
  std::vector<double> gaps;
  std::vector<double> errors;
  std::vector<double> lengths;

  void add(const std::vector<double> &times) {
    if (times.size() < 2) return;
    for (std::size_t k = 1; k < times.size(); ++k) {
      gaps.push_back(times[k] - times[k - 1]);
      errors.push_back(std::abs(times[k] - kGoalGapMs * static_cast<double>(k)));
    }
    lengths.push_back(times.back());
  }

  void print(const char *timeline) const {
    std::printf("  %s, %zu run(s):\n", timeline, lengths.size());
    if (lengths.empty()) return;
    const auto [minGap, maxGap] = std::minmax_element(gaps.begin(), gaps.end());
    double mean = 0;
    for (double g : gaps) mean += g;
    mean /= static_cast<double>(gaps.size());
    std::printf("    note-on to note-on   mean %.2f ms  min %.2f  max %.2f  (goal %.0f)\n", mean,
                *minGap, *maxGap, kGoalGapMs);
    std::printf("    error against grid   median %.2f ms  p99 %.2f  max %.2f\n",
                percentile(errors, 0.5), percentile(errors, 0.99),
                *std::max_element(errors.begin(), errors.end()));
    std::printf("    first to last note   median %.1f ms  (goal %.0f)\n", percentile(lengths, 0.5),
                kGoalGapMs * (EscalaTeste::numNotas - 1));
  }
};

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: scale_bench [--runs N] [--busy]\n");
    return 1;
  }
  jack_set_error_function(quiet);
  jack_set_info_function(quiet);

  // A server of our own when none answers; stopped on the way out.
  QProcess jackd;
  if (!serverAnswers()) {
    const QString name = QStringLiteral("kovrinta-scale-bench-%1").arg(getpid());
    qputenv("JACK_DEFAULT_SERVER", name.toUtf8());
    jackd.setStandardOutputFile(QProcess::nullDevice());
    jackd.setStandardErrorFile(QProcess::nullDevice());
    jackd.start(QStringLiteral("jackd"),
                {"-n", name, "-S", "-d", "dummy", "-r", "48000", "-p", "128"});
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!serverAnswers() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!serverAnswers()) {
      std::fprintf(stderr, "scale_bench: no JACK server, and jackd -d dummy did not start\n");
      return 1;
    }
  }
  int result = 0;
  {
    Capture capture;
    if (!capture.ready()) {
      std::fprintf(stderr, "scale_bench: cannot open a JACK client\n");
      return 1;
    }
    TVxMidi::setLibraryFile(VXMIDI_LIBRARY);
    SaidaMIDI::setDispositivoInicial(-1);
    SaidaMIDI &saida = SaidaMIDI::instancia();
    const int device = static_cast<int>(
        saida.listarDispositivos().indexOf(QString::fromStdString("JACK " + capture.portName())));
    if (device < 0 || !saida.abrirDispositivo(device)) {
      std::fprintf(stderr, "scale_bench: the port %s cannot be opened as a device\n",
                   capture.portName().c_str());
      return 1;
    }

    // The load of a busy window: the thread is taken for kBusyFor in every kBusyEvery.
    QTimer busy;
    busy.setTimerType(Qt::PreciseTimer);
    QObject::connect(&busy, &QTimer::timeout, [] {
      const auto until = Clock::now() + kBusyFor;
      while (Clock::now() < until) {
      }
    });
    if (options.busy) busy.start(kBusyEvery);

    Figures sent;
    Figures received;
    int runsWithXruns = 0;
    EscalaTeste escala;
    std::vector<Clock::time_point> struck;
    QObject::connect(&escala, &EscalaTeste::notaTocada,
                     [&](int) { struck.push_back(Clock::now()); });
    for (int run = 0; run < options.runs; ++run) {
      // A probe note first: the port's connection to the capture is made some cycles after
      // the open, and what was sent before the run has arrived once the probe has.
      capture.clear();
      saida.enviarNoteOn(15, 1, 0);
      saida.enviarNoteOff(15, 0);
      const auto connected = Clock::now() + std::chrono::seconds(5);
      while (capture.noteOns().empty() && Clock::now() < connected)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (capture.noteOns().empty()) {
        std::fprintf(stderr, "scale_bench: the port never reached the capture\n");
        return 1;
      }
      capture.clear();
      struck.clear();
      QEventLoop loop;
      QObject::connect(&escala, &EscalaTeste::terminou, &loop, &QEventLoop::quit);
      escala.tocar();
      loop.exec();
      const auto deadline = Clock::now() + std::chrono::seconds(2);
      while (capture.noteOns().size() < EscalaTeste::numNotas && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

      std::vector<double> sentMs;
      for (const auto &t : struck)
        sentMs.push_back(std::chrono::duration<double, std::milli>(t - struck.front()).count());
      sent.add(sentMs);
      const std::vector<uint64_t> frames = capture.noteOns();
      if (frames.size() != EscalaTeste::numNotas) {
        std::fprintf(stderr, "scale_bench: run %d: %zu note-ons arrived, not %d\n", run + 1,
                     frames.size(), EscalaTeste::numNotas);
        result = 1;
        continue;
      }
      if (capture.xruns() > 0) {
        ++runsWithXruns;
        continue;
      }
      std::vector<double> receivedMs;
      for (uint64_t f : frames)
        receivedMs.push_back(static_cast<double>(f - frames.front()) * 1000.0 / capture.rate());
      received.add(receivedMs);
    }
    std::printf("scale_bench: %d run(s) of %d notes into a JACK port, period 128 at %.0f Hz%s\n",
                options.runs, EscalaTeste::numNotas, capture.rate(),
                options.busy ? ", window busy 10 ms in every 16" : "");
    sent.print("sent by the player");
    received.print("received by the port");
    std::printf("  runs left out of the received figures for an xrun: %d\n", runsWithXruns);
    saida.silenciar();
  }
  if (jackd.state() != QProcess::NotRunning) {
    jackd.terminate();
    jackd.waitForFinished(5000);
  }
  return result;
}
