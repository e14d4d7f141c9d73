#include "setup/Fontes.h"

QFont fonteJanela(int pixels, bool negrito) {
  QFont fonte(QStringLiteral("DejaVu Sans"));
  fonte.setPixelSize(pixels);
  fonte.setBold(negrito);
  fonte.setStyleHint(QFont::SansSerif);
  return fonte;
}
