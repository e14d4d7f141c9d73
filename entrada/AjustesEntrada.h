// The settings of the drummer's own kit, kept in the configuration file's section "entrada".
#pragma once

#include <QString>

// The word of mapa for a map the drummer taught.
inline constexpr const char *nomeMapaPersonalizado = "personalizado";

struct AjustesEntrada {
  // The MIDI input port's full name; empty: no input device.
  QString dispositivo;
  // "gm", "roland", "alesis", "yamaha" (a preset), or "personalizado": the map in notas.
  QString mapa = QStringLiteral("gm");
  // The taught map, MapaNotas::paraTexto's line; used when mapa is "personalizado".
  QString notas;
  // Note-ons softer than this (1..127) are no hit.
  int velocidadeMinima = 8;
  // Controller 4 (the hi-hat pedal) from this value up counts the hi-hat closed (0..127).
  int limiarChimbal = 64;
  // The module sends low values for a closed hi-hat: the threshold counts the other way.
  bool chimbalInvertido = false;
  // Drops a hit on one pad that follows a much louder hit on another within a few
  // milliseconds (the vibration of one pad triggering its neighbour).
  bool guardaCruzada = false;

  friend bool operator==(const AjustesEntrada &, const AjustesEntrada &) = default;
};
