#include "setup/TformAssistenteConfiguracaoDriver.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <exception>

#include "config/GerenciadorIdiomas.h"
#include "midi/SaidaMIDI.h"
#include "setup/EscalaTeste.h"
#include "setup/Fontes.h"
#include "setup/RotuloLink.h"
#include "shell/MixerVolume.h"
#include "widgets/FiguraArte.h"

TformAssistenteConfiguracaoDriver *formAssistenteConfiguracaoDriver = nullptr;

namespace {

const QString secao = QStringLiteral("fmAssistenteConfiguracaoDriver");

// The window as designed, in pixels of its client area.
constexpr QSize tamanhoJanela(643, 255);
constexpr int alturaFaixaBotoes = 45;
constexpr int larguraImagem = 139;
constexpr QSize tamanhoBotao(105, 25);
constexpr QPoint lugarEsquerdo(419, 10);
constexpr QPoint lugarDireito(530, 10);
constexpr int margemTexto = 150;
constexpr int larguraTexto = 481;
constexpr int pixelsTitulo = 12;

QPushButton *criarBotao(QWidget *faixa, const char *nome, QPoint lugar) {
  auto *botao = new QPushButton(faixa);
  botao->setObjectName(QLatin1String(nome));
  botao->setGeometry(QRect(lugar, tamanhoBotao));
  // Only the page decides which button Enter presses.
  botao->setAutoDefault(false);
  return botao;
}

QLabel *criarRotulo(QWidget *painel, const char *nome, const QRect &lugar, bool negrito,
                    bool quebrar) {
  auto *rotulo = new QLabel(painel);
  rotulo->setObjectName(QLatin1String(nome));
  rotulo->setGeometry(lugar);
  rotulo->setFont(fonteJanela(negrito ? pixelsTitulo : pixelsTexto, negrito));
  rotulo->setWordWrap(quebrar);
  rotulo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  rotulo->setTextFormat(Qt::PlainText);
  return rotulo;
}

}  // namespace

