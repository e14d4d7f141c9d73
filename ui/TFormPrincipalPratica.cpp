// The main window's practice: the column with the bar and beat, the speed and the click;
// the practice window; the loop on the position slider; the songs opened last in the open
// dialog; and what each song keeps between sessions.
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>

#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "playback/Sequenciador.h"
#include "pratica/PainelPratica.h"
#include "pratica/TformPratica.h"
#include "song/GerenciadorMusica.h"
#include "ui/PainelInstrumento.h"
#include "ui/TFormPrincipal.h"
#include "widgets/FaixaLoop.h"

namespace {

const QString secaoPratica = QStringLiteral("frmPratica");

// The blue column right of the stage, between the logo and the keyboard help's close button.
const QRect lugarPainel(697, 80, 94, 198);

}  // namespace

void TFormPrincipal::criarPratica() {
  pnPratica = new PainelPratica(this, lugarPainel, pnInstrumento);
  // The keyboard help, when shown, lies above everything of the column.
  pnPratica->stackUnder(panelTecladoEsquema);
  faixaLoop = new FaixaLoop(tkbAndamento);
  frmPratica = new TformPratica(this);
  frmPratica->setComMusica(false);

  // The songs opened last, under the file list of the open dialog (Qt's own dialog, which
  // takes widgets of the program).
  dlgOpen->setOption(QFileDialog::DontUseNativeDialog);
  lstRecentes = new QListWidget(dlgOpen);
  lstRecentes->setObjectName(QStringLiteral("lstRecentes"));
  lstRecentes->setMaximumHeight(120);
  auto *rotulo = new QLabel(dlgOpen);
  rotulo->setObjectName(QStringLiteral("lblRecentes"));
  if (auto *grade = qobject_cast<QGridLayout *>(dlgOpen->layout())) {
    const int linha = grade->rowCount();
    grade->addWidget(rotulo, linha, 0, Qt::AlignTop);
    grade->addWidget(lstRecentes, linha, 1, 1, grade->columnCount() - 1);
  }
  connect(lstRecentes, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
    recenteEscolhido = item->data(Qt::UserRole).toString();
    dlgOpen->reject();
  });

  connect(pnPratica, &PainelPratica::cliqueAlterado, this, [this](bool ligado) {
    AjustesPratica ajustes = ArquivoConfiguracao::instancia().getAjustesPratica();
    ajustes.clique = ligado;
    aplicarAjustesPratica(ajustes);
  });
  connect(pnPratica, &PainelPratica::praticaPedida, this, &TFormPrincipal::abrirPratica);
  connect(frmPratica, &TformPratica::ajustesAlterados, this,
          &TFormPrincipal::aplicarAjustesPratica);
  connect(frmPratica, &TformPratica::velocidadeAlterada, this, &TFormPrincipal::mudarVelocidade);
  connect(frmPratica, &TformPratica::loopPedido, this, &TFormPrincipal::loopCompassos);

  aplicarAjustesPratica(ArquivoConfiguracao::instancia().getAjustesPratica());
  mostrarVelocidade();
}

void TFormPrincipal::aplicarIdiomaPratica() {
  pnPratica->aplicarIdioma();
  frmPratica->aplicarIdioma();
  GerenciadorIdiomas &idioma = GerenciadorIdiomas::instancia();
  if (auto *rotulo = dlgOpen->findChild<QLabel *>(QStringLiteral("lblRecentes")))
    rotulo->setText(idioma.getTexto(secaoPratica, QStringLiteral("lblRecentes")));
  frmPratica->mostrar(ArquivoConfiguracao::instancia().getAjustesPratica(),
                      Sequenciador::instancia().getVelocidade());
}

void TFormPrincipal::aplicarAjustesPratica(const AjustesPratica &ajustes) {
  ArquivoConfiguracao::instancia().setAjustesPratica(ajustes);
  Sequenciador &sequenciador = Sequenciador::instancia();
  sequenciador.setContagem(ajustes.contagem, ajustes.contagemNoLoop);
  Clique &clique = sequenciador.getClique();
  clique.setAtivo(ajustes.clique);
  clique.setColcheias(ajustes.cliqueColcheias);
  clique.setVolume(ajustes.volumeClique);
  sequenciador.setMarcasNasLinhas(ajustes.marcasNasLinhas);
  if (ajustes.treinador != sequenciador.getTreinador().getAjustes())
    protegido([&] { sequenciador.setTreinador(ajustes.treinador); });
  pnPratica->setClique(ajustes.clique);
  if (frmPratica->isVisible()) frmPratica->mostrar(ajustes, sequenciador.getVelocidade());
  lembrarMusica();
}

void TFormPrincipal::mudarVelocidade(int percentual) {
  protegido([&] { Sequenciador::instancia().setVelocidade(percentual); });
  mostrarVelocidade();
  lembrarMusica();
}

void TFormPrincipal::mostrarVelocidade() {
  const Sequenciador &sequenciador = Sequenciador::instancia();
  pnPratica->mostrarVelocidade(sequenciador.getVelocidade(), sequenciador.getAndamento());
  if (frmPratica->isVisible())
    frmPratica->mostrar(ArquivoConfiguracao::instancia().getAjustesPratica(),
                        sequenciador.getVelocidade());
}

void TFormPrincipal::exibirCompasso(int compasso, int tempo) {
  pnPratica->mostrarCompasso(compasso, tempo);
}

void TFormPrincipal::exibirContagem(int tempo) {
  pnPratica->mostrarContagem(tempo);
}

void TFormPrincipal::mostrarCompassoEm(int posicao) {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  if (!musica || estado == EstadoPlayer::SemMusica) return;
  const LugarCompasso lugar = musica->getCompassos().lugar(posicao);
  pnPratica->mostrarCompasso(lugar.compasso, lugar.tempo);
}

