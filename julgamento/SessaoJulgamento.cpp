#include "julgamento/SessaoJulgamento.h"

#include "TVxMidiStamp.h"
#include "TVxMidiSync.h"
#include "playback/Sequenciador.h"

SessaoJulgamento::SessaoJulgamento(Sequenciador &sequenciador,
                                   std::function<int64_t()> atrasoSaidaNs, QObject *parent)
    : QObject(parent), sequenciador(sequenciador), atrasoSaida(std::move(atrasoSaidaNs)) {
  juiz.aoJulgar = [this](const Julgamento &j) { julgado(j); };
  juiz.aoFecharPasse = [this](const ResumoPasse &passe) {
    passes.push_back(passe);
    if (passes.size() > passesGuardados) passes.erase(passes.begin());
    takeUltimoPasse = takePasse;
    takePasse = takeSeguinte;
    takeSeguinte.limpar();
    if (aoFecharPasse) aoFecharPasse(passe);
  };

  Sequenciador::Ouvintes &ouvintes = sequenciador.getOuvintes();
  ouvintes.notaBateria = [this](int nota, int tick, int64_t devido) {
    juiz.nota(nota, tick, somDe(devido));
  };
  ouvintes.tick = [this](int tick, int64_t devido) {
    // Played again from the start, not by a loop: a new take of the whole song.
    if (tick == 0 && !this->sequenciador.isLoopAtivo()) {
      takeMusica.limpar();
      takeUltimoPasse.limpar();
    }
    // The device's delay is read once a play: it holds while the device stays open.
    if (!tocando) atrasoNs = atrasoSaida();
    tocando = true;
    juiz.tick(tick, somDe(devido));
    juiz.avancar(TVxMidiStamp::agora());
    if (aoSoarTick) aoSoarTick(tick, somDe(devido));
  };
  ouvintes.contagem = [this](int restante, const LugarCompasso &lugar, int64_t devido) {
    // Read once a bar of the count-in, not on each of its ticks.
    if (!tocando && restante % lugar.ticksPorCompasso() == 0) atrasoNs = atrasoSaida();
    if (aoSoarContagem) aoSoarContagem(restante, lugar, somDe(devido));
  };
  ouvintes.voltaLoop = [this](int64_t devido) { juiz.fimDoPasse(somDe(devido)); };
  ouvintes.interrupcao = [this](int64_t devido) { interrompido(devido); };
  ouvintes.clique = [this](int64_t devido) {
    if (!calibrando) return;
    calibracao.clique(somDe(devido));
    if (aoProgressoCalibracao)
      aoProgressoCalibracao(calibracao.getCliques(), calibracao.getToques());
  };
  ouvintes.fimCalibracao = [this] {
    // The last strike may come up to half a beat after the last click.
    QTimer::singleShot(30'000 / bpmCalibracao, this, [this] {
      if (!calibrando) return;
      calibrando = false;
      if (aoFimCalibracao) aoFimCalibracao(calibracao.calcular());
    });
  };
}

SessaoJulgamento::~SessaoJulgamento() {
  sequenciador.getOuvintes() = {};
}

void SessaoJulgamento::golpe(PecaBateria peca, int velocidade, int64_t chegadaNs) {
  if (calibrando) {
    calibracao.toque(chegadaNs);
    if (aoProgressoCalibracao)
      aoProgressoCalibracao(calibracao.getCliques(), calibracao.getToques());
    return;
  }
  if (!tocando) return;
  juiz.golpe(peca, velocidade, chegadaNs);
  juiz.avancar(TVxMidiStamp::agora());
}

// Inside a beat the song has ended: its last notes still sound and may still be hit, so the
// pass closes once their window has passed. Otherwise nothing more sounds.
void SessaoJulgamento::interrompido(int64_t devidoNs) {
  if (aoCalar) aoCalar(devidoNs == 0 ? TVxMidiStamp::agora() : somDe(devidoNs) + 1);
  if (!tocando) return;
  tocando = devidoNs != 0;
  if (devidoNs == 0) {
    juiz.interromper(TVxMidiStamp::agora());
    return;
  }
  const int64_t fim = somDe(devidoNs);
  juiz.fimDoPasse(fim);
  const auto espera = (fim - TVxMidiStamp::agora()) / 1'000'000 +
                      static_cast<int64_t>(janelasDe(juiz.getAjustes().rigor).externaMs) + 1;
  QTimer::singleShot(static_cast<int>(std::max<int64_t>(espera, 0)), this, [this] {
    if (!tocando || sequenciador.getSincronismo()->IsRunning()) return;
    tocando = false;
    juiz.interromper(TVxMidiStamp::agora());
  });
}

void SessaoJulgamento::julgado(const Julgamento &julgamento) {
  if (julgamento.classe != ClasseGolpe::perdido) {
    const int nota = descricaoPeca(julgamento.pecaGolpe).nota;
    takeMusica.adicionar(julgamento.tick, nota, julgamento.velocidade);
    (julgamento.noPasseSeguinte ? takeSeguinte : takePasse)
        .adicionar(julgamento.tick, nota, julgamento.velocidade);
  }
  if (aoJulgar) aoJulgar(julgamento);
}

void SessaoJulgamento::novaMusica() {
  cancelarCalibracao();
  juiz.reiniciar();
  tocando = false;
  passes.clear();
  takeMusica.limpar();
  takePasse.limpar();
  takeSeguinte.limpar();
  takeUltimoPasse.limpar();
}

void SessaoJulgamento::encerrarPasse() {
  const int64_t agora = TVxMidiStamp::agora();
  juiz.fimDoPasse(agora);
  juiz.interromper(agora);
}

const GravadorTake &SessaoJulgamento::getTake() const {
  return takeUltimoPasse.isVazio() ? takeMusica : takeUltimoPasse;
}

void SessaoJulgamento::iniciarCalibracao() {
  calibracao.limpar();
  atrasoNs = atrasoSaida();
  calibrando = true;
  sequenciador.calibrar(batidasCalibracao, bpmCalibracao);
}

void SessaoJulgamento::cancelarCalibracao() {
  if (!calibrando) return;
  calibrando = false;
  sequenciador.interromper();
}
