#include "Substituicoes.h"

#include "ModeloIdioma.h"

#include <stdexcept>

namespace mkidioma {

void Substituicoes::lerArquivo(const QString &caminho) {
  const QStringList linhas = lerLinhasUtf8(caminho);
  for (qsizetype i = 0; i < linhas.size(); ++i) {
    const QString linha = linhas[i].trimmed();
    if (linha.isEmpty() || linha.startsWith(';')) continue;
    const qsizetype igual = linha.indexOf('=');
    const QString onde = QStringLiteral("%1:%2").arg(caminho).arg(i + 1);
    if (igual <= 0) throw std::runtime_error(qPrintable(onde + ": expected name=value"));
    const QString nome = linha.left(igual).trimmed();
    if (valores_.count(nome))
      throw std::runtime_error(qPrintable(onde + ": word '" + nome + "' defined twice"));
    valores_[nome] = linha.mid(igual + 1).trimmed();
    obrigatorias_.insert(nome);
  }
}

void Substituicoes::definir(const QString &nome, const QString &valor) {
  valores_[nome] = valor;
}

static QString escaparXml(QString s) {
  s.replace('&', QStringLiteral("&amp;"));
  s.replace('<', QStringLiteral("&lt;"));
  s.replace('>', QStringLiteral("&gt;"));
  s.replace('"', QStringLiteral("&quot;"));
  s.replace('\'', QStringLiteral("&apos;"));
  return s;
}

QString Substituicoes::aplicar(const QString &texto, bool emXml, const QString &origem) {
  QString saida;
  qsizetype pos = 0;
  while (true) {
    const qsizetype inicio = texto.indexOf(QStringLiteral("{{"), pos);
    if (inicio < 0) break;
    const qsizetype fim = texto.indexOf(QStringLiteral("}}"), inicio + 2);
    if (fim < 0) throw std::runtime_error(qPrintable(origem + ": unclosed {{ mark"));
    const QString nome = texto.mid(inicio + 2, fim - inicio - 2).trimmed();
    const auto achado = valores_.find(nome);
    if (achado == valores_.end())
      throw std::runtime_error(qPrintable(origem + ": no word for {{" + nome + "}}"));
    usadas_.insert(nome);
    saida += texto.mid(pos, inicio - pos);
    saida += emXml ? escaparXml(achado->second) : achado->second;
    pos = fim + 2;
  }
  saida += texto.mid(pos);
  return saida;
}

std::set<QString> Substituicoes::naoUsadas() const {
  std::set<QString> resto;
  for (const QString &nome : obrigatorias_)
    if (!usadas_.count(nome)) resto.insert(nome);
  return resto;
}

}  // namespace mkidioma
