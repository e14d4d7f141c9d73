// A song: its tracks in file order.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "song/Trilha.h"

class Musica {
 public:
  // Appends trilha, complete, and indexes its events by tick; the song owns it.
  void adicionarTrilha(Trilha *trilha) {
    trilha->indexarPorPosicao();
    trilhas.emplace_back(trilha);
  }
  int getNumTrilhas() const { return static_cast<int>(trilhas.size()); }
  // The track at indice; throws std::out_of_range outside 0..getNumTrilhas()-1.
  Trilha &getTrilha(int indice) const { return *trilhas.at(static_cast<std::size_t>(indice)); }
  // getTrilha(indice).eventosEm(posicao), with the same range check.
  std::span<EventoSequenciamento *const> eventosEm(int posicao, int indice) const {
    return getTrilha(indice).eventosEm(posicao);
  }

 private:
  std::vector<std::unique_ptr<Trilha>> trilhas;
};
