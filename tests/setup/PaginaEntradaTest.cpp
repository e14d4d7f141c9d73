// The setup dialog's page of the electronic kit over the fake library, whose one MIDI input
// has no name to be found by: the page offers no input to choose. Choosing one and learning
// from its hits run over JACK (SetupJackTest).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <functional>
#include <memory>
#include <vector>

#include "JanelasTeste.h"
#include "ProgramaFalso.h"
#include "entrada/KitEletronico.h"
#include "setup/TFormSetup.h"

using namespace kovrinta::test;

// Readable settings in failure messages.
static void PrintTo(const AjustesEntrada &a, std::ostream *saida) {
  *saida << '{' << a.dispositivo.toStdString() << ", " << a.mapa.toStdString() << ", "
         << a.notas.toStdString() << ", " << a.velocidadeMinima << ", " << a.limiarChimbal << ", "
         << a.chimbalInvertido << ", " << a.guardaCruzada << '}';
}

namespace {

class PaginaKit : public ProgramaFalso {
 protected:
  void SetUp() override {
    ProgramaFalso::SetUp();
    ambiente = std::make_unique<AmbienteJanelas>();
    ASSERT_TRUE(ambiente->carregou);
    kit = std::make_unique<KitEletronico>();
    dialogo = std::make_unique<TFormSetup>();
    dialogo->setMensageiro([this](const QString &texto, const QString &titulo) {
      mensagens.push_back({texto, titulo});
    });
    dialogo->setKitEletronico(kit.get());
  }
  void TearDown() override {
    dialogo.reset();
    kit.reset();
    ambiente.reset();
    ProgramaFalso::TearDown();
  }

  // Shows the dialog, clicks the kit's tab, plays acao on the page and closes the dialog.
  void naPagina(const std::function<void(PaginaEntrada &)> &acao) {
    executarCom(
        *dialogo, [this] { return dialogo->exec(); },
        [&] {
          ASSERT_TRUE(clicarAba(dialogo->getPagCtrlSetup(), dialogo->getTabEntrada()));
          acao(*dialogo->getTabEntrada());
          dialogo->reject();
        });
  }

  static AjustesEntrada guardados() { return ArquivoConfiguracao::instancia().getAjustesEntrada(); }

  std::unique_ptr<AmbienteJanelas> ambiente;
  std::unique_ptr<KitEletronico> kit;
  std::unique_ptr<TFormSetup> dialogo;
  std::vector<Mensagem> mensagens;
};

}  // namespace

TEST_F(PaginaKit, AStoredInputThatIsNotPluggedInStaysChosenAndItsFailureNamesIt) {
  AjustesEntrada ajustes;
  ajustes.dispositivo = QStringLiteral("TD-17 MIDI 1");
  ArquivoConfiguracao::instancia().setAjustesEntrada(ajustes);
  naPagina([&](PaginaEntrada &pagina) {
    QComboBox *lista = pagina.getCmbDispositivoEntrada();
    EXPECT_EQ(lista->currentText(), "Not connected: TD-17 MIDI 1");
    ASSERT_TRUE(escolher(lista, 0));
    EXPECT_EQ(guardados().dispositivo, "");
    ASSERT_TRUE(escolher(lista, lista->count() - 1));
  });
  ASSERT_EQ(mensagens.size(), 1u);
  EXPECT_EQ(mensagens[0].titulo, "Kovrinta");
  EXPECT_EQ(mensagens[0].texto,
            "The input device “TD-17 MIDI 1” could not be opened. Check that your kit is "
            "connected and switched on and that no other program is using it. Kovrinta keeps "
            "your choice and tries again at the next start.");
  EXPECT_EQ(guardados().dispositivo, "TD-17 MIDI 1") << "kept for a later start";
  EXPECT_FALSE(kit->isAberto());
}

TEST_F(PaginaKit, EverySettingIsStoredAndHandedToTheKitAtOnce) {
  naPagina([&](PaginaEntrada &pagina) {
    ASSERT_TRUE(escolher(pagina.getCmbMapaNotas(), 1));
    QTest::keyClick(pagina.getSpinVelocidadeMinima(), Qt::Key_Up);
    QTest::keyClick(pagina.getSpinLimiarChimbal(), Qt::Key_Down);
    ASSERT_TRUE(clicar(pagina.getCkChimbalInvertido()));
    ASSERT_TRUE(clicar(pagina.getCkGuardaCruzada()));
    EXPECT_EQ(kit->getAjustes(), guardados());
  });
  AjustesEntrada esperado;
  esperado.mapa = QStringLiteral("roland");
  esperado.velocidadeMinima = AjustesEntrada{}.velocidadeMinima + 1;
  esperado.limiarChimbal = AjustesEntrada{}.limiarChimbal - 1;
  esperado.chimbalInvertido = true;
  esperado.guardaCruzada = true;
  EXPECT_EQ(guardados(), esperado);
}

TEST_F(PaginaKit, WithoutAKitThePageListsNoInputAndStillStoresItsSettings) {
  dialogo->setKitEletronico(nullptr);
  naPagina([&](PaginaEntrada &pagina) {
    EXPECT_EQ(pagina.getCmbDispositivoEntrada()->count(), 1);
    EXPECT_FALSE(pagina.getBtnAprender()->isEnabled());
    ASSERT_TRUE(clicar(pagina.getCkGuardaCruzada()));
  });
  EXPECT_TRUE(guardados().guardaCruzada);
}
