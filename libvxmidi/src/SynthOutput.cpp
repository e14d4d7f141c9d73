#include "SynthOutput.h"

#include <fluidsynth.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <thread>

#include "Agenda.h"
#include "CycleClock.h"
#include "JackAudioClient.h"
#include "NotifyRelay.h"
#include "OpenFailure.h"
#include "SpscQueue.h"
#include "SystemQuiet.h"

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

// Messages put and not yet taken by the audio thread, and messages it holds for a later
// buffer. A full queue means the audio thread has not run for a long time (the sound server
// went away): puts are refused then, and room is announced when it runs again.
constexpr std::size_t kQueueSize = 4096;
// Hits a drummer plays between two buffers, and some.
constexpr std::size_t kHitQueueSize = 256;

// The frames FluidSynth renders a voice's start in: a note starts at the next multiple.
constexpr uint64_t kBlock = 64;

// Output buffers FluidSynth's drivers pass at most (stereo dry plus effects per channel).
constexpr int kMaxBuffers = 16;

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
  Impl(const std::string &soundfont, std::unique_ptr<Notifier> notifier);

  static int render(void *data, int len, int nfx, float *fx[], int nout, float *out[]);
  static void renderJack(void *data, jack_nframes_t frames, float *left, float *right,
                         const CycleHit *hits, int count);
  void renderCycle(int len, int nfx, float *fx[], int nout, float *out[], const CycleHit *hits,
                   int count);
  void renderPiece(int from, int to, int nfx, float *fx[], int nout, float *out[]);
  void apply(const Scheduled &entry);
  void applyBytes(const uint8_t *bytes, std::size_t length);
  bool enqueue(Scheduled entry);

  std::unique_ptr<Notifier> notifier;
  NotifyRelay relay;

  // Declared in the order of building, so that the driver (and with it the audio thread)
  // goes first, then the synthesizer, then the settings both were made from.
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
  SpscQueue<Scheduled, kQueueSize> queue;
  // Hits of the input that plays here from its own thread (takeHit): a second producer.
  SpscQueue<Scheduled, kHitQueueSize> hits;
  std::atomic<uint32_t> flushes{0};
  std::atomic<bool> foundFull{false};
  // Stamped messages put up to this sequence number are dropped (a reset).
  std::atomic<uint64_t> stampedDropped{0};
  // Producer side only: the flush count stamped on new entries, and the order of the puts.
  uint32_t generation = 0;
  uint64_t sequence = 0;
  std::string driverName;
  // Set once FluidSynth's own driver has found its server gone.
  std::atomic<bool> serverGone{false};
  static void driverError(int level, const char *message, void *data);

  // Audio thread only, after the driver starts.
  CycleClock clock{kDefaultSampleRate};
  // Frames rendered since the synthesizer was made: its 64-frame blocks begin at multiples.
  uint64_t rendered = 0;
  int periodFrames = 0;
  double latencyNs = 0;
  Agenda<kQueueSize> agenda;

  std::atomic<int64_t> publishedLatencyNs{0};
  std::atomic<uint64_t> late{0};

  std::unique_ptr<fluid_audio_driver_t, DriverDeleter> driver;
  // Our own JACK client when a JACK server runs; closed first, as the driver would be.
  std::unique_ptr<JackAudioClient> jack;
};

