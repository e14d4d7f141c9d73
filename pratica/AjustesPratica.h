// The practice settings, kept in the configuration file's section "pratica".
#pragma once

#include "pratica/TreinadorVelocidade.h"

struct AjustesPratica {
  // Bars of count-in before playback starts (0..2), and before every pass of the loop.
  int contagem = 1;
  bool contagemNoLoop = false;
  // The click, on the beats (or the eighths), and its loudness in percent.
  bool clique = false;
  bool cliqueColcheias = false;
  int volumeClique = 80;
  // Loop marks go to the nearest bar line.
  bool marcasNasLinhas = true;
  // The length of a loop set from the current bar.
  int compassosLoop = 4;
  AjustesTreinador treinador;

  bool operator==(const AjustesPratica &) const = default;
};
