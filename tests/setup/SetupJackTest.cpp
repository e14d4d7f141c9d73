// Both windows over the real library, with a test client's JACK MIDI input as the device:
// the wizard's scale as it arrives, and the setup dialog's device choice and track
// switches; and a test client's JACK MIDI output as the drummer's kit, chosen and taught on
// the kit's page. One private JACK server serves the whole suite.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <memory>
#include <numeric>

#include "CapturaJack.h"
#include "JackServer.h"
#include "JackTestClient.h"
#include "JanelasTeste.h"
#include "ProgramaFalso.h"
#include "TVxMidi.h"
#include "TVxMidiOut.h"
#include "entrada/KitEletronico.h"
#include "midi/SaidaMIDI.h"
#include "setup/TFormSetup.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<uint8_t>;

const QString nomePorta = QStringLiteral("JACK captura:entrada");

class JanelasJack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    servidor = new JackServer();
    if (!servidor->running()) return;
    captura = new CapturaJack("captura", "entrada");
    TVxMidi::setLibraryFile(VXMIDI_REAL_LIBRARY);
    // No device until a window opens one.
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
    ASSERT_TRUE(captura && captura->pronta());
    ambiente = std::make_unique<AmbienteJanelas>();
    ASSERT_TRUE(ambiente->carregou);
    SaidaMIDI::instancia();
    captura->limpar();
  }
  void TearDown() override { ambiente.reset(); }

  // Sends a probe on the open device (the port) and waits until it arrives: everything sent
  // before it has then arrived too, whatever the port's latency and however long its
  // connection to the capture takes to be made. Then forgets what arrived.
  static void esvaziar() {
    const Bytes sonda{0x9F, 0, 0};
    SaidaMIDI::instancia().enviarNoteOff(15, 0);
    EXPECT_TRUE(waitFor(
        [&] {
          const auto m = captura->mensagens();
          return !m.empty() && m.back().bytes == sonda;
        },
        10s))
        << "the probe never reached the capture";
    captura->limpar();
  }

  // Waits until the capture holds n messages.
  static bool esperarMensagens(std::size_t n) {
    return waitFor([n] { return captura->quantas() >= n; }, 10s);
  }

  static std::vector<Bytes> bytes(const std::vector<CapturaJack::Mensagem> &mensagens) {
    std::vector<Bytes> b;
    for (const auto &m : mensagens) b.push_back(m.bytes);
    return b;
  }

  static JackServer *servidor;
  static CapturaJack *captura;
  std::unique_ptr<AmbienteJanelas> ambiente;
};

JackServer *JanelasJack::servidor = nullptr;
CapturaJack *JanelasJack::captura = nullptr;

}  // namespace

