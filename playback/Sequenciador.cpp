#include "playback/Sequenciador.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>

#include "EVxMidiException.h"
#include "TVxMidi.h"
#include "TVxMidiStamp.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "playback/AcessoGui.h"
#include "song/GerenciadorMusica.h"

namespace {

constexpr int canalBateria = 9;
// Tracks from this index on have no enable flag and always play.
constexpr int trilhasComChave = 16;
// Microseconds per tick at one beat per minute: 60,000,000 / 64 ticks per quarter note.
constexpr uint32_t microssegundosPorTickA1Bpm = 937'500;
constexpr int ticksPorSemiminima = 64;
constexpr int bpmMaximo = 60'000'000 / Sequenciador::microssegundosMinimos;

}  // namespace

Sequenciador &Sequenciador::instancia() {
  static Sequenciador sequenciador;
  return sequenciador;
}

Sequenciador::Sequenciador() : sincronismo(std::make_unique<TVxMidiSync>()) {
  try {
    vxMidi = std::make_unique<TVxMidi>();
  } catch (const std::exception &e) {
    erroCarga = e.what();
    return;
  }
  try {
    sincronismo->VxMidi = vxMidi.get();
    sincronismo->OnMidiBeat = [this](QObject *) { processarTick(); };
    sincronismo->Open(0, 2);
  } catch (const std::exception &) {
  }
}

void Sequenciador::exigirBiblioteca() const {
  if (!vxMidi) throw EVxMidiException(erroCarga);
}

void Sequenciador::tocar() {
  exigirBiblioteca();
  if (sincronismo->IsRunning()) return;
  if (compassosContagem > 0) iniciarContagem();
  sincronismo->SetPeriod(periodoNumerador, periodoDenominador);
  sincronismo->Start();
}

void Sequenciador::interromper() {
  if (sincronismo->IsRunning()) sincronismo->Stop();
  if (ouvintes.interrupcao) ouvintes.interrupcao(TVxMidiStamp::current());
  if (calibrando) {
    calibrando = false;
    contagemRestante = 0;
  }
  agendaKit.descartar();
  if (TVxMidiStamp::current() != 0) return;
  const int64_t agora = TVxMidiStamp::agora();
  for (const TickAdiante &tick : ticksAdiante) {
    if (tick.devidoNs > agora) {
      posicao = tick.posicao;
      break;
    }
  }
  esquecerAdiante();
}

void Sequenciador::pausar(bool pausa) {
  if (pausa)
    interromper();
  else
    tocar();
}

void Sequenciador::parar() {
  interromper();
  esquecerAdiante();
  posicao = 0;
  contagemRestante = 0;
}

void Sequenciador::setPosicao(int valor) {
  if (ouvintes.interrupcao) ouvintes.interrupcao(0);
  esquecerAdiante();
  agendaKit.descartar();
  posicao = valor;
  contagemRestante = 0;
  acertarAndamento();
}

void Sequenciador::setAndamento(int bpm) {
  if (bpm <= 0) return;
  andamento = std::min(bpm, bpmMaximo);
  periodoNumerador = microssegundosPorTickA1Bpm;
  periodoDenominador = static_cast<uint32_t>(andamento);
  aplicarAndamento();
}

void Sequenciador::aplicarMarcador(const EventoAndamento &marcador) {
  if (const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual()) {
    marcadorAplicado = &marcador;
    serieMarcador = musica->getSerie();
  }
  const int microssegundos = marcador.getMicrossegundos();
  if (microssegundos > 0)
    aplicarBase(static_cast<uint32_t>(
                    std::clamp(microssegundos, microssegundosMinimos, microssegundosMaximos)),
                ticksPorSemiminima);
  else if (marcador.getBpm() > 0)
    aplicarBase(microssegundosPorTickA1Bpm,
                static_cast<uint32_t>(std::min(marcador.getBpm(), bpmMaximo)));
}

void Sequenciador::setVelocidade(int percentual) {
  velocidade = std::clamp(percentual, velocidadeMinima, velocidadeMaxima);
  aplicarBase(baseNumerador, baseDenominador);
}

// The tick period is the song's, numerador / denominador microseconds, times 100 / speed: a
// fraction the timer keeps exactly, the song's own at full speed. It fits the timer's 32 bits
// for every tempo a file can give but the slowest at odd speeds, which lose the last digits.
void Sequenciador::aplicarBase(uint32_t numerador, uint32_t denominador) {
  baseNumerador = numerador;
  baseDenominador = denominador;
  const uint64_t comum = std::gcd(100, velocidade);
  uint64_t periodo = uint64_t{numerador} * (100 / comum);
  uint64_t divisor = uint64_t{denominador} * uint64_t(velocidade / comum);
  while (periodo > std::numeric_limits<uint32_t>::max()) {
    periodo /= 2;
    divisor = std::max<uint64_t>(divisor / 2, 1);
  }
  // 60,000,000 us a minute over 64 ticks of the period each beat.
  const int64_t bpm = int64_t{60'000'000} * denominador * velocidade /
                      (int64_t{numerador} * ticksPorSemiminima * 100);
  andamento = static_cast<int>(std::clamp<int64_t>(bpm, 1, bpmMaximo));
  periodoNumerador = static_cast<uint32_t>(periodo);
  periodoDenominador = static_cast<uint32_t>(divisor);
  AcessoGui::instancia().mostrarAndamento(andamento);
  aplicarAndamento();
}

