// The judge's matching and passes, and the tap test's outliers, on moments given by the test.
#include <gtest/gtest.h>

#include <vector>

#include "julgamento/Calibracao.h"
#include "julgamento/JuizGolpes.h"

namespace {

constexpr int64_t ms = 1'000'000;
constexpr int caixa = 38;

struct Registro {
  JuizGolpes juiz;
  std::vector<Julgamento> julgados;
  std::vector<ResumoPasse> passes;
  Registro() {
    juiz.aoJulgar = [this](const Julgamento &j) { julgados.push_back(j); };
    juiz.aoFecharPasse = [this](const ResumoPasse &r) { passes.push_back(r); };
  }
  // The song's ticks every 10 ms from inicio up to ate, as the sequencer hands them out.
  void ticks(int64_t inicio, int64_t ate, int primeiro) {
    for (int64_t t = inicio; t <= ate; t += 10 * ms) juiz.tick(primeiro++, t);
  }
};

}  // namespace

// A hit takes the nearest note of its piece no earlier hit took; it waits until no note still
// unknown could be nearer, and one with no note near waits for its whole outer window.
TEST(JuizGolpes, AHitTakesTheNearestFreeNoteOnceNoNearerOneCanCome) {
  Registro r;
  r.juiz.nota(caixa, 0, 1000 * ms);
  r.ticks(1000 * ms, 1020 * ms, 0);
  r.juiz.golpe(PecaBateria::caixa, 90, 1010 * ms);
  r.juiz.avancar(1010 * ms);
  // A note 5 ms after the hit could still come.
  EXPECT_TRUE(r.julgados.empty());
  r.juiz.nota(caixa, 3, 1030 * ms);
  r.ticks(1030 * ms, 1110 * ms, 3);
  r.juiz.golpe(PecaBateria::caixa, 80, 1028 * ms);
  r.juiz.golpe(PecaBateria::bumbo, 70, 1029 * ms);
  r.juiz.avancar(1110 * ms);
  ASSERT_EQ(r.julgados.size(), 2u);
  r.ticks(1120 * ms, 1130 * ms, 12);
  r.juiz.avancar(1130 * ms);
  ASSERT_EQ(r.julgados.size(), 3u);
  EXPECT_EQ(r.julgados[0].classe, ClasseGolpe::noTempo);
  EXPECT_DOUBLE_EQ(r.julgados[0].desvioMs, 10);
  EXPECT_EQ(r.julgados[0].tick, 1);
  EXPECT_DOUBLE_EQ(r.julgados[1].desvioMs, -2);
  EXPECT_EQ(r.julgados[2].classe, ClasseGolpe::extra);
  EXPECT_EQ(r.julgados[2].peca, PecaBateria::bumbo);
}

// A loop's wrap at 1000 ms: a hit on the pass's last note counts in that pass, which closes
// once its window has passed; the open hi-hat that starts the next pass, missed, counts there.
TEST(JuizGolpes, APassClosesWhenItsLastWindowHasPassedWithEveryJudgementInItsPass) {
  Registro r;
  r.juiz.setAjustes({Rigor::estrito, 5, 0});
  r.juiz.nota(42, 10, 990 * ms);
  r.ticks(900 * ms, 990 * ms, 1);
  r.juiz.fimDoPasse(1000 * ms);
  r.juiz.nota(46, 0, 1000 * ms);
  r.ticks(1000 * ms, 1040 * ms, 0);
  // 3 ms after the closed hi-hat once the input latency of 5 ms is taken off: nearer to it
  // than to the open one.
  r.juiz.golpe(PecaBateria::chimbalFechado, 90, 998 * ms);
  r.juiz.avancar(1040 * ms);
  EXPECT_TRUE(r.passes.empty());
  r.ticks(1050 * ms, 1100 * ms, 5);
  r.juiz.avancar(1100 * ms);
  ASSERT_EQ(r.passes.size(), 1u);
  EXPECT_EQ(r.passes[0].numero, 1);
  EXPECT_EQ(r.passes[0].noTempo, 1);
  EXPECT_EQ(r.passes[0].perdidos, 0);
  EXPECT_EQ(r.juiz.getPasseAtual().perdidos, 1);
  r.juiz.interromper(1100 * ms);
  EXPECT_EQ(r.juiz.getPasseAtual().perdidos, 1);
}

// A strike far from the others and one before the first click are left out; with fewer than
// eight strikes left there is no result.
TEST(Calibracao, LeavesOutTheStrikesFarFromTheOthersAndNeedsEight) {
  Calibracao calibracao;
  for (int i = 0; i < 16; ++i) {
    const int64_t clique = 1000 * ms + i * 600 * ms;
    calibracao.clique(clique);
    if (i == 0) calibracao.toque(clique - 400 * ms);
    calibracao.toque(clique + (i == 5 ? 150 : 20 + i % 3) * ms);
  }
  const Calibracao::Resultado resultado = calibracao.calcular();
  ASSERT_TRUE(resultado.valido);
  EXPECT_DOUBLE_EQ(resultado.latenciaMs, 21);
  EXPECT_EQ(resultado.usados, 15);
  EXPECT_EQ(resultado.descartados, 2);

  Calibracao poucos;
  for (int i = 0; i < 16; ++i) poucos.clique(i * 600 * ms);
  for (int i = 0; i < 7; ++i) poucos.toque(i * 600 * ms + 20 * ms);
  EXPECT_FALSE(poucos.calcular().valido);
}
