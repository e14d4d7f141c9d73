// kovrinta-song plays a file through the real sequencer and timer into a JACK MIDI port.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "ProgramaFalso.h"

using namespace kovrinta::test;

namespace {

QString tool() {
  return QString(KOVRINTA_PROGRAM_DIR) + "/kovrinta-song";
}

// A MIDI file of bytes in pasta; empty when it cannot be written.
QString gravarMusica(const QTemporaryDir &pasta, const char *nome,
                     const std::vector<uint8_t> &bytes) {
  const QString arquivo = pasta.filePath(QLatin1String(nome));
  QFile file(arquivo);
  if (!file.open(QIODevice::WriteOnly)) return {};
  const auto escritos =
      file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
  return escritos == static_cast<qint64>(bytes.size()) ? arquivo : QString();
}

// kovrinta-song's number of the test's capture port; -1 when it does not list it.
int dispositivoDaCaptura() {
  QProcess listar;
  listar.start(tool(), {"--devices"});
  if (!listar.waitForFinished(20000)) return -1;
  int dispositivo = -1;
  for (const QByteArray &linha : listar.readAllStandardOutput().split('\n'))
    if (linha.contains("capture:in")) dispositivo = linha.split(' ').first().toInt();
  return dispositivo;
}

TEST(KovrintaSongJack, PlaysEveryMessageOfTheFileInOrderIntoAJackPort) {
  JackServer server;
  KOVRINTA_REQUIRE_JACK(server);
  JackTestClient gravador("capture", true, false);
  ASSERT_TRUE(gravador.ready());

  const int dispositivo = dispositivoDaCaptura();
  ASSERT_GE(dispositivo, 0) << "the capture port is not among the devices";

  // Eight closed hi-hats a 16th apart at 96 ticks per quarter, each released half a 16th
  // later; a program change and a controller first; a crash on the next beat, at tick 128,
  // is the song's last event and lies on a beat, where the end of the song is noticed.
  std::vector<uint8_t> eventos = junta({ev(0, {0xC9, 0}), ev(0, {0xB9, 7, 100})});
  std::vector<std::vector<uint8_t>> esperado = {{0xC9, 0}, {0xB9, 7, 100}};
  for (int i = 0; i < 8; ++i) {
    const auto on = ev(i == 0 ? 0 : 12, {0x99, 42, static_cast<uint8_t>(60 + i)});
    const auto off = ev(12, {0x89, 42, 0});
    eventos.insert(eventos.end(), on.begin(), on.end());
    eventos.insert(eventos.end(), off.begin(), off.end());
    esperado.push_back({0x99, 42, static_cast<uint8_t>(60 + i)});
    esperado.push_back({0x99, 42, 0});  // note-offs always go out as velocity 0
  }
  const auto crash = ev(12, {0x99, 49, 110});
  eventos.insert(eventos.end(), crash.begin(), crash.end());
  esperado.push_back({0x99, 49, 110});
  QTemporaryDir pasta;
  const QString arquivo = gravarMusica(pasta, "groove.mid", smf(96, {eventos}, 0));
  ASSERT_FALSE(arquivo.isEmpty());

  QProcess tocar;
  tocar.start(tool(), {"--play", QString::number(dispositivo), arquivo});
  ASSERT_TRUE(tocar.waitForFinished(30000)) << "the play did not end";
  EXPECT_EQ(tocar.exitCode(), 0) << tocar.readAllStandardError().toStdString();

  // The last messages leave with the port's next cycle.
  std::vector<std::vector<uint8_t>> recebido;
  const std::size_t total = 16 + 48 + esperado.size() + 2 + 48 + 16;
  gravador.waitForReceived(total);
  recebido = gravador.received();
  // 16 volume messages at start, a reset after the load (48), the song, and at the end a
  // reset and Reset All Controllers (16). The reset ends the crash, which had no note-off,
  // and the hi-hat, whose note-offs went out stamped (a reset could have dropped them).
  ASSERT_EQ(recebido.size(), total) << [&] {
    std::string texto;
    for (const auto &m : recebido) {
      for (uint8_t b : m) texto += QString::asprintf("%02x ", b).toStdString();
      texto += "| ";
    }
    return texto;
  }();
  const std::vector<std::vector<uint8_t>> musica(recebido.begin() + 64,
                                                 recebido.begin() + 64 + esperado.size());
  EXPECT_EQ(musica, esperado);
  EXPECT_EQ(recebido[64 + esperado.size()], (std::vector<uint8_t>{0x99, 42, 0}));
  EXPECT_EQ(recebido[65 + esperado.size()], (std::vector<uint8_t>{0x99, 49, 0}));
  EXPECT_EQ(recebido.front(), (std::vector<uint8_t>{0xB0, 7, 127}));
  EXPECT_EQ(recebido.back(), (std::vector<uint8_t>{0xBF, 121, 0}));
}

// A bar of count-in and the click on a 3/4 song at 150 BPM (a beat is 400 ms):
// three count-in clicks a beat apart, high block first, the song's first kick a beat after
// the last; then a click on every beat of the song, high on each bar's first, on the frame of
// the song's kick of that beat. Intervals hold on the frame timeline or on the monotonic one:
// a late cycle of the dummy server moves only the first, a late wake of the capture the second.
TEST(KovrintaSongJack, CountInAndClickFollowTheSongsSignatureOnItsBeatGrid) {
  JackServer server;
  KOVRINTA_REQUIRE_JACK(server);
  JackTestClient gravador("capture", true, false);
  ASSERT_TRUE(gravador.ready());

  const int dispositivo = dispositivoDaCaptura();
  ASSERT_GE(dispositivo, 0) << "the capture port is not among the devices";

  // Two bars of 3/4 at 96 ticks per quarter, a kick on every beat.
  constexpr int kBatidas = 6;
  std::vector<uint8_t> eventos =
      junta({ev(0, {0xFF, 0x58, 4, 3, 2, 24, 8}), ev(0, {0xFF, 0x51, 3, 0x06, 0x1A, 0x80})});
  for (int i = 0; i < kBatidas; ++i) {
    const auto on = ev(i == 0 ? 0 : 72, {0x99, 36, 100});
    const auto off = ev(24, {0x89, 36, 0});
    eventos.insert(eventos.end(), on.begin(), on.end());
    eventos.insert(eventos.end(), off.begin(), off.end());
  }
  QTemporaryDir pasta;
  const QString arquivo = gravarMusica(pasta, "waltz.mid", smf(96, {eventos}, 0));
  ASSERT_FALSE(arquivo.isEmpty());

  // A stall of the host moves a click on both timelines in that run only; a fault of the
  // timing moves it in every run. Up to three runs.
  const double batidaMs = 400.0;
  std::string falha;
  for (int tentativa = 1; tentativa <= 3; ++tentativa) {
    const std::size_t antes = gravador.receivedWithFrames().size();
    QProcess tocar;
    tocar.start(tool(),
                {"--play", QString::number(dispositivo), arquivo, "--count-in", "1", "--click"});
    ASSERT_TRUE(tocar.waitForFinished(30000)) << "the play did not end";
    ASSERT_EQ(tocar.exitCode(), 0) << tocar.readAllStandardError().toStdString();
    gravador.waitForCycles(4);

    // The volume and reset messages around the song carry no note-on.
    std::vector<JackTestClient::Received> cliques, bumbos;
    const auto recebido = gravador.receivedWithFrames();
    for (std::size_t i = antes; i < recebido.size(); ++i) {
      const auto &m = recebido[i];
      if (m.bytes.size() != 3 || m.bytes[0] != 0x99 || m.bytes[2] == 0) continue;
      (m.bytes[1] == 36 ? bumbos : cliques).push_back(m);
    }
    std::vector<int> notas;
    for (const auto &c : cliques) notas.push_back(c.bytes[1]);
    ASSERT_EQ(notas, (std::vector<int>{76, 77, 77, 76, 77, 77, 76, 77, 77}));
    ASSERT_EQ(bumbos.size(), std::size_t{kBatidas});
    EXPECT_LT(cliques[2].frame, bumbos[0].frame) << "the count-in did not come before the song";
    for (int i = 0; i < kBatidas; ++i)
      EXPECT_EQ(cliques[3 + i].frame, bumbos[i].frame) << "beat " << i + 1 << " off the grid";
    const QStringList linhas = QString::fromUtf8(tocar.readAllStandardOutput()).split('\n');
    EXPECT_EQ(linhas.mid(0, 4),
              (QStringList{"count-in 1", "count-in 2", "count-in 3", "bar 1 beat 1"}));
    EXPECT_TRUE(linhas.contains("bar 2 beat 1")) << linhas.join(" | ").toStdString();

    falha.clear();
    for (std::size_t i = 1; i < cliques.size() && falha.empty(); ++i) {
      const double quadros =
          double(cliques[i].frame - cliques[i - 1].frame) * 1e3 / gravador.sampleRate();
      const double relogio = double(cliques[i].wallNs - cliques[i - 1].wallNs) / 1e6;
      if (std::fabs(quadros - batidaMs) > 2.0 && std::fabs(relogio - batidaMs) > 2.0)
        falha = "click " + std::to_string(i + 1) + " came " + std::to_string(quadros) +
                " ms (frames) or " + std::to_string(relogio) + " ms (clock) after the one before";
    }
    if (falha.empty()) break;
  }
  EXPECT_EQ(falha, "");
}

TEST(KovrintaSongJack, AFileOrDeviceThatFailsGivesAClearMessage) {
  QProcess tocar;
  tocar.start(tool(), {"--play", "0", "/nonexistent/song.mid"});
  ASSERT_TRUE(tocar.waitForFinished(20000));
  EXPECT_NE(tocar.exitCode(), 0);
  EXPECT_TRUE(tocar.readAllStandardError().contains("no such file"));

  // The built-in synthesizer with no JACK server, no sound server and no sound card: the
  // message says what was tried and what to start.
  QTemporaryDir pasta;
  const QString arquivo = gravarMusica(pasta, "groove.mid", smf(96, {ev(0, {0x99, 42, 90})}));
  ASSERT_FALSE(arquivo.isEmpty());
  QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
  ambiente.insert("JACK_DEFAULT_SERVER", "kovrinta-no-such-server");
  ambiente.insert("PULSE_SERVER", "unix:" + pasta.filePath("no-such-socket"));
  ambiente.insert("ALSA_CONFIG_PATH", pasta.filePath("no-such-alsa.conf"));
  QProcess semSom;
  semSom.setProcessEnvironment(ambiente);
  semSom.start(tool(), {"--play", "0", arquivo});
  ASSERT_TRUE(semSom.waitForFinished(20000));
  const QString erro = QString::fromUtf8(semSom.readAllStandardError());
  if (!erro.contains("Kovrinta Synth")) GTEST_SKIP() << "device 0 is no built-in synthesizer";
  EXPECT_EQ(semSom.exitCode(), 1);
  for (const char *tentado : {"JACK", "PipeWire", "PulseAudio", "ALSA"})
    EXPECT_TRUE(erro.contains(tentado)) << erro.toStdString();
}

}  // namespace

