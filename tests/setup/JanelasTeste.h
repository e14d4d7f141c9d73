// What the device-setup windows need around them in a test: a loaded language, a
// configuration of the test's own, and helpers that drive a modal window through its
// visible controls.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <ostream>

#include "OperadorDialogo.h"
#include "QtWait.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "song/GerenciadorMusica.h"

// Readable QString values in GoogleTest's failure messages.
inline void PrintTo(const QString &texto, std::ostream *saida) {
  *saida << '"' << texto.toStdString() << '"';
}

namespace kovrinta::test {

// One message box the window asked for.
struct Mensagem {
  QString texto;
  QString titulo;
};

// Loads a language of the program folder (the build's language files) and gives the
// configuration an empty folder of its own (device 0, every track off, no instrument).
class AmbienteJanelas {
 public:
  explicit AmbienteJanelas(const QString &idioma = QStringLiteral("English")) {
    GerenciadorIdiomas::reiniciarParaTestes();
    GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR),
                                             [this](const QString &texto, const QString &titulo) {
                                               mensagensIdioma << texto + " / " + titulo;
                                             });
    carregou = GerenciadorIdiomas::instancia().selecionarIdioma(idioma) != nullptr;
    ArquivoConfiguracao::reiniciarParaTestes();
    ArquivoConfiguracao::configurarParaTestes({pasta.path(), QStringLiteral("Kovrinta"), {}});
    ArquivoConfiguracao::instancia();
    GerenciadorMusica::instancia().setMusicaAtual(nullptr);
  }
  ~AmbienteJanelas() {
    GerenciadorMusica::instancia().setMusicaAtual(nullptr);
    ArquivoConfiguracao::reiniciarParaTestes();
    GerenciadorIdiomas::reiniciarParaTestes();
  }

  bool carregou = false;
  QStringList mensagensIdioma;
  QTemporaryDir pasta;
};

// Runs executar (which shows dialogo modally) with acao played on the shown window, and
// answers what executar answered. The action may wait inside (waitFor) while the window
// works; a watchdog closes the window after prazo so that a stuck test fails.
template <class Executar>
auto executarCom(QDialog &dialogo, Executar executar, std::function<void()> acao,
                 std::chrono::milliseconds prazo = std::chrono::seconds(40)) {
  // An action that fails half-way closes the window at once instead of leaving it to the
  // watchdog.
  OperadorDialogo operador(
      dialogo,
      [&dialogo, acao = std::move(acao)] {
        acao();
        if (::testing::Test::HasFailure() && dialogo.isVisible()) dialogo.reject();
      },
      prazo);
  const auto resposta = executar();
  EXPECT_TRUE(operador.agiu()) << "the window was never shown";
  EXPECT_FALSE(operador.estourou()) << "the action did not close the window";
  EXPECT_FALSE(dialogo.isVisible());
  return resposta;
}

// Clicks botao with the mouse as a user would: it must be visible and enabled.
inline ::testing::AssertionResult clicar(QAbstractButton *botao) {
  if (!botao->isVisible())
    return ::testing::AssertionFailure() << botao->objectName().toStdString() << " is hidden";
  if (!botao->isEnabled())
    return ::testing::AssertionFailure() << botao->objectName().toStdString() << " is disabled";
  // A check box takes clicks on its box and its text, not on the empty rest of its width.
  const QPoint ponto =
      qobject_cast<QCheckBox *>(botao) ? QPoint(7, botao->height() / 2) : botao->rect().center();
  QTest::mouseClick(botao, Qt::LeftButton, {}, ponto);
  return ::testing::AssertionSuccess();
}

// Opens lista's drop-down with the mouse and clicks its item indice, as a user would.
inline ::testing::AssertionResult escolher(QComboBox *lista, int indice) {
  if (!lista->isVisible() || !lista->isEnabled())
    return ::testing::AssertionFailure() << lista->objectName().toStdString() << " is unusable";
  QTest::mouseClick(lista, Qt::LeftButton);
  QAbstractItemView *vista = lista->view();
  if (!waitFor([&] { return vista->isVisible(); }))
    return ::testing::AssertionFailure() << "the list did not open";
  const QPoint item = vista->visualRect(lista->model()->index(indice, 0)).center();
  // The list takes a release only after the mouse has moved in it.
  QTest::mouseMove(vista->viewport(), item);
  QTest::mouseClick(vista->viewport(), Qt::LeftButton, {}, item);
  if (!waitFor([&] { return !vista->isVisible(); }))
    return ::testing::AssertionFailure() << "the list stayed open";
  return ::testing::AssertionSuccess();
}

// Clicks the tab of pagina in paginas.
inline ::testing::AssertionResult clicarAba(QTabWidget *paginas, QWidget *pagina) {
  auto *abas = paginas->findChild<QTabBar *>();
  QTest::mouseClick(abas, Qt::LeftButton, {}, abas->tabRect(paginas->indexOf(pagina)).center());
  if (paginas->currentWidget() != pagina)
    return ::testing::AssertionFailure() << pagina->objectName().toStdString() << " not shown";
  return ::testing::AssertionSuccess();
}

}  // namespace kovrinta::test
