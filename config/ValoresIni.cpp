#include "config/ValoresIni.h"

#include <algorithm>

#include "config/LeitorIni.h"

namespace valoresIni {

int lerNaFaixa(const LeitorIni &ini, const QString &secao, const QString &chave, int padrao,
               int minimo, int maximo) {
  bool ok = false;
  const qlonglong lido = ini.lerTexto(secao, chave, QString()).toLongLong(&ok, 10);
  return ok ? static_cast<int>(std::clamp<qlonglong>(lido, minimo, maximo)) : padrao;
}

bool lerFlag(const LeitorIni &ini, const QString &secao, const QString &chave, bool padrao) {
  bool ok = false;
  const qlonglong lido = ini.lerTexto(secao, chave, QString()).toLongLong(&ok, 10);
  return ok ? lido != 0 : padrao;
}

QString gravado(const QString &valor) {
  if (valor.isEmpty()) return valor;
  const auto branco = [](QChar c) { return c == u' ' || c == u'\t'; };
  const bool entreAspas = valor.size() >= 2 && (valor.front() == u'"' || valor.front() == u'\'') &&
                          valor.back() == valor.front();
  if (entreAspas || branco(valor.front()) || branco(valor.back())) return u'"' + valor + u'"';
  return valor;
}

QString linha(const char *chave, const QString &valor) {
  return QLatin1StringView(chave) + u'=' + valor + QStringLiteral("\r\n");
}

QString linha(const char *chave, int valor) {
  return linha(chave, QString::number(valor));
}

}  // namespace valoresIni
