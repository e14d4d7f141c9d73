// The last-resort error report's text and the per-event error handling of the message loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <stdexcept>
#include <string>

#include "EVxMidiException.h"
#include "JanelasTeste.h"
#include "shell/AplicacaoKovrinta.h"
#include "shell/RelatorioErro.h"
#include "shell/TformSplash.h"

using namespace kovrinta::test;

namespace {

const QString inglesExcecao = QStringLiteral(
    "An error has occurred in your application.\nIf the problem persist, please contact us: "
    "suporte@kovrinta.org.\n\nError information:");

std::exception_ptr erroDe(auto valor) {
  try {
    throw valor;
  } catch (...) {
    return std::current_exception();
  }
}

TEST(RelatorioErroTest, AnExceptionBeforeAnyLanguageGetsTheEnglishTextItsClassMessageAndVersion) {
  const RelatorioErro r =
      montarRelatorioErro(erroDe(EVxMidiException("No VxMidi")), QStringLiteral("0.1.0"), nullptr);
  EXPECT_EQ(r.titulo, "Quendal");
  EXPECT_EQ(r.texto, inglesExcecao + "\n\" EVxMidiException (No VxMidi), v0.1.0 \"");

  const RelatorioErro semVersao =
      montarRelatorioErro(erroDe(std::out_of_range("index 3")), QString(), nullptr);
  EXPECT_EQ(semVersao.texto, inglesExcecao + "\n\" std::out_of_range (index 3) \"");
}

TEST(RelatorioErroTest, AnExceptionWithALanguageGetsTheLanguagesTextAndCaption) {
  AmbienteJanelas ambiente(QString::fromUtf8("Español"));
  ASSERT_TRUE(ambiente.carregou);
  const RelatorioErro r =
      montarRelatorioErro(erroDe(std::runtime_error("disk full")), QStringLiteral("2.3"),
                          &GerenciadorIdiomas::instancia());
  EXPECT_EQ(r.titulo, "Kovrinta");
  EXPECT_EQ(r.texto.toStdString(),
            "Lo sentimos, se produjo un error en Kovrinta.\nSi el problema continúa, comuníquese "
            "con nosotros.\n\nInformación del error:\n\" std::runtime_error (disk full), v2.3 \"");
  // The manager without a loaded language counts as none.
  GerenciadorIdiomas::reiniciarParaTestes();
  GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
  EXPECT_EQ(
      montarRelatorioErro(erroDe(std::runtime_error("x")), {}, &GerenciadorIdiomas::instancia())
          .titulo,
      "Quendal");
}

TEST(RelatorioErroTest, AnyOtherThrownValueGetsTheEnglishTextWithTheVersionOnlyWhenThereIsOne) {
  const QString ingles = QStringLiteral(
      "An error has occurred in your application.\nIf the problem persist, please contact us: "
      "suporte@kovrinta.org.");
  AmbienteJanelas ambiente;
  ASSERT_TRUE(ambiente.carregou);
  // Even with a language: a value that is no exception has no message to show.
  const RelatorioErro r =
      montarRelatorioErro(erroDe(42), QStringLiteral("0.1.0"), &GerenciadorIdiomas::instancia());
  EXPECT_EQ(r.titulo, "Quendal");
  EXPECT_EQ(r.texto, ingles + "\n\nError information:\n\" v0.1.0 \"");
  EXPECT_EQ(montarRelatorioErro(erroDe("text"), QString(), nullptr).texto, ingles);
}

TEST(RelatorioErroTest, ClassNamesAreTheOnesTheSourceSpells) {
  EXPECT_EQ(nomeClasse(typeid(EVxMidiException)), "EVxMidiException");
  EXPECT_EQ(nomeClasse(typeid(std::invalid_argument)), "std::invalid_argument");
}

// An object whose events fail: an exception on the first, then any other value.
class Falhador : public QObject {
 public:
  int eventos = 0;

 protected:
  bool event(QEvent *evento) override {
    if (evento->type() != QEvent::User) return QObject::event(evento);
    ++eventos;
    if (eventos == 1) throw std::runtime_error("the handler failed");
    if (eventos == 2) throw 7;
    return true;
  }
};

TEST(AplicacaoKovrintaTest, AnErrorInOneEventIsShownAndTheLoopGoesOn) {
  auto *aplicacao = qobject_cast<AplicacaoKovrinta *>(QCoreApplication::instance());
  ASSERT_NE(aplicacao, nullptr);
  QStringList mostradas;
  aplicacao->setMensageiro([&](const QString &texto, const QString &) { mostradas << texto; });
  Falhador falhador;
  for (int i = 0; i < 3; ++i) QCoreApplication::postEvent(&falhador, new QEvent(QEvent::User));
  QCoreApplication::sendPostedEvents(&falhador, QEvent::User);
  EXPECT_EQ(falhador.eventos, 3) << "every event was delivered";
  ASSERT_EQ(mostradas.size(), 2);
  EXPECT_EQ(mostradas[0], "the handler failed");
  EXPECT_TRUE(mostradas[1].startsWith("An error has occurred in your application."))
      << mostradas[1].toStdString();
  aplicacao->setMensageiro({});
}

// Notes when its window first reaches the screen.
class Exposicao : public QObject {
 public:
  QElapsedTimer desde;

 protected:
  bool eventFilter(QObject *objeto, QEvent *evento) override {
    if (evento->type() == QEvent::Expose && !desde.isValid() &&
        static_cast<QWindow *>(objeto)->isExposed())
      desde.start();
    return false;
  }
};

TEST(SplashTest, StaysASecondFromWhenItAppears) {
  AmbienteJanelas ambiente;
  ASSERT_TRUE(ambiente.carregou);
  TformSplash splash;
  splash.winId();
  Exposicao exposicao;
  splash.windowHandle()->installEventFilter(&exposicao);
  splash.exibirPorUmSegundo();
  ASSERT_TRUE(exposicao.desde.isValid()) << "the splash never appeared";
  EXPECT_GE(exposicao.desde.elapsed(), TformSplash::milissegundosExibida);
  EXPECT_TRUE(splash.isVisible());
}

}  // namespace
