// A band over a horizontal slider that shows a stretch of its range (the loop), drawn under
// the handle's path; mouse events pass through to the slider.
#pragma once

#include <QWidget>

class QSlider;

class FaixaLoop : public QWidget {
 public:
  // Covers slider and follows its range.
  explicit FaixaLoop(QSlider *slider);

  // The stretch inicio..fim of the slider's values; fim -1 shows only the start mark, and
  // inicio -1 shows nothing.
  void setTrecho(int inicio, int fim);
  int getInicio() const { return inicio; }
  int getFim() const { return fim; }

 protected:
  void paintEvent(QPaintEvent *evento) override;

 private:
  // The x of value on the slider's groove, where the handle's centre sits for it.
  int xDoValor(int valor) const;

  QSlider *slider;
  int inicio = -1;
  int fim = -1;
};
