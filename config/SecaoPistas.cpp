#include "config/SecaoPistas.h"

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
  // Base64; text that is not decodes to nothing, and the view takes its default place.
  const auto geometria = QByteArray::fromBase64Encoding(
      ini.lerTexto(secao, QStringLiteral("geometria"), QString()).toLatin1(),
      QByteArray::AbortOnBase64DecodingErrors);
  if (geometria) ajustes.geometria = *geometria;
  return ajustes;
}

QString linhasAjustes(const AjustesPistas &ajustes) {
  return QStringLiteral("[pistas]\r\n") + valoresIni::linha("antecipacao", ajustes.antecipacao) +
         valoresIni::linha("aberta", ajustes.aberta ? 1 : 0) +
         valoresIni::linha("geometria", QString::fromLatin1(ajustes.geometria.toBase64()));
}

}  // namespace secaoPistas
