#include "pratica/MemoriaMusicas.h"

#include <algorithm>

const LembrancaMusica *MemoriaMusicas::buscar(const QString &arquivo) const {
  const auto achada = std::find_if(lembrancas.begin(), lembrancas.end(),
                                   [&](const LembrancaMusica &l) { return l.arquivo == arquivo; });
  return achada == lembrancas.end() ? nullptr : &*achada;
}

void MemoriaMusicas::lembrar(const LembrancaMusica &lembranca) {
  if (lembranca.arquivo.isEmpty()) return;
  std::erase_if(lembrancas,
                [&](const LembrancaMusica &l) { return l.arquivo == lembranca.arquivo; });
  lembrancas.insert(lembrancas.begin(), lembranca);
  if (lembrancas.size() > maximo) lembrancas.resize(maximo);
}

QStringList MemoriaMusicas::recentes() const {
  QStringList lista;
  for (const LembrancaMusica &l : lembrancas) {
    if (lista.size() == recentesMostrados) break;
    lista << l.arquivo;
  }
  return lista;
}
