// The figures of one pass: a loop's pass, or the song from where it started to its end.
#pragma once

#include <array>

#include "entrada/PecaBateria.h"
#include "julgamento/Julgamento.h"

struct ResumoPasse {
  // Classes of the offsets histogram: larguraClasseMs wide, centred on 0; the two outer
  // classes also take every offset beyond them.
  static constexpr int larguraClasseMs = 5;
  static constexpr int numClasses = 41;

  // 1 for the first pass since the song was opened, counting up.
  int numero = 0;
  int golpes = 0;
  int noTempo = 0;
  int adiantados = 0;
  int atrasados = 0;
  int perdidos = 0;
  int extras = 0;
  // Of the offsets of the hits that matched a note, in milliseconds.
  double media = 0;
  double desvioPadrao = 0;
  std::array<int, numClasses> histograma{};
  // Per piece: the song's notes judged (taken or missed) and those hit on time.
  struct Peca {
    int notas = 0;
    int noTempo = 0;
  };
  std::array<Peca, numPecasBateria> pecas{};

  // Notes judged: hits that took one, and notes missed.
  int notas() const { return noTempo + adiantados + atrasados + perdidos; }
  // The share of the notes hit on time, 0..1; 0 with no note.
  double precisao() const { return notas() == 0 ? 0 : static_cast<double>(noTempo) / notas(); }
  // Takes one judgement into the figures.
  void somar(const Julgamento &julgamento);
  // The class an offset falls in.
  static int classeDe(double desvioMs);

  // For the spread: the sum of squared differences from the mean.
  double somaQuadrados = 0;
};
