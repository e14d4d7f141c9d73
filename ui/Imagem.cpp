#include "ui/Imagem.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

Imagem::Imagem(QWidget *parent) : QWidget(parent) {}

void Imagem::setPixmap(const QPixmap &novo) {
  pixmap = novo;
  pixmapDesabilitado = QPixmap();
  update();
}

void Imagem::changeEvent(QEvent *evento) {
  if (evento->type() == QEvent::EnabledChange || evento->type() == QEvent::StyleChange) {
    pixmapDesabilitado = QPixmap();
    update();
  }
  QWidget::changeEvent(evento);
}

void Imagem::paintEvent(QPaintEvent *) {
  if (pixmap.isNull()) return;
  QPainter painter(this);
  // A bitmap of the control's own size is drawn pixel for pixel; on a scaled display it is
  // enlarged smoothly rather than in blocks.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (isEnabled()) {
    painter.drawPixmap(0, 0, pixmap);
    return;
  }
  // Disabled, the picture is dimmed as the style dims a disabled icon. The style tints it
  // towards the background colour, which in the main window is a bright blue that would make
  // a disabled button look lit; a neutral grey makes it look greyed out instead.
  if (pixmapDesabilitado.isNull()) {
    QStyleOption opcao;
    opcao.initFrom(this);
    opcao.palette.setColor(QPalette::Disabled, QPalette::Window, QColor(128, 128, 128));
    pixmapDesabilitado = style()->generatedIconPixmap(QIcon::Disabled, pixmap, &opcao);
  }
  painter.drawPixmap(0, 0, pixmapDesabilitado);
}

void Imagem::mousePressEvent(QMouseEvent *evento) {
  evento->accept();
  emit mouseDown(evento->button());
}

void Imagem::mouseReleaseEvent(QMouseEvent *evento) {
  evento->accept();
  const bool sobre = rect().contains(evento->position().toPoint());
  emit mouseUp(evento->button());
  if (evento->button() == Qt::LeftButton && sobre) emit click();
}
