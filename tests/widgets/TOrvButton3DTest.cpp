// TOrvButton3D's defaults, its published properties and its two pictures.
#include "widgets/TOrvButton3D.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaProperty>
#include <vector>

#include "PinturaBotao.h"

namespace {

using kovrinta::test::azul;
using kovrinta::test::figuraLisa;
using kovrinta::test::pintura;
using kovrinta::test::vazia;
using kovrinta::test::verde;

// --- Defaults and properties ----------------------------------------------------------

TEST(TOrvButton3DDefaults, StartsAsAReleasedHandCursorPushButtonOf100By27WithNothingDrawn) {
  TOrvButton3D botao;
  EXPECT_EQ(botao.size(), QSize(100, 27));
  EXPECT_EQ(botao.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(botao.getButtonStyle(), TOrvButton3D::bsDropWhenPressed);
  EXPECT_FALSE(botao.isPressed());
  EXPECT_TRUE(botao.isAutoControlPressing());
  EXPECT_TRUE(botao.getPictureUp().isNull());
  EXPECT_TRUE(botao.getPictureDown().isNull());
  EXPECT_TRUE(botao.getText().isEmpty());
  EXPECT_EQ(botao.getTextX(), 0);
  EXPECT_EQ(botao.getTextY(), 0);
  EXPECT_EQ(botao.getTextPressedDepth(), 1);
  EXPECT_TRUE(botao.isTextCentered());
  EXPECT_TRUE(botao.isTextCenteredX());
  EXPECT_TRUE(botao.isTextCenteredY());
  EXPECT_FALSE(botao.isTextStatic());
  EXPECT_FALSE(botao.isTextShaded());
  EXPECT_EQ(botao.getTextFont().fonte, QApplication::font());
  EXPECT_EQ(botao.getTextFont().cor, QColor(Qt::black));
  EXPECT_EQ(botao.getTextShadedFont().fonte, QApplication::font());
  EXPECT_EQ(botao.getTextShadedFont().cor, QColor(255, 255, 255));
  EXPECT_TRUE(vazia(pintura(botao)));
}

TEST(TOrvButton3DProperties, ArePublishedUnderTheirFormNamesInFormOrderAndGoThroughTheSetters) {
  const QMetaObject &meta = TOrvButton3D::staticMetaObject;
  std::vector<QString> nomes;
  for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
    nomes.push_back(QString::fromLatin1(meta.property(i).name()));
  const std::vector<QString> esperados = {
      "_PictureDown",         "_PictureUp",  "_ButtonStyle",    "_Pressed",
      "_AutoControlPressing", "_Text",       "_TextX",          "_TextY",
      "_TextPressedDepth",    "_TextFont",   "_TextCentered",   "_TextCenteredX",
      "_TextCenteredY",       "_TextStatic", "_TextShadedFont", "_TextShaded"};
  EXPECT_EQ(nomes, esperados);

  // A form restores pictures, state and caption by these names.
  TOrvButton3D botao;
  botao.setProperty("_PictureDown", QVariant::fromValue(figuraLisa({30, 20}, verde)));
  botao.setProperty("_PictureUp", QVariant::fromValue(figuraLisa({30, 20}, azul)));
  botao.setProperty("_Pressed", true);
  botao.setProperty("_ButtonStyle", TOrvButton3D::bsHoldWhenPressed);
  botao.setProperty("_TextX", 7);
  botao.setProperty("_TextShadedFont", QVariant::fromValue(FonteLegenda{QFont(), Qt::green}));
  EXPECT_EQ(botao.size(), QSize(30, 20));
  EXPECT_TRUE(botao.isPressed());
  EXPECT_EQ(pintura(botao).pixelColor(0, 0), verde);
  EXPECT_EQ(botao.getButtonStyle(), TOrvButton3D::bsHoldWhenPressed);
  EXPECT_EQ(botao.getTextX(), 7);
  EXPECT_FALSE(botao.isTextCenteredX());
  EXPECT_EQ(botao.getTextShadedFont().cor, QColor(Qt::green));
  EXPECT_EQ(botao.property("_TextShadedFont").value<FonteLegenda>().cor, QColor(Qt::green));
}

// --- Pictures -------------------------------------------------------------------------

TEST(TOrvButton3DPictures, TheReleasedPictureGivesTheButtonItsSizeAndShowsItReleased) {
  TOrvButton3D botao;
  botao.setPressed(true);
  botao.setImagemSolta(figuraLisa({25, 25}, azul));
  EXPECT_EQ(botao.size(), QSize(25, 25));
  EXPECT_FALSE(botao.isPressed());
  const QImage imagem = pintura(botao);
  EXPECT_EQ(imagem.pixelColor(0, 0), azul);
  EXPECT_EQ(imagem.pixelColor(24, 24), azul);
}

TEST(TOrvButton3DPictures, ThePressedPictureShowsPressedAtOnceWithinTheButtonsSize) {
  TOrvButton3D botao;
  botao.setImagemSolta(figuraLisa({25, 25}, azul));
  botao.setImagemPressionada(figuraLisa({40, 40}, verde));
  EXPECT_TRUE(botao.isPressed());
  EXPECT_EQ(botao.size(), QSize(25, 25));
  const QImage imagem = pintura(botao);
  EXPECT_EQ(imagem.pixelColor(0, 0), verde);
  EXPECT_EQ(imagem.pixelColor(24, 24), verde);
}

TEST(TOrvButton3DPictures, TheStoredStateDecidesTheLookWhenLoadedInFormOrder) {
  for (const bool pressionado : {false, true}) {
    SCOPED_TRACE(pressionado);
    TOrvButton3D botao;
    botao.setImagemPressionada(figuraLisa({25, 25}, verde));
    botao.setImagemSolta(figuraLisa({25, 25}, azul));
    botao.setPressed(pressionado);
    EXPECT_EQ(botao.isPressed(), pressionado);
    EXPECT_EQ(pintura(botao).pixelColor(12, 0), pressionado ? verde : azul);
  }
}

TEST(TOrvButton3DPictures, AnEmptyPictureLeavesTheButtonBlankWithoutCaption) {
  TOrvButton3D botao;
  botao.setText(QStringLiteral("Fechar"));
  botao.setImagemPressionada(figuraLisa({100, 27}, verde));
  EXPECT_FALSE(vazia(pintura(botao)));
  botao.setPressed(false);  // no released picture yet
  EXPECT_TRUE(vazia(pintura(botao)));

  botao.setImagemSolta(figuraLisa({100, 27}, azul));
  EXPECT_FALSE(vazia(pintura(botao)));
  botao.setImagemPressionada(QPixmap());
  EXPECT_TRUE(botao.isPressed());
  EXPECT_TRUE(vazia(pintura(botao)));
}

}  // namespace
