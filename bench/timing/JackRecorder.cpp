#include "JackRecorder.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace bench {

namespace {

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

JackRecorder::JackRecorder(const std::string &name, double seconds) {
  jack_status_t status{};
  client_ = jack_client_open(
      name.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
  if (!client_) return;
  rate_ = jack_get_sample_rate(client_);
  period_ = jack_get_buffer_size(client_);
  peaks_.assign(static_cast<std::size_t>(seconds * rate_), 0.0f);
  cycles_.resize(peaks_.size() / std::max<uint32_t>(period_, 1) + 16);
  midi_.resize(100000);
  midiIn_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  audioIn_[0] = jack_port_register(client_, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  audioIn_[1] = jack_port_register(client_, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  jack_set_process_callback(client_, &JackRecorder::process, this);
  jack_set_xrun_callback(client_, &JackRecorder::xrun, this);
  if (!midiIn_ || !audioIn_[0] || !audioIn_[1] || jack_activate(client_) != 0) {
    jack_client_close(client_);
    client_ = nullptr;
  }
}

JackRecorder::~JackRecorder() {
  if (client_) jack_client_close(client_);
}

std::string JackRecorder::midiInput() const {
  return midiIn_ ? jack_port_name(midiIn_) : "";
}

int JackRecorder::connectAudio(const std::regex &pattern) {
  const char **ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
  if (!ports) return 0;
  int connected = 0;
  for (int i = 0; ports[i]; ++i) {
    if (!std::regex_search(ports[i], pattern)) continue;
    jack_port_t *target = audioIn_[connected % 2];
    if (jack_connect(client_, ports[i], jack_port_name(target)) == 0 ||
        jack_port_connected_to(target, ports[i]))
      ++connected;
  }
  jack_free(ports);
  return connected;
}

void JackRecorder::start() {
  recording_.store(false);
  frames_.store(0);
  cycleCount_.store(0);
  midiCount_.store(0);
  xruns_.store(0);
  std::fill(peaks_.begin(), peaks_.end(), 0.0f);
  recording_.store(true);
}

void JackRecorder::stop() {
  recording_.store(false);
}

std::vector<JackRecorder::Midi> JackRecorder::midi() const {
  return std::vector<Midi>(midi_.begin(), midi_.begin() + midiCount_.load());
}

double JackRecorder::wallOfFrameNs(std::size_t frame) const {
  const std::size_t count = cycleCount_.load();
  if (count == 0) return 0;
  auto it = std::upper_bound(cycles_.begin(), cycles_.begin() + count, frame,
                             [](std::size_t f, const Cycle &c) { return f < c.first; });
  const std::size_t at = it == cycles_.begin() ? 0 : (it - cycles_.begin()) - 1;
  const std::size_t from = at > 24 ? at - 24 : 0;
  const std::size_t to = std::min(count, at + 25);
  double best = 1e300;
  for (std::size_t i = from; i < to; ++i) {
    const double offsetNs = (double(frame) - double(cycles_[i].first)) * 1e9 / rate_;
    best = std::min(best, double(cycles_[i].wakeNs) + offsetNs);
  }
  return best;
}

int JackRecorder::xrun(void *data) {
  auto &self = *static_cast<JackRecorder *>(data);
  if (self.recording_.load()) self.xruns_.fetch_add(1);
  return 0;
}

int JackRecorder::process(jack_nframes_t frames, void *data) {
  auto &self = *static_cast<JackRecorder *>(data);
  const int64_t wake = nowNs();
  void *midiBuffer = jack_port_get_buffer(self.midiIn_, frames);
  if (!self.recording_.load(std::memory_order_acquire)) return 0;
  const std::size_t at = self.frames_.load(std::memory_order_relaxed);
  const std::size_t cycle = self.cycleCount_.load(std::memory_order_relaxed);
  if (at + frames > self.peaks_.size() || cycle >= self.cycles_.size()) return 0;
  const auto *left = static_cast<const float *>(jack_port_get_buffer(self.audioIn_[0], frames));
  const auto *right = static_cast<const float *>(jack_port_get_buffer(self.audioIn_[1], frames));
  for (jack_nframes_t i = 0; i < frames; ++i)
    self.peaks_[at + i] = std::max(std::fabs(left[i]), std::fabs(right[i]));
  const uint32_t events = jack_midi_get_event_count(midiBuffer);
  std::size_t m = self.midiCount_.load(std::memory_order_relaxed);
  for (uint32_t i = 0; i < events && m < self.midi_.size(); ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, midiBuffer, i) != 0) continue;
    Midi &out = self.midi_[m++];
    out.length = static_cast<uint8_t>(std::min<std::size_t>(event.size, 3));
    std::memcpy(out.bytes, event.buffer, out.length);
    out.frame = at + event.time;
    out.wallNs = wake + static_cast<int64_t>(event.time * 1e9 / self.rate_);
  }
  self.cycles_[cycle] = {at, frames, wake};
  self.midiCount_.store(m, std::memory_order_release);
  self.cycleCount_.store(cycle + 1, std::memory_order_release);
  self.frames_.store(at + frames, std::memory_order_release);
  return 0;
}

}  // namespace bench
