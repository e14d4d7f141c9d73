// Renders the drum-kit panel offscreen for a few hits and writes one PNG per scene, so that
// a person can look at the artwork in place:
//
//   render-kit OUTPUT_FOLDER
//
// It fails when a hit changes nothing on the picture, or changes it outside the places of
// the pictures it shows.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <vector>

#include "ui/Bateria.h"
#include "ui/PainelInstrumento.h"

namespace {

struct Cena {
  const char *arquivo;
  std::vector<int> notasLigadas;
  std::vector<int> notasSoltas;  // struck and released
};

QImage fotografar(QWidget &w) {
  return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render-kit OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "render-kit: cannot create %s\n", argv[1]);
    return 1;
  }

  const Cena cenas[] = {
      {"01-rest", {}, {}},
      {"02-snare", {38}, {}},
      {"03-hihat-open", {46}, {}},
      {"04-hihat-closed", {42}, {}},
      {"05-bass-drum", {36}, {}},
      {"06-bass-drum-released", {}, {36}},
      {"07-crash", {49}, {}},
      {"08-crash-2", {57}, {}},
      {"09-ride-splash-rim", {51, 55, 37}, {}},
      {"10-toms", {41, 43, 45, 48}, {}},
      {"11-groove", {36, 42, 38, 59}, {}},
  };

  PainelInstrumento painel;
  Bateria kit(&painel);
  const QImage repouso = fotografar(painel);
  int falhas = 0;
  for (const Cena &cena : cenas) {
    kit.apagarTudo();
    for (int nota : cena.notasSoltas) {
      kit.acender(nota);
      kit.apagar(nota);
    }
    for (int nota : cena.notasLigadas) kit.acender(nota);
    const QImage foto = fotografar(painel);

    // The places of the pictures this scene shows, over the background.
    QRegion lugares;
    for (int i = 0; i < painel.numFiguras(); ++i)
      if (painel.isFiguraVisivel(i) && painel.nomeFigura(i) != QLatin1String("imgBateria"))
        lugares += painel.geometriaFigura(i);
    QImage fora = foto, foraRepouso = repouso;
    for (QImage *img : {&fora, &foraRepouso}) {
      QPainter p(img);
      p.setClipRegion(lugares);
      p.fillRect(img->rect(), Qt::black);
    }
    if (fora != foraRepouso) {
      std::fprintf(stderr, "render-kit: %s changes the picture outside its pieces\n", cena.arquivo);
      ++falhas;
    }
    if (!lugares.isEmpty() && foto == repouso) {
      std::fprintf(stderr, "render-kit: %s looks the same as the kit at rest\n", cena.arquivo);
      ++falhas;
    }

    const QString caminho =
        pasta.filePath(QStringLiteral("%1.png").arg(QLatin1String(cena.arquivo)));
    if (!foto.save(caminho, "PNG")) {
      std::fprintf(stderr, "render-kit: cannot write %s\n", qPrintable(caminho));
      ++falhas;
    } else {
      std::printf("%s\n", qPrintable(caminho));
    }
  }
  return falhas == 0 ? 0 : 1;
}
