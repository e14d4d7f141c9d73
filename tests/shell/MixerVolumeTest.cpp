// The volume mixer: which installed program starts, with and without a sound server.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "Ambiente.h"
#include "QtWait.h"
#include "shell/MixerVolume.h"
#include "shell/Util.h"

using kovrinta::test::Ambiente;
using kovrinta::test::waitFor;

namespace {

// A session whose PATH holds only programs the test puts there, each of which writes its
// name and parameters to a file of its own when it runs, and whose sound server the test
// switches on and off.
class SessaoMixer : public ::testing::Test {
 protected:
  SessaoMixer()
      : path("PATH", QFile::encodeName(programas.path())),
        runtime("XDG_RUNTIME_DIR", QFile::encodeName(sessao.path())),
        pulse("PULSE_SERVER", {}),
        marcas("MARCAS", QFile::encodeName(registro.path())) {}

  void instalar(const QString &nome) {
    QFile script(QDir(programas.path()).filePath(nome));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    // Only the shell's own commands: PATH holds nothing else.
    script.write(QStringLiteral("#!/bin/sh\necho \"$*\" > \"$MARCAS/%1\"\n").arg(nome).toUtf8());
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  void ligarServidor() {
    servidor = std::make_unique<QLocalServer>();
    ASSERT_TRUE(servidor->listen(QDir(sessao.path()).filePath("pipewire-0")));
  }

  // The programs that ran, each with its parameters, once esperados of them have written
  // their line.
  QStringList executados(int esperados) {
    const QDir pasta(registro.path());
    waitFor([&] {
      const QFileInfoList escritos = pasta.entryInfoList(QDir::Files);
      return escritos.size() >= esperados &&
             std::all_of(escritos.begin(), escritos.end(),
                         [](const QFileInfo &f) { return f.size() > 0; });
    });
    QStringList lista;
    for (const QString &nome : pasta.entryList(QDir::Files, QDir::Name)) {
      QFile f(pasta.filePath(nome));
      f.open(QIODevice::ReadOnly);
      lista << (nome + " " + QString::fromUtf8(f.readAll()).trimmed()).trimmed();
    }
    return lista;
  }

  QTemporaryDir programas;
  QTemporaryDir sessao;
  QTemporaryDir registro;
  Ambiente path;
  Ambiente runtime;
  Ambiente pulse;
  Ambiente marcas;
  std::unique_ptr<QLocalServer> servidor;
};

}  // namespace

TEST_F(SessaoMixer, WithASoundServerTheFirstInstalledOfTheServersMixersStarts) {
  ligarServidor();
  instalar("systemsettings");
  instalar("pavucontrol-qt");
  instalar("x-terminal-emulator");
  instalar("alsamixer");
  EXPECT_TRUE(abrirMixerVolume());
  EXPECT_EQ(executados(1), QStringList{"pavucontrol-qt"});
}

TEST_F(SessaoMixer, DesktopSettingsAreOpenedOnTheirSoundPage) {
  ligarServidor();
  instalar("gnome-control-center");
  instalar("systemsettings");
  EXPECT_TRUE(abrirMixerVolume());
  EXPECT_EQ(executados(1), QStringList{"gnome-control-center sound"});
}

TEST_F(SessaoMixer, WithoutASoundServerAlsamixerStartsInATerminal) {
  instalar("pavucontrol");
  instalar("x-terminal-emulator");
  instalar("alsamixer");
  EXPECT_TRUE(abrirMixerVolume());
  EXPECT_EQ(executados(1), QStringList{"x-terminal-emulator -e alsamixer"});
}

TEST_F(SessaoMixer, WithAServerButNoneOfItsMixersAlsamixerIsTheLastResort) {
  ligarServidor();
  instalar("x-terminal-emulator");
  instalar("alsamixer");
  EXPECT_TRUE(abrirMixerVolume());
  EXPECT_EQ(executados(1), QStringList{"x-terminal-emulator -e alsamixer"});
}

TEST_F(SessaoMixer, NothingStartsWhenNoMixerIsInstalled) {
  instalar("x-terminal-emulator");  // a terminal without alsamixer is no mixer
  EXPECT_FALSE(abrirMixerVolume());
  ligarServidor();
  EXPECT_FALSE(abrirMixerVolume());
  EXPECT_TRUE(QDir(registro.path()).entryList(QDir::Files).isEmpty());
}
