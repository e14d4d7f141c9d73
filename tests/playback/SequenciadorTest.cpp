// The sequencer: tempo and timer calls, the order of a tick, the loop, jumps, play-along
// muting and the kit display.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <sstream>

#include "ProgramaFalso.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "midi/SaidaMIDI.h"
#include "playback/AcessoGui.h"
#include "playback/VisorReproducao.h"
#include "ui/Instrumento.h"

using namespace kovrinta::test;

namespace {

struct KitGravador : Instrumento {
  std::vector<std::string> chamadas;
  void acender(int nota) override { chamadas.push_back("+" + std::to_string(nota)); }
  void apagar(int nota) override { chamadas.push_back("-" + std::to_string(nota)); }
};

struct VisorGravador : VisorReproducao {
  std::vector<int> posicoes;
  void exibirAndamento(int) override {}
  void avancarTempo() override { posicoes.push_back(Sequenciador::instancia().getPosicao()); }
};

class Sequencia : public ProgramaFalso {
 protected:
  Sequenciador &seq = Sequenciador::instancia();

  void SetUp() override {
    ProgramaFalso::SetUp();
    for (int i = 0; i < 16; ++i) ArquivoConfiguracao::instancia().setTrilhaAtiva(i, true);
    seq.parar();
    seq.limparLoop();
    seq.setBateriaMuda(false);
    seq.selecionarTrilhaBateria(-1);
    seq.setContagem(0, false);
    seq.getClique().setAtivo(false);
    seq.setMarcasNasLinhas(false);
    seq.setTreinador({});
    seq.setVelocidade(100);
    seq.setAndamento(120);
    fake->reset();
  }

  // Sets the current song's bars.
  static void compassos(std::vector<FormulaCompasso> formulas) {
    GerenciadorMusica::instancia().getMusicaAtual()->setCompassos(MapaCompassos(formulas));
  }

  // Runs n ticks and answers the messages sent, each "tick:status,note,velocity".
  std::vector<std::string> enviados(int n) {
    std::vector<std::string> lista;
    for (int tick = 0; tick < n; ++tick) {
      fake->reset();
      seq.processarTick();
      std::istringstream linhas(calls());
      std::string nome, linha;
      int handle, tempo, status, dado1, dado2;
      while (std::getline(linhas, linha)) {
        std::istringstream campos(linha);
        if (campos >> nome >> handle >> tempo >> status >> dado1 >> dado2 && nome == "PutMidiOut")
          lista.push_back(std::to_string(tick) + ':' + std::to_string(status) + ',' +
                          std::to_string(dado1) + ',' + std::to_string(dado2));
      }
    }
    return lista;
  }

  // Installs a song of the given tracks.
  static void musica(std::initializer_list<std::vector<EventoSequenciamento *>> trilhas) {
    auto *m = new Musica;
    for (const auto &eventos : trilhas) {
      auto *t = new Trilha;
      for (auto *e : eventos) t->adicionarEvento(e);
      m->adicionarTrilha(t);
    }
    GerenciadorMusica::instancia().setMusicaAtual(m);
  }

  void ticks(int n) {
    for (int i = 0; i < n; ++i) seq.processarTick();
  }

