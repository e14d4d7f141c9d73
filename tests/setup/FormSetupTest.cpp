// The setup dialog over the fake library: choosing the device, the wizard button, and the
// track boxes of an open song.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QWindow>
#include <memory>
#include <vector>

#include "JanelasTeste.h"
#include "ProgramaFalso.h"
#include "TVxMidiOut.h"
#include "setup/TFormSetup.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"
#include "ui/Bateria.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

std::string notasDesligadas(int canal) {
  std::string s;
  for (int nota = 0; nota < 128; ++nota)
    s += "PutMidiOut 100 0 " + std::to_string(0x90 + canal) + " " + std::to_string(nota) + " 0\n";
  return s;
}

class Setup : public ProgramaFalso {
 protected:
  void SetUp() override {
    ProgramaFalso::SetUp();
    ambiente = std::make_unique<AmbienteJanelas>();
    ASSERT_TRUE(ambiente->carregou);
    dialogo = std::make_unique<TFormSetup>();
    dialogo->setMensageiro([this](const QString &texto, const QString &titulo) {
      mensagens.push_back({texto, titulo});
    });
    fake->reset();
  }
  void TearDown() override {
    formAssistenteConfiguracaoDriver = nullptr;
    dialogo.reset();
    ambiente.reset();
    ProgramaFalso::TearDown();
  }

  int executar(std::function<void()> acao) {
    return executarCom(
        *dialogo, [this] { return dialogo->exec(); }, std::move(acao));
  }

  void clicarDispositivo(int indice) {
    QListWidget *lista = dialogo->getListBoxDrivers();
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {},
                      lista->visualItemRect(lista->item(indice)).center());
  }

  int selecionado() const {
    const auto itens = dialogo->getListBoxDrivers()->selectedItems();
    return itens.isEmpty() ? -1 : dialogo->getListBoxDrivers()->row(itens.front());
  }

  // Opens a song of these tracks and fills the boxes as the main window does when a song
  // opens: each track's box named, checked and enabled with its track switched on, the
  // boxes past the song disabled with the neutral caption, then select-all enabled and
  // checked.
  void abrirMusica(const std::vector<std::vector<uint8_t>> &trilhas) {
    SaidaMIDI::instancia().carregarMusica(arquivo(smf(96, trilhas)));
    const int n = static_cast<int>(trilhas.size());
    for (int i = 0; i < n && i < TFormSetup::numCaixas; ++i) {
      QCheckBox &caixa = dialogo->getCaixa(i);
      caixa.setText(QStringLiteral("Track %1").arg(i));
      caixa.setChecked(true);
      caixa.setEnabled(true);
      ArquivoConfiguracao::instancia().setTrilhaAtiva(i, true);
    }
    for (int i = std::max(n, 1); i < TFormSetup::numCaixas; ++i) {
      dialogo->getCaixa(i).setEnabled(false);
      dialogo->getCaixa(i).setText("(no track)");
    }
    dialogo->getCheckBoxSel().setEnabled(true);
    dialogo->getCheckBoxSel().setChecked(true);
    fake->reset();
  }

  // A song of three tracks: a bass line on channel index 0, drums, strings on index 2.
  void abrirMusicaDeTresTrilhas() {
    abrirMusica({junta({ev(0, {0x90, 40, 90}), ev(48, {0x90, 40, 0})}),
                 junta({ev(0, {0x99, 36, 100}), ev(0, {0x99, 42, 80}), ev(24, {0x99, 36, 0})}),
                 junta({ev(0, {0x92, 67, 70}), ev(96, {0x92, 67, 0})})});
  }

  std::vector<bool> ativas() const {
    std::vector<bool> v;
    for (int i = 0; i < 4; ++i) v.push_back(ArquivoConfiguracao::instancia().isTrilhaAtiva(i));
    return v;
  }

  std::unique_ptr<AmbienteJanelas> ambiente;
  std::unique_ptr<TFormSetup> dialogo;
  std::vector<Mensagem> mensagens;
};

}  // namespace

TEST_F(Setup, ShowingItSelectsTheStoredDevice) {
  ASSERT_EQ(dialogo->getListBoxDrivers()->count(), 3);
  for (auto [guardado, esperado] : {std::pair{2, 2}, {0, 0}, {-1, -1}, {3, -1}}) {
    ArquivoConfiguracao::instancia().setDriver(guardado);
    int visto = -2;
    executar([&] {
      visto = selecionado();
      dialogo->reject();
    });
    EXPECT_EQ(visto, esperado) << "stored " << guardado;
  }
  EXPECT_EQ(calls(), "") << "showing opens nothing";
}

