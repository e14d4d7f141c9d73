// The window's zoom: the default a screen suggests, the command line's choice, and the
// artwork drawn for every zoom.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QImage>
#include <cmath>

#include "shell/Zoom.h"
#include "widgets/FiguraArte.h"

namespace {

TEST(Zoom, TheDefaultIsTheLargestThatLeavesAQuarterOfTheScreenInTheDesktopsOwnPixels) {
  EXPECT_EQ(zoom::padraoParaTela({1366, 768}, 1), 100);
  EXPECT_EQ(zoom::padraoParaTela({1280, 1024}, 1), 100);
  EXPECT_EQ(zoom::padraoParaTela({1920, 1080}, 1), 150);
  EXPECT_EQ(zoom::padraoParaTela({2560, 1440}, 1), 200);
  EXPECT_EQ(zoom::padraoParaTela({3840, 2160}, 1), 200);
  // A desktop that already doubles everything: a 4K screen is a 1920 x 1080 one.
  EXPECT_EQ(zoom::padraoParaTela({3840, 2160}, 2), 150);
  EXPECT_EQ(zoom::padraoParaTela({800, 600}, 1), 100);
}

TEST(Zoom, TheCommandLineGivesOnlyAZoomOfTheListAndNothingAfterTheOptionsEnd) {
  const auto ler = [](std::vector<const char *> args) {
    return zoom::lerArgumento(static_cast<int>(args.size()), const_cast<char **>(args.data()));
  };
  EXPECT_EQ(ler({"kovrinta", "--lanes", "--zoom", "150", "song.mid"}), 150);
  EXPECT_EQ(ler({"kovrinta", "--zoom", "125"}), std::nullopt);
  EXPECT_EQ(ler({"kovrinta", "--zoom"}), std::nullopt);
  EXPECT_EQ(ler({"kovrinta", "--", "--zoom", "200"}), std::nullopt);
  EXPECT_EQ(zoom::escolher(200, 150), 200);
  EXPECT_EQ(zoom::escolher(std::nullopt, 150), 150);
}

// Every picture compiled into the program is there drawn at 1.5 and 2 times its size, so
// that no zoom stretches one; a screen's pixel ratio takes the finest it needs.
TEST(Zoom, EveryPictureIsDrawnForEveryZoom) {
  int figuras = 0;
  for (const char *pasta : {":/skin", ":/kit", ":/teclado", ":/assistente", ":/icone"}) {
    QDirIterator it(QString::fromLatin1(pasta));
    while (it.hasNext()) {
      const QString nome = it.next();
      if (nome.contains(u'@')) continue;
      ++figuras;
      const QSize tamanho = QImage(nome).size();
      const QString base = nome.left(nome.size() - 4);
      for (const auto &[sufixo, escala] : {std::pair{"@1.5x", 1.5}, {"@2x", 2.0}}) {
        const QSize fina = QImage(base + QLatin1String(sufixo) + ".png").size();
        EXPECT_EQ(fina, QSize(static_cast<int>(std::lround(tamanho.width() * escala)),
                              static_cast<int>(std::lround(tamanho.height() * escala))))
            << qPrintable(nome) << sufixo;
      }
    }
  }
  EXPECT_GT(figuras, 50);
  EXPECT_EQ(escalaFiguraArte(1), 1);
  EXPECT_EQ(escalaFiguraArte(1.25), 1.5);
  EXPECT_EQ(escalaFiguraArte(1.5), 1.5);
  EXPECT_EQ(escalaFiguraArte(2), 2);
  EXPECT_EQ(escalaFiguraArte(3), 2);
}

}  // namespace
