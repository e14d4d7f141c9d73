#include "ui/Bateria.h"

namespace {

// Where the kit's panel sits in the main window.
constexpr int topoPainel = 39;
constexpr int esquerdaPainel = 70;

}  // namespace

Bateria::Bateria(PainelInstrumento *painel) : Instrumento(painel) {
  figuras.fill(-1);
  if (painel) {
    // Assembled afresh, whatever an earlier kit on this panel left: every picture on the
    // panel at its place, hidden until montarFundo shows the background.
    for (int i = 0; i < numFigurasBateria; ++i) {
      const DescricaoFigura &d = figurasBateria[i];
      figuras[i] = painel->indiceFigura(QLatin1String(d.nome));
      painel->recolocarFigura(figuras[i]);
      painel->setFiguraVisivel(figuras[i], false);
      painel->setGeometriaFigura(figuras[i], QRect(d.esquerda, d.topo, d.largura, d.altura));
    }
  }
  const DescricaoFigura &d = descricaoFigura(FiguraBateria::imgBateria);
  montarFundo(figuras[static_cast<int>(FiguraBateria::imgBateria)], d.largura, d.altura, topoPainel,
              esquerdaPainel);
}

Bateria::~Bateria() {
  retirarBaquetas();
}

void Bateria::acender(int nota) {
  aplicar(mapa.acender(nota));
}

void Bateria::apagar(int nota) {
  aplicar(mapa.apagar(nota));
}

void Bateria::apagarTudo() {
  mapa.apagarTudo();
  if (PainelInstrumento *painel = getPainel())
    for (FiguraBateria f : MapaBateria::figurasApagaveis())
      painel->setFiguraVisivel(figuras[static_cast<int>(f)], false);
}

void Bateria::desmontar() {
  retirarBaquetas();
  PainelInstrumento *painel = getPainel();
  for (FiguraBateria f : MapaBateria::pecas()) {
    mapa.setVisivel(f, false);
    if (!painel) continue;
    const int indice = figuras[static_cast<int>(f)];
    painel->setFiguraVisivel(indice, false);
    painel->setGeometriaFigura(indice, QRect(0, 0, 15, 15));
  }
}

void Bateria::aplicar(std::span<const MudancaFigura> mudancas) {
  PainelInstrumento *painel = getPainel();
  if (!painel) return;
  for (const MudancaFigura &m : mudancas)
    painel->setFiguraVisivel(figuras[static_cast<int>(m.figura)], m.visivel);
}

void Bateria::retirarBaquetas() {
  PainelInstrumento *painel = getPainel();
  if (!painel) return;
  for (FiguraBateria f : MapaBateria::baquetas())
    painel->retirarFigura(figuras[static_cast<int>(f)]);
}
