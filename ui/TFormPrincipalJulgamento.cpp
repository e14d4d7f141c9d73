// The main window's judging of the drummer's hits: the marks on the kit and the readout, the
// passes window, the tap test and the take saved, and the settings in the practice window.
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

#include "TVxMidiOut.h"
#include "TVxMidiStamp.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "julgamento/MarcasJulgamento.h"
#include "julgamento/SessaoJulgamento.h"
#include "julgamento/TformCalibracao.h"
#include "julgamento/TformResumo.h"
#include "midi/SaidaMIDI.h"
#include "pistas/LinhaTempoPistas.h"
#include "pistas/TformPistas.h"
#include "playback/Sequenciador.h"
#include "pratica/TformPratica.h"
#include "ui/PainelInstrumento.h"
#include "ui/TFormPrincipal.h"

namespace {

QString textoPratica(const char *chave) {
  return GerenciadorIdiomas::instancia().getTexto(QStringLiteral("frmPratica"),
                                                  QLatin1String(chave));
}

}  // namespace

void TFormPrincipal::criarJulgamento() {
  sessaoJulgamento = new SessaoJulgamento(
      Sequenciador::instancia(), [] { return SaidaMIDI::instancia().getSaida().StampDelayNs(); },
      this);
  marcasJulgamento = new MarcasJulgamento(pnInstrumento);
  marcasJulgamento->setGeometry(pnInstrumento->rect());
  marcasJulgamento->raise();
  frmResumo = new TformResumo(this);
  frmCalibracao = new TformCalibracao(this);

  sessaoJulgamento->aoJulgar = [this](const Julgamento &julgamento) {
    marcasJulgamento->mostrar(julgamento);
    marcasJulgamento->mostrarPasse(sessaoJulgamento->getPasseAtual());
    if (linhaPistas) linhaPistas->julgado(julgamento);
  };
  sessaoJulgamento->aoFecharPasse = [this](const ResumoPasse &passe) { passeFechado(passe); };
  sessaoJulgamento->aoProgressoCalibracao = [this](int cliques, int toques) {
    frmCalibracao->mostrarProgresso(cliques, SessaoJulgamento::batidasCalibracao, toques);
  };
  sessaoJulgamento->aoFimCalibracao = [this](const Calibracao::Resultado &resultado) {
    frmCalibracao->mostrarResultado(resultado);
  };

  connect(frmPratica, &TformPratica::julgamentoAlterado, this,
          &TFormPrincipal::aplicarAjustesJulgamento);
  connect(frmPratica, &TformPratica::calibracaoPedida, this, &TFormPrincipal::abrirCalibracao);
  connect(frmPratica, &TformPratica::resumoPedido, this, &TFormPrincipal::mostrarResumo);
  connect(frmPratica, &TformPratica::takePedido, this, &TFormPrincipal::salvarTake);
  connect(frmCalibracao, &TformCalibracao::iniciarPedido, this,
          [this] { protegido([this] { sessaoJulgamento->iniciarCalibracao(); }); });
  connect(frmCalibracao, &TformCalibracao::cancelado, this, [this] {
    sessaoJulgamento->cancelarCalibracao();
    protegido([] { SaidaMIDI::instancia().silenciar(); });
  });
  connect(frmCalibracao, &TformCalibracao::aceita, this, [this](double latenciaMs) {
    AjustesJulgamento ajustes = ArquivoConfiguracao::instancia().getAjustesJulgamento();
    ajustes.latenciaEntradaMs = latenciaMs;
    aplicarAjustesJulgamento(ajustes);
  });

  aplicarAjustesJulgamento(ArquivoConfiguracao::instancia().getAjustesJulgamento());
}

void TFormPrincipal::aplicarIdiomaJulgamento() {
  marcasJulgamento->aplicarIdioma();
  frmResumo->aplicarIdioma();
  frmCalibracao->aplicarIdioma();
}

