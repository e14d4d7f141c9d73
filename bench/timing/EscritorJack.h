// A JACK client of the benchmarks that plays a drummer's module: it writes short MIDI messages
// at chosen frames of the server's timeline, each in the cycle that holds its frame at its
// offset there. Beside its port "out" it has a port "sync" for markers, which a recorder takes
// at the same frames, so that the recorder's own frame count can be tied to the server's.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bench {

class EscritorJack {
 public:
  struct Mensagem {
    jack_nframes_t quadro;  // on the server's frame timeline (jack_last_frame_time's)
    uint8_t bytes[3];
    uint8_t tamanho;
    uint8_t porta;  // 0: "out", 1: "sync"
  };

  // A marker for port 1 ("sync"): a note-on of channel 16 whose note and velocity hold numero
  // (numero % 128, numero / 128 + 1, so that it is never a note-off), up to 127 * 128 - 1.
  static Mensagem marca(jack_nframes_t quadro, std::size_t numero);
  // The number a message the recorder took holds when it is a marker.
  static std::optional<std::size_t> numeroDaMarca(const uint8_t *bytes, std::size_t tamanho);

  // Opens the client nome on the server JACK_DEFAULT_SERVER names.
  explicit EscritorJack(const std::string &nome);
  ~EscritorJack();
  EscritorJack(const EscritorJack &) = delete;
  EscritorJack &operator=(const EscritorJack &) = delete;

  bool pronto() const { return cliente_ != nullptr; }
  // The full name of port 0 ("out") or 1 ("sync").
  std::string porta(int indice) const;
  double taxa() const;
  uint32_t periodo() const;
  // The frame the server is at now, estimated (jack_frame_time).
  jack_nframes_t quadroAgora() const;
  // Connects port indice to destino; true when they are connected.
  bool conectar(int indice, const std::string &destino);

  // Writes mensagens, in order of frame and all ahead of the cycle running, from the next cycle
  // on, in place of what was scheduled before. Not while the process thread is writing.
  void agendar(std::vector<Mensagem> mensagens);
  // Whether every scheduled message has been written.
  bool concluido() const;
  // Messages written after their frame because their cycle came late (at the cycle's first
  // frame); 0 on a server that kept time.
  uint64_t atrasadas() const { return atrasadas_.load(); }
  // The cycle that wrote a message: its first frame, when the process callback woke for it,
  // and when JACK says it started (jack_get_cycle_times, moved onto the monotonic clock), in
  // nanoseconds. JACK's time follows the wake-ups through a filter, which on a dummy server
  // strays by milliseconds for seconds after the server stalls.
  struct Ciclo {
    jack_nframes_t inicio;
    int64_t despertarNs;
    int64_t inicioJackNs;
  };
  // The cycle of each message of the schedule written so far.
  std::vector<Ciclo> ciclos() const;
  // The server's frame (estimated) at each xrun it reported since the last agendar.
  std::vector<jack_nframes_t> xruns() const;

 private:
  static int processar(jack_nframes_t quadros, void *dados);
  static int xrun(void *dados);

  jack_client_t *cliente_ = nullptr;
  jack_port_t *portas_[2] = {nullptr, nullptr};
  std::vector<Mensagem> agenda_;
  std::vector<Ciclo> ciclos_;
  std::atomic<bool> ativo_{false};
  // Set by the process thread while it may read the schedule, so that agendar waits for it.
  std::atomic<bool> emCiclo_{false};
  // Process thread only while active; read by the others once it is not.
  std::size_t proxima_ = 0;
  std::atomic<std::size_t> escritas_{0};
  std::atomic<uint64_t> atrasadas_{0};
  // Written by the server's notification thread; room for that many.
  std::vector<jack_nframes_t> xruns_ = std::vector<jack_nframes_t>(4096);
  std::atomic<std::size_t> numXruns_{0};
};

}  // namespace bench