  // A beat of the timer, delivered as the library's thread would deliver it.
  void batida(uint32_t run, uint32_t posicao) {
    fake->beat(run, posicao, 0);
    QCoreApplication::sendPostedEvents();
  }
};

TEST_F(Sequencia, TheTimerGetsTheExactPeriodOfTheTempoAndTempoChangesContinueTheGrid) {
  musica({{}});
  seq.setAndamento(90);
  seq.tocar();
  seq.tocar();
  batida(fake->syncRun(), 7);  // a beat, so the change continues from beat 7
  seq.setAndamento(90);
  seq.setAndamento(0);
  seq.setAndamento(-3);
  seq.pausar(true);
  seq.pausar(false);
  // 937500 / 90 us per tick, exactly: 10416.67, not 10416.
  EXPECT_EQ(calls(),
            "VxSetSyncPeriod 100 937500 90 0\nVxSetSyncPeriod 100 937500 90 0\nStartSync 100\n"
            "VxSetSyncPeriod 100 937500 90 7\n"
            "StopSync 100\nVxSetSyncPeriod 100 937500 90 0\nStartSync 100\n");
  EXPECT_EQ(seq.getAndamento(), 90);
}

TEST_F(Sequencia, TemposAreHeldWithinWhatTheTimerCanDeliver) {
  seq.setAndamento(5000);
  EXPECT_EQ(seq.getAndamento(), 960);
  const EventoAndamento rapido(0, 0, 937500, 64);
  seq.aplicarMarcador(rapido);
  EXPECT_EQ(seq.getAndamento(), 960);
  const EventoAndamento lento(0, 0, 3, 0xFFFFFF);
  seq.aplicarMarcador(lento);
  EXPECT_EQ(seq.getAndamento(), 3);
  EXPECT_EQ(calls(),
            "VxSetSyncPeriod 100 937500 960 0\nVxSetSyncPeriod 100 62500 64 0\n"
            "VxSetSyncPeriod 100 16777215 64 0\n");
}

TEST_F(Sequencia, StopRewindsAlsoWhenStoppedAndPauseKeepsThePosition) {
  musica({{}});
  seq.tocar();
  ticks(5);
  seq.pausar(true);
  EXPECT_EQ(seq.getPosicao(), 5);
  ticks(3);
  EXPECT_EQ(seq.getPosicao(), 5) << "a stopped timer does not advance";
  seq.pausar(false);
  ticks(1);
  EXPECT_EQ(seq.getPosicao(), 6);
  seq.parar();
  seq.parar();
  EXPECT_EQ(seq.getPosicao(), 0);
}

TEST_F(Sequencia, EventsOfATickGoTrackByTrackInListOrderAfterThePositionRefresh) {
  VisorGravador visor;
  AcessoGui::instancia().setVisor(&visor);
  musica({{new EventoGenerico(64, 0xB1, 1, 1, 0), new EventoGenerico(64, 0xB1, 1, 2, 0)},
          {new EventoGenerico(64, 0xB2, 2, 3, 0), new EventoGenerico(63, 0xB2, 2, 4, 0)}});
  seq.tocar();
  seq.setPosicao(63);
  fake->reset();
  ticks(2);
  EXPECT_EQ(calls(),
            "PutMidiOut 100 0 178 4 0\nPutMidiOut 100 0 177 1 0\n"
            "PutMidiOut 100 0 177 2 0\nPutMidiOut 100 0 178 3 0\n");
  EXPECT_EQ(visor.posicoes, std::vector<int>{64}) << "refreshed on multiples of 64 only";
  AcessoGui::instancia().setVisor(nullptr);
}

TEST_F(Sequencia, TheLoopWrapsFromItsEndToOnePastItsStart) {
  musica({{}});
  seq.tocar();
  seq.setPosicao(100);
  seq.marcarLoop();
  seq.setPosicao(300);
  seq.marcarLoop();
  EXPECT_TRUE(seq.isLoopAtivo());
  seq.setPosicao(299);
  std::vector<int> processados;
  for (int i = 0; i < 4; ++i) {
    processados.push_back(seq.getPosicao());
    seq.processarTick();
  }
  EXPECT_EQ(processados, (std::vector<int>{299, 300, 101, 102}));

  seq.limparLoop();
  seq.setPosicao(50);
  seq.marcarLoop();
  seq.setPosicao(20);
  seq.marcarLoop();  // an end before the start jumps forward
  seq.processarTick();
  EXPECT_EQ(seq.getPosicao(), 51);
}

TEST_F(Sequencia, AJumpNeverPlaysTheSkippedEvents) {
  musica({{new EventoNoteOn(5, 9, 36, 100), new EventoNoteOn(20, 9, 38, 100)}});
  seq.tocar();
  seq.setPosicao(10);
  fake->reset();
  ticks(15);
  EXPECT_EQ(calls(), "PutMidiOut 100 0 153 38 100\n");
}

TEST_F(Sequencia, PlayAlongMutesChannelNineButShowsTheHitsAndKeepsOthers) {
  KitGravador kit;
  auto &config = ArquivoConfiguracao::instancia();
  musica({{new EventoNoteOn(0, 9, 36, 100), new EventoGenerico(0, 0xE9, 0, 0, 64)},
          {new EventoGenerico(0, 0xB9, 9, 7, 10), new EventoGenerico(0, 0x93, 3, 60, 90),
           new EventoNoteOff(0, 9, 42)}});
  seq.selecionarTrilhaBateria(0);
  seq.setBateriaMuda(true);
  seq.tocar();
  fake->reset();
  // The kit display goes through the configuration's instrument.
  Instrumento *anterior = config.getInstrumento();
  config.instrumentoParaTestes(&kit);
  ticks(1);
  config.instrumentoParaTestes(anterior);
  EXPECT_EQ(calls(), "PutMidiOut 100 0 233 0 64\nPutMidiOut 100 0 147 60 90\n");
  EXPECT_EQ(kit.chamadas, std::vector<std::string>{"+36"})
      << "only the chosen drum track moves the kit";
}

TEST_F(Sequencia, ADisabledTrackIsNeitherHeardNorShownAndHighTracksAlwaysPlay) {
  KitGravador kit;
  auto &config = ArquivoConfiguracao::instancia();
  std::vector<std::vector<EventoSequenciamento *>> trilhas;
  auto *m = new Musica;
  for (int i = 0; i < 17; ++i) {
    auto *t = new Trilha;
    t->adicionarEvento(new EventoNoteOn(0, 9, 36 + i, 100));
    m->adicionarTrilha(t);
  }
  GerenciadorMusica::instancia().setMusicaAtual(m);
  for (int i = 0; i < 16; ++i) config.setTrilhaAtiva(i, i == 2);
  seq.selecionarTrilhaBateria(0);
  seq.tocar();
  fake->reset();
  Instrumento *anterior = config.getInstrumento();
  config.instrumentoParaTestes(&kit);
  ticks(1);
  config.instrumentoParaTestes(anterior);
  EXPECT_EQ(calls(), "PutMidiOut 100 0 153 38 100\nPutMidiOut 100 0 153 52 100\n");
  EXPECT_TRUE(kit.chamadas.empty()) << "the chosen drum track 0 is disabled";
}

TEST_F(Sequencia, ATempoEventWhilePlayingContinuesTheGridFromItsOwnBeat) {
  musica({{new EventoAndamento(3, 0, 90, 666666)}});
  seq.tocar();
  fake->reset();
  for (uint32_t beat = 1; beat <= 4; ++beat) batida(fake->syncRun(), beat);
  EXPECT_EQ(calls(), "VxSetSyncPeriod 100 666666 64 4\n") << "no stop, no restart";
  EXPECT_EQ(seq.getAndamento(), 90);
  EXPECT_EQ(seq.getPosicao(), 4);
}

TEST_F(Sequencia, BeatsAnnouncedBeforeAStopOrATempoChangeAreNotPlayed) {
  KitGravador kit;
  auto &config = ArquivoConfiguracao::instancia();
  Instrumento *anterior = config.getInstrumento();
  config.instrumentoParaTestes(&kit);
  musica({{new EventoNoteOn(0, 9, 36, 100), new EventoNoteOn(1, 9, 38, 100)}});
  seq.setPosicao(1);
  seq.marcarLoop();
  seq.setPosicao(2);
  seq.marcarLoop();
  seq.setPosicao(0);
  seq.tocar();
  const uint32_t run = fake->syncRun();
  batida(run, 1);
  EXPECT_EQ(seq.getPosicao(), 1);
  fake->reset();
  seq.interromper();
  batida(run, 2);  // queued before the stop
  seq.tocar();
  batida(run, 3);  // still of the stopped run
  const uint32_t antesDaMudanca = fake->syncRun();
  seq.setAndamento(100);
  batida(antesDaMudanca, 1);  // announced under the old period
  config.instrumentoParaTestes(anterior);
  EXPECT_EQ(kit.chamadas, std::vector<std::string>{"+36"});
  EXPECT_EQ(seq.getPosicao(), 1) << "neither moved nor wrapped";
  EXPECT_EQ(calls(),
            "StopSync 100\nVxSetSyncPeriod 100 937500 120 0\nStartSync 100\n"
            "VxSetSyncPeriod 100 937500 100 0\n");
  batida(fake->syncRun(), 1);
  EXPECT_EQ(seq.getPosicao(), 2) << "the beat of the current run plays";
}

TEST_F(Sequencia, MessagesOfABeatCarryItsIdealTimeAndOthersLeaveAtOnce) {
  musica({{new EventoNoteOn(0, 9, 38, 90)}});
  seq.tocar();
  fake->reset();
  fake->beat(fake->syncRun(), 1, 5'000'000'000);  // the beat of tick 0, due at 5 s
  QCoreApplication::sendPostedEvents();
  // Outside a beat: the keyboard's note and a silencing go at once.
  SaidaMIDI::instancia().enviarNoteOn(9, 127, 36);
  SaidaMIDI::instancia().resetarControladores();
  const std::string gravado = calls();
  EXPECT_EQ(gravado.substr(0, gravado.find('\n') + 1),
            "PutMidiOutAt 100 0 153 38 90 " +
                std::to_string(5'000'000'000 + TVxMidiSync::OutputLatencyNs) + "\n");
  EXPECT_NE(gravado.find("PutMidiOut 100 0 153 36 127\n"), std::string::npos);
  EXPECT_NE(gravado.find("PutMidiOut 100 0 191 121 0\n"), std::string::npos);
  EXPECT_EQ(gravado.find("PutMidiOutAt", 1), std::string::npos)
      << "only the song's note is stamped";
}

TEST_F(Sequencia, AJumpOrALoopWrapTakesTheTempoOfTheRegionItLandsIn) {
  struct Andamentos : VisorReproducao {
    std::vector<int> mostrados;
    void exibirAndamento(int bpm) override { mostrados.push_back(bpm); }
    void avancarTempo() override {}
  } visor;
  AcessoGui::instancia().setVisor(&visor);
  auto *intro = new EventoAndamento(100, 0, 100, 600000);
  auto *rapido = new EventoAndamento(6400, 0, 140, 428571);
  musica({{intro, rapido}, {}});
  seq.tocar();
  seq.setPosicao(6400);
  EXPECT_EQ(seq.getAndamento(), 140);
  seq.setPosicao(3200);
  EXPECT_EQ(seq.getAndamento(), 100) << "the intro plays at its own tempo";
  seq.setPosicao(3300);
  seq.setAndamento(80);  // the slider, within the intro
  seq.setPosicao(20);    // before the first marker: the song's first tempo, which is in force
  EXPECT_EQ(seq.getAndamento(), 80) << "a jump within one region keeps the slider's tempo";

  seq.setPosicao(3000);
  seq.marcarLoop();
  seq.setPosicao(7000);
  seq.marcarLoop();
  EXPECT_EQ(seq.getAndamento(), 140);
  seq.processarTick();  // at the loop's end: wraps back into the intro
  EXPECT_EQ(seq.getPosicao(), 3001);
  EXPECT_EQ(seq.getAndamento(), 100);

  seq.limparLoop();
  seq.setPosicao(1000);
  seq.marcarLoop();
  seq.setPosicao(2000);
  seq.marcarLoop();
  seq.setAndamento(80);
  seq.processarTick();  // a bar looped within the intro
  EXPECT_EQ(seq.getPosicao(), 1001);
  EXPECT_EQ(seq.getAndamento(), 80);
  AcessoGui::instancia().setVisor(nullptr);
  EXPECT_EQ(visor.mostrados, (std::vector<int>{140, 100, 140, 100}));
}

TEST_F(Sequencia, AStopInsideATickShowsAndPerformsNothingMore) {
  struct Parador : VisorReproducao {
    void exibirAndamento(int) override {}
    void avancarTempo() override { Sequenciador::instancia().parar(); }
  } parador;
  KitGravador kit;
  auto &config = ArquivoConfiguracao::instancia();
  Instrumento *anterior = config.getInstrumento();
  config.instrumentoParaTestes(&kit);
  AcessoGui::instancia().setVisor(&parador);
  musica({{new EventoNoteOn(0, 9, 36, 100), new EventoNoteOn(64, 9, 38, 100)}});
  seq.tocar();
  seq.setPosicao(64);
  fake->reset();
  ticks(1);  // the end of the song, as the window stops it
  AcessoGui::instancia().setVisor(nullptr);
  config.instrumentoParaTestes(anterior);
  EXPECT_EQ(calls(), "StopSync 100\n") << "no event after the stop";
  EXPECT_TRUE(kit.chamadas.empty()) << "nothing lit after the stop, not even tick 0's hits";
  EXPECT_EQ(seq.getPosicao(), 0);
}

// In 3/4 a bar of count-in is three clicks a beat apart, the bar's first accented; the song's
// first tick comes a beat after the last. The click then goes on, accenting every third beat,
// while play-along keeps the song's drums silent.
TEST_F(Sequencia, ACountInAndTheClickFollowTheBarsAndSoundWhenTheDrumsAreMuted) {
  musica({{new EventoNoteOn(0, 9, 38, 100), new EventoNoteOn(64, 2, 60, 90)}});
  compassos({{0, 3, 4}});
  seq.setContagem(1, false);
  seq.tocar();
  EXPECT_EQ(enviados(193),
            (std::vector<std::string>{"0:153,76,101", "3:153,76,0", "64:153,77,76", "67:153,77,0",
                                      "128:153,77,76", "131:153,77,0", "192:153,38,100"}));
  seq.parar();
  seq.setBateriaMuda(true);
  seq.getClique().setAtivo(true);
  seq.setContagem(0, false);
  seq.tocar();
  std::vector<std::string> acentos;
  for (const std::string &m : enviados(64 * 7))
    if (m.ends_with(",101") || m.ends_with(",76") || m.find(",38,") != std::string::npos ||
        m.find(",60,") != std::string::npos)
      acentos.push_back(m);
  EXPECT_EQ(acentos, (std::vector<std::string>{"0:153,76,101", "64:153,77,76", "64:146,60,90",
                                               "128:153,77,76", "192:153,76,101", "256:153,77,76",
                                               "320:153,77,76", "384:153,76,101"}));
}

// Marks pressed near a bar line go to it, and the loop plays whole bars: from the start's
// bar line up to the end's, which is not played again.
TEST_F(Sequencia, LoopMarksOnBarLinesWrapOnTheBarLine) {
  musica({{}});
  compassos({{0, 6, 8}});
  seq.setMarcasNasLinhas(true);
  seq.tocar();
  seq.setPosicao(190);
  seq.marcarLoop();
  seq.setPosicao(580);
  seq.marcarLoop();
  EXPECT_EQ(seq.getInicioLoop(), 192);
  EXPECT_EQ(seq.getFimLoop(), 576);
  seq.setPosicao(575);
  std::vector<int> processados;
  for (int i = 0; i < 3; ++i) {
    seq.processarTick();
    processados.push_back(seq.getPosicao());
  }
  EXPECT_EQ(processados, (std::vector<int>{576, 193, 194}));
  EXPECT_EQ(seq.getPassesLoop(), 1);
  seq.setPosicao(250);
  ASSERT_TRUE(seq.definirLoopCompassos(2));
  EXPECT_EQ(seq.getInicioLoop(), 192) << "from the current bar";
  EXPECT_EQ(seq.getFimLoop(), 576);
}

// 70 % to 80 % by 5 % after every second pass; the speed scales each tempo of the song, so
// 140 and 100 BPM play at 98 and 70 (and then at 112 and 80).
TEST_F(Sequencia, TheSpeedTrainerStepsUpEverySoManyPassesToItsTargetKeepingTheTempoMap) {
  musica({{new EventoAndamento(0, 0, 140, 428571), new EventoAndamento(32, 0, 100, 600000)}});
  seq.tocar();
  seq.setPosicao(0);
  seq.marcarLoop();
  seq.setPosicao(63);
  seq.marcarLoop();
  seq.setTreinador({true, 70, 5, 2, 80});
  std::vector<int> velocidades;
  std::vector<int> andamentos;
  for (int passe = 0; passe < 6; ++passe) {
    seq.setPosicao(1);
    for (int tick = 1; tick <= 63; ++tick) {
      seq.processarTick();
      if (tick == 1 || tick == 33) andamentos.push_back(seq.getAndamento());
    }
    velocidades.push_back(seq.getVelocidade());
  }
  EXPECT_EQ(velocidades, (std::vector<int>{70, 75, 75, 80, 80, 80}));
  EXPECT_EQ(andamentos[0], 98);
  EXPECT_EQ(andamentos[1], 70);
  EXPECT_EQ(andamentos.back(), 80);
}

}  // namespace
