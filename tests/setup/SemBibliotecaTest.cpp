// Both windows when the MIDI library cannot be loaded: the device list is empty, the wizard
// opens on page D, and the setup dialog says why its list is empty.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <memory>
#include <vector>

#include "JanelasTeste.h"
#include "Raised.h"
#include "TVxMidi.h"
#include "midi/SaidaMIDI.h"
#include "setup/TFormSetup.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"

using namespace kovrinta::test;

namespace {

class SemBiblioteca : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TVxMidi::setLibraryFile(QStringLiteral(KOVRINTA_PROGRAM_DIR "/no-such-libVxMidi.so"));
  }
  void SetUp() override {
    ambiente = std::make_unique<AmbienteJanelas>();
    ASSERT_TRUE(ambiente->carregou);
  }

  std::unique_ptr<AmbienteJanelas> ambiente;
  std::vector<Mensagem> mensagens;
};

}  // namespace

TEST_F(SemBiblioteca, TheWizardOpensOnPageDAndAnswersZero) {
  TformAssistenteConfiguracaoDriver assistente;
  EXPECT_TRUE(assistente.getDrivers().isEmpty());
  QString titulo;
  const int resposta = executarCom(
      assistente, [&] { return assistente.executar(); },
      [&] {
        titulo = assistente.getLblTitulo2()->text();
        EXPECT_FALSE(assistente.getBtnProsseguir()->isVisible());
        ASSERT_TRUE(clicar(assistente.getBtnFinalizar()));
      });
  EXPECT_EQ(titulo, "No device was confirmed");
  EXPECT_EQ(resposta, 0);
}

TEST_F(SemBiblioteca, TheSetupDialogSaysWhyItsListIsEmptyAndOkOnlyCloses) {
  TFormSetup setup;
  setup.setMensageiro([this](const QString &texto, const QString &titulo) {
    mensagens.push_back({texto, titulo});
  });
  EXPECT_EQ(setup.getListBoxDrivers()->count(), 0);
  executarCom(
      setup, [&] { return setup.exec(); },
      [&] {
        ASSERT_TRUE(waitFor([&] { return !mensagens.empty(); }));
        ASSERT_TRUE(clicar(setup.getBtnOK()));
      });
  EXPECT_EQ(setup.result(), QDialog::Accepted);
  ASSERT_EQ(mensagens.size(), 1u);
  EXPECT_EQ(mensagens[0].titulo, "Kovrinta");
  // The library's own error follows the language's text.
  const std::string erro = raised([] { SaidaMIDI::instancia().listarDispositivos(); });
  ASSERT_FALSE(erro.empty());
  EXPECT_EQ(mensagens[0].texto.toStdString(),
            "Kovrinta could not list the MIDI output devices, because its MIDI library could not "
            "be loaded. Please reinstall Kovrinta. The error was:\n\n" +
                erro);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 0) << "nothing was chosen";
}
