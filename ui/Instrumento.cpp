#include "ui/Instrumento.h"

Instrumento::~Instrumento() {
  if (!painel || fundo < 0) return;
  painel->setFiguraVisivel(fundo, false);
  painel->setGeometriaFigura(fundo, QRect(0, 0, 15, 15));
}

void Instrumento::montarFundo(int imagem, int largura, int altura, int topo, int esquerda) {
  fundo = imagem;
  if (!painel) return;
  painel->setGeometry(esquerda, topo, largura, altura);
  painel->setGeometriaFigura(imagem, QRect(0, 0, largura, altura));
  painel->setFiguraVisivel(imagem, true);
}
