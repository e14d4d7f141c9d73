// A score fed to real outputs of the library on a private JACK server: an output whose queue
// is full refuses, announces room once it has drained, and the feed goes on from the event
// it refused until the whole score is out.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "QtWait.h"
#include "TVxMidi.h"
#include "TVxMidiOut.h"
#include "TVxMidiScore.h"
#include "TVxMidiTrack.h"

using kovrinta::test::JackServer;
using kovrinta::test::JackTestClient;
using kovrinta::test::waitFor;

namespace {

// Far more than any output queues at once, all due at the same moment: a burst.
constexpr int kEvents = 30000;

// Note-on and note-off in turn, over every key and channel.
VxMidiEvent nota(int i) {
  return {0, static_cast<uint8_t>(0x90 | (i / 256 % 16)), static_cast<uint8_t>(i / 2 % 128),
          static_cast<uint8_t>(i % 2 ? 0 : 64), 0};
}

std::unique_ptr<TVxMidiScore> partitura() {
  auto score = std::make_unique<TVxMidiScore>(1);
  for (int i = 0; i < kEvents; ++i) score->GetTrack(0)->InsertEvent(nota(i), -1);
  return score;
}

int dispositivo(TVxMidi &vxMidi, const std::string &descricao) {
  const int n = static_cast<int>(vxMidi.entries().GetNumOutDevices());
  for (int i = 0; i < n; ++i) {
    char texto[VX_DESCRIPTION_SIZE] = {};
    vxMidi.entries().GetMidiOutDescription(static_cast<uint32_t>(i), texto);
    if (std::string(texto).rfind(descricao, 0) == 0) return i;
  }
  return -1;
}

class FeedDevices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new JackServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { KOVRINTA_REQUIRE_JACK(*server_); }

  // Feeds score to out until it is all taken; answers how often room was announced.
  static int alimentar(TVxMidiOut &out, TVxMidiScore &score) {
    int avisos = 0;
    out.SetScore(&score);
    out.OutBufferReady = [&](QObject *) { ++avisos; };
    score.FeedOutput(out);
    const bool todo = waitFor([&] { return score.MergedCount() == 0; }, std::chrono::seconds(30));
    EXPECT_TRUE(todo) << "the feed stopped";
    out.SetScore(nullptr);
    return avisos;
  }

  static JackServer *server_;
};

JackServer *FeedDevices::server_ = nullptr;

TEST_F(FeedDevices, AJackPortRefusesWhenFullAndEveryEventArrivesInOrder) {
  JackTestClient captura("capture", true, false);
  ASSERT_TRUE(captura.ready());
  TVxMidi vxMidi{QString(VXMIDI_REAL_LIBRARY)};
  const int porta = dispositivo(vxMidi, "JACK capture:in");
  ASSERT_GE(porta, 0);
  TVxMidiOut out;
  out.VxMidi = &vxMidi;
  ASSERT_TRUE(out.Open(static_cast<uint16_t>(porta), 0));
  auto score = partitura();
  // The server stands still while the feed begins, so that the queue fills whatever the
  // speed of the two sides; it goes on once the feed waits for room.
  server_->pause();
  QTimer::singleShot(300, [] { server_->resume(); });
  EXPECT_GT(alimentar(out, *score), 0) << "the port never ran out of room";
  ASSERT_TRUE(captura.waitForReceived(kEvents));
  const auto recebido = captura.received();
  ASSERT_EQ(recebido.size(), static_cast<std::size_t>(kEvents));
  for (int i = 0; i < kEvents; ++i) {
    const VxMidiEvent e = nota(i);
    ASSERT_EQ(recebido[i], (JackTestClient::Bytes{e.status, e.data1, e.data2})) << "event " << i;
  }
}

TEST_F(FeedDevices, TheSynthesizerRefusesWhenFullAndTakesTheWholeScore) {
  TVxMidi vxMidi{QString(VXMIDI_REAL_LIBRARY)};
  const int sintetizador = dispositivo(vxMidi, "Kovrinta Synth");
  if (sintetizador < 0) {
    if (kovrinta::test::inCi()) FAIL() << "no soundfont installed";
    GTEST_SKIP() << "no soundfont installed";
  }
  TVxMidiOut out;
  out.VxMidi = &vxMidi;
  ASSERT_TRUE(out.Open(static_cast<uint16_t>(sintetizador), 0)) << out.FailureText().toStdString();
  auto score = partitura();
  EXPECT_GT(alimentar(out, *score), 0) << "the synthesizer never ran out of room";
}

}  // namespace