// kovrinta-song playing 64 snares a beat apart into the capture port of a private server, its
// first snares arrived. A fixture, so that each test may end the play or the server its way.
class TocandoLonga : public ::testing::Test {
 protected:
  void tocar(const QProcessEnvironment &ambiente = QProcessEnvironment::systemEnvironment()) {
    KOVRINTA_REQUIRE_JACK(server);
    ASSERT_TRUE(gravador.ready());
    const int dispositivo = dispositivoDaCaptura();
    ASSERT_GE(dispositivo, 0);
    std::vector<uint8_t> eventos;
    for (int i = 0; i < 64; ++i) {
      const auto on = ev(i == 0 ? 0 : 48, {0x99, 38, 90});
      eventos.insert(eventos.end(), on.begin(), on.end());
    }
    const QString arquivo = gravarMusica(pasta, "longa.mid", smf(96, {eventos}, 0));
    ASSERT_FALSE(arquivo.isEmpty());
    processo.setProcessEnvironment(ambiente);
    processo.start(tool(), {"--play", QString::number(dispositivo), arquivo});
    ASSERT_TRUE(gravador.waitForReceived(16 + 48 + 2))
        << processo.readAllStandardError().toStdString();
  }

  JackServer server;
  JackTestClient gravador{"capture", true, false};
  QTemporaryDir pasta;
  QProcess processo;
};

