// Judges the drummer's hits against the song's drum notes: each hit takes the nearest note of
// its piece that no earlier hit took, within the outer window, and is on time, early or late
// by its offset, or extra when no note is near; a note no hit took by the time its window
// closes is missed, from the drummer's first hit on: what sounds before it (an intro listened
// to, a song played without playing along) is not judged, and a pass with nothing judged is
// no pass. Times are nanoseconds on the monotonic clock: a note's is the moment it leaves the
// output, a hit's the moment it arrived. User-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "julgamento/AjustesJulgamento.h"
#include "julgamento/Julgamento.h"
#include "julgamento/ResumoPasse.h"

class JuizGolpes {
 public:
  void setAjustes(const AjustesJulgamento &ajustes);
  const AjustesJulgamento &getAjustes() const { return ajustes; }

  // A note of the song's drum part (a General MIDI percussion note) at tick, sounding at
  // somNs; notes without a piece of the kit are not judged. Notes come in the order they
  // sound.
  void nota(int notaGm, int tick, int64_t somNs);
  // The song's tick sounds at somNs, and every note sounding before it is known. Ticks come
  // in the order they sound; they place the hits on the song's grid.
  void tick(int tick, int64_t somNs);
  // A hit of the drummer on peca, arrived at chegadaNs; the input latency is taken off.
  void golpe(PecaBateria peca, int velocidade, int64_t chegadaNs);
  // Decides what can be decided at agora: every hit whose nearest note is known, every note
  // whose window has closed; then closes the pass whose end and window have passed.
  void avancar(int64_t agora);
  // Playback stopped or jumped at agora: the notes not yet sounded never will, and no hit
  // comes to the notes before: everything is decided with what is known. Judging starts again
  // at the next hit.
  void interromper(int64_t agora);
  // The pass ends at fimNs (a loop's wrap, the song's end): what sounds from then on counts
  // in the next pass. Its figures go out once its last window has closed.
  void fimDoPasse(int64_t fimNs);
  // Forgets the passes (another song).
  void reiniciar();

  // The figures of the pass being played.
  const ResumoPasse &getPasseAtual() const { return atual; }

  // Every judgement as it is made, and the figures of every pass as it closes.
  std::function<void(const Julgamento &)> aoJulgar;
  std::function<void(const ResumoPasse &)> aoFecharPasse;

 private:
  struct Nota {
    PecaBateria peca;
    int tick;
    int64_t somNs;
    bool tomada = false;
  };
  struct Golpe {
    PecaBateria peca;
    int velocidade;
    int64_t ns;
  };
  struct Tick {
    int tick;
    int64_t somNs;
  };

  // Whether the hit at the front can be decided; decides it.
  bool decidirGolpe(bool tudoConhecido);
  void emitir(Julgamento julgamento, int64_t momentoNs);
  // The song's tick a moment falls on.
  int tickEm(int64_t ns) const;
  void fecharSePossivel(int64_t agora, bool forcar);

  AjustesJulgamento ajustes;
  JanelasRigor janelas = janelasDe(Rigor::normal);
  std::deque<Nota> notas;
  std::deque<Golpe> golpes;
  std::deque<Tick> ticks;
  // Every note sounding up to this moment is known.
  int64_t conhecidoAte = 0;
  ResumoPasse atual;
  ResumoPasse seguinte;
  // The end of the pass being played, 0 while it goes on.
  int64_t fronteira = 0;
  // The first hit since the start or the last interruption, 0 before it.
  int64_t primeiroGolpe = 0;
  int passes = 0;
};