TEST_F(Setup, CancelAfterAClickOnAnotherDeviceLeavesTheNewDeviceOpenAndStored) {
  executar([&] {
    clicarDispositivo(2);
    ASSERT_TRUE(clicar(dialogo->getBtnCancel()));
  });
  EXPECT_EQ(calls(),
            "ResetMidiOut 100\nCloseMidiOut 100\nGetMidiOutDescription 2\n"
            "OpenMidiOut 2 0 78624\n");
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 2);
  EXPECT_TRUE(SaidaMIDI::instancia().getSaida().IsOpen());
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 2);
}

TEST_F(Setup, OkWithTheStoredDeviceSelectedReopensNothing) {
  ArquivoConfiguracao::instancia().setDriver(1);
  executar([&] {
    clicarDispositivo(1);
    ASSERT_TRUE(clicar(dialogo->getBtnOK()));
  });
  EXPECT_EQ(calls(), "");
  EXPECT_EQ(dialogo->result(), QDialog::Accepted);
}

TEST_F(Setup, ADeviceThatCannotBeOpenedIsReportedAndTheStoredOneStays) {
  ArquivoConfiguracao::instancia().setDriver(0);
  fake->setOpenResult(VX_OPEN_NO_AUDIO);
  // While the message is read the library would open again; the stored device then comes
  // back.
  dialogo->setMensageiro([this](const QString &texto, const QString &titulo) {
    mensagens.push_back({texto, titulo});
    fake->setOpenResult(100);
  });
  int depois = -2;
  executar([&] {
    clicarDispositivo(2);
    depois = selecionado();
    ASSERT_TRUE(clicar(dialogo->getBtnOK()));
  });
  ASSERT_EQ(mensagens.size(), 1u);
  EXPECT_EQ(mensagens[0].titulo, "Kovrinta");
  EXPECT_EQ(mensagens[0].texto.toStdString(),
            "The device “Fake output 2” could not be opened; the device chosen before stays "
            "selected. The MIDI library says:\n\n" +
                std::string(VxOpenFailureText(VX_OPEN_NO_AUDIO)));
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 0);
  EXPECT_EQ(depois, 0) << "the stored device is selected again";
  EXPECT_EQ(calls(),
            "ResetMidiOut 100\nCloseMidiOut 100\nGetMidiOutDescription 2\n"
            "OpenMidiOut 2 0 78624\nGetMidiOutDescription 0\nOpenMidiOut 0 0 78624\n");
  EXPECT_TRUE(SaidaMIDI::instancia().getSaida().IsOpen());
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 0);
}

TEST_F(Setup, ARefusedDeviceIsTriedAgainOnTheNextClick) {
  fake->setOpenResult(VX_OPEN_PORT_REFUSED);
  executar([&] {
    clicarDispositivo(1);
    fake->setOpenResult(100);
    clicarDispositivo(1);
    ASSERT_TRUE(clicar(dialogo->getBtnOK()));
  });
  EXPECT_EQ(mensagens.size(), 1u);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 1);
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 1);
}

TEST_F(Setup, TheWizardsDeviceIsSelectedAndOpened) {
  TformAssistenteConfiguracaoDriver assistente;
  formAssistenteConfiguracaoDriver = &assistente;
  int respostaAssistente = -2;
  OperadorDialogo operador(assistente, [&] {
    // Device 0 refused, device 1 heard.
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(clicar(assistente.getBtnProsseguir()));
      ASSERT_TRUE(waitFor([&] { return assistente.getBtnEscutando()->isVisible(); }, 10s));
      ASSERT_TRUE(clicar(i == 0 ? assistente.getBtnNaoEscutando() : assistente.getBtnEscutando()));
    }
    respostaAssistente = assistente.getResultado();
    ASSERT_TRUE(clicar(assistente.getBtnFinalizar()));
  });
  int depois = -2;
  executar([&] {
    ASSERT_TRUE(clicar(dialogo->getBtnAssistenteDriver()));
    depois = selecionado();
    dialogo->reject();
  });
  EXPECT_TRUE(operador.agiu());
  EXPECT_EQ(respostaAssistente, 1);
  EXPECT_EQ(depois, 1);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 1);
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 1);
}

