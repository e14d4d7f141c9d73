#include "config/SecaoPratica.h"

#include <climits>

#include "config/LeitorIni.h"
#include "config/ValoresIni.h"
#include "playback/Sequenciador.h"

namespace secaoPratica {

namespace {

using valoresIni::gravado;
using valoresIni::lerFlag;
using valoresIni::lerNaFaixa;
using valoresIni::linha;

const QString secao = QStringLiteral("pratica");
constexpr int velocidadeMinima = Sequenciador::velocidadeMinima;
constexpr int velocidadeMaxima = Sequenciador::velocidadeMaxima;

QString secaoMusica(int numero) {
  return QStringLiteral("musica") + QString::number(numero);
}

}  // namespace

AjustesPratica lerAjustes(const LeitorIni &ini) {
  const AjustesPratica p;
  AjustesPratica a;
  a.contagem = lerNaFaixa(ini, secao, QStringLiteral("contagem"), p.contagem, 0, 2);
  a.contagemNoLoop = lerFlag(ini, secao, QStringLiteral("contagemNoLoop"), p.contagemNoLoop);
  a.clique = lerFlag(ini, secao, QStringLiteral("clique"), p.clique);
  a.cliqueColcheias = lerFlag(ini, secao, QStringLiteral("cliqueColcheias"), p.cliqueColcheias);
  a.volumeClique = lerNaFaixa(ini, secao, QStringLiteral("volumeClique"), p.volumeClique, 0, 100);
  a.marcasNasLinhas = lerFlag(ini, secao, QStringLiteral("marcasNasLinhas"), p.marcasNasLinhas);
  a.compassosLoop = lerNaFaixa(ini, secao, QStringLiteral("compassosLoop"), p.compassosLoop, 1, 64);
  AjustesTreinador &t = a.treinador;
  t.ativo = lerFlag(ini, secao, QStringLiteral("treinador"), p.treinador.ativo);
  t.inicio = lerNaFaixa(ini, secao, QStringLiteral("treinadorInicio"), p.treinador.inicio,
                        velocidadeMinima, velocidadeMaxima);
  t.passo = lerNaFaixa(ini, secao, QStringLiteral("treinadorPasso"), p.treinador.passo, 1, 50);
  t.passes = lerNaFaixa(ini, secao, QStringLiteral("treinadorPasses"), p.treinador.passes, 1, 99);
  t.alvo = lerNaFaixa(ini, secao, QStringLiteral("treinadorAlvo"), p.treinador.alvo,
                      velocidadeMinima, velocidadeMaxima);
  return a;
}

QString linhasAjustes(const AjustesPratica &a) {
  QString texto = QStringLiteral("[pratica]\r\n");
  texto += linha("contagem", a.contagem);
  texto += linha("contagemNoLoop", a.contagemNoLoop);
  texto += linha("clique", a.clique);
  texto += linha("cliqueColcheias", a.cliqueColcheias);
  texto += linha("volumeClique", a.volumeClique);
  texto += linha("marcasNasLinhas", a.marcasNasLinhas);
  texto += linha("compassosLoop", a.compassosLoop);
  texto += linha("treinador", a.treinador.ativo);
  texto += linha("treinadorInicio", a.treinador.inicio);
  texto += linha("treinadorPasso", a.treinador.passo);
  texto += linha("treinadorPasses", a.treinador.passes);
  texto += linha("treinadorAlvo", a.treinador.alvo);
  return texto;
}

// Read from the oldest, so that each one read becomes the most recent in turn.
MemoriaMusicas lerMemoria(const LeitorIni &ini) {
  MemoriaMusicas memoria;
  const LembrancaMusica p;
  for (int numero = MemoriaMusicas::maximo; numero >= 1; --numero) {
    const QString s = secaoMusica(numero);
    LembrancaMusica l;
    l.arquivo = ini.lerTexto(s, QStringLiteral("arquivo"), QString());
    if (l.arquivo.isEmpty()) continue;
    l.trilha = lerNaFaixa(ini, s, QStringLiteral("trilha"), p.trilha, -2, 16);
    l.inicioLoop = lerNaFaixa(ini, s, QStringLiteral("inicioLoop"), p.inicioLoop, -1, INT_MAX);
    l.fimLoop = lerNaFaixa(ini, s, QStringLiteral("fimLoop"), p.fimLoop, -1, INT_MAX);
    l.loopNaLinha = lerFlag(ini, s, QStringLiteral("loopNaLinha"), p.loopNaLinha);
    l.velocidade = lerNaFaixa(ini, s, QStringLiteral("velocidade"), p.velocidade, velocidadeMinima,
                              velocidadeMaxima);
    l.clique = lerFlag(ini, s, QStringLiteral("clique"), p.clique);
    l.cliqueColcheias = lerFlag(ini, s, QStringLiteral("cliqueColcheias"), p.cliqueColcheias);
    l.volumeClique = lerNaFaixa(ini, s, QStringLiteral("volumeClique"), p.volumeClique, 0, 100);
    l.contagem = lerNaFaixa(ini, s, QStringLiteral("contagem"), p.contagem, 0, 2);
    memoria.lembrar(l);
  }
  return memoria;
}

QString linhasMemoria(const MemoriaMusicas &memoria) {
  QString texto;
  int numero = 0;
  for (const LembrancaMusica &l : memoria.getLembrancas()) {
    texto += u'[' + secaoMusica(++numero) + QStringLiteral("]\r\n");
    texto += linha("arquivo", gravado(l.arquivo));
    texto += linha("trilha", l.trilha);
    texto += linha("inicioLoop", l.inicioLoop);
    texto += linha("fimLoop", l.fimLoop);
    texto += linha("loopNaLinha", l.loopNaLinha);
    texto += linha("velocidade", l.velocidade);
    texto += linha("clique", l.clique);
    texto += linha("cliqueColcheias", l.cliqueColcheias);
    texto += linha("volumeClique", l.volumeClique);
    texto += linha("contagem", l.contagem);
  }
  return texto;
}

}  // namespace secaoPratica
