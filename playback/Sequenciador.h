// The sequencer: one tick of the current song per timer beat, 64 ticks per quarter note.
#pragma once

#include <memory>
#include <vector>

class TVxMidi;
class TVxMidiSync;
class EventoSequenciamento;

class Sequenciador {
 public:
  // The instance; the first call loads a library object of its own, opens the timer and
  // installs the tick handler. Errors there are swallowed; timer operations then raise the
  // timer's own errors.
  static Sequenciador &instancia();

  // Starts the timer at the current tempo unless it runs.
  void tocar();
  // Stops the timer if it runs; the position stays.
  void interromper();
  // true: interromper; false: tocar.
  void pausar(bool pausa);
  // Stops and rewinds to tick 0.
  void parar();

  int getPosicao() const { return posicao; }
  // Moves playback to posicao; the ticks in between are never played.
  void setPosicao(int valor) { posicao = valor; }

  // Sets the tempo in beats per minute; 0 or less is ignored.
  void setAndamento(int bpm);
  int getAndamento() const { return andamento; }
  // Hands the timer the tick period of the tempo, restarting it if it runs.
  void aplicarAndamento();

  // First call marks the loop start, later calls the end, which turns the loop on.
  void marcarLoop();
  void limparLoop();
  int getInicioLoop() const { return inicioLoop; }
  int getFimLoop() const { return fimLoop; }
  bool isLoopAtivo() const { return loopAtivo; }

  // The track whose drum notes drive the kit display; -1 for every track.
  void selecionarTrilhaBateria(int trilha);
  // Play-along: events on channel index 9 are not sent.
  void setBateriaMuda(bool muda) { bateriaMuda = muda; }
  bool isBateriaMuda() const { return bateriaMuda; }

  // Opens the timer if it is not open.
  void abrirSincronismo();
  TVxMidiSync *getSincronismo() const { return sincronismo.get(); }

  // The timer's beat handler: processes the tick at the position and advances.
  void processarTick();

  // Microseconds per tick at bpm: 937500 / bpm, truncated.
  static unsigned periodoTick(int bpm) { return 937500u / static_cast<unsigned>(bpm); }

 private:
  Sequenciador();

  std::unique_ptr<TVxMidi> vxMidi;
  std::unique_ptr<TVxMidiSync> sincronismo;
  std::vector<EventoSequenciamento *> eventosDoTick;
  int andamento = 120;
  int posicao = 0;
  int inicioLoop = -1;
  int fimLoop = -1;
  bool loopAtivo = false;
  int trilhaBateria = 0;
  bool todasTrilhas = false;
  bool bateriaMuda = false;
};
