// The drum lane view playing a dense song: the main window (window_bench) on an X display of
// its own at 1920 x 1080 plays the rhythm folder's fastest groove on the built-in synthesizer
// of a private JACK dummy server, looping its first eight bars, once without the view and once
// with it open at full HD. Prints the window's figures of each run (the view's frame interval,
// its "now" line against the end of each frame's paint, the CPU of the window's thread and
// process), the X server's CPU in each, and what the view added.
//
//   lanes_bench [--seconds S]      (60 unless given)
//
// Exits 0 whatever the figures are; 1 when the server, the display or the window cannot start.
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

#include "timing/Argumentos.h"
#include "timing/Dispositivos.h"
#include "timing/Processos.h"
#include "timing/ServidorJack.h"
#include "timing/TelaXvfb.h"

using namespace bench;

namespace {

// The CPU time a process has taken, in seconds, from /proc.
double cpuDe(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return 0;
  const QByteArray texto = stat.readAll();
  // The fields after the command's name in parentheses; utime and stime are the 14th and 15th.
  const QList<QByteArray> campos = texto.mid(texto.lastIndexOf(')') + 2).split(' ');
  if (campos.size() < 13) return 0;
  return (campos[11].toDouble() + campos[12].toDouble()) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Rodada {
  bool ok = false;
  double cpuJanela = -1;
  double cpuX = 0;
};

Rodada tocar(const TelaXvfb &x, int dispositivoN, int segundos, bool pistas) {
  Rodada r;
  QProcess janela;
  janela.setProcessEnvironment(x.ambiente());
  janela.setStandardErrorFile(QProcess::nullDevice());
  QStringList argumentos{"--device", QString::number(dispositivoN), "--seconds",
                         QString::number(segundos), "--loop"};
  if (pistas) argumentos << "--lanes";
  argumentos << QStringLiteral(KOVRINTA_PROGRAM_DIR "/ritmos/drum-and-bass-174.mid");
  const double xAntes = cpuDe(x.xvfb.processId());
  janela.start(QStringLiteral(WINDOW_BENCH), argumentos);
  if (!janela.waitForFinished((segundos + 60) * 1000)) {
    encerrar(janela);
    return r;
  }
  r.cpuX = (cpuDe(x.xvfb.processId()) - xAntes) / segundos;
  std::printf("%s\n", pistas ? "with the lane view open at 1920x1080:" : "without the lane view:");
  const QRegularExpression cpu(QStringLiteral(R"(window thread ([\d.]+) %)"));
  for (const QByteArray &linha : janela.readAllStandardOutput().split('\n')) {
    if (linha.trimmed().isEmpty()) continue;
    std::printf("  %s\n", linha.constData());
    const auto m = cpu.match(QString::fromUtf8(linha));
    if (m.hasMatch()) r.cpuJanela = m.captured(1).toDouble();
  }
  std::printf("  X server: %.1f %% of one core\n", 100 * r.cpuX);
  r.ok = janela.exitCode() == 0;
  return r;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  int segundos = 60;
  if (!lerArgumentos(app.arguments(), {{"--seconds", &segundos}}) || segundos <= 0) {
    std::fprintf(stderr, "usage: lanes_bench [--seconds S]\n");
    return 2;
  }
  ServidorJack servidor(128);
  if (!servidor.pronto) {
    std::fprintf(stderr, "lanes_bench: the JACK server did not start\n");
    return 1;
  }
  TelaXvfb x(QStringLiteral("1920x1080x24"));
  if (x.display.isEmpty()) {
    std::fprintf(stderr, "lanes_bench: Xvfb did not start\n");
    return 1;
  }
  const int n = dispositivo(QStringLiteral(KOVRINTA_PROGRAM_DIR), "Kovrinta Synth");
  if (n < 0) {
    std::fprintf(stderr, "lanes_bench: no built-in synthesizer is listed\n");
    return 1;
  }
  std::printf(
      "lanes_bench: drum-and-bass-174 looped for %d s on Xvfb %s, built-in synthesizer "
      "on a JACK dummy server at 128 frames\n",
      segundos, qPrintable(x.display));
  const Rodada sem = tocar(x, n, segundos, false);
  const Rodada com = tocar(x, n, segundos, true);
  if (!sem.ok || !com.ok) {
    std::fprintf(stderr, "lanes_bench: the window failed\n");
    return 1;
  }
  std::printf("the lane view added: window thread %+.1f %%, X server %+.1f %% of one core\n",
              com.cpuJanela - sem.cpuJanela, 100 * (com.cpuX - sem.cpuX));
  return 0;
}
