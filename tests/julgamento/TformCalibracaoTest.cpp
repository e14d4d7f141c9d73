// The tap test's window as the drummer uses it, in English: Start asks for the clicks and
// follows them, a valid result hands its latency over, an invalid one cannot be used, and
// neither Escape nor a strike on the computer keyboard is mistaken for the other.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "config/GerenciadorIdiomas.h"
#include "julgamento/TformCalibracao.h"

namespace {

class JanelaCalibracao : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
    ASSERT_TRUE(GerenciadorIdiomas::instancia().selecionarIdioma(QStringLiteral("English")));
  }

  void SetUp() override {
    janela.aplicarIdioma();
    janela.mostrarInicio(12.34);
    janela.show();
    janela.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&janela));
  }

  // A key pressed and released where the keyboard's events go: the widget with the focus.
  void teclar(Qt::Key tecla) {
    QWidget *foco = janela.focusWidget();
    QTest::keyClick(foco ? foco : &janela, tecla);
  }

  static Calibracao::Resultado resultado(bool valido, double latenciaMs, int usados,
                                         int descartados) {
    Calibracao::Resultado r;
    r.valido = valido;
    r.latenciaMs = latenciaMs;
    r.usados = usados;
    r.descartados = descartados;
    return r;
  }

  TformCalibracao janela;
};

TEST_F(JanelaCalibracao, StartAsksForTheClicksAndFollowsThem) {
  EXPECT_EQ(janela.getLblLatenciaAtual()->text(), "Input latency now: 12.3 ms");
  QSignalSpy pedidos(&janela, &TformCalibracao::iniciarPedido);
  QTest::mouseClick(janela.getBtnIniciar(), Qt::LeftButton);
  EXPECT_EQ(pedidos.count(), 1);
  EXPECT_EQ(janela.getEstado(), TformCalibracao::Estado::rodando);
  EXPECT_FALSE(janela.getBtnIniciar()->isVisible());
  EXPECT_TRUE(janela.getBtnCancelar()->isVisible());

  janela.mostrarProgresso(5, 24, 4);
  EXPECT_TRUE(janela.getLblProgresso()->isVisible());
  EXPECT_EQ(janela.getLblProgresso()->text(), QString::fromUtf8("Click 5 of 24 · 4 strikes"));
  EXPECT_EQ(janela.getBarProgresso()->maximum(), 24);
  EXPECT_EQ(janela.getBarProgresso()->value(), 5);
}

TEST_F(JanelaCalibracao, UseThisHandsTheMeasuredLatencyOver) {
  QSignalSpy aceitas(&janela, &TformCalibracao::aceita);
  QSignalSpy cancelados(&janela, &TformCalibracao::cancelado);
  janela.mostrarResultado(resultado(true, 12.34, 22, 2));
  EXPECT_EQ(janela.getLblResultado()->text(),
            "Your strikes arrive 12.3 ms after the click sounds.");
  EXPECT_EQ(janela.getLblDetalhes()->text(),
            "22 strikes used; 2 left out: a second strike on one click, or one far from the "
            "others.");
  ASSERT_TRUE(janela.getBtnUsar()->isVisible());
  QTest::mouseClick(janela.getBtnUsar(), Qt::LeftButton);
  ASSERT_EQ(aceitas.count(), 1);
  EXPECT_DOUBLE_EQ(aceitas.front().front().toDouble(), 12.34);
  EXPECT_EQ(janela.result(), QDialog::Accepted);
  EXPECT_FALSE(janela.isVisible());
  EXPECT_EQ(cancelados.count(), 0);
}

TEST_F(JanelaCalibracao, AnInvalidResultOffersOnlyAgainAndSaysWhatToDo) {
  QSignalSpy pedidos(&janela, &TformCalibracao::iniciarPedido);
  janela.mostrarResultado(resultado(false, 0, 5, 1));
  EXPECT_FALSE(janela.getBtnUsar()->isVisible());
  EXPECT_EQ(janela.getLblResultado()->text(),
            "Too few strikes came near the clicks: 5 of the 8 needed.");
  EXPECT_EQ(janela.getLblDetalhes()->text(),
            "Check that your kit or the keyboard is playing, strike once on each click, and try "
            "again.");
  // Enter presses Again, the state's default button.
  teclar(Qt::Key_Return);
  EXPECT_EQ(pedidos.count(), 1);
  EXPECT_EQ(janela.getEstado(), TformCalibracao::Estado::rodando);
}

TEST_F(JanelaCalibracao, EscapeCancelsTheClicks) {
  QSignalSpy cancelados(&janela, &TformCalibracao::cancelado);
  QTest::mouseClick(janela.getBtnIniciar(), Qt::LeftButton);
  janela.mostrarProgresso(3, 24, 2);
  teclar(Qt::Key_Escape);
  EXPECT_EQ(cancelados.count(), 1);
  EXPECT_EQ(janela.result(), QDialog::Rejected);
  EXPECT_FALSE(janela.isVisible());
}

// Space and the letters play the kit on the computer keyboard; striking them on the clicks
// must not press Cancel, which had the focus after Start went away.
TEST_F(JanelaCalibracao, StrikesOnTheComputerKeyboardPressNoButton) {
  QSignalSpy cancelados(&janela, &TformCalibracao::cancelado);
  QSignalSpy pedidos(&janela, &TformCalibracao::iniciarPedido);
  QTest::mouseClick(janela.getBtnIniciar(), Qt::LeftButton);
  janela.mostrarProgresso(2, 24, 1);
  for (Qt::Key tecla : {Qt::Key_Space, Qt::Key_Space, Qt::Key_X, Qt::Key_Return}) teclar(tecla);
  janela.mostrarResultado(resultado(true, 12.34, 22, 0));
  teclar(Qt::Key_Space);
  EXPECT_EQ(cancelados.count(), 0);
  EXPECT_EQ(pedidos.count(), 1);
  EXPECT_TRUE(janela.isVisible());
}

}  // namespace
