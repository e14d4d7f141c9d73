// The main window's frame: the picture buttons and their pressed twins, the window buttons,
// the keys that reach the window first, the language's texts and pictures, the output
// device on first show, opening a file given at start-up, and the close confirmation.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>

#include "JanelaTeste.h"
#include "OperadorDialogo.h"
#include "TVxMidiOut.h"
#include "VxMidi.h"
#include "config/ArquivoConfiguracao.h"
#include "midi/SaidaMIDI.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"
#include "song/GerenciadorMusica.h"
#include "ui/Bateria.h"
#include "ui/PainelInstrumento.h"

using namespace kovrinta::test;
using Estado = EstadoPlayer;

namespace {

using Moldura = JanelaPrincipal;

constexpr int todosBotoes[] = {
    TFormPrincipal::tagHelp,  TFormPrincipal::tagMin,   TFormPrincipal::tagFechar,
    TFormPrincipal::tagOpen,  TFormPrincipal::tagSetup, TFormPrincipal::tagPlay,
    TFormPrincipal::tagStop,  TFormPrincipal::tagPause, TFormPrincipal::tagRepeat,
    TFormPrincipal::tagRew,   TFormPrincipal::tagFF,    TFormPrincipal::tagTutorial,
    TFormPrincipal::tagStyles};

TEST_F(Moldura, TheWindowIsABorderlessSkinnedFrameOfTheDesignedSize) {
  mostrarJanela();
  EXPECT_EQ(janela->size(), QSize(793, 527));
  EXPECT_TRUE(janela->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(janela->palette().color(QPalette::Window), QColor(72, 113, 192));
  EXPECT_EQ(janela->windowTitle(), "Kovrinta");
  // Every picture pair is in place: the normal picture shown, its twin hidden, both with a
  // bitmap of the place's size.
  for (int tag : todosBotoes) {
    Imagem *normal = imagem(tag);
    Imagem *pressionada = imagem(tag + 1);
    SCOPED_TRACE(normal->objectName().toStdString());
    EXPECT_EQ(normal->getTag(), tag);
    EXPECT_EQ(pressionada->getTag(), tag + 1);
    EXPECT_EQ(pressionada->objectName(), normal->objectName() + "2");
    EXPECT_EQ(pressionada->geometry(), normal->geometry());
    EXPECT_TRUE(normal->isVisible());
    EXPECT_FALSE(pressionada->isVisible());
    EXPECT_EQ(normal->getPixmap().size(), normal->size());
    EXPECT_EQ(pressionada->getPixmap().size(), normal->size());
    EXPECT_NE(normal->getPixmap().toImage(), pressionada->getPixmap().toImage());
  }
  EXPECT_EQ(janela->getPainelInstrumento()->geometry(), QRect(70, 39, 626, 414));
  EXPECT_EQ(ArquivoConfiguracao::instancia().getInstrumento()->getPainel(),
            janela->getPainelInstrumento());
}

TEST_F(Moldura, APressedButtonShowsItsPressedPictureUntilTheMouseIsReleased) {
  mostrarJanela();
  // Paused with a song, every transport picture is usable.
  janela->abrirMusica(musica(seminimas(8)));
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  ASSERT_EQ(habilitadas(), "Rew Play Stop Pause Repeat FF");
  const QPoint fora(400, 300);  // over the kit: a release there is no click
  for (int tag : todosBotoes) {
    SCOPED_TRACE(imagem(tag)->objectName().toStdString());
    const Estado antes = janela->getEstado();
    pressionar(tag);
    EXPECT_TRUE(imagem(tag + 1)->isVisible());
    EXPECT_FALSE(imagem(tag)->isVisible());
    QTest::mouseMove(janela->windowHandle(), fora);
    EXPECT_TRUE(imagem(tag + 1)->isVisible()) << "held while the pointer leaves";
    QTest::mouseRelease(janela->windowHandle(), Qt::LeftButton, {}, fora);
    EXPECT_FALSE(imagem(tag + 1)->isVisible());
    EXPECT_TRUE(imagem(tag)->isVisible());
    // Released away from it, a button does nothing; the gestures end where they began.
    EXPECT_EQ(janela->getEstado(), antes);
    EXPECT_TRUE(janela->isVisible());
  }
  EXPECT_TRUE(perguntas.isEmpty());
}

TEST_F(Moldura, ADisabledTransportPictureNeitherSwapsNorActs) {
  mostrarJanela();
  EXPECT_EQ(habilitadas(), "");
  for (int tag : {TFormPrincipal::tagPlay, TFormPrincipal::tagStop, TFormPrincipal::tagPause,
                  TFormPrincipal::tagRepeat, TFormPrincipal::tagRew, TFormPrincipal::tagFF}) {
    SCOPED_TRACE(imagem(tag)->objectName().toStdString());
    pressionar(tag);
    EXPECT_FALSE(imagem(tag + 1)->isVisible());
    EXPECT_TRUE(imagem(tag)->isVisible());
    soltar(tag);
    EXPECT_FALSE(janela->getTimerPlayer()->isActive());
  }
  EXPECT_EQ(janela->getEstado(), Estado::SemMusica);
  EXPECT_EQ(status(), "");
  // The rest of the window is usable without a song.
  for (int tag : {TFormPrincipal::tagHelp, TFormPrincipal::tagMin, TFormPrincipal::tagFechar,
                  TFormPrincipal::tagOpen, TFormPrincipal::tagSetup, TFormPrincipal::tagTutorial,
                  TFormPrincipal::tagStyles})
    EXPECT_TRUE(imagem(tag)->isEnabled()) << imagem(tag)->objectName().toStdString();
  EXPECT_TRUE(controle<QSlider>("tkbVol")->isEnabled());
  EXPECT_TRUE(controle<QCheckBox>("ckKaraoke")->isEnabled());
  EXPECT_FALSE(controle<QComboBox>("CmbTracks")->isEnabled());
  EXPECT_FALSE(posicao()->isEnabled());
  EXPECT_FALSE(controle<QSlider>("tkbBPM")->isEnabled());
}

TEST_F(Moldura, CloseAnsweredNoLeavesTheWindowOpenAndPlaying) {
  mostrarJanela();
  janela->abrirMusica(musica(seminimas(8)));
  resposta = false;
  ASSERT_TRUE(clicar(TFormPrincipal::tagFechar));
  ASSERT_EQ(perguntas.size(), 1);
  EXPECT_EQ(perguntas[0], "Do you want to quit Kovrinta?");
  EXPECT_TRUE(janela->isVisible());
  EXPECT_TRUE(tocando());
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_FALSE(QFile::exists(ArquivoConfiguracao::instancia().getCaminhoArquivo()));
}

// A save that fails (a full disk) says so and where, and the program still closes.
TEST_F(Moldura, CloseWhenTheSettingsCannotBeSavedSaysWhereAndStillCloses) {
  mostrarJanela();
  ArquivoConfiguracao::instancia().setAntesDeSubstituirParaTestes([] { return false; });
  resposta = true;
  ASSERT_TRUE(clicar(TFormPrincipal::tagFechar));
  ArquivoConfiguracao::instancia().setAntesDeSubstituirParaTestes(nullptr);
  EXPECT_FALSE(janela->isVisible());
  ASSERT_EQ(mensagens.size(), 1);
  EXPECT_TRUE(mensagens[0].startsWith(
      "Kovrinta could not save your settings in " +
      QDir::toNativeSeparators(ArquivoConfiguracao::instancia().getCaminhoArquivo())))
      << mensagens[0].toStdString();
  EXPECT_FALSE(QFile::exists(ArquivoConfiguracao::instancia().getCaminhoArquivo()));
}

TEST_F(Moldura, CloseAnsweredYesSavesTheConfigurationAndStopsAndClosesTheOutput) {
  mostrarJanela();
  const QString arquivoMusica = musica(seminimas(8));
  janela->abrirMusica(arquivoMusica);
  ArquivoConfiguracao::instancia().setDriver(2);
  fake->reset();
  resposta = true;
  ASSERT_TRUE(clicar(TFormPrincipal::tagFechar));
  EXPECT_FALSE(janela->isVisible());
  EXPECT_FALSE(tocando());
  EXPECT_EQ(posicaoSequenciador(), 0);
  EXPECT_FALSE(SaidaMIDI::instancia().isArquivoAberto());
  EXPECT_FALSE(SaidaMIDI::instancia().getSaida().IsOpen());
  EXPECT_NE(calls().find("CloseMidiOut"), std::string::npos);
  QFile arquivo(ArquivoConfiguracao::instancia().getCaminhoArquivo());
  ASSERT_TRUE(arquivo.open(QIODevice::ReadOnly));
  // The song opened is remembered after the settings.
  const QString texto = QString::fromUtf8(arquivo.readAll());
  EXPECT_TRUE(texto.startsWith("[geral]\r\ndriver=2\r\nvolume=127\r\nidioma=English\r\n"));
  EXPECT_TRUE(texto.contains("[musica1]\r\narquivo=" + QFileInfo(arquivoMusica).absoluteFilePath() +
                             "\r\n"))
      << texto.toStdString();
}

TEST_F(Moldura, SetupOpensTheSetupDialogModallyAndMinimiseMinimises) {
  mostrarJanela();
  bool modal = false;
  OperadorDialogo operador(*setup, [&] {
    modal = setup->isModal() && QApplication::activeModalWidget() == setup.get();
    setup->reject();
  });
  ASSERT_TRUE(clicar(TFormPrincipal::tagSetup));
  EXPECT_TRUE(operador.agiu());
  EXPECT_FALSE(operador.estourou());
  EXPECT_TRUE(modal);
  EXPECT_FALSE(setup->isVisible());

  ASSERT_TRUE(clicar(TFormPrincipal::tagMin));
  EXPECT_TRUE(janela->isMinimized());
}

// A window that records the keys it sees and consumes those it is told to.
class JanelaTeclas : public TFormPrincipal {
 public:
  std::vector<int> vistas;
  std::vector<int> soltas;
  bool consumir = false;

 protected:
  bool FormKeyDown(QKeyEvent *evento) override {
    vistas.push_back(evento->key());
    return consumir;
  }
  bool FormKeyUp(QKeyEvent *evento) override {
    soltas.push_back(evento->key());
    return consumir;
  }
};

TEST_F(Moldura, KeysReachTheWindowBeforeTheFocusedControl) {
  JanelaTeclas teclas;
  teclas.show();
  teclas.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&teclas));
  auto *volume = teclas.findChild<QSlider *>("tkbVol");
  volume->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), volume);
  const int antes = volume->value();

  teclas.consumir = true;
  QTest::keyClick(teclas.windowHandle(), Qt::Key_Down);
  EXPECT_EQ(teclas.vistas, std::vector<int>{Qt::Key_Down});
  EXPECT_EQ(teclas.soltas, std::vector<int>{Qt::Key_Down});
  EXPECT_EQ(volume->value(), antes) << "a consumed key does not reach the slider";

  teclas.consumir = false;
  QTest::keyClick(teclas.windowHandle(), Qt::Key_Down);
  EXPECT_EQ(teclas.vistas.size(), 2u);
  EXPECT_EQ(volume->value(), antes + 1) << "a key the window leaves goes on to the slider";
}