TformAssistenteConfiguracaoDriver::TformAssistenteConfiguracaoDriver(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      Panel2(new QWidget(this)),
      Image1(new QLabel(Panel2)),
      lblTitulo1(
          criarRotulo(Panel2, "lblTitulo1", {margemTexto, 12, larguraTexto, 18}, true, false)),
      lblExplicacao1(
          criarRotulo(Panel2, "lblExplicacao1", {margemTexto, 33, larguraTexto, 30}, false, true)),
      lblLinkVolumeWindows(new RotuloLink(Panel2)),
      lblTitulo2(
          criarRotulo(Panel2, "lblTitulo2", {margemTexto, 94, larguraTexto, 18}, true, false)),
      lblExplicacao2(
          criarRotulo(Panel2, "lblExplicacao2", {margemTexto, 115, larguraTexto, 92}, false, true)),
      Panel1(new QWidget(this)),
      btnEscutando(criarBotao(Panel1, "btnEscutando", lugarEsquerdo)),
      btnProsseguir(criarBotao(Panel1, "btnProsseguir", lugarEsquerdo)),
      btnFinalizar(criarBotao(Panel1, "btnFinalizar", lugarEsquerdo)),
      btnNaoEscutando(criarBotao(Panel1, "btnNaoEscutando", lugarDireito)),
      btnCancelar(criarBotao(Panel1, "btnCancelar", lugarDireito)),
      escala(new EscalaTeste(this)),
      mensageiro(mostrarMensagem) {
  setObjectName(QStringLiteral("fmAssistenteConfiguracaoDriver"));
  setFont(fonteJanela(pixelsTexto));
  setFixedSize(tamanhoJanela);
  setModal(true);

  const int alturaPainel = tamanhoJanela.height() - alturaFaixaBotoes;
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setGeometry(0, 0, tamanhoJanela.width(), alturaPainel);
  Panel2->setAutoFillBackground(true);
  QPalette branco = Panel2->palette();
  branco.setColor(QPalette::Window, Qt::white);
  branco.setColor(QPalette::WindowText, Qt::black);
  Panel2->setPalette(branco);

  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, larguraImagem, alturaPainel);
  // The picture is artwork compiled into the program; without it the place stays empty.
  const QPixmap imagem = figuraArte(QStringLiteral(":/assistente/Image1.png"));
  if (!imagem.isNull()) Image1->setPixmap(imagem);

  lblLinkVolumeWindows->setObjectName(QStringLiteral("lblLinkVolumeWindows"));
  QFont fonteLink = fonteJanela(pixelsTexto);
  fonteLink.setUnderline(true);
  lblLinkVolumeWindows->setFont(fonteLink);
  lblLinkVolumeWindows->move(margemTexto, 67);

  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, alturaPainel, tamanhoJanela.width(), alturaFaixaBotoes);
  auto *linha = new QFrame(Panel1);
  linha->setFrameShape(QFrame::HLine);
  linha->setFrameShadow(QFrame::Sunken);
  linha->setGeometry(0, 0, tamanhoJanela.width(), 2);
  btnFinalizar->hide();
  btnEscutando->hide();
  btnNaoEscutando->hide();

  setWindowTitle(GerenciadorIdiomas::instancia().getTexto(QStringLiteral("geral"),
                                                          QStringLiteral("nomeAplicacao")) +
                 QStringLiteral(" - ") + texto("titulo"));
  lblTitulo1->setText(texto("lblTitulo1-A"));
  lblExplicacao1->setText(texto("lblExplicacao1-A"));
  btnEscutando->setText(texto("btnEscutando"));
  btnNaoEscutando->setText(texto("btnNaoEscutando"));
  btnProsseguir->setText(texto("btnProsseguir"));
  btnCancelar->setText(texto("btnCancelar"));
  btnFinalizar->setText(texto("btnFinalizar"));
  lblLinkVolumeWindows->setText(texto("lblLinkVolumeWindows"));
  lblLinkVolumeWindows->adjustSize();
  lblTitulo2->setText(QStringLiteral("Passo 1:"));

  // A library that cannot be loaded leaves the list empty: the wizard then opens on page D.
  try {
    drivers = SaidaMIDI::instancia().listarDispositivos();
  } catch (const std::exception &) {
  }

  connect(btnProsseguir, &QPushButton::clicked, this,
          &TformAssistenteConfiguracaoDriver::btnProsseguirClick);
  connect(btnEscutando, &QPushButton::clicked, this,
          &TformAssistenteConfiguracaoDriver::btnEscutandoClick);
  connect(btnNaoEscutando, &QPushButton::clicked, this,
          &TformAssistenteConfiguracaoDriver::btnNaoEscutandoClick);
  connect(btnCancelar, &QPushButton::clicked, this,
          &TformAssistenteConfiguracaoDriver::btnCancelarClick);
  connect(btnFinalizar, &QPushButton::clicked, this,
          &TformAssistenteConfiguracaoDriver::btnFinalizarClick);
  connect(lblLinkVolumeWindows, &RotuloLink::clicado, this,
          &TformAssistenteConfiguracaoDriver::lblLinkVolumeWindowsClick);
  connect(escala, &EscalaTeste::terminou, this, &TformAssistenteConfiguracaoDriver::testeTerminado);
}

TformAssistenteConfiguracaoDriver::~TformAssistenteConfiguracaoDriver() = default;

QLabel *TformAssistenteConfiguracaoDriver::getLblLinkVolumeWindows() const {
  return lblLinkVolumeWindows;
}

bool TformAssistenteConfiguracaoDriver::isTocandoTeste() const {
  return escala->isTocando();
}

// The language's line breaks are CR LF; a label breaks on the line feed alone.
QString TformAssistenteConfiguracaoDriver::texto(const char *chave) const {
  QString valor = GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
  valor.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return valor;
}

int TformAssistenteConfiguracaoDriver::executar() {
  passo = perguntarTeste;
  if (const QScreen *tela = QGuiApplication::primaryScreen()) {
    QRect area(QPoint(), tamanhoJanela);
    area.moveCenter(tela->availableGeometry().center());
    move(area.topLeft());
  }
  exec();
  return resultado;
}

void TformAssistenteConfiguracaoDriver::showEvent(QShowEvent *evento) {
  QDialog::showEvent(evento);
  // A window coming back from being minimised is not a new run.
  if (evento->spontaneous()) return;
  passo = perguntarTeste;
  indiceDriver = 0;
  resultado = 0;
  mostrarPasso();
}

void TformAssistenteConfiguracaoDriver::keyPressEvent(QKeyEvent *evento) {
  if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) resultado = -1;
  QDialog::keyPressEvent(evento);
}

// FormClose: a scale still sounding is stopped, and the next run starts from the designed
// layout.
void TformAssistenteConfiguracaoDriver::done(int resultadoDialogo) {
  escala->parar();
  btnFinalizar->hide();
  btnCancelar->setEnabled(true);
  btnProsseguir->setEnabled(true);
  QDialog::done(resultadoDialogo);
}