SynthOutput::Impl::Impl(const std::string &soundfont, std::unique_ptr<Notifier> given)
    : notifier(given ? std::move(given) : std::make_unique<Notifier>(nullptr)),
      relay(*notifier, VX_NOTIFY_OUT_ROOM),
      settings(new_fluid_settings()) {
  // FluidSynth writes its information messages to standard output, which belongs to the
  // program (the command-line tools print their results there).
  fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
  fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  // Its warnings (a voice that could not be allocated in a dense passage) are no failure of
  // ours to report either.
  fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
  // Its errors too: a driver that finds no sound server is what the open reports by its code.
  fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
  if (!settings) throw std::runtime_error("cannot create synthesizer settings");
  fluid_settings_t *s = settings.get();

  // With a JACK server the synthesizer renders in a client of ours, which can also read a
  // drummer's input port in the same cycle; FluidSynth's own drivers serve the other servers.
  auto jackClient = std::make_unique<JackAudioClient>();
  if (!jackClient->open()) jackClient.reset();
  const double sampleRate = jackClient ? jackClient->sampleRate() : kDefaultSampleRate;
  fluid_settings_setnum(s, "synth.sample-rate", sampleRate);
  // Only the audio thread calls the synthesizer once audio runs, so it needs no lock.
  fluid_settings_setint(s, "synth.threadsafe-api", 0);

  synth.reset(new_fluid_synth(s));
  if (!synth) throw std::runtime_error("cannot create the synthesizer");
  if (fluid_synth_sfload(synth.get(), soundfont.c_str(), 1) == FLUID_FAILED)
    throw OpenFailure(VX_OPEN_NO_SOUNDFONT, "cannot load soundfont " + soundfont);

  clock = CycleClock(sampleRate);

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
  if (jackClient) {
    periodFrames = static_cast<int>(jackClient->periodFrames());
    latencyNs = latencyFor(periodFrames, 1e9 / sampleRate);
    publishedLatencyNs.store(static_cast<int64_t>(latencyNs));
    jack = std::move(jackClient);
    // Without its server the synthesizer renders nothing more: the program is told.
    jack->onShutdown(
        [](void *impl) { static_cast<Impl *>(impl)->notifier->notify(VX_NOTIFY_DEVICE_LOST); },
        this);
    opened = jack->start(&Impl::renderJack, this);
    if (opened)
      driverName = "jack";
    else
      jack.reset();
  }
  if (!opened) {
    fluid_settings_setint(s, "audio.period-size", kPulsePeriodFrames);
    // An empty role keeps FluidSynth from setting an environment variable of the process.
    fluid_settings_setstr(s, "audio.pulseaudio.media-role", "");
    opened = open("pulseaudio", kPulsePeriodFrames);
  }
  if (!opened) {
    silenceAlsa();
    fluid_settings_setint(s, "audio.period-size", kAlsaPeriodFrames);
    fluid_settings_setint(s, "audio.periods", kAlsaPeriods);
    opened = open("alsa", kAlsaPeriodFrames);
  }
  if (!opened) throw OpenFailure(VX_OPEN_NO_AUDIO, "no audio output could be opened");
  // FluidSynth's own drivers tell of a server gone only in their log: the PulseAudio driver
  // (also PipeWire's PulseAudio service) says it could not write and ends its thread.
  if (!jack) fluid_set_log_function(FLUID_ERR, &Impl::driverError, this);
}

void SynthOutput::Impl::driverError(int, const char *message, void *data) {
  auto &self = *static_cast<Impl *>(data);
  if (message && std::strncmp(message, "Error writing to", 16) == 0 &&
      !self.serverGone.exchange(true))
    self.notifier->notify(VX_NOTIFY_DEVICE_LOST);
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
  self.renderCycle(len, nfx, fx, nout, out, nullptr, 0);
  return FLUID_OK;
}

void SynthOutput::Impl::renderJack(void *data, jack_nframes_t frames, float *left, float *right,
                                   const CycleHit *hits, int count) {
  float *out[2] = {left, right};
  static_cast<Impl *>(data)->renderCycle(static_cast<int>(frames), 0, nullptr, 2, out, hits, count);
}

// Hits of an input read in this very cycle are rendered at their own frame, with no latency
// of ours: they interleave with the agenda's messages by frame.
void SynthOutput::Impl::renderCycle(int len, int nfx, float *fx[], int nout, float *out[],
                                    const CycleHit *cycleHits, int count) {
  Impl &self = *this;
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

  // What was put since the last buffer joins the agenda; flushed messages leave it, and a
  // note-off put at once drops the note-ons of its key still waiting (their track was
  // switched off).
  const uint32_t flushes = self.flushes.load(std::memory_order_acquire);
  while (!self.agenda.full()) {
    const Scheduled *entry = self.queue.front();
    if (!entry) break;
    const Scheduled taken = *entry;
    self.queue.pop();
    if (taken.flushedBy(flushes)) continue;
    if (taken.noteOffKey() >= 0 && !taken.stamped) self.agenda.cancelNoteOns(taken);
    self.agenda.insert(taken);
  }
  // Hits taken from another thread wait the same latency as a put, from their arrival.
  while (!self.agenda.full()) {
    const Scheduled *entry = self.hits.front();
    if (!entry) break;
    self.agenda.insert(*entry);
    self.hits.pop();
  }
  self.agenda.dropFlushed(flushes);
  self.agenda.dropStamped(self.stampedDropped.load(std::memory_order_acquire));

  // FluidSynth starts a voice at the first of its 64-frame blocks at or after the moment the
  // note reaches it, and its blocks run on from its first frame. A hit of this cycle is handed
  // over so that its voice starts at the block boundary nearest its frame: no more than half
  // a block early or late, instead of up to a whole block late.
  const uint64_t cycleStart = self.rendered;
  const auto applyFrame = [&](uint32_t frame) {
    const uint64_t boundary = (cycleStart + frame + kBlock / 2) / kBlock * kBlock;
    const uint64_t from = boundary >= kBlock - 1 ? boundary - (kBlock - 1) : 0;
    return from <= cycleStart ? 0
                              : static_cast<int>(std::min<uint64_t>(from - cycleStart, len - 1));
  };
  int position = 0;
  int nextHit = 0;
  while (true) {
    int agendaFrame = len;
    bool lateEntry = false;
    if (!self.agenda.empty()) {
      const double offset = std::floor(self.clock.frameOffset(self.agenda.front().dueNs) +
                                       self.latencyNs / self.clock.nsPerFrame());
      if (offset < len) {
        lateEntry = offset < 0;
        agendaFrame = lateEntry ? position : std::max(position, static_cast<int>(offset));
      }
    }
    const int hitFrame =
        nextHit < count ? std::max(position, applyFrame(cycleHits[nextHit].frame)) : len;
    const int frame = std::min(agendaFrame, hitFrame);
    if (frame >= len) break;
    if (frame > position) {
      self.renderPiece(position, frame, nfx, fx, nout, out);
      position = frame;
    }
    if (hitFrame <= agendaFrame) {
      self.applyBytes(cycleHits[nextHit].message.bytes, cycleHits[nextHit].message.length);
      ++nextHit;
    } else {
      if (lateEntry) self.late.fetch_add(1, std::memory_order_relaxed);
      self.apply(self.agenda.front());
      self.agenda.popFront();
    }
  }
  if (position < len) self.renderPiece(position, len, nfx, fx, nout, out);

  if (self.foundFull.load(std::memory_order_acquire) && self.queue.size() < kQueueSize / 2) {
    self.foundFull.store(false, std::memory_order_release);
    self.relay.signal();
  }
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
  rendered += static_cast<uint64_t>(to - from);
}

