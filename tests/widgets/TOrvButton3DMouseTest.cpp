// TOrvButton3D under the mouse: mouse events sent through the window system to a shown
// window, in the push and the latching style, with and without automatic pressing.
#include <gtest/gtest.h>

#include <QString>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "PinturaBotao.h"
#include "widgets/TOrvButton3D.h"

namespace {

using kovrinta::test::azul;
using kovrinta::test::caixaTinta;
using kovrinta::test::figuraLisa;
using kovrinta::test::pintura;
using kovrinta::test::verde;

// An 80 x 30 button with a caption at 20, 20 in a 200 x 100 window. Every mouse event the
// button raises is recorded with the state it saw, e.g. "down L pressed".
class MouseBotao : public ::testing::Test {
 protected:
  void SetUp() override {
    janela.resize(200, 100);
    botao->move(20, 20);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    botao->setTextFont({f, Qt::red});
    botao->setTextDepth(2);
    botao->setImagemPressionada(figuraLisa({80, 30}, verde));
    botao->setImagemSolta(figuraLisa({80, 30}, azul));
    botao->setText(QStringLiteral("Fechar"));
    legendaSolta = caixaTinta(pintura(*botao), azul);
    ASSERT_FALSE(legendaSolta.isEmpty());

    QObject::connect(botao, &TOrvButton3D::mouseDown,
                     [this](Qt::MouseButton b) { anotar("down", b); });
    QObject::connect(botao, &TOrvButton3D::mouseUp, [this](Qt::MouseButton b) { anotar("up", b); });
    QObject::connect(botao, &TOrvButton3D::click, [this] { anotar("click", Qt::NoButton); });

    janela.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&janela));
  }

  void anotar(const char *evento, Qt::MouseButton b) {
    std::string s = evento;
    if (b == Qt::LeftButton) s += " L";
    if (b == Qt::RightButton) s += " R";
    s += botao->isPressed() ? " pressed" : " released";
    eventos.push_back(s);
  }

  // Mouse actions at a point of the button (its middle unless given), through the window.
  QPoint naJanela(QPoint p) const { return botao->mapTo(&janela, p); }
  void premer(Qt::MouseButton b, QPoint p = {40, 15}) {
    QTest::mousePress(janela.windowHandle(), b, {}, naJanela(p));
  }
  void soltar(Qt::MouseButton b, QPoint p = {40, 15}) {
    QTest::mouseRelease(janela.windowHandle(), b, {}, naJanela(p));
  }
  void clicar(Qt::MouseButton b) {
    QTest::mouseClick(janela.windowHandle(), b, {}, naJanela({40, 15}));
  }
  void duploClique() {
    QTest::mouseDClick(janela.windowHandle(), Qt::LeftButton, {}, naJanela({40, 15}));
  }

  // The released picture with the caption at its place.
  bool pareceSolto() {
    const QImage imagem = pintura(*botao);
    return imagem.pixelColor(0, 0) == azul && caixaTinta(imagem, azul) == legendaSolta;
  }
  // The pressed picture with the caption sunk by the pressed depth.
  bool pareceAfundado() {
    const QImage imagem = pintura(*botao);
    return imagem.pixelColor(0, 0) == verde &&
           caixaTinta(imagem, verde) == legendaSolta.translated(2, 2);
  }

  using Eventos = std::vector<std::string>;

  QWidget janela;
  TOrvButton3D *botao = new TOrvButton3D(&janela);
  QRect legendaSolta;
  Eventos eventos;
};

TEST_F(MouseBotao, PushStyleLooksPressedOnlyWhileTheLeftButtonIsHeld) {
  premer(Qt::LeftButton);
  EXPECT_TRUE(botao->isPressed());
  EXPECT_TRUE(pareceAfundado());
  EXPECT_EQ(eventos, Eventos({"down L pressed"}));

  soltar(Qt::LeftButton);
  EXPECT_FALSE(botao->isPressed());
  EXPECT_TRUE(pareceSolto());
  EXPECT_EQ(eventos, Eventos({"down L pressed", "up L released", "click released"}));
}

TEST_F(MouseBotao, PushStyleReleasedOffTheButtonLooksReleasedWithoutAClick) {
  premer(Qt::LeftButton);
  soltar(Qt::LeftButton, {120, 50});
  EXPECT_FALSE(botao->isPressed());
  EXPECT_TRUE(pareceSolto());
  EXPECT_EQ(eventos, Eventos({"down L pressed", "up L released"}));
}

