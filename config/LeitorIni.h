// Reads INI text with the conventions of the Windows profile functions.
#pragma once

#include <QString>
#include <vector>

// The conventions, which settings files written on Windows rely on:
// - every line is stripped of blanks and tabs at both ends; empty lines and lines that
//   begin with ";" are skipped;
// - "[name]" opens a section (the name is the text up to the last "]", stripped); a line
//   that begins with "[" and has no "]" is skipped;
// - any other line is "key=value", split at the first "=", key and value stripped; a
//   value enclosed in one pair of double or single quotes loses them; a line without
//   "=" is a key with an empty value;
// - section and key names match regardless of letter case; of two sections with the same
//   name only the first is searched, and of two equal keys in a section the first wins;
// - entries above the first section belong to no section and are never found.
// There is no line-length limit, no continuation line and no comment after a value
// (a ";" inside a value is part of it). That is why this reader exists: inih, as Debian
// builds it, continues indented lines, ends values at " ;", splits at ":" as well as
// "=" and cuts lines at 200 bytes, each of which reads these files differently.
class LeitorIni {
 public:
  // Parses texto, already decoded (see decodificarTexto).
  explicit LeitorIni(const QString &texto);

  // The value of chave in secao, or padrao when the section or the key is missing.
  QString lerTexto(const QString &secao, const QString &chave, const QString &padrao) const;

 private:
  struct Entrada {
    QString chave;
    QString valor;
  };
  struct Secao {
    QString nome;
    std::vector<Entrada> entradas;
  };
  std::vector<Secao> secoes_;
};
