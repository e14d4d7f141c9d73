// The sound server going away under the program as a user runs it: kovrinta on a private X
// display plays on its built-in synthesizer through a private JACK server, whose audio the
// test listens to; the server is stopped and started again.
#include <gtest/gtest.h>
#include <jack/jack.h>

#include <QProcess>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

#include "JackServer.h"
#include "ProgramaFalso.h"
#include "ProgramaTeste.h"
#include "QtWait.h"
#include "ServidorXvfb.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

// Listens to the built-in synthesizer's left output: the loudest sample heard.
class OuvinteAudio {
 public:
  OuvinteAudio() {
    jack_status_t status{};
    cliente = jack_client_open("ouvinte", JackNoStartServer, &status);
    if (!cliente) return;
    porta = jack_port_register(cliente, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(cliente, &OuvinteAudio::processar, this);
    if (!porta || jack_activate(cliente) != 0) {
      jack_client_close(cliente);
      cliente = nullptr;
    }
  }
  ~OuvinteAudio() {
    if (cliente) jack_client_close(cliente);
  }
  OuvinteAudio(const OuvinteAudio &) = delete;
  OuvinteAudio &operator=(const OuvinteAudio &) = delete;

  bool pronto() const { return cliente != nullptr; }
  // Connects to the synthesizer's output once the program has made it.
  bool conectar() {
    const char **portas =
        jack_get_ports(cliente, "^Kovrinta[^:]*:left$", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    if (!portas) return false;
    const bool feito = jack_connect(cliente, portas[0], jack_port_name(porta)) == 0;
    jack_free(portas);
    return feito;
  }
  float pico() const { return pico_.load(); }

 private:
  static int processar(jack_nframes_t quadros, void *dados) {
    auto &self = *static_cast<OuvinteAudio *>(dados);
    const auto *amostras = static_cast<const float *>(jack_port_get_buffer(self.porta, quadros));
    float maior = self.pico_.load(std::memory_order_relaxed);
    for (jack_nframes_t i = 0; i < quadros; ++i) maior = std::max(maior, std::fabs(amostras[i]));
    self.pico_.store(maior, std::memory_order_relaxed);
    return 0;
  }

  jack_client_t *cliente = nullptr;
  jack_port_t *porta = nullptr;
  std::atomic<float> pico_{0};
};

// Whether the program lists its built-in synthesizer as device 0 (a soundfont is installed).
bool temSintetizador() {
  QProcess listar;
  listar.start(QString(KOVRINTA_PROGRAM_DIR) + "/kovrinta-song", {"--devices"});
  return listar.waitForFinished(20000) &&
         listar.readAllStandardOutput().startsWith("0 Kovrinta Synth");
}

constexpr float audivel = 0.01f;

// The server stops under the playing window: the window says so and lives on; once a server
// runs again, Play opens the synthesizer again and the song sounds.
TEST_F(Programa, ASoundServerThatStopsIsToldAndPlayOpensTheDeviceAgainOnceItIsBack) {
  JackServer servidor;
  KOVRINTA_REQUIRE_JACK(servidor);
  if (!temSintetizador()) {
    if (inCi()) FAIL() << "no soundfont installed";
    GTEST_SKIP() << "no soundfont installed";
  }
  programa.escrever("kovrinta.ini", "[geral]\ndriver=0\nvolume=100\nidioma=English\n");
  std::vector<uint8_t> caixas;
  for (int i = 0; i < 120; ++i) {
    const auto on = ev(i == 0 ? 0 : 48, {0x99, 38, 110});
    caixas.insert(caixas.end(), on.begin(), on.end());
  }
  const auto bytes = smf(96, {caixas}, 0);
  programa.escrever("caixas.mid", QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                             static_cast<qsizetype>(bytes.size())));

  iniciar({programa.caminho("caixas.mid")});
  const auto principal = esperarPrincipal();
  ASSERT_TRUE(principal) << "the main window did not appear";
  auto ouvinte = std::make_unique<OuvinteAudio>();
  ASSERT_TRUE(ouvinte->pronto());
  ASSERT_TRUE(waitFor([&] { return ouvinte->conectar(); }, 20s)) << "no synthesizer output";
  ASSERT_TRUE(waitFor([&] { return ouvinte->pico() > audivel; }, 20s)) << "the song is silent";

  QStringList antes;
  for (const auto &janela : xvfb.janelas()) antes << janela.id;
  servidor.parar();
  ouvinte.reset();
  const auto mensagem =
      xvfb.esperarJanela([&](const ServidorXvfb::Janela &j) { return !antes.contains(j.id); }, 20s);
  ASSERT_TRUE(mensagem) << "the window said nothing";
  EXPECT_EQ(mensagem->nome, "Kovrinta");
  ASSERT_EQ(processo.state(), QProcess::Running);
  // Without a window manager the keyboard follows the pointer.
  ASSERT_TRUE(xvfb.xdotool({"mousemove", "--window", mensagem->id, "20", "20"}));
  ASSERT_TRUE(waitFor(
      [&] {
        xvfb.xdotool({"key", "Return"});
        const auto janelas = xvfb.janelas();
        return std::none_of(janelas.begin(), janelas.end(),
                            [&](const ServidorXvfb::Janela &j) { return j.id == mensagem->id; });
      },
      10s))
      << "the message could not be answered";

  ASSERT_TRUE(servidor.iniciar()) << servidor.failure();
  ouvinte = std::make_unique<OuvinteAudio>();
  ASSERT_TRUE(ouvinte->pronto());
  // The Play button.
  ASSERT_TRUE(xvfb.xdotool({"mousemove", "--window", principal->id, "166", "507", "click", "1"}));
  ASSERT_TRUE(waitFor([&] { return ouvinte->conectar(); }, 20s)) << "Play opened nothing";
  EXPECT_TRUE(waitFor([&] { return ouvinte->pico() > audivel; }, 20s)) << "Play is silent";
  EXPECT_EQ(processo.state(), QProcess::Running);
  processo.kill();
  terminar();
}

}  // namespace
