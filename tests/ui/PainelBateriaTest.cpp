// The kit's pictures on the panel pnInstrumento: built artwork, places, visibility, painting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <memory>

#include "KitEsperado.h"
#include "QtWait.h"
#include "ui/Bateria.h"
#include "ui/PainelInstrumento.h"

namespace {

using kovrinta::test::FiguraEsperada;
using kovrinta::test::kitEsperado;

// --- The artwork as built into the program --------------------------------------------

TEST(KitPictures, EveryPictureIsAResourceOfItsPlaceSizeWithTransparency) {
  for (const FiguraEsperada &f : kitEsperado) {
    SCOPED_TRACE(f.nome);
    const QImage imagem(QStringLiteral(":/kit/%1.png").arg(QLatin1String(f.nome)));
    ASSERT_FALSE(imagem.isNull());
    EXPECT_EQ(imagem.size(), f.lugar.size());
    EXPECT_TRUE(imagem.hasAlphaChannel());
  }
}

TEST(KitPictures, SticksAndFeetLetThePicturesBelowShowThrough) {
  for (const FiguraEsperada &f : kitEsperado) {
    const QString nome = QLatin1String(f.nome);
    if (!nome.startsWith(QLatin1String("imgBaq")) && !nome.startsWith(QLatin1String("imgPe")))
      continue;
    SCOPED_TRACE(f.nome);
    const QImage imagem =
        QImage(QStringLiteral(":/kit/%1.png").arg(nome)).convertToFormat(QImage::Format_ARGB32);
    int transparentes = 0, desenhados = 0;
    for (int y = 0; y < imagem.height(); ++y)
      for (int x = 0; x < imagem.width(); ++x) {
        const int a = qAlpha(imagem.pixel(x, y));
        transparentes += a == 0;
        desenhados += a >= 128;
      }
    EXPECT_GT(transparentes, 0) << "no transparent pixel";
    EXPECT_GT(desenhados, 0) << "nothing drawn";
  }
}

// --- Places and visibility on the panel -----------------------------------------------

class BateriaPainel : public ::testing::Test {
 protected:
  void SetUp() override {
    painel = std::make_unique<PainelInstrumento>();
    kit = std::make_unique<Bateria>(painel.get());
  }

  int indice(const char *nome) const { return painel->indiceFigura(QLatin1String(nome)); }

  // Every picture of the kit shows on the panel exactly when the kit's state says so.
  void esperarPainelIgualAoMapa() const {
    for (int i = 0; i < numFigurasBateria; ++i) {
      const auto f = static_cast<FiguraBateria>(i);
      EXPECT_EQ(painel->isFiguraVisivel(indice(figurasBateria[i].nome)),
                kit->getMapa().isVisivel(f))
          << figurasBateria[i].nome;
    }
  }

