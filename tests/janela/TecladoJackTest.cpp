// The keyboard play-along over the real library, with a JACK MIDI input of the test as the
// window's device: what a held key, the hi-hat keys and the Ctrl pedal send, as the port
// receives it. One private JACK server serves the suite.
#include <gtest/gtest.h>

#include <QTest>
#include <QWindow>
#include <memory>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "JanelasTeste.h"
#include "TVxMidi.h"
#include "TVxMidiOut.h"
#include "midi/SaidaMIDI.h"
#include "setup/TFormSetup.h"
#include "ui/PainelInstrumento.h"
#include "ui/TFormPrincipal.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<uint8_t>;

const QString nomePorta = QStringLiteral("JACK captura:in");

class TecladoJack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    servidor = new JackServer();
    if (!servidor->running()) return;
    captura = new JackTestClient("captura", true, false);
    TVxMidi::setLibraryFile(VXMIDI_REAL_LIBRARY);
    // No device until the window opens the port.
    SaidaMIDI::setDispositivoInicial(-1);
  }
  static void TearDownTestSuite() {
    delete captura;
    captura = nullptr;
    delete servidor;
    servidor = nullptr;
  }

  void SetUp() override {
    KOVRINTA_REQUIRE_JACK(*servidor);
    ASSERT_TRUE(captura && captura->ready());
    ambiente = std::make_unique<AmbienteJanelas>();
    ASSERT_TRUE(ambiente->carregou);
    const int porta =
        static_cast<int>(SaidaMIDI::instancia().listarDispositivos().indexOf(nomePorta));
    ASSERT_GE(porta, 0) << "the port is not among the devices";
    ArquivoConfiguracao::instancia().setDriver(porta);
    setup = std::make_unique<TFormSetup>();
    FormSetup = setup.get();
    janela = std::make_unique<TFormPrincipal>();
    janela->setMensageiro([this](const QString &texto, const QString &) { mensagens << texto; });
    janela->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(janela.get()));
    // The first show opens the stored device from the event loop.
    ASSERT_TRUE(waitFor([&] {
      TVxMidiOut &saida = SaidaMIDI::instancia().getSaida();
      return saida.IsOpen() && saida.DeviceId() == porta;
    }));
    janela->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
    ateSonda();
  }
  void TearDown() override {
    janela.reset();
    FormSetup = nullptr;
    setup.reset();
    if (SaidaMIDI::instancia().getSaida().IsOpen()) SaidaMIDI::instancia().getSaida().Close();
    ambiente.reset();
    EXPECT_TRUE(mensagens.isEmpty()) << mensagens.join(" / ").toStdString();
  }

  // Sends a probe on the device and waits until it arrives: whatever was sent before has
  // then arrived too, whatever the port's latency. Answers what arrived since the last
  // probe, without it.
  std::vector<Bytes> ateSonda() {
    const Bytes sonda{0x9F, 0, 0};
    SaidaMIDI::instancia().enviarNoteOff(15, 0);
    std::vector<Bytes> recebidas;
    EXPECT_TRUE(waitFor(
        [&] {
          recebidas = captura->received();
          return recebidas.size() > vistas && recebidas.back() == sonda;
        },
        10s))
        << "the probe never reached the capture";
    std::vector<Bytes> novas(recebidas.begin() + static_cast<std::ptrdiff_t>(vistas),
                             recebidas.end() - 1);
    vistas = recebidas.size();
    return novas;
  }

  void tecla(bool pressionada, Qt::Key codigo, Qt::KeyboardModifiers modificadores = {},
             bool repeticao = false) {
    const char letra = QTest::keyToAscii(codigo);
    QTest::simulateEvent(janela->windowHandle(), pressionada, codigo, modificadores,
                         letra ? QString(QChar(letra)) : QString(), repeticao);
  }

  bool figuraVisivel(const char *nome) const {
    const PainelInstrumento &painel = *janela->getPainelInstrumento();
    const int indice = painel.indiceFigura(QLatin1String(nome));
    return indice >= 0 && painel.isFiguraVisivel(indice);
  }

  static JackServer *servidor;
  static JackTestClient *captura;
  std::unique_ptr<AmbienteJanelas> ambiente;
  std::unique_ptr<TFormSetup> setup;
  std::unique_ptr<TFormPrincipal> janela;
  QStringList mensagens;
  std::size_t vistas = 0;
};

JackServer *TecladoJack::servidor = nullptr;
JackTestClient *TecladoJack::captura = nullptr;

}  // namespace

// X11 repeats a held key as key-up and key-down pairs, both marked as repeated, about 25
// times a second.
TEST_F(TecladoJack, HoldingAKeySendsOneSnareNoteToThePortAndShowsTheStickUntilItsRelease) {
  tecla(true, Qt::Key_A);
  for (int i = 0; i < 12; ++i) {
    QTest::qWait(10);
    tecla(false, Qt::Key_A, {}, true);
    EXPECT_TRUE(figuraVisivel("imgBaqCaixa")) << "repeat " << i;
    tecla(true, Qt::Key_A, {}, true);
  }
  EXPECT_EQ(ateSonda(), (std::vector<Bytes>{{0x99, 0x26, 0x7F}}));
  EXPECT_TRUE(figuraVisivel("imgBaqCaixa"));
  EXPECT_TRUE(figuraVisivel("imgCaixa"));

  tecla(false, Qt::Key_A);
  EXPECT_TRUE(ateSonda().empty()) << "no note-off";
  EXPECT_FALSE(figuraVisivel("imgBaqCaixa"));
  EXPECT_FALSE(figuraVisivel("imgCaixa"));
}

TEST_F(TecladoJack, XStrikesTheOpenHiHatAloneAndTheClosedOneAfterThePedalWhileCtrlIsHeld) {
  QTest::keyClick(janela->windowHandle(), Qt::Key_X);
  EXPECT_EQ(ateSonda(), (std::vector<Bytes>{{0x99, 46, 0x7F}}));

  // Ctrl goes down (the pedal), repeats while held, X is struck twice, then Ctrl comes up.
  QTest::keyPress(janela->windowHandle(), Qt::Key_Control);
  for (int i = 0; i < 4; ++i) tecla(true, Qt::Key_Control, Qt::ControlModifier, true);
  for (int i = 0; i < 2; ++i) {
    tecla(true, Qt::Key_X, Qt::ControlModifier);
    tecla(false, Qt::Key_X, Qt::ControlModifier);
  }
  EXPECT_TRUE(figuraVisivel("imgPeChimbal")) << "the pedal pressed while Ctrl is held";
  tecla(false, Qt::Key_Control, Qt::ControlModifier);
  EXPECT_FALSE(figuraVisivel("imgPeChimbal"));
  EXPECT_EQ(ateSonda(), (std::vector<Bytes>{{0x99, 44, 0x7F}, {0x99, 42, 0x7F}, {0x99, 42, 0x7F}}));
}
