#include "setup/RotuloLink.h"

#include <QMouseEvent>

RotuloLink::RotuloLink(QWidget *parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  QFont fonte = font();
  fonte.setUnderline(true);
  setFont(fonte);
  QPalette cores = palette();
  cores.setColor(QPalette::WindowText, QColor(0, 0, 0xff));
  setPalette(cores);
}

void RotuloLink::mousePressEvent(QMouseEvent *evento) {
  pressionado = evento->button() == Qt::LeftButton;
  QLabel::mousePressEvent(evento);
}

void RotuloLink::mouseReleaseEvent(QMouseEvent *evento) {
  const bool clique = pressionado && evento->button() == Qt::LeftButton &&
                      rect().contains(evento->position().toPoint());
  pressionado = false;
  QLabel::mouseReleaseEvent(evento);
  if (clique) emit clicado();
}