  std::unique_ptr<PainelInstrumento> painel;
  std::unique_ptr<Bateria> kit;
};

TEST_F(BateriaPainel, EveryPictureSitsAtItsPlaceAndSizeInDrawingOrder) {
  int anterior = -1;
  for (const FiguraEsperada &f : kitEsperado) {
    SCOPED_TRACE(f.nome);
    const int i = indice(f.nome);
    ASSERT_GE(i, 0);
    EXPECT_GT(i, anterior) << "drawn below the picture listed before it";
    anterior = i;
    EXPECT_EQ(painel->geometriaFigura(i), f.lugar);
    EXPECT_EQ(painel->pixmapFigura(i).size(), f.lugar.size());
    EXPECT_EQ(painel->isFiguraVisivel(i), f.lugar == QRect(0, 0, 626, 414));
  }
  // The panel takes the background's size at its place in the main window.
  EXPECT_EQ(painel->geometry(), QRect(70, 39, 626, 414));
}

TEST_F(BateriaPainel, ThePanelFollowsEveryHitReleaseAndClear) {
  const int notas[] = {36, 42, 38, 49, 46, 51, 44, 55, 57, 59, 37, 41, 43, 45, 48, 54};
  for (int nota : notas) {
    kit->acender(nota);
    esperarPainelIgualAoMapa();
  }
  for (int nota : notas) {
    kit->apagar(nota);
    esperarPainelIgualAoMapa();
  }
  kit->acender(38);
  kit->apagarTudo();
  esperarPainelIgualAoMapa();
  for (int i = 0; i < painel->numFiguras(); ++i)
    EXPECT_EQ(painel->isFiguraVisivel(i), painel->nomeFigura(i) == QLatin1String("imgBateria"))
        << painel->nomeFigura(i).toStdString();
}

TEST_F(BateriaPainel, DesmontarTakesTheSticksOffAndShrinksThePieces) {
  kit->acender(38);
  kit->acender(49);
  kit->desmontar();
  for (FiguraBateria f : MapaBateria::baquetas()) {
    const int i = indice(descricaoFigura(f).nome);
    EXPECT_FALSE(painel->isFiguraNoPainel(i)) << descricaoFigura(f).nome;
    EXPECT_FALSE(painel->isFiguraVisivel(i));
  }
  for (FiguraBateria f : MapaBateria::pecas()) {
    const int i = indice(descricaoFigura(f).nome);
    EXPECT_FALSE(painel->isFiguraVisivel(i)) << descricaoFigura(f).nome;
    EXPECT_EQ(painel->geometriaFigura(i), QRect(0, 0, 15, 15)) << descricaoFigura(f).nome;
  }
  // A stick off the panel stays away even when its note is struck again.
  kit->acender(38);
  EXPECT_FALSE(painel->isFiguraVisivel(indice("imgBaqCaixa")));
  EXPECT_TRUE(painel->isFiguraVisivel(indice("imgCaixa")));
}

TEST_F(BateriaPainel, DestroyingTheKitLeavesOnlyAShrunkHiddenBackground) {
  kit->acender(38);
  kit.reset();
  const int fundo = indice("imgBateria");
  EXPECT_FALSE(painel->isFiguraVisivel(fundo));
  EXPECT_EQ(painel->geometriaFigura(fundo), QRect(0, 0, 15, 15));
  EXPECT_FALSE(painel->isFiguraNoPainel(indice("imgBaqCaixa")));
}

TEST_F(BateriaPainel, TheKitOutlivesItsPanelSafely) {
  // The configuration keeps the kit to the end of the program, past the main window.
  painel.reset();
  EXPECT_EQ(kit->getPainel(), nullptr);
  kit->acender(38);
  kit->apagarTudo();
  kit->desmontar();
  EXPECT_TRUE(kit->getMapa().isVisivel(FiguraBateria::imgBateria));
  kit.reset();  // its destructors must not touch the panel that is gone
}

TEST(BateriaPainelReuse, ANewKitIsAssembledAfreshOnAPanelAnEarlierKitLeft) {
  PainelInstrumento painel;
  auto primeiro = std::make_unique<Bateria>(&painel);
  primeiro->acender(38);
  primeiro->acender(36);
  primeiro->desmontar();
  primeiro.reset();  // sticks off, background hidden and shrunk
  Bateria segundo(&painel);
  for (const FiguraEsperada &f : kitEsperado) {
    const int i = painel.indiceFigura(QLatin1String(f.nome));
    EXPECT_TRUE(painel.isFiguraNoPainel(i)) << f.nome;
    EXPECT_EQ(painel.geometriaFigura(i), f.lugar) << f.nome;
    EXPECT_EQ(painel.isFiguraVisivel(i), i == painel.indiceFigura(QStringLiteral("imgBateria")))
        << f.nome;
  }
  segundo.acender(38);
  EXPECT_TRUE(painel.isFiguraVisivel(painel.indiceFigura(QStringLiteral("imgBaqCaixa"))));
}

// --- Painting -------------------------------------------------------------------------

// The panel's pixels, opaque, in one format.
QImage fotografar(QWidget &w) {
  return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Where two pictures differ by more than a rounding step; -1, -1 when they match.
QPoint primeiraDiferenca(const QImage &a, const QImage &b) {
  if (a.size() != b.size()) return QPoint(0, 0);
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (qAbs(qRed(p) - qRed(q)) > 2 || qAbs(qGreen(p) - qGreen(q)) > 2 ||
          qAbs(qBlue(p) - qBlue(q)) > 2)
        return QPoint(x, y);
    }
  return QPoint(-1, -1);
}

class PainelPintura : public BateriaPainel {
 protected:
  void SetUp() override {
    painel = std::make_unique<PainelInstrumento>();
    vazio = fotografar(*painel);  // what shows where no picture covers the panel
    kit = std::make_unique<Bateria>(painel.get());
  }