// The band shows the loop while it is marked: the start alone after the first click.
void TFormPrincipal::atualizarFaixaLoop() {
  const Sequenciador &sequenciador = Sequenciador::instancia();
  const bool marcado = estado == EstadoPlayer::InicioLoop || estado == EstadoPlayer::Repetindo ||
                       ((estado == EstadoPlayer::Pausa || estado == EstadoPlayer::Adiantando ||
                         estado == EstadoPlayer::Voltando) &&
                        sequenciador.getInicioLoop() >= 0);
  if (!marcado) {
    faixaLoop->setTrecho(-1, -1);
    return;
  }
  faixaLoop->setTrecho(sequenciador.getInicioLoop(),
                       sequenciador.isLoopAtivo() ? sequenciador.getFimLoop() : -1);
}

void TFormPrincipal::loopCompassos(int compassos) {
  if (estado == EstadoPlayer::SemMusica) return;
  if (estado == EstadoPlayer::Parado) imgPlayClick();
  if (estado == EstadoPlayer::Adiantando || estado == EstadoPlayer::Voltando) return;
  Sequenciador &sequenciador = Sequenciador::instancia();
  if (!sequenciador.definirLoopCompassos(compassos)) return;
  if (estado == EstadoPlayer::Pausa) {
    estadoRetorno = EstadoPlayer::Repetindo;
  } else {
    estado = EstadoPlayer::Repetindo;
    mostrarStatus(EstadoPlayer::Repetindo);
  }
  habilitar(tagRepeat, false);
  habilitar(tagPlay, true);
  // The slider's handler seeks; a slider already there still needs the jump.
  tkbAndamento->setValue(sequenciador.getInicioLoop());
  sequenciador.setPosicao(sequenciador.getInicioLoop());
  atualizarFaixaLoop();
  lembrarMusica();
}

void TFormPrincipal::lembrarMusica() {
  if (musicaAberta.isEmpty()) return;
  const Sequenciador &sequenciador = Sequenciador::instancia();
  const AjustesPratica &ajustes = ArquivoConfiguracao::instancia().getAjustesPratica();
  LembrancaMusica lembranca;
  lembranca.arquivo = musicaAberta;
  lembranca.trilha = CmbTracks->currentIndex() >= 0 ? CmbTracks->currentIndex() : -2;
  if (sequenciador.isLoopAtivo()) {
    lembranca.inicioLoop = sequenciador.getInicioLoop();
    lembranca.fimLoop = sequenciador.getFimLoop();
    lembranca.loopNaLinha = sequenciador.isLoopNaLinha();
  }
  lembranca.velocidade = sequenciador.getVelocidade();
  lembranca.clique = ajustes.clique;
  lembranca.cliqueColcheias = ajustes.cliqueColcheias;
  lembranca.volumeClique = ajustes.volumeClique;
  lembranca.contagem = ajustes.contagem;
  ArquivoConfiguracao::instancia().getMemoriaMusicas().lembrar(lembranca);
}

bool TFormPrincipal::restaurarMusica(const QString &arquivo) {
  musicaAberta = QFileInfo(arquivo).absoluteFilePath();
  frmPratica->setComMusica(true);
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  Sequenciador &sequenciador = Sequenciador::instancia();
  const LembrancaMusica *lembrada = configuracao.getMemoriaMusicas().buscar(musicaAberta);
  if (!lembrada) {
    protegido([&] { sequenciador.setVelocidade(100); });
    mostrarVelocidade();
    lembrarMusica();
    return false;
  }
  const LembrancaMusica lembranca = *lembrada;
  AjustesPratica ajustes = configuracao.getAjustesPratica();
  ajustes.clique = lembranca.clique;
  ajustes.cliqueColcheias = lembranca.cliqueColcheias;
  ajustes.volumeClique = lembranca.volumeClique;
  ajustes.contagem = lembranca.contagem;
  // The song's own data first, so that applying the settings keeps them.
  if (lembranca.trilha >= 0 && lembranca.trilha < CmbTracks->count()) {
    CmbTracks->setCurrentIndex(lembranca.trilha);
    CmbTracksChange(lembranca.trilha);
  }
  protegido([&] { sequenciador.setVelocidade(lembranca.velocidade); });
  const int duracao = GerenciadorMusica::instancia().getDuracao();
  const bool comLoop =
      lembranca.inicioLoop >= 0 && lembranca.fimLoop >= 0 && lembranca.inicioLoop <= duracao;
  if (comLoop) {
    sequenciador.restaurarLoop(lembranca.inicioLoop, lembranca.fimLoop, lembranca.loopNaLinha);
    tkbAndamento->setValue(lembranca.inicioLoop);
    sequenciador.setPosicao(lembranca.inicioLoop);
  }
  aplicarAjustesPratica(ajustes);
  mostrarVelocidade();
  return comLoop;
}

void TFormPrincipal::abrirPratica() {
  frmPratica->mostrar(ArquivoConfiguracao::instancia().getAjustesPratica(),
                      Sequenciador::instancia().getVelocidade());
  frmPratica->show();
  frmPratica->raise();
  frmPratica->activateWindow();
}

// Songs that are gone are left out of the list, not forgotten: a drive may come back.
void TFormPrincipal::preencherRecentes() {
  lstRecentes->clear();
  for (const QString &arquivo : ArquivoConfiguracao::instancia().getMemoriaMusicas().recentes()) {
    if (!QFileInfo(arquivo).isFile()) continue;
    auto *item = new QListWidgetItem(QFileInfo(arquivo).fileName(), lstRecentes);
    item->setToolTip(arquivo);
    item->setData(Qt::UserRole, arquivo);
  }
}