TEST_F(JanelasJack, TheWizardPlaysItsScaleIntoAJackPortAndAnswersThatPort) {
  TformAssistenteConfiguracaoDriver assistente;
  const int porta = static_cast<int>(assistente.getDrivers().indexOf(nomePorta));
  ASSERT_GE(porta, 0) << "the port is listed by client and port name: "
                      << assistente.getDrivers().join(", ").toStdString();
  QString explicacao;
  std::vector<CapturaJack::Mensagem> recebidas;
  const int resposta = executarCom(
      assistente, [&] { return assistente.executar(); },
      [&] {
        // The devices before the port are played and refused.
        for (int i = 0; i <= porta; ++i) {
          if (i == porta) {
            explicacao = assistente.getLblExplicacao2()->text();
            captura->limpar();
          }
          ASSERT_TRUE(clicar(assistente.getBtnProsseguir()));
          ASSERT_TRUE(waitFor([&] { return assistente.getBtnEscutando()->isVisible(); }, 15s));
          if (i < porta) {
            ASSERT_TRUE(clicar(assistente.getBtnNaoEscutando()));
          }
        }
        ASSERT_TRUE(esperarMensagens(50));
        recebidas = captura->mensagens();
        ASSERT_TRUE(clicar(assistente.getBtnEscutando()));
        ASSERT_TRUE(clicar(assistente.getBtnFinalizar()));
      });
  EXPECT_EQ(resposta, porta);
  EXPECT_TRUE(explicacao.contains("\"" + nomePorta + "\"")) << explicacao.toStdString();

  // Bank 0 and program 0 on the second channel, then 24 notes up from middle C.
  std::vector<Bytes> esperadas = {{0xB1, 0, 0}, {0xC1, 0}};
  for (uint8_t nota = 60; nota < 84; ++nota) {
    esperadas.push_back({0x91, nota, 127});
    esperadas.push_back({0x91, nota, 0});
  }
  EXPECT_EQ(bytes(recebidas), esperadas);

  // About 80 ms from one note to the next, as the port received them. The bounds are
  // loose and the middle interval is taken, as a loaded machine delays the window's timer
  // and can stall the JACK server for a moment; bench/ measures the figure.
  std::vector<double> intervalos;
  for (std::size_t i = 2; i + 2 < recebidas.size(); i += 2)
    intervalos.push_back(static_cast<double>(recebidas[i + 2].quadro - recebidas[i].quadro) *
                         1000.0 / captura->taxa());
  ASSERT_EQ(intervalos.size(), 23u);
  std::vector<double> ordenados = intervalos;
  std::sort(ordenados.begin(), ordenados.end());
  EXPECT_GT(ordenados[11], 60.0);
  EXPECT_LT(ordenados[11], 120.0);
  const double duracao = std::accumulate(intervalos.begin(), intervalos.end(), 0.0);
  EXPECT_GT(duracao, 23 * 50.0);
  EXPECT_LT(duracao, 23 * 250.0);
}

TEST_F(JanelasJack, CancelAfterAClickOnTheJackPortLeavesItOpenAndStored) {
  ArquivoConfiguracao::instancia().setDriver(0);
  TFormSetup setup;
  QListWidget *lista = setup.getListBoxDrivers();
  const QList<QListWidgetItem *> itens = lista->findItems(nomePorta, Qt::MatchExactly);
  ASSERT_EQ(itens.size(), 1);
  const int porta = lista->row(itens.front());
  executarCom(
      setup, [&] { return setup.exec(); },
      [&] {
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {},
                          lista->visualItemRect(itens.front()).center());
        ASSERT_TRUE(clicar(setup.getBtnCancel()));
      });
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), porta);
  // What is sent now reaches the port.
  esvaziar();
  SaidaMIDI::instancia().enviarNoteOn(9, 100, 38);
  ASSERT_TRUE(esperarMensagens(1));
  EXPECT_EQ(bytes(captura->mensagens()), (std::vector<Bytes>{{0x99, 38, 100}}));
}

TEST_F(JanelasJack, UncheckingSelectAllSilencesAndSwitchesOffEveryTrackInOrder) {
  TFormSetup setup;
  QListWidget *lista = setup.getListBoxDrivers();
  const QList<QListWidgetItem *> itens = lista->findItems(nomePorta, Qt::MatchExactly);
  ASSERT_EQ(itens.size(), 1);
  ASSERT_TRUE(SaidaMIDI::instancia().abrirDispositivo(lista->row(itens.front())));

  // A song of three tracks on channel indexes 0, 9 and 2, its boxes filled as the main
  // window fills them when a song opens.
  QTemporaryDir pastaMusica;
  const QString arquivo = pastaMusica.filePath("tres.mid");
  const std::vector<uint8_t> smfBytes =
      smf(96, {junta({ev(0, {0x90, 40, 90}), ev(48, {0x90, 40, 0})}),
               junta({ev(0, {0x99, 36, 100}), ev(24, {0x99, 36, 0})}),
               junta({ev(0, {0x92, 67, 70}), ev(96, {0x92, 67, 0})})});
  {
    QFile f(arquivo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char *>(smfBytes.data()), static_cast<qint64>(smfBytes.size()));
  }
  SaidaMIDI::instancia().carregarMusica(arquivo);
  for (int i = 0; i < TFormSetup::numCaixas; ++i) {
    QCheckBox &caixa = setup.getCaixa(i);
    if (i < 3) {
      caixa.setChecked(true);
      caixa.setEnabled(true);
      ArquivoConfiguracao::instancia().setTrilhaAtiva(i, true);
    } else {
      caixa.setEnabled(false);
    }
  }
  setup.getCheckBoxSel().setEnabled(true);
  setup.getCheckBoxSel().setChecked(true);
  // The import resets the device; those messages are not the switches'.
  esvaziar();

  executarCom(
      setup, [&] { return setup.exec(); },
      [&] {
        setup.getPagCtrlSetup()->setCurrentWidget(setup.getTabCanais());
        ASSERT_TRUE(clicar(&setup.getCheckBoxSel()));
        ASSERT_TRUE(clicar(setup.getBtnOK()));
      });

  ASSERT_TRUE(esperarMensagens(3 * 128));
  std::vector<Bytes> esperadas;
  for (uint8_t canal : {0, 9, 2})
    for (int nota = 0; nota < 128; ++nota)
      esperadas.push_back({static_cast<uint8_t>(0x90 + canal), static_cast<uint8_t>(nota), 0});
  EXPECT_EQ(bytes(captura->mensagens()), esperadas);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(setup.getCaixa(i).isChecked()) << i;
    EXPECT_FALSE(ArquivoConfiguracao::instancia().isTrilhaAtiva(i)) << i;
  }
}