  // The panel as it should look: the visible pictures laid bottom first over the empty panel.
  QImage composicao() const {
    QImage imagem = vazio;
    QPainter p(&imagem);
    for (const FiguraEsperada &f : kitEsperado)
      if (kit->getMapa().isVisivel(figuraDe(f.nome)))
        p.drawImage(f.lugar.topLeft(),
                    QImage(QStringLiteral(":/kit/%1.png").arg(QLatin1String(f.nome))));
    return imagem;
  }

  static FiguraBateria figuraDe(const char *nome) {
    for (int i = 0; i < numFigurasBateria; ++i)
      if (qstrcmp(nome, figurasBateria[i].nome) == 0) return static_cast<FiguraBateria>(i);
    return FiguraBateria::imgBateria;
  }

  QImage vazio;
};

TEST_F(PainelPintura, ThePanelShowsExactlyTheVisiblePicturesInOrder) {
  const auto verificar = [&](const char *estado) {
    const QImage foto = fotografar(*painel);
    const QPoint d = primeiraDiferenca(foto, composicao());
    EXPECT_EQ(d, QPoint(-1, -1)) << estado << ": first difference at " << d.x() << ", " << d.y();
    return foto;
  };
  const QImage repouso = verificar("at rest");
  kit->acender(38);
  kit->acender(36);
  kit->acender(46);
  kit->acender(49);
  const QImage golpes = verificar("snare, bass drum, open hi-hat, crash");
  kit->apagar(36);
  verificar("bass drum released");
  kit->apagarTudo();
  EXPECT_EQ(primeiraDiferenca(verificar("cleared"), repouso), QPoint(-1, -1));

  // Each hit changes what the panel shows inside its pictures' places, and nowhere else.
  const QRect caixa = kitEsperado[4].lugar.united(kitEsperado[13].lugar);
  kit->acender(38);
  const QImage foto = fotografar(*painel);
  EXPECT_NE(primeiraDiferenca(foto.copy(caixa), repouso.copy(caixa)), QPoint(-1, -1))
      << "the snare hit shows nothing";
  QImage fora = foto, foraRepouso = repouso;
  QPainter(&fora).fillRect(caixa, Qt::black);
  QPainter(&foraRepouso).fillRect(caixa, Qt::black);
  EXPECT_EQ(primeiraDiferenca(fora, foraRepouso), QPoint(-1, -1));
}

// Counts the paints a widget receives and the region they cover.
class ContadorPinturas : public QObject {
 public:
  int pinturas = 0;
  QRegion regiao;

 protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::Paint) {
      ++pinturas;
      regiao += static_cast<QPaintEvent *>(e)->region();
    }
    return false;
  }
};

TEST_F(PainelPintura, ManyTogglesReachTheScreenInOnePaintOfTheirPlacesOnly) {
  ContadorPinturas contador;
  painel->installEventFilter(&contador);
  painel->show();
  ASSERT_TRUE(kovrinta::test::waitFor([&] { return contador.pinturas > 0; }));
  contador.pinturas = 0;
  contador.regiao = QRegion();

  kit->acender(42);  // three pictures
  kit->acender(38);  // two more
  ASSERT_TRUE(kovrinta::test::waitFor([&] { return contador.pinturas > 0; }));
  QApplication::processEvents();
  EXPECT_EQ(contador.pinturas, 1);
  const QRegion esperado = QRegion(kitEsperado[1].lugar) + kitEsperado[2].lugar +
                           kitEsperado[20].lugar + kitEsperado[4].lugar + kitEsperado[13].lugar;
  EXPECT_TRUE((contador.regiao - esperado).isEmpty()) << "painted outside the toggled pictures";
  EXPECT_TRUE((esperado - contador.regiao).isEmpty()) << "a toggled picture was not repainted";

  // A call that changes nothing paints nothing.
  contador.pinturas = 0;
  kit->acender(39);
  kit->acender(38);
  QApplication::processEvents();
  EXPECT_EQ(contador.pinturas, 0);
  painel->removeEventFilter(&contador);
}

}  // namespace