// Every jack_client_close hangs (preloaded): Ctrl-C still ends the play, each close given up
// after its deadline.
TEST_F(TocandoLonga, AJackCloseThatHangsDoesNotHoldTheProgram) {
  QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
  ambiente.insert("LD_PRELOAD", FECHAMENTO_TRAVADO);
  ASSERT_NO_FATAL_FAILURE(tocar(ambiente));
  if (IsSkipped()) return;
  processo.terminate();
  QElapsedTimer relogio;
  relogio.start();
  // Hung closes would hold it for good; the bound is loose for a loaded host.
  ASSERT_TRUE(processo.waitForFinished(10000)) << "the program hung in a JACK close";
  std::printf("ended %lld ms after Ctrl-C\n", static_cast<long long>(relogio.elapsed()));
  EXPECT_EQ(processo.exitCode(), 130) << processo.readAllStandardError().toStdString();
}

// The JACK server stopped while the song plays: kovrinta-song says so and ends with a failure,
// instead of playing on in silence.
TEST_F(TocandoLonga, AServerStoppedUnderThePlayEndsItWithAMessage) {
  ASSERT_NO_FATAL_FAILURE(tocar());
  if (IsSkipped()) return;
  server.parar();
  ASSERT_TRUE(processo.waitForFinished(10000)) << "it played on";
  EXPECT_EQ(processo.exitCode(), 1);
  EXPECT_TRUE(processo.readAllStandardError().contains("the output device went away"));
}

// The program that owns the output port quits under the play (as a module unplugged under a
// bridge does): the same message, and no hang.
TEST_F(TocandoLonga, AnOutputPortWhoseClientQuitsEndsThePlayWithAMessage) {
  ASSERT_NO_FATAL_FAILURE(tocar());
  if (IsSkipped()) return;
  gravador.close();
  ASSERT_TRUE(processo.waitForFinished(10000)) << "it played on";
  EXPECT_EQ(processo.exitCode(), 1);
  EXPECT_TRUE(processo.readAllStandardError().contains("the output device went away"));
}
