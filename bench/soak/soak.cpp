// An hour of playing: the main window (soak_window) on an X display of its own (Xvfb) plays the
// rhythm folder's grooves one after another on the built-in synthesizer of a private JACK
// dummy server, with loop wraps, tempo changes, track switches, Stops and Plays, while xdotool
// presses play-along keys into it (a key every 400 ms, held 50 ms). Once a minute it prints
// the window's resident memory, threads, open files, the sticks and pieces still lit half a
// second after each Stop, the stamps the output missed, and the cycles the server ran late
// (xruns: a stall of the machine, which a late stamp may follow). At the end the figures
// against the goals: memory within 5 MB of its level after the first minute, no growth of
// threads or open files, no piece left lit, no late stamp in a minute without a stall.
//
//   soak [--minutes M]      (60 unless given; CI runs 2)
//
// Exits 0 whatever the figures are; 1 when the server, the display or the window cannot start
// or the window fails.
#include <jack/jack.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "timing/Argumentos.h"
#include "timing/Processos.h"
#include "timing/Relogio.h"
#include "timing/ServidorJack.h"
#include "timing/TelaXvfb.h"

using namespace bench;

namespace {

// Counts the cycles the server runs late.
class ContadorXruns {
 public:
  ContadorXruns() {
    jack_status_t status{};
    cliente = jack_client_open("soak-xruns", JackNoStartServer, &status);
    if (!cliente) return;
    jack_set_xrun_callback(
        cliente,
        [](void *dados) {
          static_cast<ContadorXruns *>(dados)->xruns.fetch_add(1);
          return 0;
        },
        this);
    if (jack_activate(cliente) != 0) {
      jack_client_close(cliente);
      cliente = nullptr;
    }
  }
  ~ContadorXruns() {
    if (cliente) jack_client_close(cliente);
  }
  ContadorXruns(const ContadorXruns &) = delete;
  ContadorXruns &operator=(const ContadorXruns &) = delete;

