// Renders TOrvButton3D in its states, driven by mouse events on a shown offscreen window,
// and writes one PNG per state and a sheet of them all, enlarged, for a person to look at:
//
//   render-botao3d OUTPUT_FOLDER
//
// Rows: no caption, caption, caption with shadow, the keyboard help's 25 x 25 close button.
// Columns: released, held down (push style), latched (after one click in latching style).
// It fails when a pressed look equals the released one, when a latched look differs from
// the held one, or when a caption or shadow changes nothing.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <cstdio>

#include "widgets/TOrvButton3D.h"

namespace {

// A bevelled face: light above and left, dark below and right; the other way round, and a
// little darker, when sunk.
QPixmap bisel(QSize tamanho, bool afundado) {
  QPixmap figura(tamanho);
  const QColor face = afundado ? QColor(128, 148, 186) : QColor(150, 170, 205);
  const QColor claro(225, 232, 245), escuro(60, 72, 100);
  figura.fill(face);
  QPainter p(&figura);
  const int w = tamanho.width(), h = tamanho.height();
  for (int i = 0; i < 2; ++i) {
    p.setPen(afundado ? escuro : claro);
    p.drawLine(i, i, w - 1 - i, i);
    p.drawLine(i, i, i, h - 1 - i);
    p.setPen(afundado ? claro : escuro);
    p.drawLine(i, h - 1 - i, w - 1 - i, h - 1 - i);
    p.drawLine(w - 1 - i, i, w - 1 - i, h - 1 - i);
  }
  return figura;
}

// The close button's face: a bevel with a cross, which moves with the face when sunk.
QPixmap fechar(bool afundado) {
  QPixmap figura = bisel({25, 25}, afundado);
  QPainter p(&figura);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 60), 2.5, Qt::SolidLine, Qt::RoundCap));
  const qreal d = afundado ? 1 : 0;
  p.drawLine(QPointF(8 + d, 8 + d), QPointF(17 + d, 17 + d));
  p.drawLine(QPointF(17 + d, 8 + d), QPointF(8 + d, 17 + d));
  return figura;
}

enum class Estado { solto, seguro, travado };

struct Linha {
  const char *nome;
  bool legenda;
  bool sombra;
  bool botaoFechar;
};

// One button in a window of its own, brought to the state by the mouse, then grabbed.
QImage fotografar(const Linha &linha, Estado estado) {
  QWidget janela;
  janela.resize(140, 50);
  auto *botao = new TOrvButton3D(&janela);
  botao->move(10, 10);
  if (linha.botaoFechar) {
    botao->setImagemPressionada(fechar(true));
    botao->setImagemSolta(fechar(false));
  } else {
    botao->setImagemPressionada(bisel({100, 27}, true));
    botao->setImagemSolta(bisel({100, 27}, false));
  }
  if (linha.legenda) {
    QFont fonte(QStringLiteral("DejaVu Sans"), 9);
    fonte.setBold(true);
    botao->setTextFont({fonte, QColor(25, 30, 45)});
    botao->setTextShadedFont({fonte, Qt::white});
    botao->setTextShaded(linha.sombra);
    botao->setText(QStringLiteral("Fechar"));
  }
  janela.show();
  if (!QTest::qWaitForWindowExposed(&janela)) return {};

  const QPoint meio = botao->mapTo(&janela, botao->rect().center());
  QWindow *w = janela.windowHandle();
  if (estado == Estado::seguro) {
    QTest::mousePress(w, Qt::LeftButton, {}, meio);
  } else if (estado == Estado::travado) {
    botao->setButtonStyle(TOrvButton3D::bsHoldWhenPressed);
    QTest::mouseClick(w, Qt::LeftButton, {}, meio);
  }
  QImage foto = botao->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (estado == Estado::seguro) QTest::mouseRelease(w, Qt::LeftButton, {}, meio);
  return foto;
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render-botao3d OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "render-botao3d: cannot create %s\n", argv[1]);
    return 1;
  }

  const Linha linhas[] = {
      {"plain", false, false, false},
      {"caption", true, false, false},
      {"caption-shadow", true, true, false},
      {"close", false, false, true},
  };
  const Estado estados[] = {Estado::solto, Estado::seguro, Estado::travado};
  const char *nomesEstados[] = {"released", "pressed", "latched"};

  // The sheet: each picture three times its size, with its name below it.
  constexpr int escala = 3, celulaL = 100 * escala + 20, celulaA = 27 * escala + 30;
  QImage folha(celulaL * 3 + 10, celulaA * 4 + 10, QImage::Format_RGB32);
  folha.fill(QColor(235, 235, 235));
  QPainter pintor(&folha);
  pintor.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

  int falhas = 0;
  QImage fotos[4][3];
  for (int l = 0; l < 4; ++l) {
    for (int e = 0; e < 3; ++e) {
      QImage &foto = fotos[l][e];
      foto = fotografar(linhas[l], estados[e]);
      const QString nome = QStringLiteral("%1-%2").arg(QLatin1String(linhas[l].nome),
                                                       QLatin1String(nomesEstados[e]));
      if (foto.isNull()) {
        std::fprintf(stderr, "render-botao3d: %s: the window was never exposed\n",
                     qPrintable(nome));
        ++falhas;
        continue;
      }
      const QString caminho = pasta.filePath(nome + QStringLiteral(".png"));
      if (!foto.save(caminho, "PNG")) {
        std::fprintf(stderr, "render-botao3d: cannot write %s\n", qPrintable(caminho));
        ++falhas;
      } else {
        std::printf("%s\n", qPrintable(caminho));
      }
      const QPoint canto(10 + e * celulaL, 10 + l * celulaA);
      pintor.drawImage(QRect(canto, foto.size() * escala), foto);
      pintor.drawText(canto + QPoint(0, foto.height() * escala + 14), nome);
    }
    if (fotos[l][0] == fotos[l][1]) {
      std::fprintf(stderr, "render-botao3d: %s looks the same pressed and released\n",
                   linhas[l].nome);
      ++falhas;
    }
    if (fotos[l][1] != fotos[l][2]) {
      std::fprintf(stderr, "render-botao3d: %s looks different latched and held\n", linhas[l].nome);
      ++falhas;
    }
  }
  // Each of the first three rows adds something to the one above it.
  for (int l = 1; l < 3; ++l)
    for (int e = 0; e < 3; ++e)
      if (fotos[l][e] == fotos[l - 1][e]) {
        std::fprintf(stderr, "render-botao3d: %s-%s looks like the row above\n", linhas[l].nome,
                     nomesEstados[e]);
        ++falhas;
      }
  pintor.end();
  const QString caminhoFolha = pasta.filePath(QStringLiteral("sheet.png"));
  if (!folha.save(caminhoFolha, "PNG")) {
    std::fprintf(stderr, "render-botao3d: cannot write %s\n", qPrintable(caminhoFolha));
    ++falhas;
  } else {
    std::printf("%s\n", qPrintable(caminhoFolha));
  }
  return falhas == 0 ? 0 : 1;
}
