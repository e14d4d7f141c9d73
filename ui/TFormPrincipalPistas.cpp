// The main window's lane view: the model fed by the judging session with what sounds when
// and with the drummer's judged hits, the window opened by the practice column's button, F9
// or the command line, and its settings kept.
#include <QWindow>

#include "TVxMidiSync.h"

#include "config/ArquivoConfiguracao.h"
#include "julgamento/SessaoJulgamento.h"
#include "pistas/LinhaTempoPistas.h"
#include "pistas/TformPistas.h"
#include "playback/Sequenciador.h"
#include "pratica/PainelPratica.h"
#include "song/GerenciadorMusica.h"
#include "ui/TFormPrincipal.h"

namespace {

EstadoTransporte estadoDoSequenciador() {
  const Sequenciador &s = Sequenciador::instancia();
  EstadoTransporte estado;
  const TVxMidiSync *sincronismo = s.getSincronismo();
  estado.tocando = sincronismo && sincronismo->IsRunning() && !s.isCalibrando();
  estado.posicao = s.getPosicao();
  estado.nsPorTick = s.getNsPorTick();
  estado.velocidade = s.getVelocidade();
  estado.loopAtivo = s.isLoopAtivo();
  estado.inicioLoop = s.getInicioLoop();
  estado.fimLoop = s.getFimLoop();
  estado.loopNaLinha = s.isLoopNaLinha();
  estado.contagemRestante = s.getContagemRestante();
  estado.ticksPorTempoContagem = s.getLugarContagem().ticksPorTempo;
  estado.temposContagem = s.getLugarContagem().temposPorCompasso;
  estado.compassosContagem = s.getCompassosContagem();
  estado.contagemAntesDoLoop = s.isContagemAntesDoLoop();
  return estado;
}

}  // namespace

void TFormPrincipal::criarPistas() {
  linhaPistas = std::make_unique<LinhaTempoPistas>();
  frmPistas = new TformPistas(*linhaPistas, estadoDoSequenciador, this);
  const AjustesPistas &ajustes = ArquivoConfiguracao::instancia().getAjustesPistas();
  frmPistas->setAntecipacao(ajustes.antecipacao);
  frmPistas->restaurar(ajustes.lugar, ajustes.telaCheia);
  pistasAoMostrar = pistasAoMostrar || ajustes.aberta;
  frmPistas->setAdiantamentoNs(
      int64_t{ArquivoConfiguracao::instancia().getAjustesJulgamento().atrasoVisualMs} * 1'000'000);

  sessaoJulgamento->aoSoarTick = [this](int tick, int64_t somNs) {
    linhaPistas->tickSoado(tick, somNs);
  };
  sessaoJulgamento->aoSoarContagem = [this](int restante, const LugarCompasso &lugar,
                                            int64_t somNs) {
    linhaPistas->contagemSoada(restante, lugar.ticksPorTempo, lugar.temposPorCompasso, somNs);
  };
  sessaoJulgamento->aoCalar = [this](int64_t desdeNs) { linhaPistas->interrompido(desdeNs); };
  connect(frmPistas, &TformPistas::antecipacaoAlterada, this, [](int segundos) {
    ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
    AjustesPistas ajustes = configuracao.getAjustesPistas();
    ajustes.antecipacao = segundos;
    configuracao.setAjustesPistas(ajustes);
  });
  connect(pnPratica, &PainelPratica::pistasPedidas, this, &TFormPrincipal::abrirPistas);
}

void TFormPrincipal::atualizarPistas() {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  linhaPistas->setPartitura(
      musica ? PartituraPistas::daMusica(*musica, Sequenciador::instancia().getTrilhaBateria(),
                                         GerenciadorMusica::instancia().getNumTempos())
             : PartituraPistas{});
  frmPistas->novaPartitura();
}

void TFormPrincipal::abrirPistas() {
  // Its native window is made now, so that the kit's keys reach the window's filter from it.
  frmPistas->winId();
  if (QWindow *janela = frmPistas->windowHandle()) janela->installEventFilter(this);
  frmPistas->show();
  frmPistas->raise();
  frmPistas->activateWindow();
}

// What the next start restores: open or not, place, size and state.
void TFormPrincipal::guardarPistas() {
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  AjustesPistas ajustes = configuracao.getAjustesPistas();
  ajustes.aberta = frmPistas->isVisible();
  // A view never opened keeps what was read.
  if (frmPistas->windowHandle()) {
    ajustes.lugar = frmPistas->getLugarNormal();
    ajustes.telaCheia = frmPistas->isTelaCheia();
  }
  configuracao.setAjustesPistas(ajustes);
}
