// How long a key of the keyboard play-along takes to sound: the program itself (kovrinta) on
// an X display of its own (Xvfb), playing on its built-in synthesizer into a private JACK
// dummy server, while xdotool presses the snare's key (A) again and again. The time of each
// press is taken just before the key-down is handed to xdotool; the sound's onset is found
// in the synthesizer's audio as a JACK client records it, on the same monotonic clock.
// Prints p50, p99 and max of press to onset beside the goal; exits 0 whatever they are (1
// when something it needs does not start).
//
// usage: keyboard_bench [--hits N] [--period FRAMES] [--gap MS] [--program-dir DIR]
//
// The way from the press to the sound: xdotool's XTEST request, the X server, Qt's event
// delivery to the window's key filter, the note put to the built-in synthesizer, which plays
// it at the sample of that moment plus one constant latency (a period and a quarter, at
// least 1 ms: 3.67 ms at 128 frames), and the recording's cycle. A real sound card adds
// its own output latency after that, which the dummy backend has not.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>
#include <vector>

#include "timing/Analise.h"
#include "timing/Argumentos.h"
#include "timing/Dispositivos.h"
#include "timing/JackRecorder.h"
#include "timing/Relogio.h"
#include "timing/ServidorJack.h"
#include "timing/TelaXvfb.h"

using namespace bench;

