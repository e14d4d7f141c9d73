// The drummer's kit as the program sees it, over the real library and a private JACK server: a
// test client's MIDI output is the drum module, another's input the sound module that the
// hits play on. What lights on the kit and what reaches the sound module follow the map, the
// pedal and the threshold.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "QtWait.h"
#include "TVxMidi.h"
#include "config/ArquivoConfiguracao.h"
#include "entrada/KitEletronico.h"
#include "midi/SaidaMIDI.h"
#include "ui/Instrumento.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<uint8_t>;

// The kit picture as a list of the notes it was told to light.
class KitAcendido : public Instrumento {
 public:
  void acender(int nota) override { acesas.push_back(nota); }
  std::vector<int> acesas;
};

class KitEletronicoJack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    servidor = new JackServer();
    if (!servidor->running()) return;
    modulo = new JackTestClient("modulo-bateria", false, true);
    somModulo = new JackTestClient("modulo-som", true, false);
    TVxMidi::setLibraryFile(VXMIDI_REAL_LIBRARY);
    SaidaMIDI::setDispositivoInicial(-1);
  }
  static void TearDownTestSuite() {
    delete somModulo;
    delete modulo;
    delete servidor;
  }

  void SetUp() override {
    KOVRINTA_REQUIRE_JACK(*servidor);
    ASSERT_TRUE(modulo->ready() && somModulo->ready());
    ArquivoConfiguracao::reiniciarParaTestes();
    ArquivoConfiguracao::configurarParaTestes({pasta.path(), QStringLiteral("Kovrinta"), {}});
    ArquivoConfiguracao::instancia().instrumentoParaTestes(&picture);
    SaidaMIDI &saida = SaidaMIDI::instancia();
    const qsizetype porta = saida.listarDispositivos().indexOf(
        QString::fromStdString("JACK " + somModulo->inputName()));
    ASSERT_GE(porta, 0);
    ASSERT_TRUE(saida.abrirDispositivo(static_cast<int>(porta)));
    kit = std::make_unique<KitEletronico>();
    saida.setAoAbrirDispositivo([this] { kit->reconectarSaida(); });
  }
  void TearDown() override {
    SaidaMIDI::instancia().setAoAbrirDispositivo(nullptr);
    kit.reset();
    ArquivoConfiguracao::instancia().instrumentoParaTestes(nullptr);
    ArquivoConfiguracao::reiniciarParaTestes();
  }

  bool usar(const QString &mapa, int velocidadeMinima = 8) {
    AjustesEntrada ajustes;
    ajustes.dispositivo = QString::fromStdString(modulo->outputName());
    ajustes.mapa = mapa;
    ajustes.velocidadeMinima = velocidadeMinima;
    return kit->aplicar(ajustes);
  }
  // Strikes, then waits until the picture has been told of it or 300 ms have passed, more
  // than ten cycles, so that the next strike of the same pad is a hit of its own.
  void golpe(Bytes mensagem, std::size_t acesasDepois) {
    modulo->send(std::move(mensagem));
    waitFor([&] { return picture.acesas.size() >= acesasDepois; }, 300ms);
    EXPECT_TRUE(modulo->waitForCyclesAfterSend(8));
  }

  static JackServer *servidor;
  static JackTestClient *modulo;
  static JackTestClient *somModulo;
  QTemporaryDir pasta;
  KitAcendido picture;
  std::unique_ptr<KitEletronico> kit;
};

JackServer *KitEletronicoJack::servidor = nullptr;
JackTestClient *KitEletronicoJack::modulo = nullptr;
JackTestClient *KitEletronicoJack::somModulo = nullptr;

TEST_F(KitEletronicoJack, EachPresetLightsAndPlaysThePieceOfItsNotes) {
  struct Caso {
    const char *mapa;
    int nota;
    int peca;
  };
  // A Roland hi-hat edge closed and open, an Alesis splash, a Yamaha foot splash, a General
  // MIDI snare rim, each after a module's other chatter.
  const std::vector<Caso> casos = {{"roland", 22, 42},
                                   {"roland", 26, 46},
                                   {"alesis", 21, 55},
                                   {"yamaha", 83, 44},
                                   {"gm", 40, 38}};
  std::vector<int> esperadas;
  std::vector<Bytes> tocadas;
  for (const Caso &caso : casos) {
    ASSERT_TRUE(usar(QLatin1String(caso.mapa))) << caso.mapa;
    // What modules send besides hits goes between them: system exclusive, clock, sensing.
    modulo->send({0xF0, 0x41, 0x10, 0x00, 0x00, 0x00, 0x2A, 0x12, 0xF7});
    modulo->send({0xF8});
    modulo->send({0xFE});
    golpe({0x90, static_cast<uint8_t>(caso.nota), 100}, esperadas.size() + 1);
    esperadas.push_back(caso.peca);
    tocadas.push_back({0x99, static_cast<uint8_t>(caso.peca), 100});
  }
  EXPECT_EQ(picture.acesas, esperadas);
  ASSERT_TRUE(somModulo->waitForReceived(tocadas.size()));
  EXPECT_EQ(somModulo->received(), tocadas);
  EXPECT_EQ(kit->getDispositivoAberto().toStdString(), modulo->outputName());
}

