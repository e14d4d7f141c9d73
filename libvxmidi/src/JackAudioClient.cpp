#include "JackAudioClient.h"

#include <chrono>
#include <thread>

#include "JackClose.h"
#include "SystemQuiet.h"

namespace vx {

namespace {
constexpr const char *kClientName = "Kovrinta";
}

void JackAudioClient::Gatherer::hitAt(const ShortMessage &message, uint32_t frame) {
  // A flood beyond the room of one cycle is thinned to what fits.
  if (count < kRoom) hits[count++] = {frame, message};
}

bool JackAudioClient::open() {
  silenceJack();
  jack_status_t status{};
  client_ = jack_client_open(kClientName, JackNoStartServer, &status);
  return client_ != nullptr;
}

bool JackAudioClient::start(Render render, void *context) {
  render_ = render;
  context_ = context;
  clock_ = CycleClock(sampleRate());
  ports_[0] = jack_port_register(client_, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  ports_[1] = jack_port_register(client_, "right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  if (!ports_[0] || !ports_[1]) return false;
  jack_set_process_callback(client_, &JackAudioClient::process, this);
  if (jack_activate(client_) != 0) return false;
  // Heard on the system's first two playback ports, as any player is.
  if (const char **playback = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                             JackPortIsPhysical | JackPortIsInput)) {
    for (int i = 0; i < 2 && playback[i]; ++i)
      jack_connect(client_, jack_port_name(ports_[i]), playback[i]);
    jack_free(playback);
  }
  return true;
}

void JackAudioClient::onShutdown(void (*callback)(void *), void *context) {
  if (client_) jack_on_shutdown(client_, callback, context);
}

JackAudioClient::~JackAudioClient() {
  closeJackClient(client_);
}

double JackAudioClient::sampleRate() const {
  return jack_get_sample_rate(client_);
}

uint32_t JackAudioClient::periodFrames() const {
  return jack_get_buffer_size(client_);
}

void JackAudioClient::setTap(JackTap *tap) {
  tap_.store(tap, std::memory_order_seq_cst);
  // A server that stopped calling us cannot be waited for.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (inCycle_.load(std::memory_order_seq_cst) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
}

int JackAudioClient::process(jack_nframes_t frames, void *data) {
  auto &self = *static_cast<JackAudioClient *>(data);
  self.clock_.cycle(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count(),
                    frames);
  self.inCycle_.store(true, std::memory_order_seq_cst);
  self.gatherer_.count = 0;
  if (JackTap *tap = self.tap_.load(std::memory_order_seq_cst))
    tap->readCycle(frames, self.clock_.bufferStartNs(), self.clock_.nsPerFrame(), self.gatherer_);
  self.inCycle_.store(false, std::memory_order_seq_cst);
  auto *left = static_cast<float *>(jack_port_get_buffer(self.ports_[0], frames));
  auto *right = static_cast<float *>(jack_port_get_buffer(self.ports_[1], frames));
  self.render_(self.context_, frames, left, right, self.gatherer_.hits, self.gatherer_.count);
  return 0;
}

}  // namespace vx
