#include "Analise.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

double percentil(std::vector<double> amostra, double q) {
  if (amostra.empty()) return NAN;
  std::sort(amostra.begin(), amostra.end());
  const auto rank = static_cast<std::size_t>(std::ceil(q * double(amostra.size())));
  return amostra[std::clamp<std::size_t>(rank, 1, amostra.size()) - 1];
}

double inclinacaoRobusta(const std::vector<double> &x, const std::vector<double> &y,
                         std::size_t bloco) {
  std::vector<std::pair<double, double>> medianas;
  for (std::size_t inicio = 0; bloco > 0 && inicio + bloco <= std::min(x.size(), y.size());
       inicio += bloco) {
    const auto parte = [&](const std::vector<double> &v) {
      return percentil(std::vector<double>(v.begin() + std::ptrdiff_t(inicio),
                                           v.begin() + std::ptrdiff_t(inicio + bloco)),
                       0.5);
    };
    medianas.emplace_back(parte(x), parte(y));
  }
  std::vector<double> inclinacoes;
  for (std::size_t i = 0; i < medianas.size(); ++i)
    for (std::size_t j = i + 1; j < medianas.size(); ++j)
      if (medianas[j].first != medianas[i].first)
        inclinacoes.push_back((medianas[j].second - medianas[i].second) /
                              (medianas[j].first - medianas[i].first));
  return percentil(std::move(inclinacoes), 0.5);
}

Erros comparar(const std::vector<double> &tocadosNs, const std::vector<int64_t> &ideaisNs) {
  Erros e;
  e.esperados = ideaisNs.size();
  const std::size_t n = std::min(tocadosNs.size(), ideaisNs.size());
  e.casados = n;
  if (n < 2) return e;
  std::vector<double> erros(n);
  for (std::size_t k = 0; k < n; ++k) erros[k] = tocadosNs[k] - double(ideaisNs[k]);
  e.latenciaMs = percentil(erros, 0.5) / 1e6;
  std::vector<double> alinhados(n);
  for (std::size_t k = 0; k < n; ++k) alinhados[k] = std::fabs(erros[k] - erros[0]) / 1e6;
  e.p50 = percentil(alinhados, 0.5);
  e.p99 = percentil(alinhados, 0.99);
  e.max = percentil(alinhados, 1.0);
  // A robust line of error against ideal time: ten blocks, or blocks of 5 notes at least.
  std::vector<double> x(n);
  for (std::size_t k = 0; k < n; ++k) x[k] = double(ideaisNs[k]) / 1e9;
  double inclinacao = inclinacaoRobusta(x, erros, std::max<std::size_t>(n / 10, 5));  // ns/s
  if (std::isnan(inclinacao)) inclinacao = 0;
  std::vector<double> origens(n);
  for (std::size_t k = 0; k < n; ++k) origens[k] = erros[k] - inclinacao * x[k];
  const double origem = percentil(origens, 0.5);
  e.derivaPpm = inclinacao / 1e3;
  std::vector<double> residuos(n);
  for (std::size_t k = 0; k < n; ++k)
    residuos[k] = std::fabs(erros[k] - (origem + inclinacao * double(ideaisNs[k]) / 1e9)) / 1e6;
  e.ajusteP50 = percentil(residuos, 0.5);
  e.ajusteP99 = percentil(residuos, 0.99);
  e.ajusteMax = percentil(residuos, 1.0);
  return e;
}

std::vector<double> inicios(const std::vector<float> &picos, std::size_t frames,
                            std::size_t minGapFrames) {
  frames = std::min(frames, picos.size());
  float maior = 0;
  for (std::size_t i = 0; i < frames; ++i) maior = std::max(maior, picos[i]);
  std::vector<double> achados;
  if (maior <= 0) return achados;
  // High enough that the tail of the hit before has fallen under it well before the next (a
  // closed hi-hat rings at -30 dB for longer than a 16th at 120 BPM), low enough to lie on the
  // steep attack; every hit is the same sound, so the crossing lies at the same point of each.
  const float limiar = maior * std::pow(10.0f, -12.0f / 20.0f);
  // A hit starts out of quiet: the frames before the crossing stay under the threshold for a
  // third of the least gap, so a tail wavering about the threshold is no new onset.
  const std::size_t quieto = std::max<std::size_t>(minGapFrames / 3, 1);
  std::size_t abaixo = 0;
  std::size_t i = 1;
  while (i < frames) {
    if (picos[i - 1] <= limiar)
      ++abaixo;
    else
      abaixo = 0;
    if (picos[i] > limiar && abaixo >= quieto) {
      // Where the rise crosses the threshold between the two frames.
      const double fracao = (limiar - picos[i - 1]) / (picos[i] - picos[i - 1]);
      achados.push_back(double(i - 1) + fracao);
      i += minGapFrames;
      abaixo = 0;
    } else {
      ++i;
    }
  }
  return achados;
}

std::string linha(const Erros &e, bool ajustado) {
  char texto[128];
  if (ajustado)
    std::snprintf(texto, sizeof texto, "%6.3f %6.3f %6.3f  %+7.2f ppm", e.ajusteP50, e.ajusteP99,
                  e.ajusteMax, e.derivaPpm);
  else
    std::snprintf(texto, sizeof texto, "%6.3f %6.3f %6.3f", e.p50, e.p99, e.max);
  return texto;
}

}  // namespace bench
