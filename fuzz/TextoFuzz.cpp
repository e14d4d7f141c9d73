// The text helpers every settings and language file goes through: the decoder (UTF-8, else
// Windows-1252), the line splitter, the trimming, and the INI reader over the decoded text.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "config/LeitorIni.h"
#include "config/TextoCodificado.h"
#include "fuzz/AlvosFuzz.h"

namespace kovrinta::fuzz {

namespace {

// INI lookups per input: each is a walk over the whole text.
constexpr int consultasIni = 200;

QString semEspacos(const QString &texto) {
  qsizetype inicio = 0;
  qsizetype fim = texto.size();
  while (inicio < fim && (texto.at(inicio) == u' ' || texto.at(inicio) == u'\t')) ++inicio;
  while (fim > inicio && (texto.at(fim - 1) == u' ' || texto.at(fim - 1) == u'\t')) --fim;
  return texto.mid(inicio, fim - inicio);
}

// Read as UTF-8 the text gives the bytes back (without a byte-order mark); read as
// Windows-1252 it has one character per byte, the byte's own outside 0x80..0x9F.
void conferirDecodificacao(const QByteArray &bytes, const QString &texto) {
  const QByteArray semMarca = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
  if (texto.toUtf8() == semMarca) return;
  if (texto.size() != bytes.size()) falhar("texto", "neither UTF-8 nor one character per byte");
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes.at(i));
    const char16_t c = texto.at(i).unicode();
    if ((b < 0x80 || b > 0x9F) ? c != b : c < 0x80)
      falhar("texto", "a Windows-1252 byte decoded to another character");
  }
}

// No line holds a line end, and the lines with their ends make up the whole text; trimmed,
// a line keeps no blank or control character at either end and is part of the line.
void conferirLinhas(const QString &texto, const QStringList &linhas) {
  qsizetype caracteres = 0;
  for (const QString &linha : linhas) {
    if (linha.contains(u'\r') || linha.contains(u'\n')) falhar("texto", "a line holds a line end");
    caracteres += linha.size();
    const QString aparada = aparar(linha);
    if (!aparada.isEmpty() &&
        (aparada.front().unicode() <= 0x20 || aparada.back().unicode() <= 0x20))
      falhar("texto", "a trimmed line keeps a blank at one end");
    if (!linha.contains(aparada)) falhar("texto", "a trimmed line is not part of its line");
  }
  caracteres += texto.count(u'\r') + texto.count(u'\n');
  if (caracteres != texto.size()) falhar("texto", "the lines and their ends are not the text");
}

// Every key of the first section of each name is found, whatever its value.
void conferirIni(const QString &texto, const QStringList &linhas) {
  const LeitorIni ini(texto);
  const QString ausente = QStringLiteral("\n");  // no value holds a line end
  QStringList secoes;
  QString secao;
  bool primeira = false;
  int consultas = 0;
  for (const QString &bruta : linhas) {
    const QString linha = semEspacos(bruta);
    if (linha.isEmpty() || linha.front() == u';') continue;
    if (linha.front() == u'[') {
      const qsizetype fecha = linha.lastIndexOf(u']');
      if (fecha < 0) continue;
      secao = semEspacos(linha.mid(1, fecha - 1));
      primeira = !secoes.contains(secao, Qt::CaseInsensitive);
      secoes << secao;
      continue;
    }
    if (!primeira || ++consultas > consultasIni) continue;
    const qsizetype igual = linha.indexOf(u'=');
    const QString chave = igual < 0 ? linha : semEspacos(linha.left(igual));
    if (ini.lerTexto(secao, chave, ausente) == ausente)
      falhar("texto", "a key of a section is not found");
  }
}

}  // namespace

int fuzzTexto(const uint8_t *dados, size_t tamanho) {
  const QByteArray bytes(reinterpret_cast<const char *>(dados), static_cast<qsizetype>(tamanho));
  const QString texto = decodificarTexto(bytes);
  conferirDecodificacao(bytes, texto);
  const QStringList linhas = separarLinhas(texto);
  conferirLinhas(texto, linhas);
  conferirIni(texto, linhas);
  return 0;
}

}  // namespace kovrinta::fuzz
