// Where a known sound starts in a recording: the note rendered offline by FluidSynth, and the
// frame at which a recording's envelope best matches it. Exact to the frame where a threshold
// crossing is not: the crossing jumps by half a wave (0.2 ms for a snare) when the previous
// hit's tail adds to the attack.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// The peaks (the larger of |left| and |right|, per frame) of the first quadros frames of nota
// at velocidade on the drum channel, started at frame 0 of a synthesizer with FluidSynth's
// default settings (those of the built-in synthesizer) at taxa on soundfont; empty when the
// soundfont cannot be loaded.
std::vector<float> renderizarNota(const std::string &soundfont, double taxa, int nota,
                                  int velocidade, std::size_t quadros);

// The frame from de to ate (both within picos) at which the frames of picos that follow best
// match referencia, by normalized correlation; with that correlation (1 for the same shape).
struct Inicio {
  std::size_t quadro = 0;
  double semelhanca = 0;
};
Inicio inicioDoSom(const std::vector<float> &picos, const std::vector<float> &referencia,
                   std::size_t de, std::size_t ate);

}  // namespace bench
