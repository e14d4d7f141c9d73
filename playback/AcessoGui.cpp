#include "playback/AcessoGui.h"

#include "playback/VisorReproducao.h"

AcessoGui &AcessoGui::instancia() {
  static AcessoGui acesso;
  return acesso;
}

void AcessoGui::mostrarAndamento(int bpm) {
  if (visor) visor->exibirAndamento(bpm);
}

void AcessoGui::atualizarPosicao() {
  if (visor) visor->avancarTempo();
}

void AcessoGui::mostrarCompasso(int compasso, int tempo) {
  if (visor) visor->exibirCompasso(compasso, tempo);
}

void AcessoGui::mostrarContagem(int tempo) {
  if (visor) visor->exibirContagem(tempo);
}
