// Renders the passes window in each language of the program folder, one PNG per state, so that
// a person can look at them:
//
//   render-resumo OUTPUT_FOLDER
//
// The states: one pass of a groove on seven pieces, five passes of it getting better, and no
// pass yet. The passes are made of judgements drawn from a seeded generator and summed as the
// judge sums them, so every run shows the same figures. It runs offscreen unless a platform
// is named (QT_QPA_PLATFORM=xcb under Xvfb: tests/janela/com-xvfb.sh). It fails when a text
// needs more room than its control has, or a table's cells do not fit their columns.
#include <QDir>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "Previa.h"
#include "julgamento/Julgamento.h"
#include "julgamento/ResumoPasse.h"
#include "julgamento/TformResumo.h"

namespace {

using previa::falhar;

// How a drummer plays one pass: the mean and spread of their offsets, in ms, and how many
// notes of every hundred they miss and how many extra hits they add.
struct Jeito {
  double media;
  double desvio;
  int perdidosPorCem;
  int extrasPorCem;
};

// Four bars of a rock groove with a crash at the start and a fill at the end: the pieces and
// how many notes of each.
const std::pair<PecaBateria, int> notasGroove[] = {
    {PecaBateria::chimbalFechado, 28}, {PecaBateria::chimbalAberto, 4}, {PecaBateria::caixa, 10},
    {PecaBateria::bumbo, 12},          {PecaBateria::ton1, 2},          {PecaBateria::surdo1, 2},
    {PecaBateria::prato3, 2},
};

ResumoPasse tocar(int numero, const Jeito &jeito, std::mt19937 &sorte) {
  const JanelasRigor janelas = janelasDe(Rigor::normal);
  std::normal_distribution<double> desvio(jeito.media, jeito.desvio);
  std::uniform_int_distribution<int> cem(0, 99);
  ResumoPasse resumo;
  resumo.numero = numero;
  for (const auto &[peca, notas] : notasGroove) {
    for (int i = 0; i < notas; ++i) {
      Julgamento j;
      j.peca = peca;
      const double d = desvio(sorte);
      if (cem(sorte) < jeito.perdidosPorCem || std::abs(d) > janelas.externaMs) {
        j.classe = ClasseGolpe::perdido;
      } else {
        j.desvioMs = d;
        j.classe = std::abs(d) <= janelas.noTempoMs
                       ? ClasseGolpe::noTempo
                       : (d < 0 ? ClasseGolpe::adiantado : ClasseGolpe::atrasado);
      }
      resumo.somar(j);
      if (cem(sorte) < jeito.extrasPorCem) resumo.somar({peca, ClasseGolpe::extra});
    }
  }
  return resumo;
}

void fotografar(TformResumo &janela, const QDir &pasta, const QString &arquivo) {
  const QString caminho = previa::fotografar(janela, pasta, arquivo);
  if (!caminho.isEmpty())
    std::printf("%s  (%s)\n", qPrintable(caminho), qPrintable(janela.windowTitle()));
}

void renderizar(const QDir &pasta, const QString &codigo) {
  const double noTempoMs = janelasDe(Rigor::normal).noTempoMs;
  std::mt19937 sorte(20240611);
  // A drummer rushing and loose at first, settling in over five passes.
  const Jeito jeitos[] = {
      {-19, 30, 12, 8}, {-14, 24, 8, 6}, {-10, 19, 5, 4}, {-7, 17, 4, 3}, {-5, 15, 2, 2}};
  std::vector<ResumoPasse> passes;
  for (int i = 0; i < 5; ++i) passes.push_back(tocar(i + 1, jeitos[i], sorte));

  TformResumo janela;
  janela.aplicarIdioma();
  janela.show();
  if (!QTest::qWaitForWindowExposed(&janela)) falhar(QStringLiteral("the window was not shown"));
  janela.mostrar({passes.front()}, noTempoMs);
  fotografar(janela, pasta, codigo + QStringLiteral("-one-pass"));
  janela.mostrar(passes, noTempoMs);
  fotografar(janela, pasta, codigo + QStringLiteral("-five-passes"));
  janela.mostrar({}, noTempoMs);
  fotografar(janela, pasta, codigo + QStringLiteral("-empty"));
  janela.close();
}

}  // namespace

int main(int argc, char **argv) {
  return previa::executarPrevia(argc, argv, "render-resumo", renderizar);
}