namespace {

struct Opcoes {
  int golpes = 200;
  int period = 128;
  int intervaloMs = 300;
  QString programa = QStringLiteral(KOVRINTA_PROGRAM_DIR);
};

// A program folder of the run's own, so that the program's settings are written there: the
// program copied, its library and language files linked.
bool montarPasta(const QString &origem, const QString &destino, int dispositivo) {
  const QDir de(origem);
  const QDir para(destino);
  if (!QFile::copy(de.filePath("kovrinta"), para.filePath("kovrinta"))) return false;
  for (const QString &nome : de.entryList({"libVxMidi.so*", "*.idm", "*.dat"}, QDir::Files))
    if (!QFile::link(de.filePath(nome), para.filePath(nome))) return false;
  QFile ini(para.filePath("kovrinta.ini"));
  if (!ini.open(QIODevice::WriteOnly)) return false;
  ini.write(
      QStringLiteral("[geral]\ndriver=%1\nvolume=100\nidioma=English\n").arg(dispositivo).toUtf8());
  return true;
}

bool parse(const QStringList &args, Opcoes &o) {
  return lerArgumentos(args, {{"--hits", &o.golpes},
                              {"--period", &o.period},
                              {"--gap", &o.intervaloMs},
                              {"--program-dir", &o.programa}}) &&
         o.golpes > 0 && o.period > 0 && o.intervaloMs >= 100;
}

int falhar(const char *motivo) {
  std::fprintf(stderr, "keyboard_bench: %s\n", motivo);
  return 1;
}

// One run of the program on one device.
struct Rodada {
  std::vector<double> atrasosMs;  // press to sound (or to the port), each counted press
  double primeiraMs = NAN;        // the warm-up press's, not counted
  std::size_t achados = 0;        // onsets or notes found
  std::size_t perdidas = 0;       // counted presses with nothing within 100 ms
  uint64_t xruns = 0;
  QString falha;
};

// The times of the snare's sounds (audio: the onsets of the recording) or of its note-ons at
// the recorder's MIDI input, on the monotonic clock.
std::vector<double> chegadas(const JackRecorder &gravador, bool audio) {
  std::vector<double> t;
  if (audio) {
    for (double f : inicios(gravador.peaks(), gravador.frames(),
                            static_cast<std::size_t>(gravador.rate() * 0.06)))
      t.push_back(gravador.wallOfFrameNs(static_cast<std::size_t>(f)) +
                  (f - std::floor(f)) * 1e9 / gravador.rate());
  } else {
    for (const auto &m : gravador.midi())
      if (m.length == 3 && m.bytes[0] == 0x99 && m.bytes[1] == 38 && m.bytes[2] > 0)
        t.push_back(double(m.wallNs));
  }
  return t;
}

// Starts the program on dispositivo, presses A o.golpes times plus one to warm up, and pairs
// each press with the first sound after it.
Rodada rodada(const Opcoes &o, const TelaXvfb &x, JackRecorder &gravador, int dispositivo,
              bool audio) {
  Rodada r;
  QTemporaryDir pasta;
  QTemporaryDir configuracoes;
  if (!montarPasta(o.programa, pasta.path(), dispositivo)) {
    r.falha = "cannot make a program folder";
    return r;
  }
  // The program, with no song: the keys alone sound.
  QProcess kovrinta;
  QProcessEnvironment ambiente = x.ambiente();
  ambiente.insert("XDG_CONFIG_HOME", configuracoes.path());
  kovrinta.setProcessEnvironment(ambiente);
  kovrinta.setStandardOutputFile(QProcess::nullDevice());
  kovrinta.setStandardErrorFile(QProcess::nullDevice());
  kovrinta.start(QDir(pasta.path()).filePath("kovrinta"), {});
  if (!kovrinta.waitForStarted(10000)) {
    r.falha = "kovrinta did not start";
    return r;
  }
  const auto terminar = [&] {
    kovrinta.kill();
    kovrinta.waitForFinished(5000);
  };
  int conectadas = audio ? 0 : 2;
  for (int i = 0; i < 1000 && conectadas < 2; ++i) {
    conectadas = gravador.connectAudio(std::regex("^Kovrinta:"));
    if (conectadas < 2) QThread::msleep(20);
  }
  const QString janela = janelaPrincipal(x, "^Kovrinta$");
  if (conectadas < 2 || janela.isEmpty()) {
    terminar();
    r.falha = "the program's window or its synthesizer's audio did not appear";
    return r;
  }
  // The port's connection to the recorder is made when the program opens it, a moment after
  // its window shows.
  apontarPara(x, janela);
  QThread::msleep(1000);

  TecladoX teclado(x);
  if (!teclado.pronto()) {
    terminar();
    r.falha = "xdotool did not start";
    return r;
  }
  gravador.start();
  QThread::msleep(300);
  std::vector<int64_t> enviadas;
  const auto periodoUs = static_cast<int>(gravador.period() * 1e6 / gravador.rate());
  for (int i = 0; i <= o.golpes; ++i) {
    QThread::usleep(static_cast<unsigned long>(o.intervaloMs * 1000 - 40000 +
                                               QRandomGenerator::global()->bounded(periodoUs)));
    enviadas.push_back(agoraNs());
    teclado.enviar("keydown a\n");
    QThread::msleep(40);
    teclado.enviar("keyup a\n");
  }
  QThread::msleep(500);
  gravador.stop();
  teclado.fechar();
  terminar();
  r.xruns = gravador.xruns();

  const std::vector<double> sons = chegadas(gravador, audio);
  r.achados = sons.size();
  std::size_t j = 0;
  for (std::size_t i = 0; i < enviadas.size(); ++i) {
    const auto enviada = double(enviadas[i]);
    while (j < sons.size() && sons[j] < enviada) ++j;
    const bool achou = j < sons.size() && sons[j] - enviada < 100e6;
    const double atraso = achou ? (sons[j] - enviada) / 1e6 : NAN;
    if (achou) ++j;
    if (i == 0)
      r.primeiraMs = atraso;
    else if (achou)
      r.atrasosMs.push_back(atraso);
    else
      ++r.perdidas;
  }
  return r;
}

void imprimir(const char *nome, const Rodada &r, double metaMs) {
  std::printf("\n%s\n", nome);
  if (!r.falha.isEmpty()) {
    std::printf("  not measured: %s\n", qPrintable(r.falha));
    return;
  }
  std::printf(
      "  found %zu, counted presses with nothing within 100 ms %zu, xruns %llu, the "
      "warm-up press %.2f ms\n",
      r.achados, r.perdidas, static_cast<unsigned long long>(r.xruns), r.primeiraMs);
  if (r.atrasosMs.empty()) return;
  const double p99 = percentil(r.atrasosMs, 0.99);
  std::printf("  ms: min %.2f  p50 %.2f  p99 %.2f  max %.2f  (n=%zu)",
              *std::min_element(r.atrasosMs.begin(), r.atrasosMs.end()),
              percentil(r.atrasosMs, 0.5), p99, percentil(r.atrasosMs, 1.0), r.atrasosMs.size());
  if (!std::isnan(metaMs))
    std::printf("  [goal p99 < %.0f: %s]", metaMs, p99 < metaMs ? "met" : "missed");
  std::printf("\n");
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Opcoes o;
  if (!parse(app.arguments(), o)) {
    std::fprintf(stderr,
                 "usage: keyboard_bench [--hits N] [--period FRAMES] [--gap MS] "
                 "[--program-dir DIR]\n");
    return 1;
  }
  ServidorJack jack(o.period);
  if (!jack.pronto) return falhar("the JACK server did not start");
  const double segundos = 10.0 + (o.golpes + 1) * (o.intervaloMs + 5) / 1000.0;
  JackRecorder gravador("bench-rec", segundos);
  if (!gravador.ready()) return falhar("the recorder cannot connect");
  TelaXvfb x;
  if (x.display.isEmpty()) return falhar("Xvfb did not start");
  const int sintetizadorN = dispositivo(o.programa, "Kovrinta Synth");
  const int portaN =
      dispositivo(o.programa, QString::fromStdString("JACK " + gravador.midiInput()));
  if (sintetizadorN < 0) return falhar("kovrinta-song lists no built-in synthesizer");
  std::printf(
      "keyboard_bench: JACK dummy server, %u frames at %.0f Hz (%.2f ms); %d presses "
      "of A a run, %d ms apart and a random part of a period more\n",
      gravador.period(), gravador.rate(), gravador.period() * 1e3 / gravador.rate(), o.golpes,
      o.intervaloMs);
  imprimir("press to sound: the built-in synthesizer's audio onsets",
           rodada(o, x, gravador, sintetizadorN, true), 10.0);
  // The same presses into a JACK MIDI port: the window's part of the way, plus the wait for
  // the next JACK cycle (0 to one period).
  Rodada porta;
  if (portaN < 0)
    porta.falha = "kovrinta-song does not list the recorder's MIDI input";
  else
    porta = rodada(o, x, gravador, portaN, false);
  imprimir("press to note: the note-ons at a JACK MIDI port", porta, NAN);
  return 0;
}
