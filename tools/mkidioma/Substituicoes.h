// The named words that fill the {{name}} marks of a language's template and drawings.
#pragma once

#include <QString>

#include <map>
#include <set>

namespace mkidioma {

class Substituicoes {
 public:
  // Reads name=value lines (UTF-8; blank lines and lines starting with ";" are skipped) and
  // adds them as words that must all be used; throws std::runtime_error on a bad file.
  void lerArquivo(const QString &caminho);

  // Adds one word given on the command line; such words need not be used.
  void definir(const QString &nome, const QString &valor);

  // Returns texto with every {{name}} replaced by its word, XML-escaped when emXml is true;
  // throws std::runtime_error naming origem for an unknown name or an unclosed mark.
  QString aplicar(const QString &texto, bool emXml, const QString &origem);

  // Names read from a file that no aplicar call has used so far.
  std::set<QString> naoUsadas() const;

 private:
  std::map<QString, QString> valores_;
  std::set<QString> obrigatorias_;
  std::set<QString> usadas_;
};

}  // namespace mkidioma
