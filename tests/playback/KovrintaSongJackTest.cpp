// kovrinta-song plays a file through the real sequencer and timer into a JACK MIDI port.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <mutex>
#include <vector>

#include "JackServer.h"
#include "ProgramaFalso.h"

using namespace kovrinta::test;

namespace {

// A JACK client with one MIDI input that keeps every message it receives.
class Gravador {
 public:
  Gravador() {
    client_ = jack_client_open("capture", JackNoStartServer, nullptr);
    if (!client_) return;
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &Gravador::process, this);
    jack_activate(client_);
  }
  ~Gravador() {
    if (client_) jack_client_close(client_);
  }
  bool ok() const { return client_ && port_; }
  std::vector<std::vector<uint8_t>> mensagens() {
    std::lock_guard guard(lock_);
    return mensagens_;
  }

 private:
  static int process(jack_nframes_t frames, void *arg) {
    auto *self = static_cast<Gravador *>(arg);
    void *buffer = jack_port_get_buffer(self->port_, frames);
    const uint32_t n = jack_midi_get_event_count(buffer);
    std::lock_guard guard(self->lock_);
    for (uint32_t i = 0; i < n; ++i) {
      jack_midi_event_t e;
      if (jack_midi_event_get(&e, buffer, i) == 0)
        self->mensagens_.emplace_back(e.buffer, e.buffer + e.size);
    }
    return 0;
  }

  jack_client_t *client_ = nullptr;
  jack_port_t *port_ = nullptr;
  std::mutex lock_;
  std::vector<std::vector<uint8_t>> mensagens_;
};

QString tool() {
  return QString(KOVRINTA_PROGRAM_DIR) + "/kovrinta-song";
}

TEST(KovrintaSongJack, PlaysEveryMessageOfTheFileInOrderIntoAJackPort) {
  JackServer server;
  KOVRINTA_REQUIRE_JACK(server);
  Gravador gravador;
  ASSERT_TRUE(gravador.ok());

  QProcess listar;
  listar.start(tool(), {"--devices"});
  ASSERT_TRUE(listar.waitForFinished(20000));
  int dispositivo = -1;
  for (const QByteArray &linha : listar.readAllStandardOutput().split('\n'))
    if (linha.contains("capture:in")) dispositivo = linha.split(' ').first().toInt();
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
  const QString arquivo = pasta.filePath("groove.mid");
  QFile file(arquivo);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const auto bytes = smf(96, {eventos}, 0);
  file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
  file.close();

  QProcess tocar;
  tocar.start(tool(), {"--play", QString::number(dispositivo), arquivo});
  ASSERT_TRUE(tocar.waitForFinished(30000)) << "the play did not end";
  EXPECT_EQ(tocar.exitCode(), 0) << tocar.readAllStandardError().toStdString();

  // The last messages leave with the port's next cycle.
  std::vector<std::vector<uint8_t>> recebido;
  const std::size_t total = 16 + 48 + esperado.size() + 1 + 48 + 16;
  for (int i = 0; i < 200 && recebido.size() < total; ++i) {
    recebido = gravador.mensagens();
    QThread::msleep(10);
  }
  // 16 volume messages at start, a reset after the load (48), the song, and at the end a
  // reset (the crash's note-off, then 48) and Reset All Controllers (16).
  ASSERT_EQ(recebido.size(), total);
  const std::vector<std::vector<uint8_t>> musica(recebido.begin() + 64,
                                                 recebido.begin() + 64 + esperado.size());
  EXPECT_EQ(musica, esperado);
  EXPECT_EQ(recebido[64 + esperado.size()], (std::vector<uint8_t>{0x99, 49, 0}));
  EXPECT_EQ(recebido.front(), (std::vector<uint8_t>{0xB0, 7, 127}));
  EXPECT_EQ(recebido.back(), (std::vector<uint8_t>{0xBF, 121, 0}));
}

TEST(KovrintaSongJack, AFileOrDeviceThatFailsGivesAClearMessage) {
  QProcess tocar;
  tocar.start(tool(), {"--play", "0", "/nonexistent/song.mid"});
  ASSERT_TRUE(tocar.waitForFinished(20000));
  EXPECT_NE(tocar.exitCode(), 0);
  EXPECT_TRUE(tocar.readAllStandardError().contains("no such file"));
}

}  // namespace
