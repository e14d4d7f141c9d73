// How far played notes are from their ideal times: errors, their percentiles, the drift, and
// the onsets of a recorded hit in audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Nearest-rank percentile of a sample (0 < q <= 1); NAN when it is empty.
double percentil(std::vector<double> amostra, double q);

struct Erros {
  std::size_t casados = 0;  // notes matched to an ideal time
  std::size_t esperados = 0;
  // |error| in ms, aligned on the first note (a constant latency does not count).
  double p50 = 0, p99 = 0, max = 0;
  // The same once a straight line is fitted out (a clock running at a slightly other rate,
  // and the constant latency); the line's slope in parts per million. The line is robust
  // (inclinacaoRobusta): a stall that moves a few notes does not tilt it.
  double ajusteP50 = 0, ajusteP99 = 0, ajusteMax = 0, derivaPpm = 0;
  // The constant latency: the median of played minus ideal, in ms.
  double latenciaMs = 0;
};

// The slope of y against x through the medians of blocks of bloco consecutive points: the
// median of the slopes between every two blocks (Theil and Sen). A stall of the host moves a
// few points by milliseconds, which tilts a least-squares line but neither a block's median
// nor the median of the slopes. NAN with fewer than two blocks.
double inclinacaoRobusta(const std::vector<double> &x, const std::vector<double> &y,
                         std::size_t bloco);

// Compares played times (ns, any origin) with the ideal ones (ns from the file's start), in
// order: played[k] is the k-th note heard.
Erros comparar(const std::vector<double> &tocadosNs, const std::vector<int64_t> &ideaisNs);

// The frames at which each hit starts in a recording of peaks: the first frame above a
// threshold 12 dB under the loudest hit after a third of minGapFrames below it, with the hits
// at least minGapFrames apart, refined to a fraction of a frame by the slope of the crossing.
std::vector<double> inicios(const std::vector<float> &picos, std::size_t frames,
                            std::size_t minGapFrames);

// "p50 0.12  p99 0.40  max 0.52" and the like, for a table.
std::string linha(const Erros &e, bool ajustado);

}  // namespace bench
