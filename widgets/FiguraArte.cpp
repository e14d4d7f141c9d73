#include "widgets/FiguraArte.h"

#include <QFile>
#include <QGuiApplication>

double escalaFiguraArte(double razaoPixels) {
  // A little tolerance: a ratio of 1.5 computed from a scale factor is not always exact.
  if (razaoPixels <= 1.01) return 1;
  if (razaoPixels <= 1.51) return 1.5;
  return 2;
}

QLatin1StringView sufixoFiguraArte(double escala) {
  return escala == 2 ? QLatin1StringView("@2x") : QLatin1StringView("@1.5x");
}

double escalaFiguraArteDaTela() {
  return escalaFiguraArte(qApp ? qApp->devicePixelRatio() : 1);
}

QPixmap figuraArte(const QString &recurso) {
  const double escala = escalaFiguraArteDaTela();
  if (escala > 1 && recurso.endsWith(QLatin1String(".png"))) {
    const QString nome =
        recurso.left(recurso.size() - 4) + sufixoFiguraArte(escala) + QLatin1String(".png");
    QPixmap fina(nome);
    if (!fina.isNull()) {
      fina.setDevicePixelRatio(escala);
      return fina;
    }
  }
  return QPixmap(recurso);
}
