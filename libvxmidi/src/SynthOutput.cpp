#include "SynthOutput.h"

#include <fluidsynth.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <thread>

#include "OpenFailure.h"
#include "SpscQueue.h"
#include "SynthClock.h"

namespace vx {

namespace {

using Clock = std::chrono::steady_clock;

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

// The latency is one audio period plus this margin: a message put just after a callback
// has read the queue must still find its frame ahead in the next buffer, although that
// callback may wake a little earlier than the smoothed estimate (up to 0.13 ms measured on
// a JACK dummy server at 128 frames). Large periods come with coarser scheduling, hence
// the quarter period.
double latencyFor(int periodFrames, double nsPerFrame) {
  const double periodNs = periodFrames * nsPerFrame;
  return periodNs + std::max(1e6, periodNs / 4);
}

// Callback lengths of the drivers that take the period from us (JACK sets its own). The
// PulseAudio size is the smallest that played without losing notes on a null sink; ALSA's
// is the common hardware period.
constexpr int kPulsePeriodFrames = 512;
constexpr int kAlsaPeriodFrames = 256;
constexpr int kAlsaPeriods = 4;
constexpr double kDefaultSampleRate = 48000;

// A full queue means the audio thread has not run for a long time; the producer waits this
// long for room before it drops the message.
constexpr auto kFullQueueWait = std::chrono::milliseconds(100);

// Output buffers FluidSynth's drivers pass at most (stereo dry plus effects per channel).
constexpr int kMaxBuffers = 16;

struct JackServerInfo {
  double sampleRate;
  uint32_t periodFrames;
};

void jackQuiet(const char *) {}

// A JACK server answers: its rate and period. Never starts one.
std::optional<JackServerInfo> runningJackServer() {
  // libjack prints every failed connection to stderr; no server is no error here, and the
  // device list silences JACK for the whole process the same way.
  jack_set_error_function(jackQuiet);
  jack_set_info_function(jackQuiet);
  jack_status_t status;
  jack_client_t *probe = jack_client_open("Kovrinta", JackNoStartServer, &status);
  if (!probe) return std::nullopt;
  JackServerInfo info{static_cast<double>(jack_get_sample_rate(probe)),
                      jack_get_buffer_size(probe)};
  jack_client_close(probe);
  return info;
}

struct SettingsDeleter {
  void operator()(fluid_settings_t *settings) const { delete_fluid_settings(settings); }
};
struct SynthDeleter {
  void operator()(fluid_synth_t *synth) const { delete_fluid_synth(synth); }
};
struct DriverDeleter {
  void operator()(fluid_audio_driver_t *driver) const { delete_fluid_audio_driver(driver); }
};

}  // namespace

struct SynthOutput::Impl {
  enum class Kind : uint8_t { Message, Reset };

  // One queued item: what to do and when it was asked for.
  struct Entry {
    int64_t putNs;
    // The flush count when it was put; an older one has been flushed.
    uint32_t generation;
    Kind kind;
    uint8_t length;
    uint8_t bytes[3];
  };

  explicit Impl(const std::string &soundfont);

  static int render(void *data, int len, int nfx, float *fx[], int nout, float *out[]);
  void renderPiece(int from, int to, int nfx, float *fx[], int nout, float *out[]);
  void apply(const Entry &entry);
  void enqueue(const Entry &entry);

  // Declared in the order of building, so that the driver (and with it the audio thread)
  // goes first, then the synthesizer, then the settings both were made from.
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
  SpscQueue<Entry, 4096> queue;
  std::atomic<uint32_t> flushes{0};
  // Producer side only: the flush count stamped on new entries, and whether the audio thread
  // was found stalled with the queue full.
  uint32_t generation = 0;
  bool stalled = false;
  std::string driverName;

  // Audio thread only, after the driver starts.
  SynthClock clock{kDefaultSampleRate};
  int periodFrames = 0;
  double latencyNs = 0;

  std::atomic<int64_t> publishedLatencyNs{0};
  std::atomic<uint64_t> late{0};
  std::atomic<uint64_t> dropped{0};

