#include "song/Trilha.h"

#include <algorithm>

void Trilha::adicionarEvento(EventoSequenciamento *evento) {
  eventos.emplace_back(evento);
  indiceValido = false;
}

void Trilha::indexarPorPosicao() const {
  if (indiceValido) return;
  porPosicao.clear();
  porPosicao.reserve(eventos.size());
  for (const auto &e : eventos) porPosicao.push_back(e.get());
  std::stable_sort(porPosicao.begin(), porPosicao.end(),
                   [](auto *a, auto *b) { return a->getPosicao() < b->getPosicao(); });
  indiceValido = true;
}

std::span<EventoSequenciamento *const> Trilha::eventosEm(int posicao) const {
  indexarPorPosicao();
  const auto first =
      std::lower_bound(porPosicao.begin(), porPosicao.end(), posicao,
                       [](const EventoSequenciamento *e, int p) { return e->getPosicao() < p; });
  const auto last =
      std::upper_bound(first, porPosicao.end(), posicao,
                       [](int p, const EventoSequenciamento *e) { return p < e->getPosicao(); });
  return {first, last};
}