void SynthOutput::Impl::apply(const Scheduled &entry) {
  fluid_synth_t *s = synth.get();
  if (entry.kind == Scheduled::Kind::Reset) {
    fluid_synth_all_notes_off(s, -1);
    fluid_synth_all_sounds_off(s, -1);
    for (int channel = 0; channel < 16; ++channel) fluid_synth_cc(s, channel, 121, 0);
    return;
  }
  applyBytes(entry.bytes, entry.length);
}

void SynthOutput::Impl::applyBytes(const uint8_t *bytes, std::size_t length) {
  fluid_synth_t *s = synth.get();
  const uint8_t status = bytes[0];
  const int channel = status & 0x0F;
  const int data1 = length > 1 ? bytes[1] & 0x7F : 0;
  const int data2 = length > 2 ? bytes[2] & 0x7F : 0;
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

bool SynthOutput::Impl::enqueue(Scheduled entry) {
  entry.sequence = ++sequence;
  entry.generation = generation;
  if (entry.dueNs == 0) entry.dueNs = nowNs();
  if (queue.push(entry)) return true;
  foundFull.store(true, std::memory_order_release);
  return false;
}

SynthOutput::SynthOutput(const std::string &soundfont, std::unique_ptr<Notifier> notifier)
    : impl_(std::make_unique<Impl>(soundfont, std::move(notifier))) {}

// The audio thread ends with the driver; no room is announced once the notifier is disarmed.
SynthOutput::~SynthOutput() {
  impl_->notifier->disarm();
  if (!impl_->jack) fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
}

std::chrono::nanoseconds SynthOutput::latency() const {
  return std::chrono::nanoseconds(impl_->publishedLatencyNs.load(std::memory_order_relaxed));
}

const std::string &SynthOutput::audioDriver() const {
  return impl_->driverName;
}

uint64_t SynthOutput::lateMessages() const {
  return lateAtPut_ + impl_->late.load(std::memory_order_relaxed);
}

// Stamped messages still waiting for their moment are dropped first, so that none starts a
// note after the reset; the synthesizer then ends every voice itself, so the notes the base
// class tracks need no note-offs of their own.
void SynthOutput::reset() {
  dropStamped();
  Scheduled entry;
  entry.kind = Scheduled::Kind::Reset;
  impl_->enqueue(entry);
}

void SynthOutput::dropStamped() {
  impl_->stampedDropped.store(impl_->sequence, std::memory_order_release);
}

void SynthOutput::flush() {
  impl_->generation = impl_->flushes.fetch_add(1, std::memory_order_release) + 1;
}

bool SynthOutput::send(const uint8_t *bytes, std::size_t length, int64_t dueNs) {
  Scheduled entry;
  entry.stamped = dueNs != 0;
  entry.dueNs = dueNs;
  entry.kind = Scheduled::Kind::Message;
  entry.length = static_cast<uint8_t>(std::min<std::size_t>(length, 3));
  std::memcpy(entry.bytes, bytes, entry.length);
  return impl_->enqueue(entry);
}

bool SynthOutput::takeHit(const uint8_t *bytes, std::size_t length, int64_t ns, int64_t) {
  Scheduled entry;
  entry.kind = Scheduled::Kind::Message;
  entry.dueNs = ns;
  // Ordered after every put: the agenda keeps put order among equal moments.
  entry.sequence = std::numeric_limits<uint64_t>::max();
  // Not stamped: no flush drops a hit, which is played as soon as it may.
  entry.length = static_cast<uint8_t>(std::min<std::size_t>(length, 3));
  std::memcpy(entry.bytes, bytes, entry.length);
  return impl_->hits.push(entry);
}

JackAudioClient *SynthOutput::jackClient() const {
  return impl_->jack.get();
}

}  // namespace vx
