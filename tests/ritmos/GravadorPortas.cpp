#include "GravadorPortas.h"

#include <jack/midiport.h>

#include <cstdio>

namespace kovrinta::test {

GravadorPortas::GravadorPortas(int portas) : recebidas_(static_cast<std::size_t>(portas)) {
  client_ = jack_client_open("capture", JackNoStartServer, nullptr);
  if (!client_) return;
  for (int i = 0; i < portas; ++i) {
    char nome[16];
    std::snprintf(nome, sizeof nome, "in-%02d", i);
    jack_port_t *porta =
        jack_port_register(client_, nome, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!porta) return;
    portas_.push_back(porta);
  }
  jack_set_process_callback(client_, &GravadorPortas::process, this);
  ok_ = jack_activate(client_) == 0;
}

GravadorPortas::~GravadorPortas() {
  if (client_) jack_client_close(client_);
}

std::string GravadorPortas::nome(int porta) const {
  return jack_port_name(portas_.at(static_cast<std::size_t>(porta)));
}

std::vector<Mensagem> GravadorPortas::mensagens(int porta) {
  std::lock_guard guard(lock_);
  return recebidas_.at(static_cast<std::size_t>(porta));
}

// The server's process thread: a short lock, taken only by the test's reads between
// cycles, is acceptable for a test client.
int GravadorPortas::process(jack_nframes_t frames, void *arg) {
  auto *self = static_cast<GravadorPortas *>(arg);
  std::lock_guard guard(self->lock_);
  for (std::size_t p = 0; p < self->portas_.size(); ++p) {
    void *buffer = jack_port_get_buffer(self->portas_[p], frames);
    const uint32_t n = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < n; ++i) {
      jack_midi_event_t e;
      if (jack_midi_event_get(&e, buffer, i) == 0)
        self->recebidas_[p].emplace_back(e.buffer, e.buffer + e.size);
    }
  }
  return 0;
}

}  // namespace kovrinta::test