void TFormPrincipal::aplicarAjustesJulgamento(const AjustesJulgamento &ajustes) {
  ArquivoConfiguracao::instancia().setAjustesJulgamento(ajustes);
  sessaoJulgamento->setAjustes(ajustes);
  Sequenciador::instancia().getAgendaKit().setAdiantamentoNs(int64_t{ajustes.atrasoVisualMs} *
                                                             1'000'000);
  frmPratica->mostrarJulgamento(ajustes);
  if (frmPistas) frmPistas->setAdiantamentoNs(int64_t{ajustes.atrasoVisualMs} * 1'000'000);
}

void TFormPrincipal::julgarGolpe(int nota, int velocidade) {
  sessaoJulgamento->golpe(pecaDaNota(nota), velocidade, TVxMidiStamp::agora());
}

void TFormPrincipal::novaMusicaJulgada() {
  sessaoJulgamento->novaMusica();
  marcasJulgamento->limpar();
  if (frmResumo->isVisible()) mostrarResumo();
}

// Every pass updates the passes window when it is open; the song's end, where the drummer
// stops to look, opens it when the pass had hits.
void TFormPrincipal::passeFechado(const ResumoPasse &passe) {
  marcasJulgamento->setNumeroPasse(static_cast<int>(sessaoJulgamento->getPasses().size()) + 1);
  const bool fimDaMusica = !Sequenciador::instancia().getSincronismo()->IsRunning();
  if (frmResumo->isVisible() || (fimDaMusica && passe.golpes > 0)) mostrarResumo();
}

void TFormPrincipal::mostrarResumo() {
  frmResumo->mostrar(sessaoJulgamento->getPasses(),
                     janelasDe(sessaoJulgamento->getAjustes().rigor).noTempoMs);
  frmResumo->show();
  frmResumo->raise();
}

// The clicks of the tap test take the sequencer's timer: the song pauses first.
void TFormPrincipal::abrirCalibracao() {
  if (Sequenciador::instancia().getSincronismo()->IsRunning()) imgPauseClick();
  frmCalibracao->mostrarInicio(sessaoJulgamento->getAjustes().latenciaEntradaMs);
  // Its native window is made now, beside the window's own, so that its keys can be seen.
  frmCalibracao->winId();
  if (QWindow *janela = frmCalibracao->windowHandle()) janela->installEventFilter(this);
  frmCalibracao->show();
  frmCalibracao->raise();
}

void TFormPrincipal::salvarTake() {
  if (sessaoJulgamento->getTake().isVazio()) {
    mensageiro(textoPratica("takeVazio"), textoPratica("takeTitulo"));
    return;
  }
  QMessageBox pergunta(QMessageBox::Question, textoPratica("takeTitulo"), textoPratica("takeModo"),
                       QMessageBox::Cancel, this);
  QPushButton *so = pergunta.addButton(textoPratica("takeSo"), QMessageBox::AcceptRole);
  QPushButton *comMusica = pergunta.addButton(textoPratica("takeMusica"), QMessageBox::AcceptRole);
  pergunta.setDefaultButton(so);
  pergunta.exec();
  if (pergunta.clickedButton() != so && pergunta.clickedButton() != comMusica) return;
  const QString sugerido = QFileInfo(musicaAberta).completeBaseName() + QStringLiteral("-take.mid");
  const QString arquivo = QFileDialog::getSaveFileName(
      this, textoPratica("takeTitulo"), QFileInfo(pastaUltimaMusica, sugerido).filePath(),
      textoPratica("takeFiltro"));
  if (arquivo.isEmpty()) return;
  salvarTakeEm(arquivo,
               pergunta.clickedButton() == so ? ModoTake::soTake : ModoTake::substituirBateria);
}

bool TFormPrincipal::salvarTakeEm(const QString &arquivo, ModoTake modo) {
  try {
    sessaoJulgamento->getTake().salvar(arquivo, modo, Sequenciador::instancia().getTrilhaBateria());
    return true;
  } catch (const std::exception &e) {
    mensageiro(textoPratica("takeErro").arg(QFileInfo(arquivo).fileName()) +
                   QStringLiteral("\n\n") + QString::fromUtf8(e.what()),
               textoPratica("takeTitulo"));
    return false;
  }
}
