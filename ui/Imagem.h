// A picture control: a bitmap shown unscaled at the control's top-left corner, with the
// mouse events of the window's picture buttons.
#pragma once

#include <QPixmap>
#include <QWidget>

// Where the bitmap is transparent, whatever lies beneath shows through. A disabled picture
// is shown dimmed, as the style dims a disabled icon, and ignores the mouse (Qt delivers no
// mouse events to it). A click is a left-button press and
// release over the picture, in the picture that received the release. User-interface
// thread only.
class Imagem : public QWidget {
  Q_OBJECT

 public:
  explicit Imagem(QWidget *parent = nullptr);

  // The bitmap; a null pixmap leaves the control empty. Its device pixel ratio is kept, so a
  // bitmap drawn at twice the size of the control is shown crisp on a scaled display.
  void setPixmap(const QPixmap &pixmap);
  const QPixmap &getPixmap() const { return pixmap; }

  // The picture's number in the window's table of button pictures; -1 for none.
  int getTag() const { return tag; }
  void setTag(int valor) { tag = valor; }

 signals:
  // Any mouse button went down over the picture.
  void mouseDown(Qt::MouseButton botao);
  // A mouse button went up; the picture that holds the mouse grab receives it, wherever the
  // pointer is then.
  void mouseUp(Qt::MouseButton botao);
  // The left button went up over the picture after it went down on this or its pressed twin.
  void click();

 protected:
  void changeEvent(QEvent *evento) override;
  void paintEvent(QPaintEvent *evento) override;
  void mousePressEvent(QMouseEvent *evento) override;
  void mouseReleaseEvent(QMouseEvent *evento) override;

 private:
  QPixmap pixmap;
  QPixmap pixmapDesabilitado;  // made from pixmap when first needed
  int tag = -1;
};