TEST_F(JanelasJack, TheKitsPageOpensTheChosenInputAndLearnsThePadStruckOnIt) {
  JackTestClient modulo("modulo", false, true);
  ASSERT_TRUE(modulo.ready());
  KitEletronico kit;
  TFormSetup setup;
  std::vector<Mensagem> mensagens;
  setup.setMensageiro([&](const QString &texto, const QString &titulo) {
    mensagens.push_back({texto, titulo});
  });
  setup.setKitEletronico(&kit);
  PaginaEntrada *pagina = setup.getTabEntrada();
  QPushButton *botao = pagina->getBtnAprender();
  QString nome;
  std::vector<QString> estados;
  executarCom(
      setup, [&] { return setup.exec(); },
      [&] {
        ASSERT_TRUE(clicarAba(setup.getPagCtrlSetup(), pagina));
        EXPECT_FALSE(botao->isEnabled()) << "no hit can come without an input";
        QComboBox *lista = pagina->getCmbDispositivoEntrada();
        const int porta = lista->findText(QStringLiteral("modulo:out"), Qt::MatchContains);
        ASSERT_GT(porta, 0) << "the module's port is listed";
        nome = lista->itemText(porta);
        ASSERT_TRUE(escolher(lista, porta));
        ASSERT_TRUE(mensagens.empty()) << mensagens.front().texto.toStdString();
        ASSERT_TRUE(escolher(pagina->getCmbPecaAprender(), static_cast<int>(PecaBateria::caixa)));

        // The button starts learning, and cancels it.
        ASSERT_TRUE(clicar(botao));
        estados.push_back(botao->text() + " / " + pagina->getLblAprender()->text());
        ASSERT_TRUE(clicar(botao));
        EXPECT_FALSE(kit.isAprendendo());
        estados.push_back(botao->text());

        ASSERT_TRUE(clicar(botao));
        modulo.send({0x99, 40, 90});
        ASSERT_TRUE(waitFor([&] { return !pagina->isAprendendo(); }, 10s));
        estados.push_back(botao->text() + " / " + pagina->getLblAprender()->text() + " / " +
                          pagina->getCmbMapaNotas()->currentText());
        // Closing the dialog while learning ends it.
        ASSERT_TRUE(clicar(botao));
        setup.reject();
      });
  EXPECT_EQ(estados, (std::vector<QString>{"Cancel / Strike the pad for “Snare”…", "Learn",
                                           "Learn / Note 40 is now “Snare”. / Taught map"}));
  EXPECT_FALSE(kit.isAprendendo());
  const AjustesEntrada guardados = ArquivoConfiguracao::instancia().getAjustesEntrada();
  EXPECT_EQ(guardados.dispositivo, nome);
  EXPECT_EQ(kit.getDispositivoAberto(), nome);
  EXPECT_EQ(guardados.mapa, "personalizado");
  EXPECT_EQ(MapaNotas::deTexto(guardados.notas).peca(40), PecaBateria::caixa);
}
