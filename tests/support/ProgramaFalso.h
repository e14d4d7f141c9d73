// The program's single instances over the fake library: devices and the timer are recorded,
// files are read by the real library.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "FakeLibrary.h"
#include "SmfTeste.h"
#include "TVxMidi.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "song/GerenciadorMusica.h"

namespace kovrinta::test {

// Every default-constructed loader of the program loads the fake library.
class ProgramaFalso : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TVxMidi::setLibraryFile(VXMIDI_FAKE_LIBRARY); }

  void SetUp() override {
    fake = std::make_unique<FakeLibrary>();
    fake->forwardFiles(VXMIDI_REAL_LIBRARY);
    SaidaMIDI::instancia();
    Sequenciador::instancia();
    fake->reset();
    fake->forwardFiles(VXMIDI_REAL_LIBRARY);
  }
  void TearDown() override { fake->forwardFiles(nullptr); }

  // The calls recorded since the last reset, without the file entries.
  std::string calls() const { return fake->calls(); }

  // Writes bytes to a file of the test's own folder and answers its path.
  QString arquivo(const std::vector<uint8_t> &bytes, const QString &nome = "song.mid") {
    const QString path = QDir(pasta.path()).filePath(nome);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  }

  std::unique_ptr<FakeLibrary> fake;
  QTemporaryDir pasta;
};

inline std::vector<uint8_t> junta(std::initializer_list<std::vector<uint8_t>> partes) {
  std::vector<uint8_t> b;
  for (const auto &p : partes) b.insert(b.end(), p.begin(), p.end());
  return b;
}

}  // namespace kovrinta::test
