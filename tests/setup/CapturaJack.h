// A JACK client of the test with one MIDI input that keeps every message it receives, with
// the frame at which it arrived.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace kovrinta::test {

class CapturaJack {
 public:
  struct Mensagem {
    std::vector<uint8_t> bytes;
    uint64_t quadro;  // frames since the server started, at its sample rate
  };

  // Opens client cliente with input port porta on the server JACK_DEFAULT_SERVER names.
  CapturaJack(const char *cliente, const char *porta) {
    client_ = jack_client_open(
        cliente, static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), nullptr);
    if (!client_) return;
    port_ = jack_port_register(client_, porta, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &CapturaJack::processar, this);
    if (!port_ || jack_activate(client_) != 0) {
      jack_client_close(client_);
      client_ = nullptr;
      return;
    }
    taxa_ = jack_get_sample_rate(client_);
  }
  ~CapturaJack() {
    if (client_) jack_client_close(client_);
  }
  CapturaJack(const CapturaJack &) = delete;
  CapturaJack &operator=(const CapturaJack &) = delete;

  bool pronta() const { return client_ != nullptr; }
  // Frames per second.
  uint32_t taxa() const { return taxa_; }

  std::vector<Mensagem> mensagens() const {
    std::lock_guard guard(lock_);
    return mensagens_;
  }
  std::size_t quantas() const {
    std::lock_guard guard(lock_);
    return mensagens_.size();
  }
  void limpar() {
    std::lock_guard guard(lock_);
    mensagens_.clear();
  }

 private:
  static int processar(jack_nframes_t quadros, void *dados) {
    auto &self = *static_cast<CapturaJack *>(dados);
    const uint64_t inicio = jack_last_frame_time(self.client_);
    void *buffer = jack_port_get_buffer(self.port_, quadros);
    const uint32_t n = jack_midi_get_event_count(buffer);
    std::lock_guard guard(self.lock_);
    for (uint32_t i = 0; i < n; ++i) {
      jack_midi_event_t e;
      if (jack_midi_event_get(&e, buffer, i) == 0)
        self.mensagens_.push_back({{e.buffer, e.buffer + e.size}, inicio + e.time});
    }
    return 0;
  }

  jack_client_t *client_ = nullptr;
  jack_port_t *port_ = nullptr;
  uint32_t taxa_ = 0;
  mutable std::mutex lock_;
  std::vector<Mensagem> mensagens_;
};

}  // namespace kovrinta::test