void Sequenciador::aplicarAndamento() {
  exigirBiblioteca();
  sincronismo->SetPeriod(periodoNumerador, periodoDenominador);
}

// A jump keeps the tempo the user set with the slider as long as it stays in the region of
// the marker applied last; one into another region takes that region's tempo, and one before
// the song's first marker takes the song's first tempo.
void Sequenciador::acertarAndamento() {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  if (!musica) return;
  const EventoAndamento *emVigor = musica->marcadorEm(posicao);
  if (!emVigor) return;
  if (emVigor == marcadorAplicado && serieMarcador == musica->getSerie()) return;
  aplicarMarcador(*emVigor);
}

void Sequenciador::marcarLoop() {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  const bool naLinha = marcasNasLinhas && musica;
  const int marca = naLinha ? musica->getCompassos().linhaMaisProxima(posicao) : posicao;
  if (inicioLoop == -1) {
    inicioLoop = marca;
    loopNaLinha = naLinha;
    return;
  }
  fimLoop = marca;
  // Marks on one bar line make a loop of that bar.
  if (naLinha && fimLoop == inicioLoop) {
    const MapaCompassos &compassos = musica->getCompassos();
    fimLoop = compassos.inicioDoCompasso(compassos.lugar(inicioLoop).compasso + 1);
  }
  loopNaLinha = naLinha && loopNaLinha;
  loopAtivo = true;
  passesLoop = 0;
  if (treinador.isAtivo()) setVelocidade(treinador.reiniciar());
}

bool Sequenciador::definirLoopCompassos(int compassos) {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  if (!musica || compassos < 1) return false;
  const MapaCompassos &mapa = musica->getCompassos();
  const LugarCompasso lugar = mapa.lugar(posicao);
  restaurarLoop(lugar.inicioCompasso, mapa.inicioDoCompasso(lugar.compasso + compassos), true);
  if (treinador.isAtivo()) setVelocidade(treinador.reiniciar());
  return true;
}

void Sequenciador::restaurarLoop(int inicio, int fim, bool naLinha) {
  inicioLoop = inicio;
  fimLoop = fim;
  loopNaLinha = naLinha;
  loopAtivo = inicio != -1 && fim != -1;
  passesLoop = 0;
}

void Sequenciador::limparLoop() {
  loopAtivo = false;
  loopNaLinha = false;
  fimLoop = -1;
  inicioLoop = -1;
  passesLoop = 0;
}

void Sequenciador::setContagem(int compassos, bool antesDoLoop) {
  compassosContagem = std::clamp(compassos, 0, 2);
  contagemAntesDoLoop = antesDoLoop;
}

void Sequenciador::setTreinador(const AjustesTreinador &ajustes) {
  const bool ligou = ajustes.ativo && !treinador.isAtivo();
  treinador.setAjustes(ajustes);
  if (ligou) setVelocidade(treinador.getVelocidade());
}

void Sequenciador::selecionarTrilhaBateria(int trilha) {
  if (trilha == -1) {
    todasTrilhas = true;
  } else {
    trilhaBateria = trilha;
    todasTrilhas = false;
  }
}

void Sequenciador::abrirSincronismo() {
  exigirBiblioteca();
  if (!sincronismo->IsOpen()) sincronismo->Open(0, 2);
}

void Sequenciador::voltarAoLoop(int64_t fronteiraNs) {
  esquecerAdiante();
  if (ouvintes.voltaLoop && fronteiraNs != 0) ouvintes.voltaLoop(fronteiraNs);
  posicao = inicioLoop;
  acertarAndamento();
  ++passesLoop;
  if (treinador.isAtivo()) {
    const int seguinte = treinador.passeCompleto();
    if (seguinte != velocidade) setVelocidade(seguinte);
  }
  if (contagemAntesDoLoop && compassosContagem > 0) iniciarContagem();
}

// The count-in takes the bars of the signature in force at the position: its ticks run on
// the timer's grid like the song's, so the song's tick comes exactly a beat after the last
// click.
void Sequenciador::iniciarContagem() {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  if (!musica) return;
  // The song's tempo at the position, also when its marker lies on the very tick.
  acertarAndamento();
  esquecerAdiante();
  contagemCompasso = musica->getCompassos().lugar(std::max(posicao, 0));
  contagemRestante = compassosContagem * contagemCompasso.ticksPorCompasso();
}

