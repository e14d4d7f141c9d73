#include "widgets/TOrvButton3D.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TOrvButton3D::TOrvButton3D(QWidget *parent) : QWidget(parent) {
  setCursor(Qt::PointingHandCursor);
  resize(100, 27);
}

void TOrvButton3D::setImagemPressionada(const QPixmap &imagem) {
  pictureDown = imagem;
  // A form restores the pressed picture before the released one and the stored state, so
  // the look this leaves is only temporary there.
  setPressed(true);
}

void TOrvButton3D::setImagemSolta(const QPixmap &imagem) {
  pictureUp = imagem;
  resize(imagem.deviceIndependentSize().toSize());
  centralizarCoordenadasTexto();
  setPressed(false);
}

void TOrvButton3D::setPressed(bool pressionado) {
  if (pressionado)
    pressionarBotao();
  else
    soltarBotao();
  pressed = pressionado;
}

void TOrvButton3D::setText(const QString &legenda) {
  text = legenda;
  if (textCenteredX || textCenteredY) centralizarCoordenadasTexto();
  if (pressed)
    pressionarBotao();
  else
    soltarBotao();
}

void TOrvButton3D::setTextX(int x) {
  setTextCenteredX(false);
  textX = x;
  redesenhar();
}

void TOrvButton3D::setTextY(int y) {
  setTextCenteredY(false);
  textY = y;
  redesenhar();
}

void TOrvButton3D::setTextDepth(int profundidade) {
  textPressedDepth = profundidade;
  redesenhar();
}

void TOrvButton3D::setTextFont(const FonteLegenda &fonte) {
  textFont = fonte;
  redesenhar();
}

void TOrvButton3D::setTextCentered(bool centrado) {
  textCentered = textCenteredX = textCenteredY = centrado;
  redesenhar();
}

void TOrvButton3D::setTextCenteredX(bool centrado) {
  textCenteredX = centrado;
  textCentered = centrado && textCenteredY;
  redesenhar();
}

void TOrvButton3D::setTextCenteredY(bool centrado) {
  textCenteredY = centrado;
  textCentered = centrado && textCenteredX;
  redesenhar();
}

void TOrvButton3D::setTextShadedFont(const FonteLegenda &fonte) {
  textShadedFont = fonte;
  redesenhar();
}

void TOrvButton3D::setTextShaded(bool sombreado) {
  textShaded = sombreado;
  redesenhar();
}

QImage &TOrvButton3D::limparQuadro() {
  // The canvas has the screen's pixel ratio, so pictures drawn for a scaled display stay
  // crisp, and the widget's resolution, so point-size fonts come out as measured.
  const qreal razao = devicePixelRatioF();
  quadro = QImage(size() * razao, QImage::Format_ARGB32_Premultiplied);
  if (!quadro.isNull()) {
    quadro.setDevicePixelRatio(razao);
    quadro.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    quadro.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    quadro.fill(Qt::transparent);
  }
  update();
  return quadro;
}

void TOrvButton3D::soltarBotao() {
  QImage &q = limparQuadro();
  if (pictureUp.isNull() || q.isNull()) return;
  {
    QPainter painter(&q);
    painter.drawPixmap(0, 0, pictureUp);
  }
  imprimirTexto(textX, textY);
}

void TOrvButton3D::pressionarBotao() {
  QImage &q = limparQuadro();
  if (pictureDown.isNull() || q.isNull()) return;
  {
    QPainter painter(&q);
    painter.drawPixmap(0, 0, pictureDown);
  }
  if (textStatic)
    imprimirTexto(textX, textY);
  else
    imprimirTexto(textX + textPressedDepth, textY + textPressedDepth);
}

void TOrvButton3D::imprimirTexto(int x, int y) {
  if (quadro.isNull() || text.isEmpty()) return;
  QPainter painter(&quadro);
  // QPainter places text by its baseline; the caption is placed by the top of its cell.
  auto escrever = [&](const FonteLegenda &f, int esquerda, int topo) {
    painter.setFont(f.fonte);
    painter.setPen(f.cor);
    painter.drawText(QPoint(esquerda, topo + QFontMetrics(f.fonte, &quadro).ascent()), text);
  };
  if (textShaded) escrever(textShadedFont, x + 1, y + 1);
  escrever(textFont, x, y);
  update();
}

void TOrvButton3D::centralizarCoordenadasTexto() {
  const QFontMetrics medida(textFont.fonte, this);
  const int largura = text.isEmpty() ? 0 : medida.horizontalAdvance(text);
  const int altura = text.isEmpty() ? 0 : medida.height();
  // C++ integer division truncates toward zero, as wanted for a caption wider than the
  // button: (25 - 30) / 2 is -2.
  if (textCenteredX) textX = (width() - largura) / 2;
  if (textCenteredY) textY = (height() - altura) / 2;
}

void TOrvButton3D::paintEvent(QPaintEvent *) {
  if (quadro.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, quadro);
}

void TOrvButton3D::mousePressEvent(QMouseEvent *evento) {
  if (autoControlPressing && evento->button() == Qt::LeftButton) {
    if (buttonStyle == bsDropWhenPressed)
      setPressed(true);
    else if (pressed)
      soltarTrava = true;
    else
      setPressed(true);
  }
  evento->accept();
  emit mouseDown(evento->button());
}

void TOrvButton3D::mouseReleaseEvent(QMouseEvent *evento) {
  if (autoControlPressing && evento->button() == Qt::LeftButton) {
    if (buttonStyle == bsDropWhenPressed) {
      setPressed(false);
    } else if (soltarTrava) {
      setPressed(false);
      soltarTrava = false;
    }
  }
  evento->accept();
  const bool sobre = rect().contains(evento->position().toPoint());
  emit mouseUp(evento->button());
  if (evento->button() == Qt::LeftButton && sobre) emit click();
}
