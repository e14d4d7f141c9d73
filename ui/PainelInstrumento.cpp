#include "ui/PainelInstrumento.h"

#include <QPaintEvent>
#include <QPainter>

#include "ui/MapaBateria.h"
#include "widgets/FiguraArte.h"

PainelInstrumento::PainelInstrumento(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pnInstrumento"));
  const DescricaoFigura &fundo = descricaoFigura(FiguraBateria::imgBateria);
  resize(fundo.largura, fundo.altura);
  figuras.reserve(numFigurasBateria);
  for (const DescricaoFigura &d : figurasBateria) {
    const QString nome = QString::fromLatin1(d.nome);
    adicionarFigura(nome, QRect(d.esquerda, d.topo, d.largura, d.altura),
                    figuraArte(QStringLiteral(":/kit/%1.png").arg(nome)));
  }
}

int PainelInstrumento::indiceFigura(const QString &nome) const {
  for (int i = 0; i < numFiguras(); ++i)
    if (figuras[i].nome == nome) return i;
  return -1;
}

int PainelInstrumento::adicionarFigura(const QString &nome, const QRect &geometria,
                                       const QPixmap &pixmap) {
  figuras.push_back({nome, geometria, pixmap});
  return numFiguras() - 1;
}

void PainelInstrumento::setFiguraVisivel(int indice, bool visivel) {
  if (!valido(indice)) return;
  Figura &f = figuras[indice];
  if (!f.noPainel || f.visivel == visivel) return;
  f.visivel = visivel;
  update(f.geometria);
}

void PainelInstrumento::setGeometriaFigura(int indice, const QRect &geometria) {
  if (!valido(indice)) return;
  Figura &f = figuras[indice];
  if (f.geometria == geometria) return;
  if (f.visivel) update(f.geometria);
  f.geometria = geometria;
  if (f.visivel) update(f.geometria);
}

void PainelInstrumento::retirarFigura(int indice) {
  if (!valido(indice)) return;
  setFiguraVisivel(indice, false);
  figuras[indice].noPainel = false;
}

void PainelInstrumento::recolocarFigura(int indice) {
  if (valido(indice)) figuras[indice].noPainel = true;
}

void PainelInstrumento::paintEvent(QPaintEvent *event) {
  // Where no picture covers the panel, the main window's colour shows through.
  QPainter painter(this);
  const QRect area = event->rect();
  for (const Figura &f : figuras) {
    if (!f.visivel || f.pixmap.isNull() || !f.geometria.intersects(area)) continue;
    // The picture is cut to its place; a picture drawn for a zoomed window has more pixels
    // to its place's each.
    const QSizeF tamanho(f.geometria.size());
    painter.drawPixmap(QRectF(f.geometria.topLeft(), tamanho), f.pixmap,
                       QRectF(QPointF(0, 0), tamanho * f.pixmap.devicePixelRatio()));
  }
}
