// What the tests of the program as a user runs it share: a program folder of the test's own,
// the program started on a private X display, its windows found and its messages answered.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <optional>

#include "JackServer.h"
#include "ServidorXvfb.h"

namespace kovrinta::test {

using namespace std::chrono_literals;

// A program folder of the test's own: a copy of the program, beside the library, the
// language files and the rhythm folder of the build's program folder, so that the program's
// configuration file is written here and not in the build.
class PastaPrograma {
 public:
  explicit PastaPrograma(bool comIdiomas = true) {
    const QDir origem(QStringLiteral(KOVRINTA_PROGRAM_DIR));
    pronta = QFile::copy(origem.filePath("kovrinta"), caminho("kovrinta"));
    QStringList nomes = origem.entryList({"libVxMidi.so*"}, QDir::Files);
    if (comIdiomas) nomes << origem.entryList({"*.idm", "*.dat"}, QDir::Files);
    for (const QString &nome : nomes)
      pronta = pronta && QFile::link(origem.filePath(nome), caminho(nome));
  }

  QString caminho(const QString &nome) const { return QDir(pasta.path()).filePath(nome); }
  void escrever(const QString &nome, const QByteArray &conteudo) const {
    QFile arquivo(caminho(nome));
    ASSERT_TRUE(arquivo.open(QIODevice::WriteOnly));
    arquivo.write(conteudo);
  }
  QByteArray ler(const QString &nome) const {
    QFile arquivo(caminho(nome));
    return arquivo.open(QIODevice::ReadOnly) ? arquivo.readAll() : QByteArray();
  }

  QTemporaryDir pasta;
  bool pronta = false;
};

// The number of the test's capture port "captura:in" among the devices, as the program
// numbers them; -1 when it is not listed.
inline int dispositivoDaCaptura() {
  QProcess listar;
  listar.start(QString(KOVRINTA_PROGRAM_DIR) + "/kovrinta-song", {"--devices"});
  if (!listar.waitForFinished(20000)) return -1;
  for (const QByteArray &linha : listar.readAllStandardOutput().split('\n'))
    if (linha.contains("captura:in")) return linha.split(' ').first().toInt();
  return -1;
}

class Programa : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb.pronto()) {
      if (inCi()) FAIL() << xvfb.getFalha().toStdString();
      GTEST_SKIP() << xvfb.getFalha().toStdString();
    }
    ASSERT_TRUE(programa.pronta);
  }

  // Starts the program of the test's folder on the display.
  void iniciar(const QStringList &argumentos, QProcessEnvironment extra = {}) {
    QProcessEnvironment ambiente = xvfb.ambiente();
    ambiente.insert("XDG_CONFIG_HOME", configuracoes.path());
    // A program that looks for a JACK server must never start one of its own.
    ambiente.insert("JACK_NO_START_SERVER", "1");
    for (const QString &chave : extra.keys()) ambiente.insert(chave, extra.value(chave));
    processo.setProcessEnvironment(ambiente);
    processo.start(programa.caminho("kovrinta"), argumentos);
    ASSERT_TRUE(processo.waitForStarted(10000));
  }

  // Waits for the program to end; its exit status, or -1 when it did not end in time.
  int terminar(std::chrono::milliseconds prazo = 20s) {
    if (processo.state() != QProcess::NotRunning &&
        !processo.waitForFinished(static_cast<int>(prazo.count()))) {
      processo.kill();
      processo.waitForFinished();
      return -1;
    }
    erros = QString::fromLocal8Bit(processo.readAllStandardError());
    return processo.exitStatus() == QProcess::NormalExit ? processo.exitCode() : -1;
  }

  // Answers the message box that has the keyboard focus with its default button, again
  // while the program goes on (the box may not have the focus yet), then waits for the
  // program to end: its exit status, or -1 when it did not end.
  int responderETerminar() {
    for (int tentativa = 0; tentativa < 10; ++tentativa) {
      xvfb.xdotool({"key", "Return"});
      if (processo.waitForFinished(2000)) break;
    }
    return terminar();
  }

  // Clicks the main window's close button; the question it asks, a window that was not
  // there before, or nothing after 20 s.
  std::optional<ServidorXvfb::Janela> perguntaAoFechar(const ServidorXvfb::Janela &principal) {
    QStringList antes;
    for (const auto &janela : xvfb.janelas()) antes << janela.id;
    if (!xvfb.xdotool({"mousemove", "--window", principal.id, "638", "18", "click", "1"}))
      return std::nullopt;
    return xvfb.esperarJanela([&](const ServidorXvfb::Janela &j) { return !antes.contains(j.id); },
                              20s);
  }

  // The main window, by its size.
  std::optional<ServidorXvfb::Janela> esperarPrincipal(QSize tamanho = QSize(793, 527)) const {
    return xvfb.esperarJanela(
        [tamanho](const ServidorXvfb::Janela &j) { return j.geometria.size() == tamanho; }, 30s);
  }
  // A window of that name.
  std::optional<ServidorXvfb::Janela> esperarNome(const QString &nome) const {
    return xvfb.esperarJanela([nome](const ServidorXvfb::Janela &j) { return j.nome == nome; },
                              20s);
  }

  ServidorXvfb xvfb;
  PastaPrograma programa;
  QTemporaryDir configuracoes;
  QProcess processo;
  QString erros;
};

}  // namespace kovrinta::test