TEST_F(Moldura, TheLanguageGivesTheHintsCaptionsAndPictures) {
  mostrarJanela();
  EXPECT_EQ(imagem(TFormPrincipal::tagPlay)->toolTip(), textoIdioma("Play"));
  EXPECT_EQ(imagem(TFormPrincipal::tagFF)->toolTip(), "Fast-forward (hold)");
  EXPECT_EQ(imagem(TFormPrincipal::tagFechar)->toolTip(), "Close");
  EXPECT_TRUE(imagem(TFormPrincipal::tagPlay + 1)->toolTip().isEmpty());
  EXPECT_EQ(controle<QLabel>("lblTempo")->text(), "Beat:");
  EXPECT_EQ(controle<QLabel>("lblVelocidade")->text(), "Tempo:");
  EXPECT_EQ(controle<QLabel>("lblTotal")->text(), "Total:");
  EXPECT_EQ(controle<QLabel>("lblPlayAlong")->text(), "Play Along");
  EXPECT_EQ(controle<QSlider>("tkbVol")->toolTip(), "Master volume");
  // The language's pictures, at their places' sizes.
  for (const char *nome :
       {"imgURL", "imgKovrintaLogo", "imgOpen", "imgOpen2", "imgStyles", "imgStyles2"}) {
    Imagem *figura = controle<Imagem>(nome);
    EXPECT_EQ(figura->getPixmap().size(), figura->size()) << nome;
  }
}

