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

// Builds a Standard MIDI File: a header, then each track's raw event bytes (delta times
// included) in an MTrk chunk, End of Track appended.
inline std::vector<uint8_t> smf(uint16_t divisao, const std::vector<std::vector<uint8_t>> &trilhas,
                                uint16_t formato = 1) {
  std::vector<uint8_t> b = {'M',
                            'T',
                            'h',
                            'd',
                            0,
                            0,
                            0,
                            6,
                            0,
                            static_cast<uint8_t>(formato),
                            0,
                            static_cast<uint8_t>(trilhas.size()),
                            static_cast<uint8_t>(divisao >> 8),
                            static_cast<uint8_t>(divisao)};
  for (const auto &eventos : trilhas) {
    std::vector<uint8_t> corpo = eventos;
    corpo.insert(corpo.end(), {0, 0xFF, 0x2F, 0});
    const auto n = static_cast<uint32_t>(corpo.size());
    b.insert(b.end(),
             {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
              static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    b.insert(b.end(), corpo.begin(), corpo.end());
  }
  return b;
}

// A delta time as a variable-length quantity.
inline std::vector<uint8_t> vlq(uint32_t valor) {
  std::vector<uint8_t> b{static_cast<uint8_t>(valor & 0x7F)};
  while (valor >>= 7) b.insert(b.begin(), static_cast<uint8_t>(0x80 | (valor & 0x7F)));
  return b;
}

// One event: delta then bytes.
inline std::vector<uint8_t> ev(uint32_t delta, std::initializer_list<uint8_t> bytes) {
  std::vector<uint8_t> b = vlq(delta);
  b.insert(b.end(), bytes);
  return b;
}

inline std::vector<uint8_t> junta(std::initializer_list<std::vector<uint8_t>> partes) {
  std::vector<uint8_t> b;
  for (const auto &p : partes) b.insert(b.end(), p.begin(), p.end());
  return b;
}

}  // namespace kovrinta::test
