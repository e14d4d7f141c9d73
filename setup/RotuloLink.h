// A text that acts as a link: blue, underlined, with a hand cursor.
#pragma once

#include <QLabel>

class RotuloLink : public QLabel {
  Q_OBJECT

 public:
  explicit RotuloLink(QWidget *parent = nullptr);

 signals:
  // The left button was pressed and released over the text.
  void clicado();

 protected:
  void mousePressEvent(QMouseEvent *evento) override;
  void mouseReleaseEvent(QMouseEvent *evento) override;

 private:
  bool pressionado = false;
};
