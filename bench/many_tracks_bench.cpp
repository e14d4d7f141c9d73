// A small file of very many tracks: 65535 empty tracks make a file of 786 KB. Reading it
// through the toolkit's MIDI-file component, and importing it as a song, must cost time in
// proportion to the file and memory in proportion to the events present. Each figure is
// taken in a process of its own, so that the peak resident size is that step's alone.
// Prints the figures beside their goals; exits 0 whatever they are (1 when a step fails).
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "TVxMidi.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"
#include "midi/SaidaMIDI.h"
#include "song/GerenciadorMusica.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kTracks = 65535;
constexpr double kGoalMs = 500;
constexpr double kGoalPeakMb = 200;

QByteArray ficheiro() {
  QByteArray bytes("MThd\0\0\0\6\0\1", 10);
  bytes.append(static_cast<char>(kTracks >> 8)).append(static_cast<char>(kTracks & 0xFF));
  bytes.append('\0').append(static_cast<char>(96));
  const QByteArray vazia("MTrk\0\0\0\4\0\xFF\x2F\0", 12);
  for (int i = 0; i < kTracks; ++i) bytes.append(vazia);
  return bytes;
}

double picoMb() {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  return static_cast<double>(uso.ru_maxrss) / 1024.0;
}

// One step in this process: prints "<ms> <peak MB> <tracks>".
int medir(const QString &passo, const QString &arquivo) {
  TVxMidi::setLibraryFile(VXMIDI_LIBRARY);
  const Clock::time_point inicio = Clock::now();
  int trilhas = 0;
  if (passo == "--read") {
    TVxMidi vxMidi;
    TVxMidiSMF leitor;
    leitor.VxMidi = &vxMidi;
    if (!leitor.Open(arquivo, 'r', 1)) return 1;
    TVxMidiScore partitura(static_cast<int>(leitor.GetNumTracks()));
    leitor.SetScore(&partitura);
    leitor.ReadScore(nullptr);
    trilhas = partitura.GetNumTracks();
  } else {
    SaidaMIDI::setDispositivoInicial(-1);
    SaidaMIDI::instancia().carregarMusica(arquivo);
    trilhas = GerenciadorMusica::instancia().getMusicaAtual()->getNumTrilhas();
  }
  const double ms = Millis(Clock::now() - inicio).count();
  std::printf("%.1f %.1f %d\n", ms, picoMb(), trilhas);
  return 0;
}

bool emProcessoNovo(const QString &passo, const QString &arquivo, double &ms, double &mb) {
  QProcess filho;
  filho.start(QCoreApplication::applicationFilePath(), {passo, arquivo});
  if (!filho.waitForFinished(600000) || filho.exitCode() != 0) return false;
  int trilhas = 0;
  return std::sscanf(filho.readAllStandardOutput().constData(), "%lf %lf %d", &ms, &mb, &trilhas) ==
             3 &&
         trilhas == kTracks;
}

const char *veredito(double valor, double meta) {
  return valor < meta ? "met" : "missed";
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  try {
    if (args.size() == 3) return medir(args[1], args[2]);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "many_tracks_bench: %s\n", e.what());
    return 1;
  }
  QTemporaryDir pasta;
  const QString arquivo = pasta.filePath("empty65535.mid");
  QFile saida(arquivo);
  const QByteArray bytes = ficheiro();
  if (!saida.open(QIODevice::WriteOnly) || saida.write(bytes) != bytes.size()) return 1;
  saida.close();
  std::printf("many_tracks_bench: %d empty tracks, %.0f KB\n", kTracks, bytes.size() / 1000.0);
  std::printf("%-22s %10s %12s   goals: under %.0f ms, under %.0f MB\n", "step", "time", "peak",
              kGoalMs, kGoalPeakMb);
  for (const char *passo : {"--read", "--import"}) {
    double ms = 0;
    double mb = 0;
    if (!emProcessoNovo(passo, arquivo, ms, mb)) {
      std::fprintf(stderr, "many_tracks_bench: step %s failed\n", passo);
      return 1;
    }
    std::printf("%-22s %7.1f ms %9.1f MB   time %s, memory %s\n",
                passo[2] == 'r' ? "read by the component" : "imported as a song", ms, mb,
                veredito(ms, kGoalMs), veredito(mb, kGoalPeakMb));
  }
  return 0;
}
