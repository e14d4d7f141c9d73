// The window judges the drummer's keys against the song's notes: the mark on the kit, the
// passes window at the song's end, the settings kept, and the take saved.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "JanelaTeste.h"
#include "TVxMidiStamp.h"
#include "julgamento/MarcasJulgamento.h"
#include "julgamento/SessaoJulgamento.h"
#include "julgamento/TformCalibracao.h"
#include "julgamento/TformResumo.h"
#include "pratica/PainelPratica.h"
#include "pratica/TformPratica.h"

using namespace kovrinta::test;

namespace {

constexpr int64_t ms = 1'000'000;

class JulgamentoJanela : public JanelaPrincipal {
 protected:
  // One tick of the song inside a beat whose messages are due at devido.
  static void tick(int64_t devido) {
    TVxMidiStamp::Scope beat(devido);
    Sequenciador::instancia().processarTick();
  }
};

}  // namespace

// Closed hi-hats on beats 1 to 3 (ticks 0, 64 and 128). The first sounds before the drummer
// comes in; X (the open hi-hat, one piece with the closed one to a stick) is struck, and the
// second hi-hat sounds 60 ms later: early, on the hi-hat's picture; the third is missed. The
// song's end closes the pass.
TEST_F(JulgamentoJanela, AKeyAheadOfItsNoteIsMarkedEarlyAndTheSongsEndShowsThePass) {
  mostrarJanela();
  QTest::mouseClick(janela->getPainelPratica()->getBtnPratica(), Qt::LeftButton);
  TformPratica *pratica = janela->getFormPratica();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(pratica));
  // Relaxed: on time within 50 ms, outer window 125 ms.
  pratica->getCmbRigor()->setCurrentIndex(2);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getAjustesJulgamento().rigor, Rigor::folgado);
  pratica->close();
  ASSERT_TRUE(janela->abrirMusica(musica(seminimas(3))));

  const int64_t inicio = TVxMidiStamp::agora() - 400 * ms;
  tick(inicio);
  const int64_t antes = TVxMidiStamp::agora();
  QTest::keyPress(janela->windowHandle(), Qt::Key_X);
  QTest::keyRelease(janela->windowHandle(), Qt::Key_X);
  const int64_t depois = TVxMidiStamp::agora();
  const int64_t nota = depois + 60 * ms;
  const int64_t periodo = (nota - inicio) / 64;
  int t = 1;
  for (; t < 80; ++t) tick(inicio + t * periodo);
  const auto marcas = janela->getMarcasJulgamento()->getMarcas();
  ASSERT_FALSE(marcas.empty());
  EXPECT_EQ(marcas.back(), std::make_pair(PecaBateria::chimbalFechado, ClasseGolpe::adiantado));
  for (; Sequenciador::instancia().getSincronismo()->IsRunning() && t < 400; ++t)
    tick(inicio + t * periodo);
  ASSERT_TRUE(waitFor([&] { return janela->getFormResumo()->isVisible(); }));
  const std::vector<ResumoPasse> &passes = janela->getSessaoJulgamento()->getPasses();
  ASSERT_EQ(passes.size(), 1u);
  EXPECT_EQ(passes[0].golpes, 1);
  EXPECT_EQ(passes[0].adiantados, 1);
  EXPECT_EQ(passes[0].perdidos, 1);
  // The key arrived between antes and depois.
  EXPECT_LE(passes[0].media, static_cast<double>(depois - nota) / ms);
  EXPECT_GE(passes[0].media, static_cast<double>(antes - nota) / ms);

  // The take: the struck open hi-hat at the tick it fell on, alone in its file.
  const QString take = pasta.filePath("take.mid");
  ASSERT_TRUE(janela->salvarTakeEm(take, ModoTake::soTake));
  ASSERT_TRUE(janela->abrirMusica(take));
  int notas = 0;
  for (int i = 0; i < GerenciadorMusica::instancia().getMusicaAtual()->getNumTrilhas(); ++i)
    for (const auto &e : GerenciadorMusica::instancia().getMusicaAtual()->getTrilha(i).getEventos())
      if (auto *on = dynamic_cast<const EventoNoteOn *>(e.get()); on && on->getVelocidade() > 0) {
        ++notas;
        EXPECT_EQ(on->getNota(), 46);
        EXPECT_GT(on->getPosicao(), 50);
        EXPECT_LT(on->getPosicao(), 64);
      }
  EXPECT_EQ(notas, 1);
  // Another song starts with no pass.
  EXPECT_TRUE(janela->getSessaoJulgamento()->getPasses().empty());
}

// A take that cannot be written is named in a message.
TEST_F(JulgamentoJanela, ATakeThatCannotBeWrittenIsNamedInAMessage) {
  mostrarJanela();
  EXPECT_FALSE(janela->salvarTakeEm(pasta.filePath("no/such/folder/take.mid"), ModoTake::soTake));
  ASSERT_EQ(mensagens.size(), 1);
  EXPECT_TRUE(mensagens[0].contains("take.mid")) << mensagens[0].toStdString();
}

// The tap test from the practice window: each click sounded 20 ms before a key is struck in
// the test's own window, the clicks 100 ms apart on the clock the keys are timed by; "Use
// this" stores what it measured and the judging takes it off.
TEST_F(JulgamentoJanela, TheTapTestsKeysInItsWindowGiveTheLatencyThatIsStored) {
  mostrarJanela();
  QTest::mouseClick(janela->getPainelPratica()->getBtnPratica(), Qt::LeftButton);
  TformPratica *pratica = janela->getFormPratica();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(pratica));
  QTest::mouseClick(pratica->getBtnCalibrar(), Qt::LeftButton);
  TformCalibracao *teste = janela->getFormCalibracao();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(teste));
  QTest::mouseClick(teste->getBtnIniciar(), Qt::LeftButton);
  ASSERT_TRUE(Sequenciador::instancia().isCalibrando());

  int64_t maiorEspera = 0;
  int64_t proximo = TVxMidiStamp::agora();
  for (int clique = 0; clique < SessaoJulgamento::batidasCalibracao; ++clique) {
    while (TVxMidiStamp::agora() < proximo) QThread::usleep(200);
    const int64_t antes = TVxMidiStamp::agora();
    const int64_t som = antes - 20 * ms;
    tick(som);
    QTest::keyPress(teste->windowHandle(), Qt::Key_A);
    QTest::keyRelease(teste->windowHandle(), Qt::Key_A);
    maiorEspera = std::max(maiorEspera, TVxMidiStamp::agora() - antes);
    for (int t = 1; t < 64; ++t) tick(som + t * 100 * ms / 64);
    proximo = antes + 100 * ms;
  }
  ASSERT_TRUE(waitFor([&] { return teste->getEstado() == TformCalibracao::Estado::resultado; }));
  QTest::mouseClick(teste->getBtnUsar(), Qt::LeftButton);
  const double latencia = ArquivoConfiguracao::instancia().getAjustesJulgamento().latenciaEntradaMs;
  EXPECT_GE(latencia, 20);
  EXPECT_LE(latencia, 20 + static_cast<double>(maiorEspera) / ms);
  EXPECT_DOUBLE_EQ(janela->getSessaoJulgamento()->getAjustes().latenciaEntradaMs, latencia);
  EXPECT_EQ(pratica->getLblValorLatencia()->text(), TformResumo::formatarDesvio(latencia));
}