  jack_client_t *cliente = nullptr;
  std::atomic<uint64_t> xruns{0};
};

struct Minuto {
  double rss = 0;
  long threads = 0, fds = 0, acesas = 0, atrasadas = 0, paradas = 0, grooves = 0, teclas = 0;
  uint64_t xruns = 0;
};

int falhar(const char *motivo) {
  std::fprintf(stderr, "soak: %s\n", motivo);
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  int minutos = 60;
  if (!lerArgumentos(app.arguments(), {{"--minutes", &minutos}}) || minutos <= 0) {
    std::fprintf(stderr, "usage: soak [--minutes M]\n");
    return 2;
  }
  ServidorJack servidor(128);
  if (!servidor.pronto) return falhar("the JACK server did not start");
  ContadorXruns contador;
  if (!contador.cliente) return falhar("the xrun counter cannot connect to the server");
  TelaXvfb x;
  if (x.display.isEmpty()) return falhar("Xvfb did not start");

  QTemporaryDir pasta;
  QProcess janela;
  janela.setProcessEnvironment(x.ambiente());
  janela.setStandardErrorFile(pasta.filePath("erros.txt"));
  janela.start(QStringLiteral(SOAK_WINDOW), {"--minutes", QString::number(minutos)});
  if (!janela.waitForStarted(5000)) return falhar("soak_window did not start");
  const QString id = janelaPrincipal(x, QStringLiteral("Kovrinta"), &janela);
  if (id.isEmpty()) {
    encerrar(janela);
    return falhar("the window did not show");
  }
  apontarPara(x, id);
  TecladoX teclado(x);
  if (!teclado.pronto()) {
    encerrar(janela);
    return falhar("xdotool did not start");
  }
  std::printf(
      "soak: %d minutes of the main window on Xvfb %s, built-in synthesizer on a JACK dummy "
      "server at 128 frames; xdotool presses A, X, C, V in turn every 400 ms\n",
      minutos, qPrintable(x.display));
  std::fflush(stdout);

  const QRegularExpression formato(
      QStringLiteral(R"(minute (\d+) rss=([\d.]+) threads=(\d+) fds=(\d+) grooves=(\d+) )"
                     R"(stops=(\d+) lit-after-stop=(\d+) late-stamps=(\d+) keys=(\d+))"));
  std::vector<Minuto> minutosVistos;
  uint64_t xrunsAntes = 0;
  const char *teclas[] = {"a", "x", "c", "v"};
  std::size_t proximaTecla = 0;
  int64_t proximoToque = agoraNs();
  QByteArray pendente;
  while (janela.state() == QProcess::Running) {
    janela.waitForReadyRead(20);
    pendente += janela.readAllStandardOutput();
    for (qsizetype fim; (fim = pendente.indexOf('\n')) >= 0; pendente.remove(0, fim + 1)) {
      const QString linha = QString::fromUtf8(pendente.left(fim));
      const auto m = formato.match(linha);
      if (!m.hasMatch()) {
        std::printf("  %s\n", qPrintable(linha));
        continue;
      }
      Minuto mm;
      mm.rss = m.captured(2).toDouble();
      mm.threads = m.captured(3).toLong();
      mm.fds = m.captured(4).toLong();
      mm.grooves = m.captured(5).toLong();
      mm.paradas = m.captured(6).toLong();
      mm.acesas = m.captured(7).toLong();
      mm.atrasadas = m.captured(8).toLong();
      mm.teclas = m.captured(9).toLong();
      const uint64_t xruns = contador.xruns.load();
      mm.xruns = xruns - xrunsAntes;
      xrunsAntes = xruns;
      minutosVistos.push_back(mm);
      std::printf(
          "minute %3s  rss %7.1f MB  threads %3ld  fds %3ld  grooves %2ld  stops %2ld  "
          "lit after stop %ld  late stamps %ld  xruns %llu  keys %ld\n",
          qPrintable(m.captured(1)), mm.rss, mm.threads, mm.fds, mm.grooves, mm.paradas, mm.acesas,
          mm.atrasadas, static_cast<unsigned long long>(mm.xruns), mm.teclas);
      std::fflush(stdout);
    }
    if (agoraNs() >= proximoToque) {
      const QByteArray tecla = teclas[proximaTecla++ % 4];
      teclado.enviar(("keydown " + tecla + "\n").constData());
      dormirAte(agoraNs() + 50'000'000);
      teclado.enviar(("keyup " + tecla + "\n").constData());
      proximoToque += 400'000'000;
    }
  }
  teclado.fechar();
  janela.waitForFinished(10000);
  if (janela.exitStatus() != QProcess::NormalExit || janela.exitCode() != 0) {
    QFile erros(pasta.filePath("erros.txt"));
    erros.open(QIODevice::ReadOnly);
    std::fprintf(stderr, "soak: the window failed: %s\n", erros.readAll().trimmed().constData());
    return 1;
  }
  if (minutosVistos.empty()) return falhar("the window reported no minute");

  const Minuto &primeiro = minutosVistos.front();
  double rssMax = primeiro.rss;
  long threadsMax = primeiro.threads, fdsMax = primeiro.fds, acesas = 0, atrasadas = 0,
       atrasadasSemXrun = 0, paradas = 0, grooves = 0;
  for (const Minuto &mm : minutosVistos) {
    rssMax = std::max(rssMax, mm.rss);
    threadsMax = std::max(threadsMax, mm.threads);
    fdsMax = std::max(fdsMax, mm.fds);
    acesas += mm.acesas;
    atrasadas += mm.atrasadas;
    if (mm.xruns == 0) atrasadasSemXrun += mm.atrasadas;
    paradas += mm.paradas;
    grooves += mm.grooves;
  }
  const Minuto &ultimo = minutosVistos.back();
  std::printf(
      "\nsoak: %zu minutes, %ld grooves, %ld stops\n"
      "resident memory after minute 1 %.1f MB, highest %.1f MB (+%.1f), last %.1f MB (+%.1f); "
      "goal: within 5 MB\n"
      "threads after minute 1 %ld, highest %ld, last %ld; open files %ld, highest %ld, last "
      "%ld; goal: no growth\n"
      "sticks and pieces lit after a Stop: %ld; goal: 0\n"
      "late stamps %ld, %ld of them in minutes without an xrun; goal: none outside the "
      "stalls\n",
      minutosVistos.size(), grooves, paradas, primeiro.rss, rssMax, rssMax - primeiro.rss,
      ultimo.rss, ultimo.rss - primeiro.rss, primeiro.threads, threadsMax, ultimo.threads,
      primeiro.fds, fdsMax, ultimo.fds, acesas, atrasadas, atrasadasSemXrun);
  return 0;
}
