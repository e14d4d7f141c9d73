// The window's practice: the count-in and the bar shown, a loop of bars and the speed set in
// the practice window, and a song that gets them back when it is opened again.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "JanelaTeste.h"
#include "pratica/PainelPratica.h"
#include "pratica/TformPratica.h"
#include "widgets/FaixaLoop.h"

using namespace kovrinta::test;

namespace {

using Estado = EstadoPlayer;

class Pratica : public JanelaPrincipal {
 protected:
  TformPratica *abrirPratica() {
    QTest::mouseClick(janela->getPainelPratica()->getBtnPratica(), Qt::LeftButton);
    TformPratica *pratica = janela->getFormPratica();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(pratica));
    return pratica;
  }

  // Types valor into spin and confirms it with Enter, as a user does.
  static void digitar(QSpinBox *spin, int valor) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(valor));
    QTest::keyClick(spin, Qt::Key_Return);
  }
};

TEST_F(Pratica, TheCountInShowsLargeOverTheStageAndTheBarAndBeatFollowTheSong) {
  mostrarJanela();
  TformPratica *pratica = abrirPratica();
  pratica->getCmbContagem()->setCurrentIndex(1);
  janela->abrirMusica(musica(seminimas(8)));
  QLabel *contagem = janela->getPainelPratica()->getLblContagem();
  Sequenciador::instancia().processarTick();
  EXPECT_TRUE(contagem->isVisible());
  EXPECT_EQ(contagem->text(), "1");
  for (int i = 0; i < 3 * 64; ++i) Sequenciador::instancia().processarTick();
  EXPECT_EQ(contagem->text(), "4") << "a bar of 4/4";
  for (int i = 0; i < 63; ++i) Sequenciador::instancia().processarTick();
  EXPECT_FALSE(contagem->isVisible()) << "gone when the song begins";
  for (int i = 0; i <= 5 * 64; ++i) Sequenciador::instancia().processarTick();
  EXPECT_EQ(janela->getPainelPratica()->getLblCompasso()->text(), "2 · 2");
}

TEST_F(Pratica, ASongOpenedAgainGetsItsLoopOfBarsAndItsSpeedBack) {
  mostrarJanela();
  const QString primeira = musica(seminimas(32), "first.mid");
  const QString segunda = musica(seminimas(32), "second.mid");
  janela->abrirMusica(primeira);
  TformPratica *pratica = abrirPratica();
  digitar(pratica->getSpnVelocidade(), 80);
  EXPECT_EQ(Sequenciador::instancia().getVelocidade(), 80);
  EXPECT_EQ(janela->getPainelPratica()->getLblVelocidade()->text(), "80 %");
  for (int i = 0; i < 5 * 64 + 10; ++i) Sequenciador::instancia().processarTick();
  digitar(pratica->getSpnCompassosLoop(), 2);
  QTest::mouseClick(pratica->getBtnLoopCompassos(), Qt::LeftButton);
  EXPECT_EQ(janela->getEstado(), Estado::Repetindo);
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), 256) << "the second bar";
  EXPECT_EQ(Sequenciador::instancia().getFimLoop(), 768);
  EXPECT_EQ(Sequenciador::instancia().getPosicao(), 256);
  EXPECT_EQ(janela->getFaixaLoop()->getInicio(), 256);
  EXPECT_EQ(janela->getFaixaLoop()->getFim(), 768);

  janela->abrirMusica(segunda);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(Sequenciador::instancia().getVelocidade(), 100);
  EXPECT_FALSE(janela->getFaixaLoop()->isVisible());

  // The first song again, from the open dialog's list of recent songs.
  QTimer::singleShot(0, [this, primeira] {
    QListWidget *recentes = janela->getListaRecentes();
    ASSERT_EQ(recentes->count(), 2);
    EXPECT_EQ(recentes->item(0)->text(), "second.mid");
    emit recentes->itemActivated(recentes->item(1));
  });
  QTest::mouseClick(janela->windowHandle(), Qt::LeftButton, {}, centro(TFormPrincipal::tagOpen));
  QTest::qWait(20);
  EXPECT_EQ(janela->getEstado(), Estado::Repetindo);
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), 256);
  EXPECT_EQ(Sequenciador::instancia().getFimLoop(), 768);
  EXPECT_EQ(Sequenciador::instancia().getPosicao(), 256);
  EXPECT_EQ(Sequenciador::instancia().getVelocidade(), 80);
  EXPECT_EQ(pratica->getSpnVelocidade()->value(), 80);
}

}  // namespace
