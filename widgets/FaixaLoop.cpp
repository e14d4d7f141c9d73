#include "widgets/FaixaLoop.h"

#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

namespace {
// Seen on the dark bottom bar and on the slider's groove alike.
const QColor corFaixa(255, 170, 0, 150);
const QColor corMarca(255, 200, 60);
}  // namespace

FaixaLoop::FaixaLoop(QSlider *slider) : QWidget(slider), slider(slider) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setGeometry(slider->rect());
  hide();
}

void FaixaLoop::setTrecho(int novoInicio, int novoFim) {
  if (novoInicio == inicio && novoFim == fim) return;
  inicio = novoInicio;
  fim = novoFim;
  setVisible(inicio >= 0);
  update();
}

int FaixaLoop::xDoValor(int valor) const {
  QStyleOptionSlider opcao;
  opcao.initFrom(slider);
  opcao.orientation = slider->orientation();
  opcao.minimum = slider->minimum();
  opcao.maximum = slider->maximum();
  opcao.sliderPosition = slider->minimum();
  const QRect alca =
      slider->style()->subControlRect(QStyle::CC_Slider, &opcao, QStyle::SC_SliderHandle, slider);
  const int espaco = slider->width() - alca.width();
  const int v = std::clamp(valor, slider->minimum(), slider->maximum());
  return QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(), v, espaco) +
         alca.width() / 2;
}

void FaixaLoop::paintEvent(QPaintEvent *) {
  if (inicio < 0) return;
  QPainter pintor(this);
  const int meio = height() / 2;
  const int x0 = xDoValor(inicio);
  if (fim >= 0) {
    const int x1 = xDoValor(fim);
    pintor.fillRect(QRect(QPoint(std::min(x0, x1), meio - 3), QPoint(std::max(x0, x1), meio + 3)),
                    corFaixa);
    pintor.fillRect(x1 - 1, meio - 6, 2, 12, corMarca);
  }
  pintor.fillRect(x0 - 1, meio - 6, 2, 12, corMarca);
}
