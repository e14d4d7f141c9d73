// Where TOrvButton3D paints its caption and the caption's shadow, the centring flags, and
// which setters redraw.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QTest>

#include "PinturaBotao.h"
#include "QtWait.h"
#include "widgets/TOrvButton3D.h"

namespace {

using kovrinta::test::azul;
using kovrinta::test::caixaDe;
using kovrinta::test::caixaTinta;
using kovrinta::test::contar;
using kovrinta::test::figuraLisa;
using kovrinta::test::pintura;
using kovrinta::test::verde;
using kovrinta::test::vermelho;

// --- The caption ----------------------------------------------------------------------

// An 80 x 30 button with the caption "Fechar" in red bold DejaVu Sans of 12 pixels, and the
// caption's ink as painted with its cell at (10, 5), from which every other place follows.
class LegendaBotao : public ::testing::Test {
 protected:
  void SetUp() override {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    f.setBold(true);
    fonte = {f, vermelho};
    preparar(botao);

    TOrvButton3D modelo;
    preparar(modelo);
    modelo.setTextX(10);
    modelo.setTextY(5);
    referencia = caixaTinta(pintura(modelo), azul);
    ASSERT_FALSE(referencia.isEmpty());
    ASSERT_TRUE(QRect(0, 0, 80, 30).contains(referencia));
  }

  void preparar(TOrvButton3D &b) const {
    b.setTextFont(fonte);
    b.setImagemPressionada(figuraLisa({80, 30}, verde));
    b.setImagemSolta(figuraLisa({80, 30}, azul));
    b.setText(QStringLiteral("Fechar"));
  }

  // Where the caption's ink lies with its cell's top-left corner at x, y.
  QRect tintaEm(int x, int y) const { return referencia.translated(x - 10, y - 5); }
  // Where it lies in the painting now, over the released or the pressed picture.
  QRect tintaSolta() { return caixaTinta(pintura(botao), azul); }
  QRect tintaPressionada() { return caixaTinta(pintura(botao), verde); }

  int xCentrado(const QString &texto) const {
    return (80 - QFontMetrics(fonte.fonte).horizontalAdvance(texto)) / 2;
  }
  int yCentrado() const { return (30 - QFontMetrics(fonte.fonte).height()) / 2; }

