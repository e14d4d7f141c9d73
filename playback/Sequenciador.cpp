#include "playback/Sequenciador.h"

#include <algorithm>
#include <limits>

#include "EVxMidiException.h"
#include "TVxMidi.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "playback/AcessoGui.h"
#include "song/GerenciadorMusica.h"
#include "ui/Instrumento.h"

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
  sincronismo->SetPeriod(periodoNumerador, periodoDenominador);
  sincronismo->Start();
}

void Sequenciador::interromper() {
  if (sincronismo->IsRunning()) sincronismo->Stop();
}

void Sequenciador::pausar(bool pausa) {
  if (pausa)
    interromper();
  else
    tocar();
}

void Sequenciador::parar() {
  interromper();
  posicao = 0;
}

void Sequenciador::setPosicao(int valor) {
  posicao = valor;
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
  if (microssegundos <= 0) {
    setAndamento(marcador.getBpm());
    return;
  }
  const int exato = std::clamp(microssegundos, microssegundosMinimos, microssegundosMaximos);
  andamento = 60'000'000 / exato;
  periodoNumerador = static_cast<uint32_t>(exato);
  periodoDenominador = ticksPorSemiminima;
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
  AcessoGui::instancia().mostrarAndamento(emVigor->getBpm());
  aplicarMarcador(*emVigor);
}

void Sequenciador::marcarLoop() {
  if (inicioLoop == -1) {
    inicioLoop = posicao;
  } else {
    fimLoop = posicao;
    loopAtivo = true;
  }
}

void Sequenciador::limparLoop() {
  loopAtivo = false;
  fimLoop = -1;
  inicioLoop = -1;
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

// Per tick: the window's position refresh on every beat (before any event), then each
// enabled track in ascending order, its events in file order: drum notes of the chosen
// track drive the kit display even when muted; play-along skips channel index 9. Playback
// stopped inside the tick (the end of the song) ends it at once: nothing more is shown or
// performed, and the position stays where the stop left it.
void Sequenciador::processarTick() {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  if (!musica) return;
  if (posicao % ticksPorSemiminima == 0) {
    AcessoGui::instancia().atualizarPosicao();
    if (!sincronismo->IsRunning()) return;
  }

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
        if (Instrumento *kit = configuracao.getInstrumento()) {
          if (auto *on = dynamic_cast<EventoNoteOn *>(e))
            kit->acender(on->getNota());
          else if (auto *off = dynamic_cast<EventoNoteOff *>(e))
            kit->apagar(off->getNota());
        }
      }
      if (bateriaMuda && e->getCanal() == canalBateria) continue;
      e->executar();
    }
    eventosDoTick.clear();
  }
  if (!sincronismo->IsRunning()) return;
  if (loopAtivo && posicao == fimLoop) {
    posicao = inicioLoop;
    acertarAndamento();
  }
  // No tick follows the last one a position can hold (a file's huge delta times put events
  // there): playback ends on it.
  if (posicao == std::numeric_limits<int>::max()) {
    interromper();
    return;
  }
  ++posicao;
}
