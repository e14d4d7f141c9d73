// What a button paints, and where the pixels of one kind lie in it.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>

namespace kovrinta::test {

// The colours of the test pictures and of most captions.
inline const QColor azul(40, 40, 200);    // the released picture
inline const QColor verde(20, 130, 20);   // the pressed picture
inline const QColor vermelho(255, 0, 0);  // the caption

// A picture of one colour.
inline QPixmap figuraLisa(QSize tamanho, QColor cor) {
  QPixmap figura(tamanho);
  figura.fill(cor);
  return figura;
}

// The widget's own painting over transparency, without the window background that grab()
// adds, so that a blank button reads as transparent.
inline QImage pintura(QWidget &w) {
  QImage imagem(w.size(), QImage::Format_ARGB32);
  imagem.fill(Qt::transparent);
  w.render(&imagem, QPoint(), QRegion(), QWidget::DrawChildren);
  return imagem;
}

// The smallest rectangle holding every pixel for which tipo(pixel) holds; empty for none.
template <class Tipo>
QRect caixaDe(const QImage &imagem, Tipo tipo) {
  QRect caixa;
  for (int y = 0; y < imagem.height(); ++y)
    for (int x = 0; x < imagem.width(); ++x)
      if (tipo(imagem.pixelColor(x, y))) caixa |= QRect(x, y, 1, 1);
  return caixa;
}

// The box of every pixel that is not the picture's colour fundo: the caption and its shadow.
inline QRect caixaTinta(const QImage &imagem, QColor fundo) {
  return caixaDe(imagem, [fundo](QColor c) { return c != fundo; });
}

// How many pixels of the image are exactly cor.
inline int contar(const QImage &imagem, QColor cor) {
  int n = 0;
  for (int y = 0; y < imagem.height(); ++y)
    for (int x = 0; x < imagem.width(); ++x) n += imagem.pixelColor(x, y) == cor;
  return n;
}

// Whether every pixel of the image is fully transparent.
inline bool vazia(const QImage &imagem) {
  return caixaDe(imagem, [](QColor c) { return c.alpha() != 0; }).isEmpty();
}

}  // namespace kovrinta::test
