// The main window's transport states.
#pragma once

#include <cstdint>

// The value is what the window stores; each state but SemMusica has a status word in the
// language's section "frmPrincipal" under the key of its name.
enum class EstadoPlayer : std::uint8_t {
  SemMusica = 0,   // no song opened yet; the status line stays empty
  Tocando = 1,     // playing
  Pausa = 2,       // paused
  InicioLoop = 3,  // playing, a loop start marked, the loop end not yet
  Repetindo = 4,   // playing, the stretch between the two marks repeats
  Parado = 5,      // stopped, back at the start
  Adiantando = 6,  // fast-forward held
  Voltando = 7,    // rewind held
};

// The language key of the status word of estado; nullptr for SemMusica.
const char *chaveEstado(EstadoPlayer estado);
