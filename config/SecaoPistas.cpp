#include "config/SecaoPistas.h"

#include <QStringList>

#include "config/LeitorIni.h"
#include "config/ValoresIni.h"

namespace secaoPistas {

namespace {

const QString secao = QStringLiteral("pistas");

}  // namespace

AjustesPistas lerAjustes(const LeitorIni &ini) {
  AjustesPistas ajustes;
  ajustes.antecipacao =
      valoresIni::lerNaFaixa(ini, secao, QStringLiteral("antecipacao"), ajustes.antecipacao,
                             AjustesPistas::antecipacaoMinima, AjustesPistas::antecipacaoMaxima);
  ajustes.aberta = valoresIni::lerFlag(ini, secao, QStringLiteral("aberta"), ajustes.aberta);
  ajustes.telaCheia = valoresIni::lerFlag(ini, secao, QStringLiteral("telaCheia"), false);
  // "left,top,width,height"; anything else leaves the place to the desktop.
  const QStringList numeros = ini.lerTexto(secao, QStringLiteral("lugar"), QString()).split(u',');
  if (numeros.size() != 4) return ajustes;
  int valores[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    valores[i] = numeros[i].trimmed().toInt(&ok);
    if (!ok) return ajustes;
  }
  if (valores[2] > 0 && valores[3] > 0 && valores[2] <= 100'000 && valores[3] <= 100'000)
    ajustes.lugar = QRect(valores[0], valores[1], valores[2], valores[3]);
  return ajustes;
}

QString linhasAjustes(const AjustesPistas &ajustes) {
  return QStringLiteral("[pistas]\r\n") + valoresIni::linha("antecipacao", ajustes.antecipacao) +
         valoresIni::linha("aberta", ajustes.aberta ? 1 : 0) +
         valoresIni::linha("telaCheia", ajustes.telaCheia ? 1 : 0) +
         valoresIni::linha("lugar", ajustes.lugar.isEmpty() ? QString()
                                                            : QStringLiteral("%1,%2,%3,%4")
                                                                  .arg(ajustes.lugar.x())
                                                                  .arg(ajustes.lugar.y())
                                                                  .arg(ajustes.lugar.width())
                                                                  .arg(ajustes.lugar.height()));
}

}  // namespace secaoPistas
