// The lanes of the drum lane view: one per group of kit pieces, in the order a drum staff
// sets them from top to bottom, and how a General MIDI percussion note falls into them.
#pragma once

#include <cstdint>

enum class Pista : std::uint8_t {
  ataque,
  chimbal,
  conducao,
  ton1,
  ton2,
  caixa,
  surdo1,
  surdo2,
  bumbo,
  outras,
};

inline constexpr int numPistas = 10;

// How a note is drawn on its lane besides its size: the hi-hat opened or played with the
// foot, and the snare's rim.
enum class MarcaNota : std::uint8_t { normal, aberto, pedal, aro };

// The lane of a General MIDI percussion note; notes of no kit piece go to "outras".
Pista pistaDaNota(int nota);
MarcaNota marcaDaNota(int nota);
// The lane's name key in the language files' section "frmPistas" ("pistaCaixa").
const char *chavePista(Pista pista);
