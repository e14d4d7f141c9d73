// The main window's transport: the output device on first show, play, pause, stop, the
// two-click loop, the fast-forward and rewind gestures, the position, tempo and volume
// sliders, and what playback reports on each beat.
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <algorithm>

#include "TVxMidiOut.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "julgamento/SessaoJulgamento.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"
#include "song/GerenciadorMusica.h"
#include "ui/Imagem.h"
#include "ui/TFormPrincipal.h"

namespace {

constexpr int ticksPorTempo = 64;
constexpr int bpmMinimo = 40;
constexpr int bpmMaximo = 240;

// Through the sequencer's agenda: lights still waiting for their beat's sound go too, and at
// the song's end the last hits show before the kit goes back to rest.
void apagarKit() {
  Sequenciador::instancia().getAgendaKit().apagarTudo();
}

}  // namespace

// The configured device, or the wizard's choice when none is stored yet (its -1, a
// cancelled test, becomes device 0). A device that does not open is reported with the
// library's reason; the stored volume is applied all the same, so that the slider shows it
// and the next device opened plays at it.
void TFormPrincipal::prepararSaida() {
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  SaidaMIDI &saida = SaidaMIDI::instancia();
  int indice = configuracao.getDriver();
  const bool doAssistente = indice == -1;
  if (doAssistente) {
    indice = formAssistenteConfiguracaoDriver ? formAssistenteConfiguracaoDriver->executar() : 0;
    if (indice == -1) indice = 0;
  }
  try {
    const bool aberto = saida.abrirDispositivo(indice);
    if (doAssistente) configuracao.setDriver(indice);
    if (!aberto) {
      const QStringList nomes = saida.listarDispositivos();
      QString mensagem = texto("erroAbrirDispositivo");
      mensagem.replace(QLatin1String("%1"),
                       indice < nomes.size() ? nomes.at(indice) : QString::number(indice));
      avisar(mensagem + QStringLiteral("\n\n") + saida.getMotivoFalha());
    }
  } catch (const std::exception &e) {
    avisarFalhaMidi(QString::fromUtf8(e.what()));
    return;
  }
  protegido([&] {
    saida.setVolume(configuracao.getVolume());
    tkbVol->setValue(tkbVol->maximum() - configuracao.getVolume());
  });
  saida.getSaida().OnDeviceLost = [this](QObject *) { dispositivoPerdido(); };
}

// The output's sound server stopped under the song: nothing would sound, so the song stops
// and the drummer is told; the settings stay, and the next Play opens the device again.
void TFormPrincipal::dispositivoPerdido() {
  saidaPerdida = true;
  pararMusica();
  avisar(texto("msgDispositivoPerdido"));
}

// Opens the device of the settings again after it went away; a server still gone is named
// in the same message, and the song stays stopped.
bool TFormPrincipal::reabrirSaidaPerdida() {
  if (!saidaPerdida) return true;
  SaidaMIDI &saida = SaidaMIDI::instancia();
  bool aberto = false;
  protegido([&] { aberto = saida.abrirDispositivo(ArquivoConfiguracao::instancia().getDriver()); });
  if (!aberto) {
    avisar(texto("msgDispositivoPerdido") + QStringLiteral("\n\n") + saida.getMotivoFalha());
    return false;
  }
  saidaPerdida = false;
  protegido([&] { saida.setVolume(ArquivoConfiguracao::instancia().getVolume()); });
  return true;
}

void TFormPrincipal::imgPlayClick() {
  if (!reabrirSaidaPerdida()) return;
  switch (estado) {
    case EstadoPlayer::Pausa:
      imgPauseClick();
      return;
    case EstadoPlayer::InicioLoop:
    case EstadoPlayer::Repetindo:
    case EstadoPlayer::Parado:
      break;
    default:
      return;
  }
  const bool cancelaLoop = estado != EstadoPlayer::Parado;
  protegido([this] {
    Sequenciador &sequenciador = Sequenciador::instancia();
    sequenciador.tocar();
    habilitar(tagStop, true);
    habilitar(tagPause, true);
    // From a loop this cancels it and playing simply goes on.
    sequenciador.limparLoop();
    habilitar(tagRepeat, true);
    habilitar(tagPlay, false);
    estado = EstadoPlayer::Tocando;
    mostrarStatus(EstadoPlayer::Tocando);
  });
  // The song forgets a loop the drummer cancelled; Stop only ends playing.
  if (cancelaLoop) lembrarMusica();
}

