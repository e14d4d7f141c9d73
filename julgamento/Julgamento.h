// What the judge says of one hit of the drummer, or of a note of the song no hit took.
#pragma once

#include <cstdint>

#include "entrada/PecaBateria.h"

enum class ClasseGolpe : std::uint8_t {
  noTempo,
  adiantado,
  atrasado,
  // A hit with no note of its piece near it.
  extra,
  // A note of the song no hit took before its window closed.
  perdido,
};

// How close to its note a hit must be to count as on time.
enum class Rigor : std::uint8_t { estrito, normal, folgado };

struct JanelasRigor {
  // A hit within +-noTempoMs of its note is on time.
  double noTempoMs;
  // A hit further than this from every note of its piece is extra.
  double externaMs;
};

inline JanelasRigor janelasDe(Rigor rigor) {
  switch (rigor) {
    case Rigor::estrito:
      return {20, 50};
    case Rigor::folgado:
      return {50, 125};
    case Rigor::normal:
      break;
  }
  return {35, 90};
}

// The word of a class that kovrinta-song --judge prints and scripts read: "on-time", "early",
// "late", "extra", "missed".
inline const char *palavraDaClasse(ClasseGolpe classe) {
  switch (classe) {
    case ClasseGolpe::noTempo:
      return "on-time";
    case ClasseGolpe::adiantado:
      return "early";
    case ClasseGolpe::atrasado:
      return "late";
    case ClasseGolpe::extra:
      return "extra";
    case ClasseGolpe::perdido:
      break;
  }
  return "missed";
}

struct Julgamento {
  // The piece of the note (perdido, and a hit that took one) or of the hit (extra).
  PecaBateria peca = PecaBateria::nenhuma;
  ClasseGolpe classe = ClasseGolpe::extra;
  // Hit minus note, in milliseconds, less the input latency; positive is late. 0 for extra
  // and perdido.
  double desvioMs = 0;
  // The hit's velocity (0 for perdido) and the song's tick it fell on (the note's tick for
  // perdido).
  int velocidade = 0;
  int tick = 0;
  // The piece the hit was struck on (nenhuma for perdido): the note's, or the other hi-hat.
  PecaBateria pecaGolpe = PecaBateria::nenhuma;
  // It counts in the pass after the one being played, whose end has sounded and whose last
  // windows are still open.
  bool noPasseSeguinte = false;
  // On the monotonic clock: the hit's moment less the input latency, or the missed note's.
  int64_t somNs = 0;
};
