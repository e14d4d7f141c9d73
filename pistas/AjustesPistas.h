// The lane view's settings, kept in the configuration file's section "pistas".
#pragma once

#include <QRect>

struct AjustesPistas {
  static constexpr int antecipacaoMinima = 1;
  static constexpr int antecipacaoMaxima = 6;

  // Seconds of the song shown ahead of the "now" line.
  int antecipacao = 3;
  // The view was open when the program last closed: it opens again with the main window.
  bool aberta = false;
  // Its place and size out of full screen (empty: where the desktop puts it), and whether it
  // was full screen.
  QRect lugar;
  bool telaCheia = false;

  bool operator==(const AjustesPistas &) const = default;
};
