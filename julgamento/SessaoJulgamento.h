// The judging of a practice session in the window: it takes the song's notes and ticks from
// the sequencer and the drummer's hits from the kit and the keyboard, judges them, keeps the
// passes of the open song and the take, and runs the tap test. User-interface thread only.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

#include "julgamento/Calibracao.h"
#include "julgamento/GravadorTake.h"
#include "julgamento/JuizGolpes.h"
#include "song/MapaCompassos.h"

class Sequenciador;

class SessaoJulgamento : public QObject {
 public:
  // The passes kept per song, the oldest dropped first.
  static constexpr std::size_t passesGuardados = 50;
  // The tap test: clicks and tempo.
  static constexpr int batidasCalibracao = 24;
  static constexpr int bpmCalibracao = 100;

  // Listens to sequenciador's reports (its Ouvintes); outputDelayNs tells, when asked, how
  // long after its stamp a message leaves the output device.
  SessaoJulgamento(Sequenciador &sequenciador, std::function<int64_t()> atrasoSaidaNs,
                   QObject *parent = nullptr);
  // The sequencer outlives the session: it reports to nobody afterwards.
  ~SessaoJulgamento() override;

  void setAjustes(const AjustesJulgamento &ajustes) { juiz.setAjustes(ajustes); }
  const AjustesJulgamento &getAjustes() const { return juiz.getAjustes(); }

  // A hit of the drummer that arrived at chegadaNs (monotonic): judged while the song plays,
  // a strike of the tap test while it runs, nothing otherwise.
  void golpe(PecaBateria peca, int velocidade, int64_t chegadaNs);
  // Another song: its passes and take start empty.
  void novaMusica();
  // The drummer stopped the song: what they played of it so far is a pass.
  void encerrarPasse();

  // The tap test: the clicks start; aoProgressoCalibracao follows them, and
  // aoFimCalibracao has the result half a beat after the last.
  void iniciarCalibracao();
  void cancelarCalibracao();
  bool isCalibrando() const { return calibrando; }

  // The closed passes of the open song, oldest first, and the one being played.
  const std::vector<ResumoPasse> &getPasses() const { return passes; }
  const ResumoPasse &getPasseAtual() const { return juiz.getPasseAtual(); }
  // What the drummer would save: the hits of the last pass of a loop when one has closed
  // since the song was last played from its start, else those of the play from its start.
  const GravadorTake &getTake() const;

  std::function<void(const Julgamento &)> aoJulgar;
  // When what was handed out sounds, for a view that follows the song: a song's tick, a tick
  // of a count-in (restante of its ticks left, clicking the bar lugar), and the moment from
  // which nothing handed out sounds (a stop, a pause, a jump, the song's end).
  std::function<void(int tick, int64_t somNs)> aoSoarTick;
  std::function<void(int restante, const LugarCompasso &lugar, int64_t somNs)> aoSoarContagem;
  std::function<void(int64_t desdeNs)> aoCalar;
  std::function<void(const ResumoPasse &)> aoFecharPasse;
  std::function<void(int cliques, int toques)> aoProgressoCalibracao;
  std::function<void(const Calibracao::Resultado &)> aoFimCalibracao;

 private:
  int64_t somDe(int64_t devidoNs) const { return devidoNs + atrasoNs; }
  void interrompido(int64_t devidoNs);
  void julgado(const Julgamento &julgamento);

  Sequenciador &sequenciador;
  std::function<int64_t()> atrasoSaida;
  JuizGolpes juiz;
  // How long after its stamp a message leaves the output, read when a play starts.
  int64_t atrasoNs = 0;
  std::vector<ResumoPasse> passes;
  GravadorTake takeMusica;
  GravadorTake takePasse;
  GravadorTake takeSeguinte;
  GravadorTake takeUltimoPasse;
  bool tocando = false;
  Calibracao calibracao;
  bool calibrando = false;
};
