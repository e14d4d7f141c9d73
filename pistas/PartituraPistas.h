// What the lane view draws of a song: its drum notes, its bars and its tempo markers, taken
// once when the song or its drum track changes.
#pragma once

#include <cstdint>
#include <vector>

#include "pistas/Pista.h"
#include "song/MapaCompassos.h"

class Musica;

struct NotaPartitura {
  int tick;
  std::uint8_t nota;
  std::uint8_t velocidade;
};

struct AndamentoPartitura {
  int tick;
  // The tick's length at 100 % speed.
  double nsPorTick;
};

struct PartituraPistas {
  // Note-ons with a velocity, by tick.
  std::vector<NotaPartitura> notas;
  MapaCompassos compassos;
  // The tempo markers, by tick.
  std::vector<AndamentoPartitura> andamentos;
  // The tick after the last beat of the song.
  int fim = 0;

  // The drum notes of trilha (-1: of every track) on the drum channel, as the kit shows them.
  static PartituraPistas daMusica(const Musica &musica, int trilha, int numTempos);
  // The lanes the notes use, in the staff's order.
  std::vector<Pista> pistasUsadas() const;
  // The marker in force at tick, or null before the first.
  const AndamentoPartitura *andamentoEm(int tick) const;
};
