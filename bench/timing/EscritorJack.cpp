#include "EscritorJack.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "Relogio.h"

namespace bench {

namespace {

constexpr uint8_t marcador = 0x9F;

}  // namespace

EscritorJack::Mensagem EscritorJack::marca(jack_nframes_t quadro, std::size_t numero) {
  return {quadro,
          {marcador, static_cast<uint8_t>(numero % 128), static_cast<uint8_t>(numero / 128 + 1)},
          3,
          1};
}

std::optional<std::size_t> EscritorJack::numeroDaMarca(const uint8_t *bytes, std::size_t tamanho) {
  if (tamanho < 3 || bytes[0] != marcador || bytes[2] == 0) return std::nullopt;
  return bytes[1] + std::size_t(bytes[2] - 1) * 128;
}

EscritorJack::EscritorJack(const std::string &nome) {
  jack_status_t status{};
  cliente_ = jack_client_open(
      nome.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
  if (!cliente_) return;
  portas_[0] = jack_port_register(cliente_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  portas_[1] = jack_port_register(cliente_, "sync", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_set_process_callback(cliente_, &EscritorJack::processar, this);
  jack_set_xrun_callback(cliente_, &EscritorJack::xrun, this);
  if (!portas_[0] || !portas_[1] || jack_activate(cliente_) != 0) {
    jack_client_close(cliente_);
    cliente_ = nullptr;
  }
}

EscritorJack::~EscritorJack() {
  if (cliente_) jack_client_close(cliente_);
}

std::string EscritorJack::porta(int indice) const {
  return portas_[indice] ? jack_port_name(portas_[indice]) : "";
}

double EscritorJack::taxa() const {
  return jack_get_sample_rate(cliente_);
}

uint32_t EscritorJack::periodo() const {
  return jack_get_buffer_size(cliente_);
}

jack_nframes_t EscritorJack::quadroAgora() const {
  return jack_frame_time(cliente_);
}

bool EscritorJack::conectar(int indice, const std::string &destino) {
  // A port not there yet is no error to print.
  if (!jack_port_by_name(cliente_, destino.c_str())) return false;
  jack_connect(cliente_, jack_port_name(portas_[indice]), destino.c_str());
  return jack_port_connected_to(portas_[indice], destino.c_str()) != 0;
}

void EscritorJack::agendar(std::vector<Mensagem> mensagens) {
  ativo_.store(false);
  // A cycle that saw the old schedule active finishes first.
  const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (emCiclo_.load() && std::chrono::steady_clock::now() < limite) std::this_thread::yield();
  agenda_ = std::move(mensagens);
  ciclos_.assign(agenda_.size(), Ciclo{});
  proxima_ = 0;
  escritas_.store(0);
  atrasadas_.store(0);
  numXruns_.store(0);
  ativo_.store(true);
}

bool EscritorJack::concluido() const {
  return escritas_.load() >= agenda_.size();
}

std::vector<EscritorJack::Ciclo> EscritorJack::ciclos() const {
  return std::vector<Ciclo>(ciclos_.begin(), ciclos_.begin() + escritas_.load());
}

std::vector<jack_nframes_t> EscritorJack::xruns() const {
  const std::size_t n = std::min(numXruns_.load(), xruns_.size());
  return std::vector<jack_nframes_t>(xruns_.begin(), xruns_.begin() + n);
}

int EscritorJack::xrun(void *dados) {
  auto &self = *static_cast<EscritorJack *>(dados);
  const std::size_t n = self.numXruns_.load();
  if (n < self.xruns_.size()) {
    self.xruns_[n] = jack_frame_time(self.cliente_);
    self.numXruns_.store(n + 1);
  }
  return 0;
}

int EscritorJack::processar(jack_nframes_t quadros, void *dados) {
  const int64_t despertar = agoraNs();
  auto &self = *static_cast<EscritorJack *>(dados);
  void *buffers[2];
  for (int i = 0; i < 2; ++i) {
    buffers[i] = jack_port_get_buffer(self.portas_[i], quadros);
    jack_midi_clear_buffer(buffers[i]);
  }
  self.emCiclo_.store(true);
  if (self.ativo_.load()) {
    const jack_nframes_t inicio = jack_last_frame_time(self.cliente_);
    Ciclo ciclo{inicio, despertar, 0};
    jack_nframes_t quadroJack = 0;
    jack_time_t inicioUs = 0, proximoUs = 0;
    float periodoUs = 0;
    if (jack_get_cycle_times(self.cliente_, &quadroJack, &inicioUs, &proximoUs, &periodoUs) == 0)
      ciclo.inicioJackNs = static_cast<int64_t>(inicioUs) * 1000 +
                           (agoraNs() - static_cast<int64_t>(jack_get_time()) * 1000);
    std::size_t &k = self.proxima_;
    // Frame differences wrap with the server's 32-bit counter, so they are taken signed.
    while (k < self.agenda_.size() &&
           static_cast<int32_t>(self.agenda_[k].quadro - inicio) < static_cast<int32_t>(quadros)) {
      const Mensagem &m = self.agenda_[k];
      const auto deslocamento = static_cast<int32_t>(m.quadro - inicio);
      if (deslocamento < 0) self.atrasadas_.fetch_add(1, std::memory_order_relaxed);
      jack_midi_event_write(buffers[m.porta], deslocamento < 0 ? 0 : jack_nframes_t(deslocamento),
                            m.bytes, m.tamanho);
      self.ciclos_[k] = ciclo;
      ++k;
    }
    self.escritas_.store(k, std::memory_order_release);
  }
  self.emCiclo_.store(false);
  return 0;
}

}  // namespace bench