TEST_F(Moldura, TheWindowInPortugueseTakesItsWordsFromThatLanguage) {
  ambiente.reset();
  ambiente = std::make_unique<AmbienteJanelas>(QString::fromUtf8("Português (Brasil)"));
  ASSERT_TRUE(ambiente->carregou);
  mostrarJanela();
  janela->abrirMusica(musica(seminimas(8)));
  EXPECT_EQ(status(), "Tocando");
  EXPECT_EQ(controle<QLabel>("lblVelocidade")->text(),
            GerenciadorIdiomas::instancia().getTexto("frmPrincipal", "lblVelocidade"));
  EXPECT_EQ(imagem(TFormPrincipal::tagStop)->toolTip(), "Parar");
}

TEST_F(Moldura, FirstShowOpensTheStoredDeviceAndAppliesTheVolume) {
  ArquivoConfiguracao::instancia().setDriver(1);
  ArquivoConfiguracao::instancia().setVolume(50);
  fake->reset();
  mostrarJanela();  // resets the record once the show is done
  EXPECT_TRUE(mensagens.isEmpty());
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 1);
  EXPECT_TRUE(SaidaMIDI::instancia().getSaida().IsOpen());
  EXPECT_EQ(SaidaMIDI::instancia().getVolumeGeral(), 50);
  EXPECT_EQ(controle<QSlider>("tkbVol")->value(), 50);
}

