#include "song/MapaCompassos.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// A 64th note, 4 ticks, is the shortest beat a tick grid of 1/64 quarter still divides.
constexpr int menorDenominador = 1;
constexpr int maiorDenominador = 64;

int ticksPorTempo(const FormulaCompasso &f) {
  return MapaCompassos::ticksPorSemibreve / f.denominador;
}

int ticksPorCompasso(const FormulaCompasso &f) {
  return ticksPorTempo(f) * f.numerador;
}

}  // namespace

MapaCompassos::MapaCompassos(std::vector<FormulaCompasso> lidas) {
  std::stable_sort(lidas.begin(), lidas.end(),
                   [](const auto &a, const auto &b) { return a.posicao < b.posicao; });
  formulas.clear();
  for (FormulaCompasso f : lidas) {
    f.posicao = std::max(f.posicao, 0);
    f.numerador = std::clamp(f.numerador, 1, 255);
    f.denominador = std::clamp(f.denominador, menorDenominador, maiorDenominador);
    if (!formulas.empty() && formulas.back().posicao == f.posicao)
      formulas.back() = f;
    else
      formulas.push_back(f);
  }
  if (formulas.empty() || formulas.front().posicao > 0)
    formulas.insert(formulas.begin(), FormulaCompasso{});
  // A bar cut short by the next signature still counts as a bar.
  primeiroCompasso.assign(formulas.size(), 1);
  for (std::size_t i = 1; i < formulas.size(); ++i) {
    const int64_t duracao = formulas[i].posicao - formulas[i - 1].posicao;
    const int64_t porCompasso = ticksPorCompasso(formulas[i - 1]);
    const int64_t compassos = (duracao + porCompasso - 1) / porCompasso;
    primeiroCompasso[i] =
        static_cast<int>(std::min<int64_t>(primeiroCompasso[i - 1] + compassos, INT_MAX / 2));
  }
}

const FormulaCompasso &MapaCompassos::formulaEm(int posicao) const {
  const auto depois =
      std::upper_bound(formulas.begin(), formulas.end(), posicao,
                       [](int p, const FormulaCompasso &f) { return p < f.posicao; });
  return depois == formulas.begin() ? formulas.front() : *(depois - 1);
}

LugarCompasso MapaCompassos::lugar(int posicao) const {
  const FormulaCompasso &f = formulaEm(posicao);
  const std::size_t i = static_cast<std::size_t>(&f - formulas.data());
  LugarCompasso l;
  l.ticksPorTempo = ticksPorTempo(f);
  l.temposPorCompasso = f.numerador;
  const int64_t desde = int64_t{posicao} - f.posicao;
  const int64_t porCompasso = ticksPorCompasso(f);
  // Ticks before the first signature count back from it, whole bars at a time.
  int64_t compassos = desde / porCompasso;
  if (desde < 0 && desde % porCompasso != 0) --compassos;
  const int64_t dentro = desde - compassos * porCompasso;
  l.compasso = static_cast<int>(primeiroCompasso[i] + compassos);
  l.inicioCompasso = static_cast<int>(f.posicao + compassos * porCompasso);
  l.tempo = static_cast<int>(dentro / l.ticksPorTempo) + 1;
  l.noTempo = dentro % l.ticksPorTempo == 0;
  l.noInicio = dentro == 0;
  return l;
}

int MapaCompassos::inicioDoCompasso(int numero) const {
  std::size_t i = formulas.size() - 1;
  while (i > 0 && primeiroCompasso[i] > numero) --i;
  const int64_t tick =
      formulas[i].posicao + int64_t{numero - primeiroCompasso[i]} * ticksPorCompasso(formulas[i]);
  return static_cast<int>(std::clamp<int64_t>(tick, INT_MIN, INT_MAX));
}

int MapaCompassos::linhaMaisProxima(int posicao) const {
  const LugarCompasso l = lugar(posicao);
  const int proxima = inicioDoCompasso(l.compasso + 1);
  return proxima - posicao <= posicao - l.inicioCompasso ? proxima : l.inicioCompasso;
}