TEST_F(KitEletronicoJack, ThePedalTurnsTheHiHatAndSoftOrEndingNotesLightNothing) {
  ASSERT_TRUE(usar(QStringLiteral("gm"), 30));
  golpe({0x99, 42, 29}, 1);  // under the threshold
  golpe({0x99, 42, 0}, 1);   // a note-off
  golpe({0xB9, 4, 10}, 1);   // the pedal up: open
  golpe({0x99, 42, 100}, 1);
  golpe({0xB9, 4, 127}, 2);  // pressed: closed
  golpe({0x99, 46, 100}, 2);
  EXPECT_EQ(picture.acesas, (std::vector<int>{46, 42}));
}

TEST_F(KitEletronicoJack, APadTaughtByAStrikeKeepsItsPieceAcrossASaveAndARestart) {
  ASSERT_TRUE(usar(QStringLiteral("gm")));
  int aprendida = -1;
  kit->aprender(PecaBateria::caixa, [&](int nota) { aprendida = nota; });
  golpe({0x99, 60, 100}, 0);  // no piece yet: it only teaches
  ASSERT_TRUE(waitFor([&] { return aprendida == 60; }));
  EXPECT_FALSE(kit->isAprendendo());
  EXPECT_EQ(kit->getMapa().peca(60), PecaBateria::caixa);
  EXPECT_EQ(kit->getAjustes().mapa, nomeMapaPersonalizado);

  ArquivoConfiguracao::instancia().setAjustesEntrada(kit->getAjustes());
  ArquivoConfiguracao::instancia().salvar();
  kit.reset();
  ArquivoConfiguracao::reiniciarParaTestes();
  ArquivoConfiguracao::configurarParaTestes({pasta.path(), QStringLiteral("Kovrinta"), {}});
  ArquivoConfiguracao::instancia().instrumentoParaTestes(&picture);
  kit = std::make_unique<KitEletronico>();
  ASSERT_TRUE(kit->aplicar(ArquivoConfiguracao::instancia().getAjustesEntrada()));
  golpe({0x99, 60, 100}, 1);
  EXPECT_EQ(picture.acesas, std::vector<int>{38});
}

TEST_F(KitEletronicoJack, AnAbsentPortIsRefusedAndTheSettingsAreKept) {
  AjustesEntrada ajustes;
  ajustes.dispositivo = QStringLiteral("no module of this name");
  ajustes.mapa = QStringLiteral("roland");
  EXPECT_FALSE(kit->aplicar(ajustes));
  EXPECT_FALSE(kit->isAberto());
  EXPECT_EQ(kit->getAjustes(), ajustes);
  // The port that comes later opens with the same settings.
  ajustes.dispositivo = QString::fromStdString(modulo->outputName());
  EXPECT_TRUE(kit->aplicar(ajustes));
  EXPECT_TRUE(kit->isAberto());
}

// The module's program quits (as a USB module unplugged under a bridge): the kit closes the
// port, names it, and keeps it in the settings for the next start.
TEST_F(KitEletronicoJack, AModuleThatGoesAwayIsClosedAndNamedWithTheSettingsKept) {
  auto usb = std::make_unique<JackTestClient>("modulo-usb", false, true);
  ASSERT_TRUE(usb->ready());
  const QString nome = QString::fromStdString(usb->outputName());
  AjustesEntrada ajustes;
  ajustes.dispositivo = nome;
  ASSERT_TRUE(kit->aplicar(ajustes));
  QString perdido;
  kit->aoPerderDispositivo = [&](const QString &qual) { perdido = qual; };
  usb.reset();
  EXPECT_TRUE(waitFor([&] { return !perdido.isEmpty(); }, 5s));
  EXPECT_TRUE(perdido.endsWith(nome)) << perdido.toStdString();
  EXPECT_FALSE(kit->isAberto());
  EXPECT_EQ(kit->getAjustes().dispositivo, nome);
}

}  // namespace
