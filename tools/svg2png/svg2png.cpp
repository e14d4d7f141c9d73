// Renders an SVG file to a PNG picture of the same size with a transparent background; the
// build uses it for the program's artwork.
//
//   svg2png INPUT.svg OUTPUT.png [WIDTHxHEIGHT [SCALE]]
//
// With a size given, a drawing of any other size is refused, so that artwork that does not
// fit the place its picture control has fails the build instead of showing cut or shifted.
// With a scale, the picture is drawn that many times larger (rounded to whole pixels), for
// windows the program shows zoomed.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgRenderer>
#include <cstdio>

namespace {

int falhar(const QString &mensagem) {
  std::fprintf(stderr, "svg2png: %s\n", qPrintable(mensagem));
  return 1;
}

// Passes on what the SVG reader says about the drawing, not the platform's chatter about
// the build machine's session.
void relatar(QtMsgType tipo, const QMessageLogContext &, const QString &mensagem) {
  if (tipo == QtDebugMsg || tipo == QtInfoMsg ||
      mensagem.startsWith(QLatin1String("QStandardPaths:")))
    return;
  std::fprintf(stderr, "svg2png: %s\n", qPrintable(mensagem));
}

}  // namespace

int main(int argc, char **argv) {
  // A build machine has no display; fonts for SVG text still need a GUI application.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(relatar);
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3 || args.size() > 5)
    return falhar(QStringLiteral("usage: svg2png INPUT.svg OUTPUT.png [WIDTHxHEIGHT [SCALE]]"));
  const QString entrada = args[1];
  const QString saida = args[2];

  QSvgRenderer svg(entrada);
  if (!svg.isValid()) return falhar(QStringLiteral("%1: not a readable SVG file").arg(entrada));
  const QSize tamanho = svg.defaultSize();
  if (tamanho.isEmpty()) return falhar(QStringLiteral("%1: the drawing has no size").arg(entrada));

  double escala = 1;
  if (args.size() == 5) {
    bool numero = false;
    escala = args[4].toDouble(&numero);
    if (!numero || escala < 1 || escala > 4)
      return falhar(QStringLiteral("bad scale %1, expected 1 to 4").arg(args[4]));
  }
  if (args.size() >= 4) {
    const auto m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(args[3]);
    if (!m.hasMatch())
      return falhar(QStringLiteral("bad size %1, expected WIDTHxHEIGHT").arg(args[3]));
    const QSize esperado(m.captured(1).toInt(), m.captured(2).toInt());
    if (tamanho != esperado)
      return falhar(QStringLiteral("%1: the drawing is %2x%3 pixels, its picture must be %4x%5")
                        .arg(entrada)
                        .arg(tamanho.width())
                        .arg(tamanho.height())
                        .arg(esperado.width())
                        .arg(esperado.height()));
  }

  QImage imagem(QSize(qRound(tamanho.width() * escala), qRound(tamanho.height() * escala)),
                QImage::Format_ARGB32_Premultiplied);
  imagem.fill(Qt::transparent);
  {
    QPainter painter(&imagem);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(imagem.size())));
  }

  // Written whole or not at all, so a failed run never leaves a picture the build trusts.
  QSaveFile arquivo(saida);
  if (!arquivo.open(QIODevice::WriteOnly) || !imagem.save(&arquivo, "PNG") || !arquivo.commit())
    return falhar(QStringLiteral("%1: cannot write the picture").arg(saida));
  return 0;
}
