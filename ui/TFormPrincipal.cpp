// The main window's construction, its frame (picture buttons, drag, minimise, close, setup),
// its language texts and the way keys reach it first.
#include "ui/TFormPrincipal.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QWindow>

#include "TVxMidiOut.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "entrada/KitEletronico.h"
#include "julgamento/SessaoJulgamento.h"
#include "julgamento/TformCalibracao.h"
#include "midi/SaidaMIDI.h"
#include "pistas/LinhaTempoPistas.h"
#include "pistas/TformPistas.h"
#include "playback/AcessoGui.h"
#include "playback/Sequenciador.h"
#include "pratica/PainelPratica.h"
#include "setup/Fontes.h"
#include "setup/TFormSetup.h"
#include "shell/Util.h"
#include "ui/Imagem.h"
#include "ui/PainelInstrumento.h"
#include "widgets/FiguraArte.h"
#include "widgets/TOrvButton3D.h"

TFormPrincipal *FormPrincipal = nullptr;

namespace {

const QString secao = QStringLiteral("frmPrincipal");

const QColor corJanela(72, 113, 192);

// The picture buttons: name, tag of the normal picture, place. The pictures of the skin are
// ":/skin/<name>.png" and "<name>2.png"; Open and Styles take theirs from the language.
struct LugarBotao {
  const char *nome;
  int tag;
  QRect lugar;
  bool doIdioma;
};

constexpr LugarBotao lugaresBotoes[] = {
    {"imgHelp", TFormPrincipal::tagHelp, {572, 6, 24, 24}, false},
    {"imgMin", TFormPrincipal::tagMin, {599, 6, 24, 24}, false},
    {"imgFechar", TFormPrincipal::tagFechar, {626, 6, 24, 24}, false},
    {"imgOpen", TFormPrincipal::tagOpen, {8, 471, 83, 25}, true},
    {"imgSetup", TFormPrincipal::tagSetup, {8, 494, 83, 26}, false},
    {"imgRew", TFormPrincipal::tagRew, {111, 492, 40, 33}, false},
    {"imgPlay", TFormPrincipal::tagPlay, {151, 492, 31, 31}, false},
    {"imgStop", TFormPrincipal::tagStop, {182, 492, 31, 31}, false},
    {"imgPause", TFormPrincipal::tagPause, {213, 492, 30, 31}, false},
    {"imgRepeat", TFormPrincipal::tagRepeat, {243, 492, 30, 31}, false},
    {"imgFF", TFormPrincipal::tagFF, {273, 492, 39, 31}, false},
    {"imgTutorial", TFormPrincipal::tagTutorial, {545, 471, 83, 25}, false},
    {"imgStyles", TFormPrincipal::tagStyles, {545, 494, 82, 25}, true},
};

// The bottom bar's labels: bold 9-pixel white text on no background. A label with a width
// centres its text in it; the others take the width of their text.
struct LugarRotulo {
  const char *nome;
  QPoint lugar;
  int largura;  // 0: as wide as the text
  const char *textoDesenho;
};

constexpr LugarRotulo lugaresRotulos[] = {
    {"lblPlayer", {111, 460}, 0, ""},
    {"lblTempo", {195, 461}, 0, "Beat:"},
    {"lblTime", {234, 461}, 28, "0"},
    {"lblTotal", {263, 461}, 0, "Total:"},
    {"lblTimeTotal", {295, 461}, 30, "0"},
    {"lblVolume", {331, 461}, 0, "Volume"},
    {"lblVelocidade", {389, 472}, 0, "BPM"},
    {"lblBPM", {450, 472}, 22, "0"},
    {"lblPlayAlong", {477, 472}, 0, "Play Along"},
    {"lblTracks", {656, 475}, 0, "Tracks:"},
};

Imagem *criarImagem(QWidget *pai, const char *nome, const QRect &lugar, const QPixmap &pixmap) {
  auto *imagem = new Imagem(pai);
  imagem->setObjectName(QLatin1String(nome));
  imagem->setGeometry(lugar);
  imagem->setPixmap(pixmap);
  return imagem;
}

QPixmap recursoSkin(const QString &nome) {
  return figuraArte(QStringLiteral(":/skin/%1.png").arg(nome));
}

QSlider *criarSlider(QWidget *pai, const char *nome, Qt::Orientation orientacao, const QRect &lugar,
                     int minimo, int maximo, int pagina) {
  auto *slider = new QSlider(orientacao, pai);
  slider->setObjectName(QLatin1String(nome));
  slider->setGeometry(lugar);
  slider->setRange(minimo, maximo);
  slider->setPageStep(pagina);
  slider->setSingleStep(1);
  return slider;
}

}  // namespace

