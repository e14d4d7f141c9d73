// The song's bars: its time signatures by tick, and where each bar and beat falls.
#pragma once

#include <vector>

// A time signature in force from a tick on: beats per bar, and the beat's note as a
// fraction of a whole note (4 a quarter, 8 an eighth).
struct FormulaCompasso {
  int posicao = 0;
  int numerador = 4;
  int denominador = 4;
  bool operator==(const FormulaCompasso &) const = default;
};

// Where a tick lies in the bars: bar and beat counted from 1, and the bar's measures.
struct LugarCompasso {
  int compasso = 1;
  int tempo = 1;
  int inicioCompasso = 0;  // tick of the bar's first beat
  int ticksPorTempo = 64;
  int temposPorCompasso = 4;
  // Whether the tick is exactly on a beat, and on the bar's first beat.
  bool noTempo = false;
  bool noInicio = false;
  int ticksPorCompasso() const { return ticksPorTempo * temposPorCompasso; }
};

// Bars start at tick 0 and at every change of signature (files put changes on bar lines;
// one that is not starts a new bar there). A song without signatures is in 4/4.
class MapaCompassos {
 public:
  static constexpr int ticksPorSemibreve = 256;

  MapaCompassos() = default;
  // formulas in any order; values a bar cannot have (0 beats, a beat shorter than a 64th)
  // are brought into range, and of two at one tick the later one holds.
  explicit MapaCompassos(std::vector<FormulaCompasso> formulas);

  const std::vector<FormulaCompasso> &getFormulas() const { return formulas; }
  // The signature in force at posicao (ticks before 0 take the first one).
  const FormulaCompasso &formulaEm(int posicao) const;
  LugarCompasso lugar(int posicao) const;
  // The tick of bar numero's first beat (numero from 1).
  int inicioDoCompasso(int numero) const;
  // The bar line nearest posicao; the later one when halfway.
  int linhaMaisProxima(int posicao) const;

 private:
  std::vector<FormulaCompasso> formulas{FormulaCompasso{}};
  // The bar number of each signature's first bar.
  std::vector<int> primeiroCompasso{1};
};