TEST_F(MouseBotao, TheRightButtonChangesNothingButRaisesTheMouseEventsInBothStyles) {
  for (const auto estilo : {TOrvButton3D::bsDropWhenPressed, TOrvButton3D::bsHoldWhenPressed}) {
    SCOPED_TRACE(estilo);
    eventos.clear();
    botao->setButtonStyle(estilo);
    premer(Qt::RightButton);
    EXPECT_TRUE(pareceSolto());
    soltar(Qt::RightButton);
    EXPECT_TRUE(pareceSolto());
    EXPECT_FALSE(botao->isPressed());
    EXPECT_EQ(eventos, Eventos({"down R released", "up R released"}));
  }

  // Nor does it release a latched button, or count as its releasing click.
  botao->setButtonStyle(TOrvButton3D::bsHoldWhenPressed);
  clicar(Qt::LeftButton);
  clicar(Qt::RightButton);
  EXPECT_TRUE(pareceAfundado());
  clicar(Qt::LeftButton);
  EXPECT_TRUE(pareceSolto());
}

TEST_F(MouseBotao, LatchingStyleStaysPressedUntilTheReleaseOfTheNextClick) {
  botao->setButtonStyle(TOrvButton3D::bsHoldWhenPressed);
  clicar(Qt::LeftButton);
  EXPECT_TRUE(botao->isPressed());
  EXPECT_TRUE(pareceAfundado());
  EXPECT_EQ(eventos, Eventos({"down L pressed", "up L pressed", "click pressed"}));

  eventos.clear();
  premer(Qt::LeftButton);
  EXPECT_TRUE(botao->isPressed());
  EXPECT_TRUE(pareceAfundado());
  soltar(Qt::LeftButton);
  EXPECT_FALSE(botao->isPressed());
  EXPECT_TRUE(pareceSolto());
  EXPECT_EQ(eventos, Eventos({"down L pressed", "up L released", "click released"}));

  // The release cleared the unlatching, so the next click latches again.
  clicar(Qt::LeftButton);
  EXPECT_TRUE(pareceAfundado());
}

TEST_F(MouseBotao, ADoubleClickIsTwoClicksInBothStyles) {
  // Qt reports the second press as a double click only; it must press like any other.
  botao->setButtonStyle(TOrvButton3D::bsHoldWhenPressed);
  duploClique();
  EXPECT_FALSE(botao->isPressed());
  EXPECT_TRUE(pareceSolto());
  EXPECT_EQ(eventos, Eventos({"down L pressed", "up L pressed", "click pressed", "down L pressed",
                              "up L released", "click released"}));

  eventos.clear();
  botao->setButtonStyle(TOrvButton3D::bsDropWhenPressed);
  duploClique();
  EXPECT_TRUE(pareceSolto());
  EXPECT_EQ(eventos, Eventos({"down L pressed", "up L released", "click released", "down L pressed",
                              "up L released", "click released"}));
}

TEST_F(MouseBotao, WithoutAutomaticPressingOnlyThePressedStateChangesTheLook) {
  botao->setAutoControlPressing(false);
  for (const auto estilo : {TOrvButton3D::bsDropWhenPressed, TOrvButton3D::bsHoldWhenPressed}) {
    SCOPED_TRACE(estilo);
    botao->setButtonStyle(estilo);
    botao->setPressed(false);
    eventos.clear();
    premer(Qt::LeftButton);
    EXPECT_TRUE(pareceSolto());
    soltar(Qt::LeftButton);
    EXPECT_TRUE(pareceSolto());
    EXPECT_EQ(eventos, Eventos({"down L released", "up L released", "click released"}));

    botao->setPressed(true);
    EXPECT_TRUE(pareceAfundado());
    clicar(Qt::LeftButton);
    clicar(Qt::LeftButton);
    EXPECT_TRUE(botao->isPressed());
    EXPECT_TRUE(pareceAfundado());
  }
}

TEST_F(MouseBotao, ADisabledButtonIgnoresTheMouse) {
  botao->setEnabled(false);
  clicar(Qt::LeftButton);
  EXPECT_FALSE(botao->isPressed());
  EXPECT_TRUE(pareceSolto());
  EXPECT_TRUE(eventos.empty());

  botao->setEnabled(true);
  clicar(Qt::LeftButton);
  EXPECT_EQ(eventos.size(), 3u);
}

}  // namespace
