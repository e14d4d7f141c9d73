#include "playback/Sequenciador.h"

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

}  // namespace

Sequenciador &Sequenciador::instancia() {
  static Sequenciador sequenciador;
  return sequenciador;
}

Sequenciador::Sequenciador() : sincronismo(std::make_unique<TVxMidiSync>()) {
  try {
    vxMidi = std::make_unique<TVxMidi>();
    sincronismo->VxMidi = vxMidi.get();
    sincronismo->OnMidiBeat = [this](QObject *) { processarTick(); };
    sincronismo->Open(0, 2);
  } catch (const std::exception &) {
  }
}

void Sequenciador::tocar() {
  if (sincronismo->IsRunning()) return;
  sincronismo->SetTempo(periodoTick(andamento));
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

void Sequenciador::setAndamento(int bpm) {
  if (bpm <= 0) return;
  andamento = bpm;
  aplicarAndamento();
}

void Sequenciador::aplicarAndamento() {
  const unsigned periodo = periodoTick(andamento);
  if (sincronismo->IsRunning()) {
    sincronismo->Stop();
    sincronismo->SetTempo(periodo);
    sincronismo->Start();
  } else {
    sincronismo->SetTempo(periodo);
  }
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
  if (!sincronismo->IsOpen()) sincronismo->Open(0, 2);
}

// Per tick: the window's position refresh on every beat (before any event), then each
// enabled track in ascending order, its events in file order: drum notes of the chosen
// track drive the kit display even when muted; play-along skips channel index 9; a stop
// made inside the tick (the end of the song, a tempo event) ends it at once.
void Sequenciador::processarTick() {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  if (!musica) return;
  if (posicao % 64 == 0) AcessoGui::instancia().atualizarPosicao();

  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  const int n = musica->getNumTrilhas();
  for (int i = 0; i < n; ++i) {
    if (i < trilhasComChave && !configuracao.isTrilhaAtiva(i)) continue;
    const auto devidos = musica->eventosEm(posicao, i);
    eventosDoTick.assign(devidos.begin(), devidos.end());
    const bool mostraKit = todasTrilhas || i == trilhaBateria;
    for (EventoSequenciamento *e : eventosDoTick) {
      if (mostraKit && e->getCanal() == canalBateria) {
        if (Instrumento *kit = configuracao.getInstrumento()) {
          if (auto *on = dynamic_cast<EventoNoteOn *>(e))
            kit->acender(on->getNota());
          else if (auto *off = dynamic_cast<EventoNoteOff *>(e))
            kit->apagar(off->getNota());
        }
      }
      if (bateriaMuda && e->getCanal() == canalBateria) continue;
      if (!sincronismo->IsRunning()) {
        eventosDoTick.clear();
        return;
      }
      e->executar();
    }
    eventosDoTick.clear();
  }
  if (loopAtivo && posicao == fimLoop) posicao = inicioLoop;
  if (sincronismo->IsRunning()) ++posicao;
}