  FonteLegenda fonte;
  TOrvButton3D botao;
  QRect referencia;
};

TEST_F(LegendaBotao, TextXAndTextYPlaceTheTopLeftCornerOfTheTextCell) {
  const QFontMetrics medida(fonte.fonte);
  const QRect glifos =
      medida.tightBoundingRect(QStringLiteral("Fechar")).translated(10, 5 + medida.ascent());
  // Antialiasing may touch one pixel more or less than the glyphs' outline.
  EXPECT_NEAR(referencia.left(), glifos.left(), 1);
  EXPECT_NEAR(referencia.top(), glifos.top(), 1);
  EXPECT_NEAR(referencia.right(), glifos.right(), 1);
  EXPECT_NEAR(referencia.bottom(), glifos.bottom(), 1);
  EXPECT_GT(contar(pintura(botao), vermelho), 0) << "the caption's own colour";
}

TEST_F(LegendaBotao, IsCentredOnBothAxesByTheCaptionFontsMeasure) {
  EXPECT_EQ(botao.getTextX(), xCentrado(QStringLiteral("Fechar")));
  EXPECT_EQ(botao.getTextY(), yCentrado());
  EXPECT_EQ(tintaSolta(), tintaEm(xCentrado(QStringLiteral("Fechar")), yCentrado()));
}

TEST_F(LegendaBotao, AnEmptyCaptionCentresAtHalfTheSize) {
  botao.setText(QString());
  EXPECT_EQ(botao.getTextX(), 40);
  EXPECT_EQ(botao.getTextY(), 15);

  TOrvButton3D fechar;
  fechar.setImagemSolta(figuraLisa({25, 25}, azul));
  EXPECT_EQ(fechar.getTextX(), 12);
  EXPECT_EQ(fechar.getTextY(), 12);

  TOrvButton3D semFigura;
  semFigura.setText(QString());
  EXPECT_EQ(semFigura.getTextX(), 50);
  EXPECT_EQ(semFigura.getTextY(), 13);
}

TEST_F(LegendaBotao, ACaptionWiderThanTheButtonCentresWithTheHalfTruncatedTowardZero) {
  TOrvButton3D estreito;
  estreito.setTextFont(fonte);
  estreito.setImagemSolta(figuraLisa({25, 25}, azul));
  // A caption whose overhang is odd tells truncation (-2 for 5 pixels) from flooring (-3).
  const QFontMetrics medida(fonte.fonte);
  QString legenda;
  for (const char *candidato : {"Fechar", "Fecha", "Teclado", "Atalhos", "Ajuda!", "Sair!!"}) {
    const int largura = medida.horizontalAdvance(QLatin1String(candidato));
    if (largura > 25 && (largura - 25) % 2 == 1) {
      legenda = QLatin1String(candidato);
      break;
    }
  }
  ASSERT_FALSE(legenda.isEmpty()) << "no candidate caption with an odd overhang";
  estreito.setText(legenda);
  const int sobra = medida.horizontalAdvance(legenda) - 25;
  EXPECT_EQ(estreito.getTextX(), -(sobra / 2)) << qPrintable(legenda);
}

TEST_F(LegendaBotao, SinksByThePressedDepthUnlessStatic) {
  const int x = botao.getTextX(), y = botao.getTextY();
  botao.setPressed(true);
  EXPECT_EQ(tintaPressionada(), tintaEm(x + 1, y + 1));
  botao.setTextDepth(3);
  EXPECT_EQ(tintaPressionada(), tintaEm(x + 3, y + 3));
  botao.setPressed(false);
  EXPECT_EQ(tintaSolta(), tintaEm(x, y));

  botao.setTextStatic(true);
  botao.setPressed(true);
  EXPECT_EQ(tintaPressionada(), tintaEm(x, y));
}

TEST_F(LegendaBotao, TheStaticFlagShowsOnlyAtTheNextRedraw) {
  const int x = botao.getTextX(), y = botao.getTextY();
  botao.setPressed(true);
  const QImage antes = pintura(botao);
  botao.setTextStatic(true);
  EXPECT_EQ(pintura(botao), antes);
  botao.setText(botao.getText());
  EXPECT_EQ(tintaPressionada(), tintaEm(x, y));
}

TEST_F(LegendaBotao, TheShadowIsDrawnFirstOnePixelRightAndDownInWhiteByDefault) {
  // Caption and shadow in the same bold face, so that the shadow is the caption's shape and
  // their strokes overlap; the shadow keeps its default colour.
  TOrvButton3D b;
  FonteLegenda padrao = b.getTextShadedFont();
  padrao.fonte.setPixelSize(16);
  padrao.fonte.setBold(true);
  b.setTextShadedFont(padrao);
  b.setTextFont({padrao.fonte, vermelho});
  b.setImagemSolta(figuraLisa({80, 30}, azul));
  b.setText(QStringLiteral("Fechar"));
  const QImage soLegenda = pintura(b);

  b.setTextFont({padrao.fonte, Qt::transparent});
  b.setTextShaded(true);
  const QImage soSombra = pintura(b);
  EXPECT_EQ(caixaTinta(soSombra, azul), caixaTinta(soLegenda, azul).translated(1, 1));
  EXPECT_GT(contar(soSombra, Qt::white), 0);
  // Every shadow pixel lies between the picture's blue and white.
  EXPECT_TRUE(caixaDe(soSombra, [](QColor c) {
                return c != azul && (c.red() != c.green() || c.blue() < c.red());
              }).isEmpty());

  b.setTextFont({padrao.fonte, vermelho});
  const QImage ambos = pintura(b);
  int sobrepostos = 0;
  for (int y = 0; y < ambos.height(); ++y)
    for (int x = 0; x < ambos.width(); ++x)
      if (soLegenda.pixelColor(x, y) == vermelho && soSombra.pixelColor(x, y) == Qt::white) {
        ++sobrepostos;
        EXPECT_EQ(ambos.pixelColor(x, y), vermelho) << x << "," << y;
      }
  ASSERT_GT(sobrepostos, 0) << "caption and shadow never overlap: the order is not tested";
}

TEST_F(LegendaBotao, EverySetterThatRedrawsShowsItsChangeAtOnce) {
  const int yc = yCentrado();
  botao.setTextX(3);
  EXPECT_EQ(tintaSolta(), tintaEm(3, yc));
  botao.setTextY(2);
  EXPECT_EQ(tintaSolta(), tintaEm(3, 2));
  botao.setPressed(true);
  botao.setTextDepth(4);
  EXPECT_EQ(tintaPressionada(), tintaEm(7, 6));
  botao.setPressed(false);

  const QRect pequena = tintaSolta();
  FonteLegenda maior = fonte;
  maior.fonte.setPixelSize(18);
  maior.cor = Qt::yellow;
  botao.setTextFont(maior);
  EXPECT_GT(tintaSolta().height(), pequena.height());
  EXPECT_GT(tintaSolta().width(), pequena.width());
  EXPECT_GT(contar(pintura(botao), Qt::yellow), 0);
  EXPECT_EQ(contar(pintura(botao), vermelho), 0);

  botao.setTextShaded(true);
  EXPECT_GT(contar(pintura(botao), Qt::white), 0);
  botao.setTextShadedFont({fonte.fonte, Qt::green});
  EXPECT_EQ(contar(pintura(botao), Qt::white), 0);
  EXPECT_GT(contar(pintura(botao), Qt::green), 0);
  botao.setTextShaded(false);
  EXPECT_EQ(contar(pintura(botao), Qt::green), 0);

  const QRect fechar = tintaSolta();
  botao.setText(QStringLiteral("OK"));
  EXPECT_LT(tintaSolta().width(), fechar.width());
  EXPECT_EQ(botao.getTextX(), 3) << "horizontal centring is off";
  EXPECT_NEAR(tintaSolta().left(), 3, 3);

  botao.setTextCentered(true);
  const QFontMetrics medida(maior.fonte);
  EXPECT_EQ(botao.getTextX(), (80 - medida.horizontalAdvance(QStringLiteral("OK"))) / 2);
  EXPECT_EQ(botao.getTextY(), (30 - medida.height()) / 2);
  const QRect centrada = tintaSolta();
  EXPECT_GT(centrada.left(), fechar.left());
  EXPECT_NEAR(centrada.center().x(), 40, 2);
}

TEST_F(LegendaBotao, ARedrawOfAShownButtonReachesTheScreen) {
  // Paints counted as the widget receives them from the window system.
  struct ContadorPinturas : QObject {
    int pinturas = 0;
    bool eventFilter(QObject *, QEvent *evento) override {
      pinturas += evento->type() == QEvent::Paint;
      return false;
    }
  } contador;
  botao.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&botao));
  botao.installEventFilter(&contador);
  QApplication::processEvents();
  contador.pinturas = 0;
  botao.setTextX(2);
  EXPECT_TRUE(kovrinta::test::waitFor([&] { return contador.pinturas > 0; }));
  contador.pinturas = 0;
  botao.setPressed(true);
  EXPECT_TRUE(kovrinta::test::waitFor([&] { return contador.pinturas > 0; }));
  EXPECT_EQ(tintaPressionada(), tintaEm(3, yCentrado() + 1));

  // A change of picture alone, without a caption to draw, reaches the screen too.
  botao.setText(QString());
  QApplication::processEvents();
  contador.pinturas = 0;
  botao.setPressed(false);
  EXPECT_TRUE(kovrinta::test::waitFor([&] { return contador.pinturas > 0; }));
}

