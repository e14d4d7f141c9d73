// The sequencer: one tick of the current song per timer beat, 64 ticks per quarter note.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TVxMidi;
class TVxMidiSync;
class EventoSequenciamento;
class EventoAndamento;

class Sequenciador {
 public:
  // Tempos the timer is given, in microseconds per quarter note: 960 down to 1 beat per
  // minute. A tick of 960 BPM lasts 977 us, well above the library's shortest period, and
  // 1024 ticks a second is what the window's thread can still handle; files asking for more
  // (a Set Tempo of 64 us would be a million ticks a second) play at 960.
  static constexpr int microssegundosMinimos = 62'500;
  static constexpr int microssegundosMaximos = 60'000'000;

  // The instance; the first call loads a library object of its own, opens the timer and
  // installs the tick handler. Errors there are swallowed; a library that could not be loaded
  // is reported by tocar and abrirSincronismo, which raise its error.
  static Sequenciador &instancia();

  // Starts the timer at the current tempo unless it runs.
  void tocar();
  // Stops the timer if it runs; the position stays. Beats still waiting in the window's queue
  // are not played.
  void interromper();
  // true: interromper; false: tocar.
  void pausar(bool pausa);
  // Stops and rewinds to tick 0.
  void parar();

  int getPosicao() const { return posicao; }
  // Moves playback to valor; the ticks in between are never played. When the tempo marker in
  // force at valor is not the one applied last, it is applied (the tempo of a song that jumps
  // from one tempo region to another follows the song).
  void setPosicao(int valor);

  // Sets the tempo in beats per minute (the tempo slider): 60,000,000 / bpm microseconds per
  // quarter note exactly, limited to 960; 0 or less is ignored.
  void setAndamento(int bpm);
  // Makes a tempo marker of the song the playback tempo: its microseconds per quarter note,
  // limited to the range above, or its beats per minute when it carries none. Called when
  // the marker is performed and when a jump lands in its region.
  void aplicarMarcador(const EventoAndamento &marcador);
  // The tempo in whole beats per minute, as the window shows it.
  int getAndamento() const { return andamento; }
  // Hands the timer the tick period of the tempo; while it runs, the beat grid goes on from
  // the last beat played, so that a tempo change never shifts the song.
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

 private:
  Sequenciador();
  // Raises the load error of the library when it could not be loaded.
  void exigirBiblioteca() const;
  // Applies the tempo marker in force at posicao when it is not the one applied last.
  void acertarAndamento();

  std::unique_ptr<TVxMidi> vxMidi;
  std::unique_ptr<TVxMidiSync> sincronismo;
  std::string erroCarga;
  std::vector<EventoSequenciamento *> eventosDoTick;
  int andamento = 120;
  // The tick period as a fraction, numerador / denominador microseconds: 937500 / bpm from
  // the slider, microseconds per quarter / 64 from a file.
  uint32_t periodoNumerador = 937'500;
  uint32_t periodoDenominador = 120;
  // The marker applied last, of the song with this serial number (0: none).
  const EventoAndamento *marcadorAplicado = nullptr;
  uint64_t serieMarcador = 0;
  int posicao = 0;
  int inicioLoop = -1;
  int fimLoop = -1;
  bool loopAtivo = false;
  int trilhaBateria = 0;
  bool todasTrilhas = false;
  bool bateriaMuda = false;
};