TEST_F(Setup, AWizardCancelledLeavesTheListAndTheStoredDeviceAndPlaysOnIt) {
  ArquivoConfiguracao::instancia().setDriver(0);
  TformAssistenteConfiguracaoDriver assistente;
  formAssistenteConfiguracaoDriver = &assistente;
  OperadorDialogo operador(assistente, [&] {
    ASSERT_TRUE(clicar(assistente.getBtnProsseguir()));
    ASSERT_TRUE(waitFor([&] { return assistente.getBtnEscutando()->isVisible(); }, 10s));
    ASSERT_TRUE(clicar(assistente.getBtnNaoEscutando()));
    ASSERT_TRUE(clicar(assistente.getBtnProsseguir()));
    ASSERT_TRUE(waitFor([&] { return assistente.getBtnEscutando()->isVisible(); }, 10s));
    ASSERT_TRUE(clicar(assistente.getBtnNaoEscutando()));
    ASSERT_TRUE(clicar(assistente.getBtnCancelar()));
  });
  int depois = -2;
  executar([&] {
    ASSERT_TRUE(clicar(dialogo->getBtnAssistenteDriver()));
    depois = selecionado();
    dialogo->reject();
  });
  EXPECT_TRUE(operador.agiu());
  EXPECT_EQ(depois, 0);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 0);
  // The wizard tested device 1 last; the stored device is the one open afterwards.
  EXPECT_TRUE(SaidaMIDI::instancia().getSaida().IsOpen());
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 0);
}

// Escape leaves the wizard as Cancel does, on any of its pages.
TEST_F(Setup, EscapeInTheWizardKeepsTheStoredDevice) {
  ArquivoConfiguracao::instancia().setDriver(2);
  TformAssistenteConfiguracaoDriver assistente;
  formAssistenteConfiguracaoDriver = &assistente;
  OperadorDialogo operador(assistente, [&] { QTest::keyClick(&assistente, Qt::Key_Escape); });
  int depois = -2;
  executar([&] {
    ASSERT_TRUE(clicar(dialogo->getBtnAssistenteDriver()));
    depois = selecionado();
    dialogo->reject();
  });
  EXPECT_TRUE(operador.agiu());
  EXPECT_EQ(depois, 2);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 2);
  EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 2);
}

TEST_F(Setup, AnArrowKeyInTheListSwitchesTheDeviceAsAClickDoes) {
  ArquivoConfiguracao::instancia().setDriver(0);
  executar([&] {
    QListWidget *lista = dialogo->getListBoxDrivers();
    lista->setFocus();
    QTest::keyClick(lista, Qt::Key_Down);
    EXPECT_EQ(SaidaMIDI::instancia().getSaida().DeviceId(), 1) << "before OK";
    dialogo->reject();
  });
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 1);
  EXPECT_TRUE(mensagens.empty());
}

TEST_F(Setup, TheZoomShownIsTheStoredOneAndAChoiceIsKeptForTheNextStart) {
  ArquivoConfiguracao::instancia().setZoom(150);
  QString mostrado;
  executar([&] {
    QComboBox *zoom = dialogo->getCmbZoom();
    mostrado = zoom->currentText();
    zoom->setFocus();
    QTest::keyClick(zoom, Qt::Key_Down);
    dialogo->reject();
  });
  EXPECT_EQ(mostrado, "Zoom: 150 %");
  EXPECT_EQ(ArquivoConfiguracao::instancia().getZoom(), 200);
}

TEST_F(Setup, TrackBoxesStartDisabledWithTheirLanguageTexts) {
  for (int i = 0; i < TFormSetup::numCaixas; ++i) {
    const QCheckBox &caixa = dialogo->getCaixa(i);
    EXPECT_EQ(caixa.objectName(), QStringLiteral("CheckBox%1").arg(i));
    EXPECT_FALSE(caixa.isEnabled());
    EXPECT_EQ(caixa.text(), "(no track)");
    EXPECT_EQ(caixa.toolTip(), "Turn this track on or off");
  }
  EXPECT_FALSE(dialogo->getCheckBoxSel().isEnabled());
  // Left column 0..7 and right column 8..15, 16 pixels apart.
  EXPECT_EQ(dialogo->getCaixa(1).y() - dialogo->getCaixa(0).y(), 16);
  EXPECT_EQ(dialogo->getCaixa(8).y(), dialogo->getCaixa(0).y());
  EXPECT_GT(dialogo->getCaixa(8).x(), dialogo->getCaixa(7).x() + dialogo->getCaixa(7).width() - 1);
  EXPECT_EQ(dialogo->getCheckBoxSel().text(), "All tracks");
  EXPECT_EQ(dialogo->getGroupBoxCanais()->title(), "Song tracks");
  EXPECT_EQ(dialogo->windowTitle(), "Setup");
  EXPECT_EQ(dialogo->getPagCtrlSetup()->tabText(0), "Drivers");
  EXPECT_EQ(dialogo->getPagCtrlSetup()->tabText(1), "Tracks");
  EXPECT_EQ(dialogo->getBtnOK()->text(), "OK");
  EXPECT_EQ(dialogo->getBtnCancel()->text(), "Cancel");
  EXPECT_EQ(dialogo->getBtnAssistenteDriver()->text(), "Test devices…");
  EXPECT_EQ(dialogo->getBtnAssistenteDriver()->toolTip(), "Test devices…");
  EXPECT_EQ(dialogo->getBtnOK()->toolTip(), "Use the selected device and close");
  EXPECT_EQ(dialogo->getBtnCancel()->toolTip(), "Close");
  EXPECT_EQ(dialogo->getListBoxDrivers()->size(), QSize(267, 158));
  EXPECT_EQ(dialogo->size(), QSize(290, 276));
  EXPECT_EQ(dialogo->minimumSize(), dialogo->maximumSize());
}