// --- Centring flags -------------------------------------------------------------------

TEST_F(LegendaBotao, SettingOneAxisTurnsItsCentringOffAndTheBothAxesFlagWithIt) {
  const int yc = yCentrado();
  botao.setTextX(5);
  EXPECT_FALSE(botao.isTextCenteredX());
  EXPECT_FALSE(botao.isTextCentered());
  EXPECT_TRUE(botao.isTextCenteredY());
  // A new caption is recentred only on the axis still centred.
  botao.setText(QStringLiteral("Fechar tudo"));
  EXPECT_EQ(botao.getTextX(), 5);
  EXPECT_EQ(botao.getTextY(), yc);

  botao.setTextY(1);
  EXPECT_FALSE(botao.isTextCenteredY());
  botao.setTextCenteredY(true);
  EXPECT_TRUE(botao.isTextCenteredY());
  EXPECT_FALSE(botao.isTextCentered()) << "horizontal centring is still off";
  EXPECT_EQ(botao.getTextY(), yc);
  EXPECT_EQ(botao.getTextX(), 5);

  botao.setTextCenteredX(true);
  EXPECT_TRUE(botao.isTextCentered());
  EXPECT_EQ(botao.getTextX(), xCentrado(QStringLiteral("Fechar tudo")));

  // The same with the roles swapped: centring X again while Y is off.
  botao.setTextY(1);
  EXPECT_FALSE(botao.isTextCentered());
  botao.setTextCenteredX(true);
  EXPECT_FALSE(botao.isTextCentered()) << "vertical centring is still off";
  EXPECT_EQ(botao.getTextY(), 1);
}

TEST_F(LegendaBotao, CentringBothAxesOffKeepsThePlaceForLaterCaptions) {
  const int x = botao.getTextX(), y = botao.getTextY();
  botao.setTextCentered(false);
  EXPECT_FALSE(botao.isTextCentered());
  EXPECT_FALSE(botao.isTextCenteredX());
  EXPECT_FALSE(botao.isTextCenteredY());
  botao.setText(QStringLiteral("OK"));
  EXPECT_EQ(botao.getTextX(), x);
  EXPECT_EQ(botao.getTextY(), y);
  botao.setTextCentered(true);
  EXPECT_TRUE(botao.isTextCenteredX());
  EXPECT_TRUE(botao.isTextCenteredY());
  EXPECT_EQ(botao.getTextX(), xCentrado(QStringLiteral("OK")));
}
}  // namespace
