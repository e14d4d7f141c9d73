// The sequencer: tempo and timer calls, the order of a tick, the loop, jumps, play-along
// muting and the kit display.
#include <gtest/gtest.h>

#include "ProgramaFalso.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
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
    seq.setAndamento(120);
    fake->reset();
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
};

TEST_F(Sequencia, TickPeriodsAndTheTimerCallsOfPlayPauseAndTempo) {
  EXPECT_EQ(Sequenciador::periodoTick(120), 7812u);
  EXPECT_EQ(Sequenciador::periodoTick(100), 9375u);
  EXPECT_EQ(Sequenciador::periodoTick(240), 3906u);
  EXPECT_EQ(Sequenciador::periodoTick(40), 23437u);
  seq.setAndamento(90);
  seq.tocar();
  seq.tocar();
  seq.setAndamento(90);
  seq.setAndamento(0);
  seq.setAndamento(-3);
  seq.pausar(true);
  seq.pausar(false);
  EXPECT_EQ(calls(),
            "SetTempo 100 10416\nSetTempo 100 10416\nStartSync 100\n"
            "StopSync 100\nSetTempo 100 10416\nStartSync 100\n"
            "StopSync 100\nSetTempo 100 10416\nStartSync 100\n");
  EXPECT_EQ(seq.getAndamento(), 90);
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

TEST_F(Sequencia, ATempoChangeWhilePlayingRestartsTheTimerAtTheNewPeriod) {
  musica({{new EventoAndamento(3, 0, 90)}});
  seq.tocar();
  fake->reset();
  ticks(4);
  EXPECT_EQ(calls(), "StopSync 100\nSetTempo 100 10416\nStartSync 100\n");
  EXPECT_EQ(seq.getAndamento(), 90);
}

TEST_F(Sequencia, AStopInsideATickEndsItAtOnce) {
  struct Parador : VisorReproducao {
    void exibirAndamento(int) override {}
    void avancarTempo() override { Sequenciador::instancia().interromper(); }
  } parador;
  AcessoGui::instancia().setVisor(&parador);
  musica({{new EventoNoteOn(0, 9, 36, 100)}});
  seq.tocar();
  fake->reset();
  ticks(1);
  AcessoGui::instancia().setVisor(nullptr);
  EXPECT_EQ(calls(), "StopSync 100\n") << "no event after the stop, no advance";
  EXPECT_EQ(seq.getPosicao(), 0);
}

}  // namespace