void Sequenciador::processarContagem() {
  clique.avancar();
  const int porTempo = contagemCompasso.ticksPorTempo;
  const int feito = compassosContagem * contagemCompasso.ticksPorCompasso() - contagemRestante;
  if (feito % porTempo == 0) {
    const int tempo = feito / porTempo % contagemCompasso.temposPorCompasso;
    clique.tocar(tempo == 0);
    if (ouvintes.clique && TVxMidiStamp::current() != 0) ouvintes.clique(TVxMidiStamp::current());
    AcessoGui::instancia().mostrarContagem(tempo + 1);
  }
  if (ouvintes.contagem && !calibrando && TVxMidiStamp::current() != 0)
    ouvintes.contagem(contagemRestante, contagemCompasso, TVxMidiStamp::current());
  if (--contagemRestante > 0) return;
  AcessoGui::instancia().mostrarContagem(0);
  if (!calibrando) return;
  // A beat after the last click, which has long ended.
  calibrando = false;
  sincronismo->Stop();
  if (ouvintes.fimCalibracao) ouvintes.fimCalibracao();
}

void Sequenciador::calibrar(int batidas, int bpm) {
  exigirBiblioteca();
  interromper();
  esquecerAdiante();
  calibrando = true;
  contagemCompasso = LugarCompasso{};
  contagemRestante = std::max(batidas, 1) * contagemCompasso.ticksPorTempo;
  sincronismo->SetPeriod(microssegundosPorTickA1Bpm, static_cast<uint32_t>(std::max(bpm, 1)));
  sincronismo->Start();
}

void Sequenciador::lembrarAdiante() {
  const int64_t devido = TVxMidiStamp::current();
  if (devido == 0) return;
  const int64_t agora = TVxMidiStamp::agora();
  while (!ticksAdiante.empty() && ticksAdiante.front().devidoNs <= agora) ticksAdiante.pop_front();
  if (devido > agora) ticksAdiante.push_back({posicao, devido});
}

// Per tick: the count-in's ticks while it lasts; the wrap of a loop on its bar line; the
// window's position refresh on every beat (before any event); the click and the bar and
// beat; then each enabled track in ascending order, its events in file order: drum notes of
// the chosen track drive the kit display even when muted; play-along skips channel index 9.
// Playback stopped inside the tick (the end of the song) ends it at once: nothing more is
// shown or performed, and the position stays where the stop left it.
void Sequenciador::processarTick() {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  if (calibrando) {
    processarContagem();
    return;
  }
  if (!musica) return;
  if (contagemRestante > 0) {
    processarContagem();
    return;
  }
  if (loopAtivo && loopNaLinha && posicao == fimLoop) {
    voltarAoLoop(TVxMidiStamp::current());
    if (contagemRestante > 0) {
      processarContagem();
      return;
    }
  }
  if (posicao % ticksPorSemiminima == 0) {
    AcessoGui::instancia().atualizarPosicao();
    if (!sincronismo->IsRunning()) return;
  }
  lembrarAdiante();
  if (ouvintes.tick && TVxMidiStamp::current() != 0)
    ouvintes.tick(posicao, TVxMidiStamp::current());
  clique.avancar();
  const LugarCompasso lugar = musica->getCompassos().lugar(posicao);
  if (lugar.noTempo) AcessoGui::instancia().mostrarCompasso(lugar.compasso, lugar.tempo);
  clique.aoTick(lugar, posicao);

  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  const int n = musica->getNumTrilhas();
  for (int i = 0; i < n; ++i) {
    if (i < trilhasComChave && !configuracao.isTrilhaAtiva(i)) continue;
    const auto devidos = musica->eventosEm(posicao, i);
    eventosDoTick.assign(devidos.begin(), devidos.end());
    const bool mostraKit = todasTrilhas || i == trilhaBateria;
    for (EventoSequenciamento *e : eventosDoTick) {
      if (!sincronismo->IsRunning()) {
        eventosDoTick.clear();
        return;
      }
      if (mostraKit && e->getCanal() == canalBateria) {
        if (auto *on = dynamic_cast<EventoNoteOn *>(e)) {
          agendaKit.acender(on->getNota());
          if (ouvintes.notaBateria && TVxMidiStamp::current() != 0 && on->getVelocidade() > 0)
            ouvintes.notaBateria(on->getNota(), posicao, TVxMidiStamp::current());
        } else if (auto *off = dynamic_cast<EventoNoteOff *>(e))
          agendaKit.apagar(off->getNota());
      }
      if (bateriaMuda && e->getCanal() == canalBateria) continue;
      e->executar();
    }
    eventosDoTick.clear();
  }
  if (!sincronismo->IsRunning()) return;
  // The wrap sounds a tick after this one.
  if (loopAtivo && !loopNaLinha && posicao == fimLoop)
    voltarAoLoop(TVxMidiStamp::current() == 0 ? 0 : TVxMidiStamp::current() + 1);
  // No tick follows the last one a position can hold (a file's huge delta times put events
  // there): playback ends on it.
  if (posicao == std::numeric_limits<int>::max()) {
    interromper();
    return;
  }
  ++posicao;
}