void TFormPrincipal::imgPauseClick() {
  protegido([this] {
    Sequenciador &sequenciador = Sequenciador::instancia();
    switch (estado) {
      case EstadoPlayer::Tocando:
      case EstadoPlayer::InicioLoop:
      case EstadoPlayer::Repetindo:
        mostrarStatus(EstadoPlayer::Pausa);
        pausarSequenciador();
        SaidaMIDI::instancia().silenciar();
        estadoRetorno = estado;
        estado = EstadoPlayer::Pausa;
        habilitar(tagPlay, true);
        break;
      case EstadoPlayer::Pausa:
        // Back to what was shown before the pause.
        if (estadoRetorno == EstadoPlayer::Tocando) {
          mostrarStatus(EstadoPlayer::Tocando);
          habilitar(tagPlay, false);
        } else if (estadoRetorno == EstadoPlayer::Repetindo) {
          mostrarStatus(EstadoPlayer::Repetindo);
          habilitar(tagRepeat, false);
        } else if (estadoRetorno == EstadoPlayer::InicioLoop) {
          mostrarStatus(EstadoPlayer::InicioLoop);
          habilitar(tagRepeat, true);
        }
        estado = estadoRetorno;
        sequenciador.pausar(false);
        break;
      default:
        break;
    }
  });
  habilitar(tagPause, true);
}

void TFormPrincipal::imgStopClick() {
  pararMusica();
  sessaoJulgamento->encerrarPasse();
}

void TFormPrincipal::pararMusica() {
  mostrarStatus(EstadoPlayer::Parado);
  if (estado == EstadoPlayer::SemMusica) return;
  estado = EstadoPlayer::Parado;
  protegido([] {
    Sequenciador &sequenciador = Sequenciador::instancia();
    sequenciador.parar();
    sequenciador.limparLoop();
    SaidaMIDI &saida = SaidaMIDI::instancia();
    saida.silenciar();
    saida.resetarControladores();
    saida.enviarProgramaBateria();
  });
  apagarKit();
  tkbAndamento->setValue(0);
  habilitar(tagStop, false);
  habilitar(tagPause, false);
  habilitar(tagRepeat, false);
  habilitar(tagPlay, true);
  tempoAtual = 0;
  lblTime->setText(QStringLiteral("0"));
}

void TFormPrincipal::imgRepeatClick() {
  Sequenciador &sequenciador = Sequenciador::instancia();
  if (estado == EstadoPlayer::Tocando) {
    sequenciador.marcarLoop();
    mostrarStatus(EstadoPlayer::InicioLoop);
    estado = EstadoPlayer::InicioLoop;
    habilitar(tagRepeat, true);
  } else if (estado == EstadoPlayer::InicioLoop) {
    estado = EstadoPlayer::Repetindo;
    sequenciador.marcarLoop();
    mostrarStatus(EstadoPlayer::Repetindo);
    // Through the slider's handler this seeks back to the loop start at once.
    tkbAndamento->setValue(sequenciador.getInicioLoop());
    habilitar(tagRepeat, false);
    lembrarMusica();
  }
  // Play stays usable: it cancels the loop.
  habilitar(tagPlay, true);
}

void TFormPrincipal::imgRewMouseDown() {
  mostrarStatus(EstadoPlayer::Voltando);
  iniciarBusca();
  estado = EstadoPlayer::Voltando;
}

void TFormPrincipal::imgFFMouseDown() {
  mostrarStatus(EstadoPlayer::Adiantando);
  iniciarBusca();
  estado = EstadoPlayer::Adiantando;
}

void TFormPrincipal::imgFFRewMouseUp(Imagem *pressionada) {
  terminarBusca();
  imgMouseUp(pressionada);
}

// Playback halts while the gesture moves the position one beat per timer tick.
void TFormPrincipal::iniciarBusca() {
  TimerPlayer->start();
  posicaoPeloSequenciador = false;
  if (estado == EstadoPlayer::Pausa) estadoRetornoPausa = estadoRetorno;
  estadoRetorno = estado;
  SaidaMIDI &saida = SaidaMIDI::instancia();
  saida.silenciar();
  saida.resetarControladores();
  apagarKit();
  pausarSequenciador();
}

// A pause goes back to the first tick not yet heard; the beats counted past it are taken
// back, as they will be counted again.
void TFormPrincipal::pausarSequenciador() {
  Sequenciador &sequenciador = Sequenciador::instancia();
  const int antes = sequenciador.getPosicao();
  sequenciador.pausar(true);
  const int depois = sequenciador.getPosicao();
  if (depois >= antes) return;
  // Beats at ticks depois .. antes - 1.
  const auto tempos = [](int ate) { return ate <= 0 ? 0 : (ate - 1) / ticksPorTempo + 1; };
  tempoAtual = std::max(tempoAtual - (tempos(antes) - tempos(depois)), 0);
  mostrarTempoAtual();
}

void TFormPrincipal::TimerPlayerTimer() {
  if (estado == EstadoPlayer::Voltando) {
    if (tempoAtual > 0) --tempoAtual;
  } else if (tempoAtual < totalTempos) {
    ++tempoAtual;
  }
  tkbAndamento->setValue(tempoAtual * ticksPorTempo);
}

