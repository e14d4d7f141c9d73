// Values of the configuration file as its sections read and write them.
#pragma once

#include <QString>

class LeitorIni;

namespace valoresIni {

// A whole number of secao, brought into minimo..maximo; padrao when it is missing or not a
// number.
int lerNaFaixa(const LeitorIni &ini, const QString &secao, const QString &chave, int padrao,
               int minimo, int maximo);
// A flag of secao: 0 is off, any other whole number on.
bool lerFlag(const LeitorIni &ini, const QString &secao, const QString &chave, bool padrao);

// Reading strips blanks and tabs around a value, then one pair of enclosing quotes, so a text
// read from quotes can begin or end with blanks or quotes of its own. Such a text is written
// in double quotes, so that it reads back as it was; any other is written as it is.
QString gravado(const QString &valor);
// "chave=valor" and the line end.
QString linha(const char *chave, const QString &valor);
QString linha(const char *chave, int valor);

}  // namespace valoresIni
