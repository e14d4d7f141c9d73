// A song: its tracks in file order.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "song/MapaCompassos.h"
#include "song/Trilha.h"

class Musica {
 public:
  Musica();

  // Appends trilha, complete, and indexes its events by tick; the song owns it.
  void adicionarTrilha(Trilha *trilha);
  int getNumTrilhas() const { return static_cast<int>(trilhas.size()); }
  // The track at indice; throws std::out_of_range outside 0..getNumTrilhas()-1.
  Trilha &getTrilha(int indice) const { return *trilhas.at(static_cast<std::size_t>(indice)); }
  // getTrilha(indice).eventosEm(posicao), with the same range check.
  std::span<EventoSequenciamento *const> eventosEm(int posicao, int indice) const {
    return getTrilha(indice).eventosEm(posicao);
  }

  // The tempo markers that set a tempo, by tick (track order, then file order, within one).
  const std::vector<const EventoAndamento *> &getMarcadores() const { return marcadores; }
  // The marker in force at posicao: the last one at or before it, else the first of the
  // song; none when the song has no tempo at all.
  const EventoAndamento *marcadorEm(int posicao) const;

  // The song's bars, 4/4 throughout until the import sets the file's signatures.
  void setCompassos(MapaCompassos mapa) { compassos = std::move(mapa); }
  const MapaCompassos &getCompassos() const { return compassos; }

  // Unique to this song among all songs of the run, so that a song that takes the place of
  // a destroyed one at the same address is told apart from it.
  uint64_t getSerie() const { return serie; }

 private:
  std::vector<std::unique_ptr<Trilha>> trilhas;
  std::vector<const EventoAndamento *> marcadores;
  MapaCompassos compassos;
  uint64_t serie;
};
