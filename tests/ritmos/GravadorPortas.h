// A JACK client with numbered MIDI inputs that keeps, input by input, every message it
// receives, so that many players can be captured at once by one server.
#pragma once

#include <jack/jack.h>

#include <mutex>
#include <string>
#include <vector>

#include "MusicaImpressa.h"

namespace kovrinta::test {

class GravadorPortas {
 public:
  // Opens client "capture" on the running server (JACK_DEFAULT_SERVER) with inputs
  // in-00, in-01... and activates it; ok() tells whether it could.
  explicit GravadorPortas(int portas);
  // Closes the client.
  ~GravadorPortas();
  GravadorPortas(const GravadorPortas &) = delete;
  GravadorPortas &operator=(const GravadorPortas &) = delete;

  bool ok() const { return ok_; }
  // The full name of input porta, as the system lists it: "capture:in-03".
  std::string nome(int porta) const;
  // A copy of what input porta has received so far, in arrival order. Any thread.
  std::vector<Mensagem> mensagens(int porta);

 private:
  static int process(jack_nframes_t frames, void *arg);

  jack_client_t *client_ = nullptr;
  std::vector<jack_port_t *> portas_;
  std::mutex lock_;
  std::vector<std::vector<Mensagem>> recebidas_;
  bool ok_ = false;
};

}  // namespace kovrinta::test
