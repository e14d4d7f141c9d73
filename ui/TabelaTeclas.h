// The keyboard play-along's key table: the key that plays each drum note, and the label
// that names the key over the kit's piece.
#pragma once

#include <QPoint>
#include <array>

// One slot of the table, the index in tabelaTeclas. Slots 0..18 are keys; slot 19 is the
// hi-hat pedal, which the Ctrl modifier of every key event drives, not a key code.
struct TeclaBateria {
  int codigo;          // virtual-key code: a letter's upper-case character code, 0x20 for
                       // Space; -1 for the pedal
  const char *nome;    // the key as the key scheme and the documents name it
  int nota;            // General MIDI percussion note sent and shown
  int notaComCtrl;     // the note while Ctrl is held: the closed hi-hat (42) for X and D
  const char *rotulo;  // the key-label picture, ":/teclado/<rotulo>.png"
  QPoint lugarRotulo;  // the label's top-left corner in pnInstrumento, pixels
};

inline constexpr int numTeclasBateria = 20;
inline constexpr int slotPedal = 19;
// Keyboard notes go out on the drum channel (index 9, MIDI channel 10) at full velocity.
inline constexpr int canalTeclado = 9;
inline constexpr int velocidadeTeclado = 127;

// Every slot in order. The key scheme's artwork (assets/skin/source/keyboard.py) and the
// help pages' key table show the same keys; a test compares the pages' checker with it.
extern const std::array<TeclaBateria, numTeclasBateria> tabelaTeclas;

// The slot a virtual-key code plays, or -1 for a key that plays nothing (and for -1).
int slotDaTecla(int codigo);

// The note slot plays with Ctrl held (comCtrl) or not; slot must be 0..19.
inline int notaDoSlot(int slot, bool comCtrl) {
  const TeclaBateria &t = tabelaTeclas.at(static_cast<std::size_t>(slot));
  return comCtrl ? t.notaComCtrl : t.nota;
}

// The virtual-key code of a Qt key code. Qt gives a letter key the code of its upper-case
// letter whatever the Shift and Caps Lock states, and so does the virtual-key code; digits
// and Space keep their character codes too. Ctrl, Shift and Alt are 0x11, 0x10 and 0x12.
// Every other key is 0, which no slot has.
int codigoVirtual(int teclaQt);
