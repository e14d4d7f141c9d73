// Renders the tap test's window in each language of the program folder, one PNG per state, so
// that a person can look at them:
//
//   render-calibracao OUTPUT_FOLDER
//
// The states: the explanation before the clicks (start), the clicks going on (running), a
// result that can be used (result-valid) and one with too few strikes (result-invalid). It
// runs offscreen unless a platform is named (QT_QPA_PLATFORM=xcb under Xvfb:
// tests/janela/com-xvfb.sh). It fails when a text needs more room than its control has, or
// when the window changes size from one state to the next.
#include <QDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <utility>

#include "Previa.h"
#include "julgamento/SessaoJulgamento.h"
#include "julgamento/TformCalibracao.h"

namespace {

using previa::falhar;

void fotografar(TformCalibracao &janela, const QDir &pasta, const QString &arquivo) {
  const QString caminho = previa::fotografar(janela, pasta, arquivo);
  if (!caminho.isEmpty())
    std::printf("%s  (%dx%d, %s)\n", qPrintable(caminho), janela.width(), janela.height(),
                qPrintable(janela.windowTitle()));
}

Calibracao::Resultado resultado(bool valido, double latenciaMs, int usados, int semToque,
                                int descartados) {
  Calibracao::Resultado r;
  r.valido = valido;
  r.latenciaMs = latenciaMs;
  r.usados = usados;
  r.semToque = semToque;
  r.descartados = descartados;
  return r;
}

void renderizar(const QDir &pasta, const QString &codigo) {
  TformCalibracao janela;
  janela.aplicarIdioma();
  janela.mostrarInicio(12.34);
  janela.show();
  if (!QTest::qWaitForWindowExposed(&janela)) falhar(QStringLiteral("the window was not shown"));
  const QSize tamanho = janela.size();
  const std::pair<const char *, std::function<void()>> estados[] = {
      {"start", [] {}},
      {"running", [&] { janela.mostrarProgresso(5, SessaoJulgamento::batidasCalibracao, 4); }},
      // 24 clicks, the first one only heard; two strikes left out.
      {"result-valid", [&] { janela.mostrarResultado(resultado(true, 18.64, 21, 1, 2)); }},
      {"result-invalid", [&] { janela.mostrarResultado(resultado(false, 0, 5, 18, 1)); }},
  };
  for (const auto &[estado, mostrar] : estados) {
    mostrar();
    const QString arquivo = codigo + QLatin1Char('-') + QLatin1String(estado);
    fotografar(janela, pasta, arquivo);
    if (janela.size() != tamanho)
      falhar(QStringLiteral("%1: the window is %2x%3, not %4x%5 as it opened")
                 .arg(arquivo)
                 .arg(janela.width())
                 .arg(janela.height())
                 .arg(tamanho.width())
                 .arg(tamanho.height()));
  }
  janela.close();
}

}  // namespace

int main(int argc, char **argv) {
  return previa::executarPrevia(argc, argv, "render-calibracao", renderizar);
}