TEST_F(Setup, UncheckingADrumTracksBoxClearsTheLitKitAndAMelodicOneDoesNot) {
  ArquivoConfiguracao::instancia().setInstrumento(0);
  abrirMusicaDeTresTrilhas();
  auto *kit = dynamic_cast<Bateria *>(ArquivoConfiguracao::instancia().getInstrumento());
  ASSERT_NE(kit, nullptr);
  kit->acender(36);
  kit->acender(42);
  const auto aceso = kit->getMapa().figurasVisiveis();
  ASSERT_GT(aceso.size(), 1u);

  executar([&] {
    dialogo->getPagCtrlSetup()->setCurrentWidget(dialogo->getTabCanais());
    ASSERT_TRUE(clicar(&dialogo->getCaixa(0)));
    EXPECT_EQ(kit->getMapa().figurasVisiveis(), aceso) << "a melodic track leaves the kit lit";
    EXPECT_EQ(calls(), notasDesligadas(0));
    fake->reset();
    ASSERT_TRUE(clicar(&dialogo->getCaixa(1)));
    EXPECT_EQ(kit->getMapa().figurasVisiveis(),
              std::vector<FiguraBateria>{FiguraBateria::imgBateria});
    EXPECT_EQ(calls(), notasDesligadas(9));
    dialogo->reject();
  });
  EXPECT_EQ(ativas(), (std::vector<bool>{false, false, true, false}));
  EXPECT_FALSE(dialogo->getCheckBoxSel().isChecked());
}

TEST_F(Setup, CheckingTheLastUncheckedBoxChecksSelectAllAlone) {
  abrirMusicaDeTresTrilhas();
  executar([&] {
    dialogo->getPagCtrlSetup()->setCurrentWidget(dialogo->getTabCanais());
    ASSERT_TRUE(clicar(&dialogo->getCaixa(2)));
    EXPECT_FALSE(dialogo->getCheckBoxSel().isChecked());
    fake->reset();
    ASSERT_TRUE(clicar(&dialogo->getCaixa(2)));
    dialogo->reject();
  });
  EXPECT_TRUE(dialogo->getCheckBoxSel().isChecked());
  EXPECT_EQ(calls(), "") << "the other tracks are left alone";
  EXPECT_EQ(ativas(), (std::vector<bool>{true, true, true, false}));
  EXPECT_TRUE(dialogo->isTratarCliques());
}

TEST_F(Setup, SelectAllSwitchesEveryEnabledTrackInOrder) {
  abrirMusicaDeTresTrilhas();
  std::string desligando;
  executar([&] {
    dialogo->getPagCtrlSetup()->setCurrentWidget(dialogo->getTabCanais());
    ASSERT_TRUE(clicar(&dialogo->getCheckBoxSel()));
    desligando = calls();
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(dialogo->getCaixa(i).isChecked()) << i;
    EXPECT_EQ(ativas(), (std::vector<bool>(4, false)));
    fake->reset();
    ASSERT_TRUE(clicar(&dialogo->getCheckBoxSel()));
    dialogo->reject();
  });
  EXPECT_EQ(desligando, notasDesligadas(0) + notasDesligadas(9) + notasDesligadas(2));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(dialogo->getCaixa(i).isChecked()) << i;
  EXPECT_FALSE(dialogo->getCaixa(3).isChecked()) << "the walk stops at the first disabled box";
  EXPECT_EQ(ativas(), (std::vector<bool>{true, true, true, false}));
  EXPECT_EQ(calls(), "") << "switching tracks on sends nothing";
}

TEST_F(Setup, UncheckingTheOnlyTrackOfASongResetsTheWholeDevice) {
  abrirMusica({junta({ev(0, {0x93, 60, 90}), ev(48, {0x93, 60, 0})})});
  executar([&] {
    dialogo->getPagCtrlSetup()->setCurrentWidget(dialogo->getTabCanais());
    ASSERT_TRUE(clicar(&dialogo->getCaixa(0)));
    dialogo->reject();
  });
  std::string esperado = "ResetMidiOut 100\n";
  for (int canal = 0; canal < 16; ++canal)
    esperado += "PutMidiOut 100 0 " + std::to_string(0xB0 + canal) + " 121 0\n";
  EXPECT_EQ(calls(), esperado);
}
