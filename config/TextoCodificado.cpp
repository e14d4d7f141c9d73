#include "config/TextoCodificado.h"

#include <QStringDecoder>

namespace {

// Windows-1252 differs from ISO 8859-1 only in 0x80..0x9F. The five bytes the code page
// leaves undefined map to the control character of the same number, as Windows does.
constexpr char16_t windows1252Alto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

QString decodificarWindows1252(const QByteArray &bytes) {
  QString texto(bytes.size(), Qt::Uninitialized);
  QChar *saida = texto.data();
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    *saida++ = (b >= 0x80 && b <= 0x9F) ? QChar(windows1252Alto[b - 0x80]) : QChar(b);
  }
  return texto;
}

}  // namespace

QString decodificarTexto(const QByteArray &bytes) {
  // Stateless: the whole buffer is one conversion, so a sequence cut at the end is an error.
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString texto = utf8.decode(bytes);
  if (!utf8.hasError()) return texto;
  return decodificarWindows1252(bytes);
}

QStringList separarLinhas(const QString &texto) {
  QStringList linhas;
  qsizetype inicio = 0;
  const qsizetype n = texto.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = texto.at(i);
    if (c != u'\r' && c != u'\n') continue;
    linhas.append(texto.mid(inicio, i - inicio));
    if (c == u'\r' && i + 1 < n && texto.at(i + 1) == u'\n') ++i;
    inicio = i + 1;
  }
  if (inicio < n) linhas.append(texto.mid(inicio));
  return linhas;
}

QString aparar(const QString &texto) {
  qsizetype inicio = 0;
  qsizetype fim = texto.size();
  while (inicio < fim && texto.at(inicio).unicode() <= 0x20) ++inicio;
  while (fim > inicio && texto.at(fim - 1).unicode() <= 0x20) --fim;
  return texto.mid(inicio, fim - inicio);
}