TFormPrincipal::TFormPrincipal(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      pastaPrograma(QCoreApplication::applicationDirPath()),
      abridor(abrirDocumento),
      mensageiro(mostrarMensagem) {
  setObjectName(QStringLiteral("FormPrincipal"));
  setFixedSize(largura, altura);
  setAutoFillBackground(true);
  QPalette cores = palette();
  cores.setColor(QPalette::Window, corJanela);
  setPalette(cores);
  setFont(fonteJanela(pixelsTexto));
  // The question has no caption; Qt would give a window without a title the program's name,
  // so its title is a blank.
  pergunta = [this](const QString &textoPergunta) {
    QMessageBox caixa(QMessageBox::NoIcon, QStringLiteral(" "), textoPergunta,
                      QMessageBox::Yes | QMessageBox::No, this);
    caixa.setDefaultButton(QMessageBox::Yes);
    return caixa.exec() == QMessageBox::Yes;
  };

  // The creation order of the window: the keyboard help hidden and no key held, the
  // pictures and their table, the transport at rest, the drum kit, then the language.
  criarControles();
  mostrarAjudaTeclado(false);
  teclasPressionadas.fill(false);
  tempoAtual = 0;
  estado = EstadoPlayer::SemMusica;
  tkbVol->setMaximum(100);
  for (int tag : {tagStop, tagPause, tagFF, tagRew, tagRepeat, tagPlay}) habilitar(tag, false);
  CmbTracks->setEnabled(false);
  tkbAndamento->setEnabled(false);
  tkbBPM->setEnabled(false);
  ArquivoConfiguracao::instancia().setInstrumento(0, pnInstrumento);
  aplicarIdioma();
  conectar();
  setAcceptDrops(true);

  AcessoGui::instancia().setVisor(this);
  // The native window exists from now on, so that its keys can be seen before any control.
  create();
  if (QWindow *janela = windowHandle()) janela->installEventFilter(this);
}

TFormPrincipal::~TFormPrincipal() {
  if (AcessoGui::instancia().getVisor() == this) AcessoGui::instancia().setVisor(nullptr);
  if (FormPrincipal == this) FormPrincipal = nullptr;
  if (kitEletronico) kitEletronico->aoGolpe = nullptr;
  // The lane view and the session's reports to it go before the model they use.
  sessaoJulgamento->aoSoarTick = nullptr;
  sessaoJulgamento->aoSoarContagem = nullptr;
  sessaoJulgamento->aoCalar = nullptr;
  delete frmPistas;
}

void TFormPrincipal::criarControles() {
  imgCima = criarImagem(this, "imgCima", {0, 0, 793, 78}, recursoSkin("imgCima"));
  imgBaixo = criarImagem(this, "imgBaixo", {0, 432, 793, 96}, recursoSkin("imgBaixo"));
  Shape1 = criarImagem(this, "Shape1", {327, 475, 47, 36}, recursoSkin("imgFundoVolume"));
  // The kit's own constructor puts the panel at its place in the window.
  pnInstrumento = new PainelInstrumento(this);
  imgOrv = criarImagem(this, "imgOrv", {0, 0, 135, 77}, recursoSkin("imgOrv"));
  imgURL = criarImagem(this, "imgURL", {301, 7, 169, 21}, {});
  imgURL->setCursor(Qt::PointingHandCursor);
  lblURL = criarImagem(this, "lblURL", {65, 11, 144, 15}, {});
  lblURL->setCursor(Qt::PointingHandCursor);
  imgKovrintaLogo = criarImagem(this, "imgKovrintaLogo", {657, 0, 137, 75}, {});

  for (const LugarBotao &b : lugaresBotoes) {
    const QString nome = QLatin1String(b.nome);
    criarBotao(b.tag, b.nome, b.lugar, b.doIdioma ? QPixmap() : recursoSkin(nome),
               b.doIdioma ? QPixmap() : recursoSkin(nome + u'2'));
  }

  const QFont fonteBarra = fonteJanela(9, true);
  QPalette branco = palette();
  branco.setColor(QPalette::WindowText, Qt::white);
  for (const LugarRotulo &r : lugaresRotulos) {
    auto *rotulo = new QLabel(QString::fromUtf8(r.textoDesenho), this);
    rotulo->setObjectName(QLatin1String(r.nome));
    rotulo->setFont(fonteBarra);
    rotulo->setPalette(branco);
    rotulo->move(r.lugar);
    if (r.largura > 0) {
      rotulo->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      rotulo->resize(r.largura, rotulo->sizeHint().height());
    } else {
      rotulo->adjustSize();
    }
  }
  lblPlayer = findChild<QLabel *>(QStringLiteral("lblPlayer"));
  lblTempo = findChild<QLabel *>(QStringLiteral("lblTempo"));
  lblTime = findChild<QLabel *>(QStringLiteral("lblTime"));
  lblTotal = findChild<QLabel *>(QStringLiteral("lblTotal"));
  lblTimeTotal = findChild<QLabel *>(QStringLiteral("lblTimeTotal"));
  lblVolume = findChild<QLabel *>(QStringLiteral("lblVolume"));
  lblVelocidade = findChild<QLabel *>(QStringLiteral("lblVelocidade"));
  lblBPM = findChild<QLabel *>(QStringLiteral("lblBPM"));
  lblPlayAlong = findChild<QLabel *>(QStringLiteral("lblPlayAlong"));
  lblTracks = findChild<QLabel *>(QStringLiteral("lblTracks"));

  tkbAndamento = criarSlider(this, "tkbAndamento", Qt::Horizontal, {109, 475, 205, 18}, 0, 100, 75);
  // Position 0 at the top, as the volume is the maximum less the position: the top of the
  // slider is the loudest, and the Up key moves the handle up.
  tkbVol = criarSlider(this, "tkbVol", Qt::Vertical, {339, 476, 20, 48}, 0, 100, 5);
  tkbVol->setInvertedAppearance(true);
  tkbVol->setInvertedControls(true);
  tkbBPM = criarSlider(this, "tkbBPM", Qt::Horizontal, {387, 492, 79, 20}, 40, 240, 5);
  tkbBPM->setValue(40);

  ckKaraoke = new QCheckBox(this);
  ckKaraoke->setObjectName(QStringLiteral("ckKaraoke"));
  ckKaraoke->setGeometry(496, 492, 14, 16);
  CmbTracks = new QComboBox(this);
  CmbTracks->setObjectName(QStringLiteral("CmbTracks"));
  CmbTracks->setGeometry(655, 493, 120, 19);

  TimerPlayer = new QTimer(this);
  TimerPlayer->setObjectName(QStringLiteral("TimerPlayer"));
  TimerPlayer->setInterval(100);

  // Above the kit and the bottom strip, which the key scheme overlaps.
  criarAjudaTeclado();
  criarDialogos();
  criarPratica();
  criarJulgamento();
  criarPistas();
}

void TFormPrincipal::criarBotao(int tag, const char *nome, const QRect &lugar,
                                const QPixmap &normal, const QPixmap &pressionada) {
  const QByteArray nomePressionada = QByteArray(nome) + '2';
  Imagem *solta = criarImagem(this, nome, lugar, normal);
  Imagem *presa = criarImagem(this, nomePressionada.constData(), lugar, pressionada);
  solta->setTag(tag);
  presa->setTag(tag + 1);
  presa->hide();
  imagensBotoes[static_cast<std::size_t>(tag)] = solta;
  imagensBotoes[static_cast<std::size_t>(tag + 1)] = presa;
  connect(solta, &Imagem::mouseDown, this, [this, solta] { imgMouseDown(solta); });
  // The fast-forward and rewind gestures swap back themselves, after ending the gesture.
  if (tag != tagFF && tag != tagRew)
    connect(presa, &Imagem::mouseUp, this, [this, presa] { imgMouseUp(presa); });
}

void TFormPrincipal::aplicarIdioma() {
  GerenciadorIdiomas &idioma = GerenciadorIdiomas::instancia();
  for (int tag = 0; tag < numImagensBotoes; tag += 2) {
    Imagem *imagem = imagensBotoes[static_cast<std::size_t>(tag)];
    imagem->setToolTip(idioma.getTexto(secao, imagem->objectName().mid(3)));
  }
  for (QLabel *rotulo : {lblTempo, lblVolume, lblVelocidade}) {
    rotulo->setText(idioma.getTexto(secao, rotulo->objectName()));
    rotulo->adjustSize();
  }
  for (QWidget *controle :
       std::initializer_list<QWidget *>{tkbAndamento, tkbVol, tkbBPM, lblURL, CmbTracks})
    controle->setToolTip(idioma.getTexto(secao, controle->objectName()));
  // A picture the language lacks leaves its control empty.
  for (Imagem *imagem :
       {imgURL, imgKovrintaLogo, imagensBotoes[tagOpen], imagensBotoes[tagOpen + 1],
        imagensBotoes[tagStyles], imagensBotoes[tagStyles + 1]})
    imagem->setPixmap(idioma.getFigura(secao, imagem->objectName()));
  setWindowTitle(idioma.getTexto(QStringLiteral("geral"), QStringLiteral("tituloGeral")));
  aplicarIdiomaPratica();
  aplicarIdiomaJulgamento();
  frmPistas->aplicarIdioma();
}

void TFormPrincipal::conectar() {
  connect(imgCima, &Imagem::mouseDown, this, &TFormPrincipal::imgCimaMouseDown);
  // A click ends on the pressed twin, which holds the mouse while the button is down.
  const auto aoClicar = [this](int tag, void (TFormPrincipal::*acao)()) {
    connect(imagensBotoes[static_cast<std::size_t>(tag + 1)], &Imagem::click, this, acao);
  };
  aoClicar(tagMin, &TFormPrincipal::imgMinClick);
  aoClicar(tagFechar, &TFormPrincipal::imgFecharClick);
  aoClicar(tagSetup, &TFormPrincipal::imgSetupClick);
  aoClicar(tagPlay, &TFormPrincipal::imgPlayClick);
  aoClicar(tagPause, &TFormPrincipal::imgPauseClick);
  aoClicar(tagStop, &TFormPrincipal::imgStopClick);
  aoClicar(tagRepeat, &TFormPrincipal::imgRepeatClick);
  aoClicar(tagOpen, &TFormPrincipal::imgOpenClick);
  aoClicar(tagStyles, &TFormPrincipal::imgStylesClick);
  aoClicar(tagTutorial, &TFormPrincipal::imgTutorialClick);
  aoClicar(tagHelp, &TFormPrincipal::imgHelpClick);
  connect(imgURL, &Imagem::click, this, &TFormPrincipal::imgURLClick);
  connect(lblURL, &Imagem::click, this, &TFormPrincipal::lblURLClick);
  connect(imgTecladoPequeno, &Imagem::click, this, &TFormPrincipal::imgTecladoPequenoClick);
  connect(btnFecharAjudaAtalhos, &TOrvButton3D::click, this,
          &TFormPrincipal::btnFecharAjudaAtalhosClick);
  // Only the user's pick: the items the program selects while a song opens do not count.
  connect(CmbTracks, &QComboBox::activated, this, &TFormPrincipal::CmbTracksChange);
  connect(imagensBotoes[tagRew], &Imagem::mouseDown, this, &TFormPrincipal::imgRewMouseDown);
  connect(imagensBotoes[tagFF], &Imagem::mouseDown, this, &TFormPrincipal::imgFFMouseDown);
  for (Imagem *pressionada : {imagensBotoes[tagRew + 1], imagensBotoes[tagFF + 1]})
    connect(pressionada, &Imagem::mouseUp, this,
            [this, pressionada] { imgFFRewMouseUp(pressionada); });
  connect(TimerPlayer, &QTimer::timeout, this, &TFormPrincipal::TimerPlayerTimer);
  connect(tkbAndamento, &QSlider::valueChanged, this, &TFormPrincipal::tkbAndamentoChange);
  connect(tkbBPM, &QSlider::valueChanged, this, &TFormPrincipal::tkbBPMChange);
  connect(tkbVol, &QSlider::valueChanged, this, &TFormPrincipal::tkbVolChange);
  // A change made by the program acts as a click does.
  connect(ckKaraoke, &QCheckBox::toggled, this, &TFormPrincipal::ckKaraokeClick);
}

// The pressed twin takes the mouse grab from the normal picture as it is hidden, so that the
// release reaches the button wherever the pointer is by then.
void TFormPrincipal::imgMouseDown(Imagem *normal) {
  Imagem *pressionada = imagensBotoes[static_cast<std::size_t>(normal->getTag() + 1)];
  pressionada->show();
  normal->hide();
  pressionada->grabMouse();
}

void TFormPrincipal::imgMouseUp(Imagem *pressionada) {
  Imagem *normal = imagensBotoes[static_cast<std::size_t>(pressionada->getTag() - 1)];
  pressionada->releaseMouse();
  normal->show();
  pressionada->hide();
}

void TFormPrincipal::imgCimaMouseDown(Qt::MouseButton botao) {
  if (botao != Qt::LeftButton) return;
  // The window system moves the window as it would by a title bar (X11 and Wayland).
  if (QWindow *janela = windowHandle()) janela->startSystemMove();
}

void TFormPrincipal::imgMinClick() {
  showMinimized();
}

void TFormPrincipal::imgFecharClick() {
  close();
}

void TFormPrincipal::imgSetupClick() {
  if (FormSetup) FormSetup->exec();
}

bool TFormPrincipal::eventFilter(QObject *objeto, QEvent *evento) {
  // The tap test's window is modal: the strikes on its keys play and count as well.
  const bool tapTeste = frmCalibracao && objeto == frmCalibracao->windowHandle();
  if (objeto == windowHandle() || tapTeste) {
    if (evento->type() == QEvent::KeyPress) return FormKeyDown(static_cast<QKeyEvent *>(evento));
    if (evento->type() == QEvent::KeyRelease) return FormKeyUp(static_cast<QKeyEvent *>(evento));
  }
  return QWidget::eventFilter(objeto, evento);
}

void TFormPrincipal::showEvent(QShowEvent *evento) {
  QWidget::showEvent(evento);
  if (jaExibida || evento->spontaneous()) return;
  jaExibida = true;
  if (const QScreen *tela = screen()) move(tela->availableGeometry().center() - rect().center());
  // Once the window stands, so that the wizard or a message sits over it.
  QTimer::singleShot(0, this, [this] {
    prepararSaida();
    abrirEntradaGuardada();
    if (!arquivoInicial.isEmpty()) abrirMusica(arquivoInicial);
    if (pistasAoMostrar) abrirPistas();
  });
}

void TFormPrincipal::closeEvent(QCloseEvent *evento) {
  if (!pergunta(texto("closeQuery"))) {
    evento->ignore();
    return;
  }
  TimerPlayer->stop();
  guardarPistas();
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  if (!configuracao.salvar())
    avisar(texto("erroSalvarConfiguracao")
               .arg(QDir::toNativeSeparators(configuracao.getCaminhoArquivo())));
  protegido([] {
    Sequenciador::instancia().parar();
    SaidaMIDI &saida = SaidaMIDI::instancia();
    saida.fecharArquivo();
    // Closing resets the device, so nothing is left sounding when the program ends.
    if (saida.getSaida().IsOpen()) saida.getSaida().Close();
  });
  evento->accept();
}

QString TFormPrincipal::texto(const char *chave) const {
  QString valor = GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
  valor.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return valor;
}

void TFormPrincipal::mostrarStatus(EstadoPlayer estadoMostrado) {
  const char *chave = chaveEstado(estadoMostrado);
  lblPlayer->setText(chave ? texto(chave) : QString());
  lblPlayer->adjustSize();
  atualizarFaixaLoop();
  // A count-in that a pause or a stop ended leaves the stage.
  if (estadoMostrado != EstadoPlayer::Tocando) pnPratica->mostrarContagem(0);
}

void TFormPrincipal::mostrarTempoAtual() {
  lblTime->setText(QString::number(tempoAtual));
}

void TFormPrincipal::habilitar(int tag, bool habilitado) {
  imagensBotoes[static_cast<std::size_t>(tag)]->setEnabled(habilitado);
}

void TFormPrincipal::avisarFalhaMidi(const QString &detalhe, const char *chave) {
  const QString mensagem = texto(chave);
  avisar(detalhe.isEmpty() ? mensagem : mensagem + QStringLiteral("\n\n") + detalhe);
}

void TFormPrincipal::protegido(const std::function<void()> &acao) {
  try {
    acao();
  } catch (const std::exception &e) {
    avisarFalhaMidi(QString::fromUtf8(e.what()));
  }
}