  std::unique_ptr<fluid_audio_driver_t, DriverDeleter> driver;
};

SynthOutput::Impl::Impl(const std::string &soundfont) : settings(new_fluid_settings()) {
  // FluidSynth writes its information messages to standard output, which belongs to the
  // program (the command-line tools print their results there).
  fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
  fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  if (!settings) throw std::runtime_error("cannot create synthesizer settings");
  fluid_settings_t *s = settings.get();

  const std::optional<JackServerInfo> jack = runningJackServer();
  const double sampleRate = jack ? jack->sampleRate : kDefaultSampleRate;
  fluid_settings_setnum(s, "synth.sample-rate", sampleRate);
  // Only the audio thread calls the synthesizer once audio runs, so it needs no lock.
  fluid_settings_setint(s, "synth.threadsafe-api", 0);

  synth.reset(new_fluid_synth(s));
  if (!synth) throw std::runtime_error("cannot create the synthesizer");
  if (fluid_synth_sfload(synth.get(), soundfont.c_str(), 1) == FLUID_FAILED)
    throw OpenFailure(VX_OPEN_NO_SOUNDFONT, "cannot load soundfont " + soundfont);

  clock = SynthClock(sampleRate);

  auto open = [&](const char *name, int expectedPeriod) {
    fluid_settings_setstr(s, "audio.driver", name);
    // The audio thread reads these before its first message; the driver starts it.
    periodFrames = expectedPeriod;
    latencyNs = latencyFor(expectedPeriod, 1e9 / sampleRate);
    publishedLatencyNs.store(static_cast<int64_t>(latencyNs));
    driver.reset(new_fluid_audio_driver2(s, &Impl::render, this));
    if (driver) driverName = name;
    return driver != nullptr;
  };

  bool opened = false;
  if (jack) {
    fluid_settings_setstr(s, "audio.jack.id", "Kovrinta");
    fluid_settings_setint(s, "audio.jack.autoconnect", 1);
    fluid_settings_setint(s, "audio.jack.multi", 0);
    opened = open("jack", static_cast<int>(jack->periodFrames));
  }
  if (!opened) {
    fluid_settings_setint(s, "audio.period-size", kPulsePeriodFrames);
    // An empty role keeps FluidSynth from setting an environment variable of the process.
    fluid_settings_setstr(s, "audio.pulseaudio.media-role", "");
    opened = open("pulseaudio", kPulsePeriodFrames);
  }
  if (!opened) {
    fluid_settings_setint(s, "audio.period-size", kAlsaPeriodFrames);
    fluid_settings_setint(s, "audio.periods", kAlsaPeriods);
    opened = open("alsa", kAlsaPeriodFrames);
  }
  if (!opened) throw OpenFailure(VX_OPEN_NO_AUDIO, "no audio output could be opened");
}

// The audio callback. It maps the buffer onto the monotonic clock, then renders it in
// pieces: up to the frame of the next due message, the message, on to the next. A message
// is due at its put time plus the latency, so every message is delayed by the same amount
// whatever the phase of the period it was put in. FluidSynth starts new voices at its
// 64-frame blocks only, so a note sounds 0 to 63 frames after its frame.
int SynthOutput::Impl::render(void *data, int len, int nfx, float *fx[], int nout, float *out[]) {
  auto &self = *static_cast<Impl *>(data);
  if (len <= 0 || nout < 2) return FLUID_OK;
  nout = std::min(nout - nout % 2, kMaxBuffers);
  nfx = std::min(nfx - nfx % 2, kMaxBuffers);
  self.clock.cycle(nowNs(), static_cast<uint32_t>(len));
  if (len > self.periodFrames) {
    // A longer buffer than expected: the next one may start that much later.
    self.periodFrames = len;
    self.latencyNs = latencyFor(len, self.clock.nsPerFrame());
    self.publishedLatencyNs.store(static_cast<int64_t>(self.latencyNs), std::memory_order_relaxed);
  }
  // FluidSynth mixes into the buffers; not every driver clears them.
  for (int i = 0; i < nout; ++i) std::memset(out[i], 0, sizeof(float) * len);
  for (int i = 0; i < nfx; ++i) std::memset(fx[i], 0, sizeof(float) * len);

  const uint32_t flushes = self.flushes.load(std::memory_order_acquire);
  int position = 0;
  while (const Entry *entry = self.queue.front()) {
    // Older than the last flush (compared so that the count may wrap); a message put after
    // a flush that this callback has not yet seen is kept.
    if (entry->kind == Kind::Message && static_cast<int32_t>(entry->generation - flushes) < 0) {
      self.queue.pop();
      continue;
    }
    const double offset =
        std::floor(self.clock.frameOffset(entry->putNs) + self.latencyNs / self.clock.nsPerFrame());
    if (offset >= len) break;
    int frame = position;
    if (offset < 0)
      self.late.fetch_add(1, std::memory_order_relaxed);
    else
      frame = std::max(position, static_cast<int>(offset));
    if (frame > position) {
      self.renderPiece(position, frame, nfx, fx, nout, out);
      position = frame;
    }
    self.apply(*entry);
    self.queue.pop();
  }
  if (position < len) self.renderPiece(position, len, nfx, fx, nout, out);
  return FLUID_OK;
}

void SynthOutput::Impl::renderPiece(int from, int to, int nfx, float *fx[], int nout,
                                    float *out[]) {
  float *dry[kMaxBuffers];
  float *wet[kMaxBuffers];
  for (int i = 0; i < nout; ++i) dry[i] = out[i] + from;
  int nwet = nfx;
  if (nfx > 0) {
    for (int i = 0; i < nfx; ++i) wet[i] = fx[i] + from;
  } else {
    // No separate effect buffers: reverb and chorus go into the first stereo pair.
    wet[0] = dry[0];
    wet[1] = dry[1];
    nwet = 2;
  }
  fluid_synth_process(synth.get(), to - from, nwet, wet, nout, dry);
}

void SynthOutput::Impl::apply(const Entry &entry) {
  fluid_synth_t *s = synth.get();
  if (entry.kind == Kind::Reset) {
    fluid_synth_all_notes_off(s, -1);
    fluid_synth_all_sounds_off(s, -1);
    for (int channel = 0; channel < 16; ++channel) fluid_synth_cc(s, channel, 121, 0);
    return;
  }
  const uint8_t status = entry.bytes[0];
  const int channel = status & 0x0F;
  const int data1 = entry.length > 1 ? entry.bytes[1] & 0x7F : 0;
  const int data2 = entry.length > 2 ? entry.bytes[2] & 0x7F : 0;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(s, channel, data1);
      break;
    case 0x90:
      if (data2 == 0)
        fluid_synth_noteoff(s, channel, data1);
      else
        fluid_synth_noteon(s, channel, data1, data2);
      break;
    case 0xA0:
      fluid_synth_key_pressure(s, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(s, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(s, channel, data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(s, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(s, channel, data1 | (data2 << 7));
      break;
    default:
      // Of the system messages only a system reset means something to a synthesizer.
      if (status == 0xFF) fluid_synth_system_reset(s);
      break;
  }
}

void SynthOutput::Impl::enqueue(const Entry &entry) {
  if (queue.push(entry)) {
    stalled = false;
    return;
  }
  // The audio thread empties the queue at every period: wait a little for it. When it has
  // stopped (the sound server went away), drop at once, so that a stream of messages does
  // not crawl through one wait each.
  if (!stalled) {
    const auto deadline = Clock::now() + kFullQueueWait;
    while (Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (queue.push(entry)) return;
    }
    stalled = true;
  }
  dropped.fetch_add(1, std::memory_order_relaxed);
}

SynthOutput::SynthOutput(const std::string &soundfont) : impl_(std::make_unique<Impl>(soundfont)) {}

SynthOutput::~SynthOutput() = default;

std::chrono::nanoseconds SynthOutput::latency() const {
  return std::chrono::nanoseconds(impl_->publishedLatencyNs.load(std::memory_order_relaxed));
}

const std::string &SynthOutput::audioDriver() const {
  return impl_->driverName;
}

uint64_t SynthOutput::lateMessages() const {
  return impl_->late.load(std::memory_order_relaxed);
}

uint64_t SynthOutput::droppedMessages() const {
  return impl_->dropped.load(std::memory_order_relaxed);
}

// The synthesizer ends every voice itself, so the notes the base class tracks need no
// note-offs of their own.
void SynthOutput::reset() {
  Impl::Entry entry{};
  entry.putNs = nowNs();
  entry.generation = impl_->generation;
  entry.kind = Impl::Kind::Reset;
  impl_->enqueue(entry);
}

void SynthOutput::flush() {
  impl_->generation = impl_->flushes.fetch_add(1, std::memory_order_release) + 1;
}

void SynthOutput::send(const uint8_t *bytes, std::size_t length) {
  Impl::Entry entry{};
  entry.putNs = nowNs();
  entry.generation = impl_->generation;
  entry.kind = Impl::Kind::Message;
  entry.length = static_cast<uint8_t>(std::min<std::size_t>(length, 3));
  std::memcpy(entry.bytes, bytes, entry.length);
  impl_->enqueue(entry);
}

}  // namespace vx
