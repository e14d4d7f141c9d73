#include "config/SecaoPratica.h"

#include <climits>
#include <span>

#include "config/LeitorIni.h"
#include "config/ValoresIni.h"
#include "playback/Sequenciador.h"

namespace secaoPratica {

namespace {

const QString secao = QStringLiteral("pratica");
constexpr int velocidadeMinima = Sequenciador::velocidadeMinima;
constexpr int velocidadeMaxima = Sequenciador::velocidadeMaxima;

// One key of a section and the value of T it holds: a whole number in minimo..maximo, or a
// flag. Reading and writing walk the same list, in the order the file has them.
template <class T>
struct Campo {
  const char *chave;
  int &(*numero)(T &) = nullptr;
  bool &(*flag)(T &) = nullptr;
  int minimo = 0;
  int maximo = 0;
};

const Campo<AjustesPratica> camposAjustes[] = {
    {"contagem", [](AjustesPratica &a) -> int & { return a.contagem; }, nullptr, 0, 2},
    {"contagemNoLoop", nullptr, [](AjustesPratica &a) -> bool & { return a.contagemNoLoop; }},
    {"clique", nullptr, [](AjustesPratica &a) -> bool & { return a.clique; }},
    {"cliqueColcheias", nullptr, [](AjustesPratica &a) -> bool & { return a.cliqueColcheias; }},
    {"volumeClique", [](AjustesPratica &a) -> int & { return a.volumeClique; }, nullptr, 0, 100},
    {"marcasNasLinhas", nullptr, [](AjustesPratica &a) -> bool & { return a.marcasNasLinhas; }},
    {"compassosLoop", [](AjustesPratica &a) -> int & { return a.compassosLoop; }, nullptr, 1, 64},
    {"treinador", nullptr, [](AjustesPratica &a) -> bool & { return a.treinador.ativo; }},
    {"treinadorInicio", [](AjustesPratica &a) -> int & { return a.treinador.inicio; }, nullptr,
     velocidadeMinima, velocidadeMaxima},
    {"treinadorPasso", [](AjustesPratica &a) -> int & { return a.treinador.passo; }, nullptr, 1,
     50},
    {"treinadorPasses", [](AjustesPratica &a) -> int & { return a.treinador.passes; }, nullptr, 1,
     99},
    {"treinadorAlvo", [](AjustesPratica &a) -> int & { return a.treinador.alvo; }, nullptr,
     velocidadeMinima, velocidadeMaxima},
};

// The file's name comes first and apart: a section without it is no song.
const Campo<LembrancaMusica> camposMusica[] = {
    {"trilha", [](LembrancaMusica &l) -> int & { return l.trilha; }, nullptr, -2, 16},
    {"inicioLoop", [](LembrancaMusica &l) -> int & { return l.inicioLoop; }, nullptr, -1, INT_MAX},
    {"fimLoop", [](LembrancaMusica &l) -> int & { return l.fimLoop; }, nullptr, -1, INT_MAX},
    {"loopNaLinha", nullptr, [](LembrancaMusica &l) -> bool & { return l.loopNaLinha; }},
    {"velocidade", [](LembrancaMusica &l) -> int & { return l.velocidade; }, nullptr,
     velocidadeMinima, velocidadeMaxima},
    {"clique", nullptr, [](LembrancaMusica &l) -> bool & { return l.clique; }},
    {"cliqueColcheias", nullptr, [](LembrancaMusica &l) -> bool & { return l.cliqueColcheias; }},
    {"volumeClique", [](LembrancaMusica &l) -> int & { return l.volumeClique; }, nullptr, 0, 100},
    {"contagem", [](LembrancaMusica &l) -> int & { return l.contagem; }, nullptr, 0, 2},
};

// Each value of valor read from secaoIni; a missing or bad one keeps what valor had.
template <class T>
void ler(const LeitorIni &ini, const QString &secaoIni, std::span<const Campo<T>> campos,
         T &valor) {
  for (const Campo<T> &c : campos) {
    const QString chave = QLatin1String(c.chave);
    if (c.numero)
      c.numero(valor) =
          valoresIni::lerNaFaixa(ini, secaoIni, chave, c.numero(valor), c.minimo, c.maximo);
    else
      c.flag(valor) = valoresIni::lerFlag(ini, secaoIni, chave, c.flag(valor));
  }
}

template <class T>
QString linhas(std::span<const Campo<T>> campos, T valor) {
  QString texto;
  for (const Campo<T> &c : campos)
    texto += c.numero ? valoresIni::linha(c.chave, c.numero(valor))
                      : valoresIni::linha(c.chave, c.flag(valor));
  return texto;
}

QString secaoMusica(int numero) {
  return QStringLiteral("musica") + QString::number(numero);
}

}  // namespace

AjustesPratica lerAjustes(const LeitorIni &ini) {
  AjustesPratica ajustes;
  ler<AjustesPratica>(ini, secao, camposAjustes, ajustes);
  return ajustes;
}

QString linhasAjustes(const AjustesPratica &ajustes) {
  return QStringLiteral("[pratica]\r\n") + linhas<AjustesPratica>(camposAjustes, ajustes);
}

// Read from the oldest, so that each one read becomes the most recent in turn.
MemoriaMusicas lerMemoria(const LeitorIni &ini) {
  MemoriaMusicas memoria;
  for (int numero = MemoriaMusicas::maximo; numero >= 1; --numero) {
    const QString s = secaoMusica(numero);
    LembrancaMusica lembranca;
    lembranca.arquivo = ini.lerTexto(s, QStringLiteral("arquivo"), QString());
    if (lembranca.arquivo.isEmpty()) continue;
    ler<LembrancaMusica>(ini, s, camposMusica, lembranca);
    memoria.lembrar(lembranca);
  }
  return memoria;
}

QString linhasMemoria(const MemoriaMusicas &memoria) {
  QString texto;
  int numero = 0;
  for (const LembrancaMusica &l : memoria.getLembrancas()) {
    texto += u'[' + secaoMusica(++numero) + QStringLiteral("]\r\n");
    texto += valoresIni::linha("arquivo", valoresIni::gravado(l.arquivo));
    texto += linhas<LembrancaMusica>(camposMusica, l);
  }
  return texto;
}

}  // namespace secaoPratica
