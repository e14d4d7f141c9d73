// The sequencer: one tick of the current song per timer beat, 64 ticks per quarter note.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/AgendaKit.h"
#include "pratica/Clique.h"
#include "pratica/TreinadorVelocidade.h"

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
  // The speeds a song plays at, in percent of its own tempo.
  static constexpr int velocidadeMinima = 25;
  static constexpr int velocidadeMaxima = 200;

  // The instance; the first call loads a library object of its own, opens the timer and
  // installs the tick handler. Errors there are swallowed; a library that could not be loaded
  // is reported by tocar and abrirSincronismo, which raise its error.
  static Sequenciador &instancia();

  // Starts the timer at the current tempo unless it runs; with a count-in set, its bars
  // of clicks come first, the song's tick at the position one beat after the last click.
  void tocar();
  // Stops the timer if it runs. Beats still waiting in the window's queue are not played.
  // Outside a beat the caller silences the output, which drops the messages handed ahead of
  // their moment: the position goes back to the first tick not yet heard, so that resuming
  // plays it, and the kit's lights still waiting are dropped with it.
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
  // Makes a tempo marker of the song the playback tempo at the speed set: its microseconds
  // per quarter note, limited to the range above, or its beats per minute when it carries
  // none; the window is shown the tempo that results. Called when the marker is performed
  // and when a jump lands in its region.
  void aplicarMarcador(const EventoAndamento &marcador);
  // Speed in percent of the song's own tempo at each point (velocidadeMinima..Maxima):
  // the tempo in force now and every marker met later are played at it, so a song whose
  // tempo changes keeps its shape. The tempo slider still sets a tempo of its own.
  void setVelocidade(int percentual);
  int getVelocidade() const { return velocidade; }
  // The tempo in whole beats per minute, as the window shows it.
  int getAndamento() const { return andamento; }
  // The tick's length now, in nanoseconds.
  double getNsPorTick() const {
    return static_cast<double>(periodoNumerador) * 1000.0 / periodoDenominador;
  }
  // Hands the timer the tick period of the tempo; while it runs, the beat grid goes on from
  // the last beat played, so that a tempo change never shifts the song.
  void aplicarAndamento();

  // First call marks the loop start, later calls the end, which turns the loop on. With
  // marks on bar lines, each mark goes to the bar line nearest the position and the loop
  // plays from its start up to the end's bar line, exclusive; free marks play from the tick
  // after the start up to the end, inclusive.
  void marcarLoop();
  // A loop of compassos bars from the first beat of the bar at the position, in force at
  // once; false (nothing changed) without a song or for fewer than 1 bar.
  bool definirLoopCompassos(int compassos);
  void limparLoop();
  void setMarcasNasLinhas(bool valor) { marcasNasLinhas = valor; }
  bool isMarcasNasLinhas() const { return marcasNasLinhas; }
  // Whether the loop wraps on its end mark's bar line rather than after the end tick.
  bool isLoopNaLinha() const { return loopNaLinha; }
  // Restores marks kept from an earlier session (a song opened again): active when both are
  // set; naLinha as isLoopNaLinha answered.
  void restaurarLoop(int inicio, int fim, bool naLinha);
  // Passes of the loop played since it was set.
  int getPassesLoop() const { return passesLoop; }
  int getInicioLoop() const { return inicioLoop; }
  int getFimLoop() const { return fimLoop; }
  bool isLoopAtivo() const { return loopAtivo; }

  // The track whose drum notes drive the kit display; -1 for every track.
  void selecionarTrilhaBateria(int trilha);
  int getTrilhaBateria() const { return todasTrilhas ? -1 : trilhaBateria; }
  // Play-along: events on channel index 9 are not sent.
  void setBateriaMuda(bool muda) { bateriaMuda = muda; }
  bool isBateriaMuda() const { return bateriaMuda; }

  // The count-in: compassos (0..2) bars of clicks before playback starts, and before every
  // pass of the loop when antesDoLoop.
  void setContagem(int compassos, bool antesDoLoop);
  int getCompassosContagem() const { return compassosContagem; }
  bool isContagemAntesDoLoop() const { return contagemAntesDoLoop; }
  // Ticks of count-in still to play; 0 when the song itself plays.
  int getContagemRestante() const { return contagemRestante; }
  // The bar the count-in clicks while it runs.
  const LugarCompasso &getLugarContagem() const { return contagemCompasso; }
  Clique &getClique() { return clique; }
  // The speed trainer: while it is on, the speed follows it at every pass of the loop.
  void setTreinador(const AjustesTreinador &ajustes);
  const TreinadorVelocidade &getTreinador() const { return treinador; }

  // Where the kit's lights wait for the sound of their beat.
  AgendaKit &getAgendaKit() { return agendaKit; }

  // What the judging of the drummer's hits learns of the song as it is handed out, inside a
  // beat only, each with the beat's stamp (the moment its messages are due): every drum
  // note-on the kit shows, every tick of the song, a loop's wrap, and every click of a
  // count-in or of the tap test.
  struct Ouvintes {
    std::function<void(int nota, int tick, int64_t devidoNs)> notaBateria;
    std::function<void(int tick, int64_t devidoNs)> tick;
    std::function<void(int64_t devidoNs)> voltaLoop;
    std::function<void(int64_t devidoNs)> clique;
    // A tick of a count-in (not of the tap test), restante ticks of it left with this one,
    // clicking the bar lugar.
    std::function<void(int restante, const LugarCompasso &lugar, int64_t devidoNs)> contagem;
    // The tap test's last click has been handed out.
    std::function<void()> fimCalibracao;
    // Playback stopped, paused or jumped: devidoNs is 0, or inside a beat (the song's end)
    // that beat's stamp, after which nothing more sounds.
    std::function<void(int64_t devidoNs)> interrupcao;
  };
  Ouvintes &getOuvintes() { return ouvintes; }

  // The tap test: batidas clicks at bpm in 4/4 on the timer's grid, with or without a song,
  // the position left where it is; the timer stops after the last one. Stops playback first.
  void calibrar(int batidas, int bpm);
  bool isCalibrando() const { return calibrando; }

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
  // Makes the song's tick period, numerador / denominador microseconds, at the speed the
  // playback tempo.
  void aplicarBase(uint32_t numerador, uint32_t denominador);
  // The loop's end was reached: back to its start, with the trainer's step and the count-in.
  void voltarAoLoop(int64_t fronteiraNs);
  void iniciarContagem();
  void processarContagem();
  // The song's ticks handled whose messages have not sounded yet are forgotten: playback
  // jumped, and going back to one of them would play the jump twice.
  void esquecerAdiante() { ticksAdiante.clear(); }
  // Notes the tick at the position as handled ahead of its sound.
  void lembrarAdiante();

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
  bool loopNaLinha = false;
  bool marcasNasLinhas = false;
  int passesLoop = 0;
  int velocidade = 100;
  // The song's tick period the speed applies to, as a fraction like the one above.
  uint32_t baseNumerador = 500'000;
  uint32_t baseDenominador = 64;
  int compassosContagem = 0;
  bool contagemAntesDoLoop = false;
  int contagemRestante = 0;
  // The bar the count-in clicks: that of the position where it began.
  LugarCompasso contagemCompasso;
  // The song's ticks handled since the last jump, with the moment their messages are due;
  // those already heard are let go.
  struct TickAdiante {
    int posicao;
    int64_t devidoNs;
  };
  std::deque<TickAdiante> ticksAdiante;
  AgendaKit agendaKit;
  Ouvintes ouvintes;
  bool calibrando = false;
  Clique clique;
  TreinadorVelocidade treinador;
  int trilhaBateria = 0;
  bool todasTrilhas = false;
  bool bateriaMuda = false;
};
