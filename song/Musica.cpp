#include "song/Musica.h"

#include <algorithm>

namespace {

uint64_t proximaSerie() {
  static uint64_t serie = 0;
  return ++serie;
}

}  // namespace

Musica::Musica() : serie(proximaSerie()) {}

void Musica::adicionarTrilha(Trilha *trilha) {
  trilha->indexarPorPosicao();
  trilhas.emplace_back(trilha);
  for (const auto &e : trilha->getEventos())
    if (auto *marcador = dynamic_cast<const EventoAndamento *>(e.get());
        marcador && marcador->temAndamento())
      marcadores.push_back(marcador);
  std::stable_sort(marcadores.begin(), marcadores.end(),
                   [](auto *a, auto *b) { return a->getPosicao() < b->getPosicao(); });
}

const EventoAndamento *Musica::marcadorEm(int posicao) const {
  if (marcadores.empty()) return nullptr;
  const auto depois =
      std::upper_bound(marcadores.begin(), marcadores.end(), posicao,
                       [](int p, const EventoAndamento *m) { return p < m->getPosicao(); });
  return depois == marcadores.begin() ? marcadores.front() : *(depois - 1);
}
