// The tap test: the click plays a number of beats and the drummer strikes a pad or a key on
// each; how late the strikes arrive after the clicks sound is the input's latency. User-
// interface thread only.
#pragma once

#include <cstdint>
#include <vector>

class Calibracao {
 public:
  static constexpr int batidasMinimas = 16;
  static constexpr int batidasMaximas = 32;
  // Below this many strikes left after the outliers, the test says nothing.
  static constexpr int toquesMinimos = 8;
  // A strike further than this from the median of the others is an outlier, however
  // steady the others are.
  static constexpr double foraMinimoMs = 15;

  struct Resultado {
    bool valido = false;
    // The median offset of the strikes kept, in milliseconds: positive when they arrive
    // after the click sounds.
    double latenciaMs = 0;
    // Strikes kept (when not valido: those paired with a click); clicks with no strike near them;
    // strikes left out (a second strike on one click, one far from the others).
    int usados = 0;
    int semToque = 0;
    int descartados = 0;
  };

  // Starts again.
  void limpar();
  // A click of the test, sounding at somNs (monotonic nanoseconds).
  void clique(int64_t somNs);
  // A strike of the drummer, arrived at chegadaNs.
  void toque(int64_t chegadaNs);
  int getCliques() const { return static_cast<int>(cliques.size()); }
  int getToques() const { return static_cast<int>(toques.size()); }

  // Pairs each click with the strike nearest it within half the time to its neighbours;
  // other strikes on it are left out. Strikes further than three times the pairs' typical
  // spread (and at least foraMinimoMs) from their median are left out too; the median of
  // the rest is the latency.
  Resultado calcular() const;

 private:
  std::vector<int64_t> cliques;
  std::vector<int64_t> toques;
};
