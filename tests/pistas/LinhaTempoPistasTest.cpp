// The lane view's model without painting: which notes lie on which lane at which moment, the
// bar and beat lines of several signatures, a loop with its count-in, tempo markers ahead, and
// the drummer's hits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "pistas/LinhaTempoPistas.h"

namespace {

// 120 BPM: a quarter of 64 ticks in 500 ms.
constexpr double tickNs = 7'812'500;
constexpr int64_t t0 = 1'000'000'000'000;

int64_t som(double ticks) {
  return t0 + static_cast<int64_t>(std::llround(ticks * tickNs));
}

PartituraPistas partitura(std::vector<NotaPartitura> notas, std::vector<FormulaCompasso> formulas,
                          int fim) {
  PartituraPistas p;
  p.notas = std::move(notas);
  p.compassos = MapaCompassos(std::move(formulas));
  p.fim = fim;
  return p;
}

EstadoTransporte tocandoEm(int posicao) {
  EstadoTransporte e;
  e.tocando = true;
  e.posicao = posicao;
  e.nsPorTick = tickNs;
  return e;
}

// The song's ticks 0..ate-1 handed out, each sounding on the 120 BPM grid from t0.
void tocarAte(LinhaTempoPistas &linha, int ate) {
  for (int tick = 0; tick < ate; ++tick) linha.tickSoado(tick, som(tick));
}

// The moments of the notes on one lane, in ticks from t0.
std::vector<double> ticksNaPista(const QuadroPistas &q, Pista pista) {
  std::vector<double> ticks;
  for (const auto &n : q.notas)
    if (n.pista == pista) ticks.push_back(static_cast<double>(n.ns - t0) / tickNs);
  return ticks;
}

void esperarTicks(const std::vector<double> &vistos, const std::vector<double> &esperados) {
  ASSERT_EQ(vistos.size(), esperados.size());
  for (std::size_t i = 0; i < vistos.size(); ++i) EXPECT_NEAR(vistos[i], esperados[i], 0.01) << i;
}

TEST(LinhaTempoPistas, NotesLieOnTheirLanesInStaffOrderWhereTheirTicksSound) {
  LinhaTempoPistas linha;
  linha.setPartitura(partitura({{0, 36, 110},
                                {0, 49, 120},
                                {0, 42, 90},
                                {32, 42, 40},
                                {64, 38, 127},
                                {96, 46, 90},
                                {128, 44, 70},
                                {160, 37, 60},
                                {192, 48, 100},
                                {200, 45, 100},
                                {208, 43, 100},
                                {216, 41, 100},
                                {224, 56, 80},
                                {300, 38, 30}},
                               {}, 512));
  EXPECT_EQ(
      linha.getPartitura().pistasUsadas(),
      (std::vector<Pista>{Pista::ataque, Pista::chimbal, Pista::ton1, Pista::ton2, Pista::caixa,
                          Pista::surdo1, Pista::surdo2, Pista::bumbo, Pista::outras}));
  // Half of it handed out: what follows is projected at the same tempo.
  tocarAte(linha, 150);
  const QuadroPistas q = linha.quadro(som(-10), som(400), tocandoEm(150), som(100));
  esperarTicks(ticksNaPista(q, Pista::chimbal), {0, 32, 96, 128});
  esperarTicks(ticksNaPista(q, Pista::caixa), {64, 160, 300});
  esperarTicks(ticksNaPista(q, Pista::bumbo), {0});
  esperarTicks(ticksNaPista(q, Pista::outras), {224});
  for (const auto &n : q.notas) {
    const int tick = static_cast<int>(std::lround(static_cast<double>(n.ns - t0) / tickNs));
    EXPECT_EQ(n.marca, tick == 96    ? MarcaNota::aberto
                       : tick == 128 ? MarcaNota::pedal
                       : tick == 160 ? MarcaNota::aro
                                     : MarcaNota::normal)
        << tick;
  }
  // Only what lies in the range; the song ends at its last beat.
  EXPECT_TRUE(ticksNaPista(linha.quadro(som(170), som(190), tocandoEm(150), som(100)), Pista::caixa)
                  .empty());
  EXPECT_EQ(linha.quadro(som(-10), som(2000), tocandoEm(150), som(100)).linhas.size(), 8u);
}

// Bars and beats of 3/4, 6/8 and 7/8 one after another, from a transport at rest at tick 0.
TEST(LinhaTempoPistas, BarAndBeatLinesFollowTheTimeSignatures) {
  LinhaTempoPistas linha;
  linha.setPartitura(partitura({}, {{0, 3, 4}, {384, 6, 8}, {576, 7, 8}}, 800));
  EstadoTransporte parado;
  parado.nsPorTick = tickNs;
  const QuadroPistas q = linha.quadro(som(0), som(900), parado, som(0));
  std::vector<std::pair<int, int>> linhas;
  for (const auto &l : q.linhas)
    linhas.emplace_back(static_cast<int>(std::lround(static_cast<double>(l.ns - t0) / tickNs)),
                        l.compasso);
  std::vector<std::pair<int, int>> esperadas;
  for (int tick = 0; tick < 384; tick += 64)
    esperadas.emplace_back(tick, tick % 192 ? 0 : tick / 192 + 1);
  for (int tick = 384; tick < 576; tick += 32) esperadas.emplace_back(tick, tick == 384 ? 3 : 0);
  for (int tick = 576; tick < 800; tick += 32) esperadas.emplace_back(tick, tick == 576 ? 4 : 0);
  EXPECT_EQ(linhas, esperadas);
}

// A loop of bars 2 and 3 with a bar of count-in before each pass: the projection plays the
// rest of the pass, the count-in, then the loop again; free marks wrap to the tick after the
// start.
TEST(LinhaTempoPistas, ALoopWrapsThroughItsCountInAndIsShaded) {
  LinhaTempoPistas linha;
  linha.setPartitura(partitura({{256, 38, 100}, {448, 36, 100}}, {}, 2048));
  EstadoTransporte estado = tocandoEm(400);
  estado.loopAtivo = true;
  estado.inicioLoop = 256;
  estado.fimLoop = 512;
  estado.loopNaLinha = true;
  estado.compassosContagem = 1;
  estado.contagemAntesDoLoop = true;
  for (int tick = 380; tick < 400; ++tick) linha.tickSoado(tick, som(tick - 380));
  // The next tick, 400, sounds at 20: the pass ends at 132, the count-in lasts to 388.
  const QuadroPistas q = linha.quadro(som(0), som(640), estado, som(10));
  esperarTicks(ticksNaPista(q, Pista::bumbo), {68, 580});
  esperarTicks(ticksNaPista(q, Pista::caixa), {388});
  ASSERT_EQ(q.contagens.size(), 1u);
  EXPECT_NEAR(static_cast<double>(q.contagens[0].inicioNs - t0) / tickNs, 132, 0.01);
  EXPECT_NEAR(static_cast<double>(q.contagens[0].fimNs - t0) / tickNs, 388, 0.01);
  std::vector<int> tempos;
  for (const auto &t : q.temposContagem) tempos.push_back(t.tempo);
  EXPECT_EQ(tempos, (std::vector<int>{1, 2, 3, 4}));
  ASSERT_EQ(q.loops.size(), 3u);
  EXPECT_NEAR(static_cast<double>(q.loops[1].fimNs - t0) / tickNs, 132, 0.01);
  EXPECT_NEAR(static_cast<double>(q.loops[2].inicioNs - t0) / tickNs, 388, 0.01);

  estado.loopNaLinha = false;
  estado.contagemAntesDoLoop = false;
  // Ticks 400..512 (113 of them) from 20, then 257 on: the snare at 256 is not played again.
  esperarTicks(ticksNaPista(linha.quadro(som(0), som(640), estado, som(10)), Pista::bumbo),
               {68, 324, 580});
  EXPECT_TRUE(ticksNaPista(linha.quadro(som(0), som(640), estado, som(10)), Pista::caixa).empty());
}

// A marker ahead sets the tempo from the tick after its own, at the speed set; the past keeps
// the tempo it was played at.
TEST(LinhaTempoPistas, TempoMarkersAheadMoveTheNotesAfterThem) {
  LinhaTempoPistas linha;
  PartituraPistas p =
      partitura({{0, 38, 100}, {64, 38, 100}, {128, 38, 100}, {192, 38, 100}}, {}, 256);
  // 240 BPM from tick 64.
  p.andamentos = {{0, tickNs}, {64, tickNs / 2}};
  linha.setPartitura(std::move(p));
  EstadoTransporte estado = tocandoEm(10);
  estado.velocidade = 50;
  estado.nsPorTick = 2 * tickNs;
  // Ticks 0..9 were played at 120 BPM before the speed was halved.
  tocarAte(linha, 10);
  // Tick 10 at 9 + 2 = 11; the marker's tick 64 at 11 + 54 * 2 = 119, the last of the old
  // tempo; then a tick is 1 long.
  esperarTicks(ticksNaPista(linha.quadro(som(-1), som(400), estado, som(5)), Pista::caixa),
               {0, 119, 183, 247});
}

// Hits lie on the lane of the note they took (the other hi-hat's hit on the hi-hat), at their
// own moment; a missed note at its note's; nothing handed out after a stop is drawn.
TEST(LinhaTempoPistas, HitsAndMissesLieOnTheirLanesAndAStopCutsWhatWasHandedOut) {
  LinhaTempoPistas linha;
  linha.setPartitura(partitura({{64, 38, 100}, {128, 42, 100}}, {}, 256));
  tocarAte(linha, 140);
  Julgamento cedo;
  cedo.peca = PecaBateria::caixa;
  cedo.classe = ClasseGolpe::adiantado;
  cedo.desvioMs = -40;
  cedo.somNs = som(64) - 40'000'000;
  Julgamento perdido;
  perdido.peca = PecaBateria::chimbalFechado;
  perdido.classe = ClasseGolpe::perdido;
  perdido.somNs = som(128);
  linha.julgado(perdido);
  linha.julgado(cedo);
  const QuadroPistas q = linha.quadro(som(0), som(200), tocandoEm(140), som(130));
  ASSERT_EQ(q.golpes.size(), 2u);
  EXPECT_EQ(q.golpes[0].pista, Pista::caixa);
  EXPECT_EQ(q.golpes[0].classe, ClasseGolpe::adiantado);
  EXPECT_EQ(q.golpes[0].ns, som(64) - 40'000'000);
  EXPECT_EQ(q.golpes[1].pista, Pista::chimbal);
  EXPECT_EQ(q.golpes[1].classe, ClasseGolpe::perdido);
  EXPECT_TRUE(linha.quadro(som(65), som(120), tocandoEm(140), som(130)).golpes.empty());
  EXPECT_EQ(linha.getInicioPassado(), som(0) - 0);

  // Stopped at 100, the sequencer back at the first tick not heard: the hi-hat's note is
  // drawn once, where the transport at rest puts it.
  linha.interrompido(som(100) + 1);
  EstadoTransporte parado;
  parado.posicao = 101;
  parado.nsPorTick = tickNs;
  esperarTicks(ticksNaPista(linha.quadro(som(0), som(300), parado, som(120)), Pista::chimbal),
               {147});
}

}  // namespace