// Back to the state the gesture started from; a release that leaves the loop behind (past
// its end, or before its start) cancels the loop and plays on.
void TFormPrincipal::terminarBusca() {
  mostrarTempoAtual();
  TimerPlayer->stop();
  Sequenciador &sequenciador = Sequenciador::instancia();
  protegido([&] {
    switch (estadoRetorno) {
      case EstadoPlayer::Pausa:
        mostrarStatus(EstadoPlayer::Pausa);
        estado = EstadoPlayer::Pausa;
        estadoRetorno = estadoRetornoPausa;
        estadoRetornoPausa = EstadoPlayer::SemMusica;
        break;
      case EstadoPlayer::Tocando:
        mostrarStatus(EstadoPlayer::Tocando);
        estado = EstadoPlayer::Tocando;
        sequenciador.pausar(false);
        break;
      case EstadoPlayer::Repetindo:
        estado = EstadoPlayer::Repetindo;
        if (sequenciador.getFimLoop() > sequenciador.getInicioLoop() &&
            sequenciador.getFimLoop() < tkbAndamento->value())
          imgPlayClick();
        else
          mostrarStatus(EstadoPlayer::Repetindo);
        sequenciador.pausar(false);
        break;
      case EstadoPlayer::InicioLoop:
        estado = EstadoPlayer::InicioLoop;
        if (sequenciador.getInicioLoop() > tkbAndamento->value()) {
          imgPlayClick();
        } else {
          mostrarStatus(EstadoPlayer::InicioLoop);
          habilitar(tagRepeat, true);
          sequenciador.pausar(false);
        }
        break;
      case EstadoPlayer::Parado:
        mostrarStatus(EstadoPlayer::Parado);
        estado = EstadoPlayer::Parado;
        break;
      default:
        break;
    }
  });
  sequenciador.setPosicao(tkbAndamento->value());
}

// A move by the user or by the program seeks; a move made for a beat or during a gesture
// only shows the beat.
void TFormPrincipal::tkbAndamentoChange(int posicao) {
  if (estado != EstadoPlayer::Adiantando && estado != EstadoPlayer::Voltando &&
      !posicaoPeloSequenciador) {
    Sequenciador &sequenciador = Sequenciador::instancia();
    SaidaMIDI &saida = SaidaMIDI::instancia();
    saida.silenciar();
    saida.resetarControladores();
    apagarKit();
    tempoAtual = posicao / ticksPorTempo;
    if (estado == EstadoPlayer::Repetindo &&
        sequenciador.getFimLoop() > sequenciador.getInicioLoop() &&
        sequenciador.getFimLoop() < posicao)
      imgPlayClick();
    else if (estado == EstadoPlayer::InicioLoop && sequenciador.getInicioLoop() > posicao)
      imgPlayClick();
    sequenciador.setPosicao(posicao);
  }
  mostrarTempoAtual();
  if (!posicaoPeloSequenciador) mostrarCompassoEm(posicao);
}

// The song ends at the first beat past its length, so that the events of its last tick
// (a final crash on a beat) have been played when it stops.
void TFormPrincipal::avancarTempo() {
  Sequenciador &sequenciador = Sequenciador::instancia();
  posicaoPeloSequenciador = true;
  if (estado == EstadoPlayer::Repetindo && sequenciador.getPosicao() < tkbAndamento->value())
    posicaoPeloSequenciador = false;  // the loop has wrapped: the slider seeks anew
  else
    ++tempoAtual;
  tkbAndamento->setValue(std::min(sequenciador.getPosicao(), tkbAndamento->maximum()));
  if (posicaoPeloSequenciador &&
      sequenciador.getPosicao() > GerenciadorMusica::instancia().getDuracao())
    pararMusica();
  posicaoPeloSequenciador = false;
}

void TFormPrincipal::exibirAndamento(int bpm) {
  mostrarVelocidade();
  if (bpm < bpmMinimo || bpm > bpmMaximo) return;
  tkbBPM->setValue(bpm);
  lblBPM->setText(QString::number(tkbBPM->value()));
}

void TFormPrincipal::tkbBPMChange(int posicao) {
  Sequenciador &sequenciador = Sequenciador::instancia();
  if (sequenciador.getAndamento() == posicao) return;
  protegido([&] {
    sequenciador.setAndamento(posicao);
    lblBPM->setText(QString::number(posicao));
  });
}

void TFormPrincipal::tkbVolChange(int posicao) {
  const int valor = tkbVol->maximum() - posicao;
  protegido([valor] {
    SaidaMIDI::instancia().setVolume(valor);
    ArquivoConfiguracao::instancia().setVolume(valor);
  });
}
