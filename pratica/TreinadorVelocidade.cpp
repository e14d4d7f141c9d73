#include "pratica/TreinadorVelocidade.h"

#include <algorithm>

#include "playback/Sequenciador.h"

void TreinadorVelocidade::setAjustes(const AjustesTreinador &novos) {
  ajustes = novos;
  ajustes.inicio =
      std::clamp(ajustes.inicio, Sequenciador::velocidadeMinima, Sequenciador::velocidadeMaxima);
  ajustes.alvo =
      std::clamp(ajustes.alvo, Sequenciador::velocidadeMinima, Sequenciador::velocidadeMaxima);
  ajustes.passo = std::clamp(ajustes.passo, 1, 50);
  ajustes.passes = std::clamp(ajustes.passes, 1, 99);
  reiniciar();
}

int TreinadorVelocidade::reiniciar() {
  passesFeitos = 0;
  velocidade = ajustes.inicio;
  return velocidade;
}

// A target below the start slows down by the step instead.
int TreinadorVelocidade::passeCompleto() {
  ++passesFeitos;
  if (passesFeitos % ajustes.passes != 0) return velocidade;
  if (ajustes.alvo >= ajustes.inicio)
    velocidade = std::min(velocidade + ajustes.passo, ajustes.alvo);
  else
    velocidade = std::max(velocidade - ajustes.passo, ajustes.alvo);
  return velocidade;
}
