#include "song/GerenciadorMusica.h"

#include "midi/SaidaMIDI.h"

GerenciadorMusica &GerenciadorMusica::instancia() {
  static GerenciadorMusica gerenciador;
  return gerenciador;
}

void GerenciadorMusica::silenciarTrilha(int indice) {
  SaidaMIDI &saida = SaidaMIDI::instancia();
  if (!musicaAtual || musicaAtual->getNumTrilhas() < 2) {
    saida.silenciar();
    saida.resetarControladores();
    return;
  }
  const int canal = musicaAtual->getTrilha(indice).getCanal();
  if (canal < 0) return;
  for (int nota = 0; nota < 128; ++nota) saida.enviarNoteOff(canal, nota);
}
