#include "config/LeitorIni.h"

#include <optional>

#include "config/TextoCodificado.h"

namespace {

bool ehEspaco(QChar c) {
  return c == u' ' || c == u'\t';
}

QString aparaEspacos(const QString &texto) {
  qsizetype inicio = 0;
  qsizetype fim = texto.size();
  while (inicio < fim && ehEspaco(texto.at(inicio))) ++inicio;
  while (fim > inicio && ehEspaco(texto.at(fim - 1))) --fim;
  return texto.mid(inicio, fim - inicio);
}

QString semAspas(const QString &valor) {
  if (valor.size() >= 2) {
    const QChar primeiro = valor.front();
    if ((primeiro == u'"' || primeiro == u'\'') && valor.back() == primeiro)
      return valor.mid(1, valor.size() - 2);
  }
  return valor;
}

}  // namespace

LeitorIni::LeitorIni(const QString &texto) {
  // An index, not a pointer: later sections move the vector's storage.
  std::optional<size_t> atual;
  for (const QString &bruta : separarLinhas(texto)) {
    const QString linha = aparaEspacos(bruta);
    if (linha.isEmpty() || linha.front() == u';') continue;
    if (linha.front() == u'[') {
      const qsizetype fecha = linha.lastIndexOf(u']');
      if (fecha < 0) continue;
      secoes_.push_back({aparaEspacos(linha.mid(1, fecha - 1)), {}});
      atual = secoes_.size() - 1;
      continue;
    }
    if (!atual) continue;
    const qsizetype igual = linha.indexOf(u'=');
    std::vector<Entrada> &entradas = secoes_[*atual].entradas;
    if (igual < 0) {
      entradas.push_back({linha, QString()});
    } else {
      entradas.push_back(
          {aparaEspacos(linha.left(igual)), semAspas(aparaEspacos(linha.mid(igual + 1)))});
    }
  }
}

QString LeitorIni::lerTexto(const QString &secao, const QString &chave,
                            const QString &padrao) const {
  for (const Secao &s : secoes_) {
    if (s.nome.compare(secao, Qt::CaseInsensitive) != 0) continue;
    for (const Entrada &e : s.entradas)
      if (e.chave.compare(chave, Qt::CaseInsensitive) == 0) return e.valor;
    return padrao;
  }
  return padrao;
}
