// The settings of the judging of the drummer's hits, kept in the configuration file's section
// "julgamento".
#pragma once

#include "julgamento/Julgamento.h"

struct AjustesJulgamento {
  static constexpr double latenciaMinimaMs = -100;
  static constexpr double latenciaMaximaMs = 250;
  static constexpr int atrasoVisualMaximoMs = 100;

  Rigor rigor = Rigor::normal;
  // What the tap test measured: how long after a note leaves the output the drummer's hit on
  // it reaches the program, in milliseconds; taken off every hit. Negative for a drummer who
  // strikes ahead of what they hear.
  double latenciaEntradaMs = 0;
  // The kit picture lights this many milliseconds earlier, for displays that show late.
  int atrasoVisualMs = 0;

  bool operator==(const AjustesJulgamento &) const = default;
};
