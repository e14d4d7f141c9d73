// The kit's picture of a beat, shown when the beat sounds: a beat is handled ahead of its
// sound by the output latency (its messages carry the stamp of its ideal time plus that
// latency), so the lights it asks for wait here for that stamp. User-interface thread only.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>

class AgendaKit : public QObject {
 public:
  AgendaKit();

  // Light and release a note's piece when what is put now sounds: at the stamp inside a
  // beat, at once outside one (the keyboard, a beat handled too late for its stamp).
  void acender(int nota);
  void apagar(int nota);
  // Back to the kit at rest when what is put now sounds: inside a beat after the lights
  // before it (the song's end lets its last hits show); outside at once, dropping every
  // light still waiting.
  void apagarTudo();
  // A stop, a pause or a seek: the lights whose moment has come are shown, those still
  // waiting are dropped, as their messages are. Inside a beat nothing waits beyond what is
  // put now, and nothing is dropped.
  void descartar();

  // Lights come this long before their sound, for a display that shows them late.
  void setAdiantamentoNs(int64_t valor) { adiantamentoNs = valor; }

  // The moment the light being shown was due, on the monotonic clock; 0 when it is shown at
  // once. For measuring how the picture follows the sound.
  int64_t getMomento() const { return momento; }

 private:
  enum class Acao { acender, apagar, apagarTudo };
  struct Pedido {
    int64_t devidoNs;
    Acao acao;
    int nota;
  };

  void pedir(Acao acao, int nota);
  void mostrar(const Pedido &pedido);
  // Shows, in order, every light due by agora.
  void mostrarVencidos(int64_t agora);
  // Shows every light whose moment has come and waits for the next.
  void mostrarDevidos();

  std::deque<Pedido> fila;
  QTimer relogio;
  int64_t momento = 0;
  int64_t adiantamentoNs = 0;
};