void TformAssistenteConfiguracaoDriver::tornarPadrao(QPushButton *botao) {
  for (QPushButton *b : {btnEscutando, btnProsseguir, btnFinalizar, btnNaoEscutando, btnCancelar})
    b->setDefault(b == botao);
}

void TformAssistenteConfiguracaoDriver::mostrarPasso() {
  if (indiceDriver >= drivers.size()) {
    // D: every device refused, or none at all; resultado stays as it is.
    lblTitulo2->setText(texto("lblTitulo2-D"));
    lblExplicacao2->setText(texto("lblExplicacao2-D"));
    btnFinalizar->show();
    tornarPadrao(btnFinalizar);
    btnCancelar->show();
    btnCancelar->setEnabled(false);
    btnEscutando->hide();
    btnNaoEscutando->hide();
    btnProsseguir->hide();
    return;
  }
  switch (passo) {
    case perguntarTeste:
      lblTitulo2->show();
      lblTitulo2->setText(texto("lblTitulo2-A") + u' ' + QString::number(indiceDriver + 1) + u':');
      lblExplicacao2->setText(texto("lblExplicacao2-A1") + QStringLiteral(" \"") +
                              drivers[indiceDriver] + QStringLiteral("\". \n\n") +
                              texto("lblExplicacao2-A2"));
      btnEscutando->hide();
      btnNaoEscutando->hide();
      btnProsseguir->show();
      tornarPadrao(btnProsseguir);
      btnProsseguir->setFocus();
      btnCancelar->show();
      break;
    case perguntarEscutou:
      lblTitulo2->show();
      lblTitulo2->setText(texto("lblTitulo2-B"));
      lblExplicacao2->setText(texto("lblExplicacao2-B"));
      btnEscutando->show();
      btnNaoEscutando->show();
      btnProsseguir->hide();
      btnCancelar->hide();
      break;
    case cancelado:
      resultado = -1;
      reject();
      break;
    case escutou:
      resultado = indiceDriver;
      lblTitulo2->setText(texto("lblTitulo2-C"));
      lblExplicacao2->setText(texto("lblExplicacao2-C"));
      btnFinalizar->show();
      tornarPadrao(btnFinalizar);
      btnCancelar->show();
      btnCancelar->setEnabled(false);
      btnEscutando->hide();
      btnNaoEscutando->hide();
      btnProsseguir->hide();
      break;
    default:
      break;
  }
}

// Page A: open the device, choose the piano on the scale's channel and play. A device that
// cannot be opened or played just stays silent, and page B asks anyway.
void TformAssistenteConfiguracaoDriver::btnProsseguirClick() {
  try {
    SaidaMIDI &saida = SaidaMIDI::instancia();
    saida.abrirDispositivo(indiceDriver);
    saida.setPrograma(EscalaTeste::canal, 0);
  } catch (const std::exception &) {
  }
  tocarTeste();
}

// The scale plays from a timer; until it ends the page's buttons are disabled, so nothing
// can move the wizard on under it.
void TformAssistenteConfiguracaoDriver::tocarTeste() {
  btnProsseguir->setEnabled(false);
  btnCancelar->setEnabled(false);
  escala->tocar();
}

void TformAssistenteConfiguracaoDriver::testeTerminado() {
  btnProsseguir->setEnabled(true);
  btnCancelar->setEnabled(true);
  passo = perguntarEscutou;
  mostrarPasso();
}

void TformAssistenteConfiguracaoDriver::btnEscutandoClick() {
  passo = escutou;
  mostrarPasso();
}

void TformAssistenteConfiguracaoDriver::btnNaoEscutandoClick() {
  ++indiceDriver;
  passo = perguntarTeste;
  mostrarPasso();
}

void TformAssistenteConfiguracaoDriver::btnCancelarClick() {
  passo = cancelado;
  mostrarPasso();
}

void TformAssistenteConfiguracaoDriver::btnFinalizarClick() {
  accept();
}

void TformAssistenteConfiguracaoDriver::lblLinkVolumeWindowsClick() {
  bool iniciou = false;
  try {
    iniciou = abrirMixerVolume();
  } catch (const std::exception &) {
  }
  if (!iniciou) mensageiro(texto("erroAbrirVolumeWindows"), texto("titulo"));
}