TEST_F(Moldura, ADeviceThatDoesNotOpenIsReportedWithTheLibrarysReason) {
  ArquivoConfiguracao::instancia().setDriver(2);
  ArquivoConfiguracao::instancia().setVolume(30);
  fake->setOpenResult(VX_OPEN_NO_AUDIO);
  mostrarJanela();
  ASSERT_EQ(mensagens.size(), 1);
  EXPECT_EQ(mensagens[0].toStdString(),
            "The output device “Fake output 2” could not be opened, so Kovrinta plays no sound. "
            "Choose another device in the Setup window. The MIDI library says:\n\n" +
                std::string(VxOpenFailureText(VX_OPEN_NO_AUDIO)));
  EXPECT_EQ(titulos[0], "Kovrinta");
  // The stored volume is applied all the same (the slider stands at it), and the window
  // stays usable.
  EXPECT_EQ(SaidaMIDI::instancia().getVolumeGeral(), 30);
  EXPECT_EQ(controle<QSlider>("tkbVol")->value(), 70);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 2);
  fake->setOpenResult(100);
  janela->abrirMusica(musica(seminimas(4)));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
}

TEST_F(Moldura, WithNoDeviceStoredTheWizardChoosesAndItsChoiceIsStored) {
  TformAssistenteConfiguracaoDriver assistente;
  formAssistenteConfiguracaoDriver = &assistente;
  ArquivoConfiguracao::instancia().setDriver(-1);
  // The wizard cancelled: device 0.
  OperadorDialogo cancelar(assistente, [&] { assistente.getBtnCancelar()->click(); });
  mostrarJanela();
  EXPECT_TRUE(cancelar.agiu());
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 0);
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 0);
  EXPECT_TRUE(SaidaMIDI::instancia().getSaida().IsOpen());
  formAssistenteConfiguracaoDriver = nullptr;
}

TEST_F(Moldura, AFileGivenAtStartUpPlaysOnceTheWindowIsShown) {
  janela = std::make_unique<TFormPrincipal>();
  janela->setMensageiro([this](const QString &texto, const QString &) { mensagens << texto; });
  janela->abrirAoMostrar(musica(grooveDeUmCompasso()));
  janela->show();
  ASSERT_TRUE(waitFor([&] { return janela->getEstado() == Estado::Tocando; }));
  EXPECT_TRUE(mensagens.isEmpty());
  EXPECT_TRUE(tocando());
  EXPECT_EQ(status(), "Playing");
  // The kit follows the song's drum track.
  ticks(1);
  auto *kit = dynamic_cast<Bateria *>(ArquivoConfiguracao::instancia().getInstrumento());
  ASSERT_NE(kit, nullptr);
  EXPECT_TRUE(kit->getMapa().isVisivel(FiguraBateria::imgBaqChimbal));
}

TEST_F(Moldura, AFileThatCannotBeReadIsReportedAndTheWindowStaysUsable) {
  janela = std::make_unique<TFormPrincipal>();
  janela->setMensageiro([this](const QString &texto, const QString &) { mensagens << texto; });
  const QString ausente = QDir(pasta.path()).filePath("missing.mid");
  janela->abrirAoMostrar(ausente);
  janela->show();
  ASSERT_TRUE(waitFor([&] { return !mensagens.isEmpty(); }));
  ASSERT_EQ(mensagens.size(), 1);
  // The message names the file, and the import's reason follows.
  EXPECT_TRUE(
      mensagens[0].startsWith(textoIdioma("erroLerArquivoMidi").replace("%1", ausente) + "\n\n"))
      << mensagens[0].toStdString();
  EXPECT_EQ(janela->getEstado(), Estado::SemMusica);
  EXPECT_FALSE(tocando());
  EXPECT_TRUE(imagem(TFormPrincipal::tagOpen)->isEnabled());
  janela->abrirMusica(musica(seminimas(4)));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
}

}  // namespace
