#include "config/SecaoJulgamento.h"

#include <algorithm>
#include <cmath>

#include "config/LeitorIni.h"
#include "config/ValoresIni.h"

namespace secaoJulgamento {

namespace {

const QString secao = QStringLiteral("julgamento");
// The rigor's words, in the enumeration's order.
const char *const palavrasRigor[] = {"estrito", "normal", "folgado"};

}  // namespace

AjustesJulgamento lerAjustes(const LeitorIni &ini) {
  AjustesJulgamento ajustes;
  const QString rigor = ini.lerTexto(secao, QStringLiteral("rigor"), QString());
  for (int i = 0; i < 3; ++i)
    if (rigor == QLatin1String(palavrasRigor[i])) ajustes.rigor = static_cast<Rigor>(i);
  bool numero = false;
  const double latencia =
      ini.lerTexto(secao, QStringLiteral("latenciaEntrada"), QString()).toDouble(&numero);
  if (numero && std::isfinite(latencia))
    ajustes.latenciaEntradaMs =
        std::clamp(std::round(latencia * 10) / 10, AjustesJulgamento::latenciaMinimaMs,
                   AjustesJulgamento::latenciaMaximaMs);
  ajustes.atrasoVisualMs =
      valoresIni::lerNaFaixa(ini, secao, QStringLiteral("atrasoVisual"), ajustes.atrasoVisualMs, 0,
                             AjustesJulgamento::atrasoVisualMaximoMs);
  return ajustes;
}

QString linhasAjustes(const AjustesJulgamento &ajustes) {
  return QStringLiteral("[julgamento]\r\n") +
         valoresIni::linha("rigor", QLatin1String(palavrasRigor[static_cast<int>(ajustes.rigor)])) +
         valoresIni::linha("latenciaEntrada", QString::number(ajustes.latenciaEntradaMs, 'f', 1)) +
         valoresIni::linha("atrasoVisual", ajustes.atrasoVisualMs);
}

}  // namespace secaoJulgamento
