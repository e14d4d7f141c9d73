#include "julgamento/Calibracao.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double mediana(std::vector<double> valores) {
  std::sort(valores.begin(), valores.end());
  const std::size_t meio = valores.size() / 2;
  return valores.size() % 2 ? valores[meio] : (valores[meio - 1] + valores[meio]) / 2;
}

}  // namespace

void Calibracao::limpar() {
  cliques.clear();
  toques.clear();
}

void Calibracao::clique(int64_t somNs) {
  cliques.push_back(somNs);
}

void Calibracao::toque(int64_t chegadaNs) {
  toques.push_back(chegadaNs);
}

Calibracao::Resultado Calibracao::calcular() const {
  Resultado resultado;
  std::vector<double> desvios;
  int pareados = 0;
  for (std::size_t i = 0; i < cliques.size(); ++i) {
    // Half the way to each neighbour; the first and last click reach as far on their open side.
    const int64_t antes =
        i > 0 ? cliques[i] - cliques[i - 1] : (cliques.size() > 1 ? cliques[1] - cliques[0] : 0);
    const int64_t depois = i + 1 < cliques.size() ? cliques[i + 1] - cliques[i] : antes;
    int64_t melhor = std::numeric_limits<int64_t>::max();
    int perto = 0;
    for (const int64_t toque : toques) {
      const int64_t desvio = toque - cliques[i];
      if (desvio < -antes / 2 || desvio >= depois / 2) continue;
      ++perto;
      if (std::llabs(desvio) < std::llabs(melhor)) melhor = desvio;
    }
    if (perto == 0) {
      ++resultado.semToque;
      continue;
    }
    ++pareados;
    desvios.push_back(static_cast<double>(melhor) / 1e6);
  }
  // A second strike on a click, and strikes before the first click or after the last.
  resultado.descartados = static_cast<int>(toques.size()) - pareados;
  resultado.usados = static_cast<int>(desvios.size());
  if (resultado.usados < toquesMinimos) return resultado;
  const double centro = mediana(desvios);
  std::vector<double> distancias;
  for (const double d : desvios) distancias.push_back(std::abs(d - centro));
  // 1.4826 times the median absolute deviation estimates the spread of normal errors.
  const double limite = std::max(foraMinimoMs, 3 * 1.4826 * mediana(distancias));
  std::vector<double> mantidos;
  for (const double d : desvios) {
    if (std::abs(d - centro) <= limite)
      mantidos.push_back(d);
    else
      ++resultado.descartados;
  }
  resultado.usados = static_cast<int>(mantidos.size());
  if (resultado.usados < toquesMinimos) return resultado;
  resultado.latenciaMs = mediana(mantidos);
  resultado.valido = true;
  return resultado;
}
