// The lane view's settings, kept in the configuration file's section "pistas".
#pragma once

#include <QByteArray>

struct AjustesPistas {
  static constexpr int antecipacaoMinima = 1;
  static constexpr int antecipacaoMaxima = 6;

  // Seconds of the song shown ahead of the "now" line.
  int antecipacao = 3;
  // The view was open when the program last closed: it opens again with the main window.
  bool aberta = false;
  // Its place, size and state (full screen, maximized), as the toolkit saves them.
  QByteArray geometria;

  bool operator==(const AjustesPistas &) const = default;
};
