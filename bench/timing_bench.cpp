// How exactly Kovrinta plays in time, on a private JACK server with the dummy backend: the
// notes of a closed hi-hat groove (and of a groove under a tempo map) as a JACK MIDI port
// receives them, and the onsets of the built-in synthesizer's audio, against the ideal times
// of the file. Beside ours, in the same sitting: the floor of the MIDI path (RtMidi sending at
// each ideal time) and FluidSynth's own file player on the same soundfont. Runs alternate
// between the players so that all see the same noise of the host. Prints tables of the
// figures beside their goals; exits 0 whatever they are (1 when the server cannot start).
//
// usage: timing_bench [--runs N] [--period FRAMES] [--program-dir DIR] [midi] [tempo] [audio]
//                     [window]
// Ours plays idle, with a busy window (2 ms of every 16) and with its event loop stalled 20 ms
// once a second.
// window: the main window itself (bench/window_bench, offscreen, repainting the kit) plays the
// groove on the built-in synthesizer, idle, stalled and with the lane view open at full HD;
// beside its onsets, when the kit's
// picture of each beat was painted against the recorded sound of that beat.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "timing/Analise.h"
#include "timing/Dispositivos.h"
#include "timing/EnviadorGrade.h"
#include "timing/GrooveFile.h"
#include "timing/JackRecorder.h"
#include "timing/Processos.h"
#include "timing/ServidorJack.h"

using namespace bench;

namespace {

struct Opcoes {
  int runs = 3;
  int period = 128;
  QString programa = QStringLiteral(KOVRINTA_PROGRAM_DIR);
  std::vector<std::string> cenarios;
};

// One run of one player, as measured.
struct Medida {
  std::size_t achadas = 0;  // notes or onsets found
  Erros quadros;            // on JACK's frame timeline
  Erros relogio;            // on the monotonic clock of each cycle
  uint64_t xruns = 0;
  long atrasadas = -1;       // messages that missed their stamp (ours only)
  double avancoMs = NAN;     // how long before the note sounds its beat is handled, median
  double avancoMinMs = NAN;  // and its least
  // The kit's picture painted after the recorded sound of its beat, ms (the window only).
  double kitP50 = NAN, kitP99 = NAN, kitMax = NAN;
  bool ok = false;
};

// The note-ons of note that reached the recorder, on both timelines.
void notasRecebidas(const JackRecorder &gravador, int note, std::vector<double> &quadrosNs,
                    std::vector<double> &relogioNs) {
  for (const auto &m : gravador.midi()) {
    if (m.length < 3 || m.bytes[0] != 0x99 || m.bytes[1] != note || m.bytes[2] == 0) continue;
    quadrosNs.push_back(double(m.frame) * 1e9 / gravador.rate());
    relogioNs.push_back(double(m.wallNs));
  }
}

// The beats kovrinta-song handled (ideal, handled), and its late count, from its log.
bool lerRegistro(const QString &arquivo, std::vector<std::pair<int64_t, int64_t>> &batidas,
                 long &atrasadas) {
  QFile f(arquivo);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  QTextStream in(&f);
  while (!in.atEnd()) {
    const QStringList partes = in.readLine().split(' ');
    if (partes.size() != 2) continue;
    if (partes[0] == "late") {
      atrasadas = partes[1].toLong();
    } else {
      batidas.emplace_back(partes[0].toLongLong(), partes[1].toLongLong());
    }
  }
  return true;
}

// Plays file with kovrinta-song on device while the recorder listens; audio: connect the
// recorder to the synthesizer's ports.
Medida tocarNosso(const Opcoes &o, JackRecorder &gravador, const GrooveFile &groove,
                  const QString &arquivo, int dispositivoN, const QStringList &carga, bool audio,
                  const QString &pasta) {
  Medida m;
  const QString registro = pasta + "/beats.log";
  QFile::remove(registro);
  QStringList args = {"--play", QString::number(dispositivoN), arquivo, "--log", registro};
  args << carga;
  QProcess jogador;
  jogador.setStandardOutputFile(QProcess::nullDevice());
  jogador.setStandardErrorFile(QProcess::nullDevice());
  gravador.start();
  jogador.start(o.programa + "/kovrinta-song", args);
  if (audio) {
    for (int i = 0; i < 200 && gravador.connectAudio(std::regex("^Kovrinta:")) < 2; ++i)
      QThread::msleep(10);
  }
  if (!jogador.waitForFinished(120000)) {
    jogador.kill();
    jogador.waitForFinished();
    return m;
  }
  QThread::msleep(300);
  gravador.stop();
  m.xruns = gravador.xruns();
  std::vector<std::pair<int64_t, int64_t>> batidas;
  lerRegistro(registro, batidas, m.atrasadas);

  std::vector<double> quadros, relogio;
  if (audio) {
    const auto inicio = inicios(gravador.peaks(), gravador.frames(),
                                static_cast<std::size_t>(gravador.rate() * 0.06));
    for (double f : inicio) {
      quadros.push_back(f * 1e9 / gravador.rate());
      relogio.push_back(gravador.wallOfFrameNs(static_cast<std::size_t>(f)) +
                        (f - std::floor(f)) * 1e9 / gravador.rate());
    }
  } else {
    notasRecebidas(gravador, groove.note, quadros, relogio);
  }
  m.achadas = quadros.size();
  m.quadros = comparar(quadros, groove.idealNs);
  m.relogio = comparar(relogio, groove.idealNs);
  // A beat is handled ahead of its sound (here: its arrival at the port or the speakers) by
  // the output latency. The sequencer handles one tick per beat, from tick 0 on.
  std::vector<double> avancos;
  for (std::size_t k = 0; k < relogio.size() && k < groove.ticks.size(); ++k) {
    const auto tick = static_cast<std::size_t>(groove.ticks[k]);
    if (tick < batidas.size()) avancos.push_back((relogio[k] - double(batidas[tick].second)) / 1e6);
  }
  if (!avancos.empty()) {
    m.avancoMs = percentil(avancos, 0.5);
    m.avancoMinMs = percentil(avancos, 0.01);
  }
  m.ok = m.achadas == groove.idealNs.size();
  return m;
}

// The window plays file on the built-in synthesizer (window_bench, offscreen); its own figures
// (the kit's paint after each beat's sound) are appended to relatorio.
Medida tocarJanela(JackRecorder &gravador, const GrooveFile &groove, const QString &arquivo,
                   int dispositivoN, const QStringList &carga, const QString &pasta,
                   QStringList &relatorio) {
  Medida m;
  const QString pinturas = pasta + "/paints.log";
  QFile::remove(pinturas);
  QProcess janela;
  QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
  ambiente.insert("QT_QPA_PLATFORM", "offscreen");
  janela.setProcessEnvironment(ambiente);
  janela.setStandardErrorFile(QProcess::nullDevice());
  gravador.start();
  janela.start(QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + "/window_bench",
               QStringList{"--device", QString::number(dispositivoN), "--log", pinturas}
                   << carga << arquivo);
  for (int i = 0; i < 300 && gravador.connectAudio(std::regex("^Kovrinta:")) < 2; ++i)
    QThread::msleep(10);
  if (!janela.waitForFinished(120000)) {
    janela.kill();
    janela.waitForFinished();
    return m;
  }
  QThread::msleep(300);
  gravador.stop();
  m.xruns = gravador.xruns();
  for (const QByteArray &linha : janela.readAllStandardOutput().split('\n'))
    if (!linha.trimmed().isEmpty()) relatorio << QString::fromUtf8(linha);
  std::vector<double> quadros, relogio;
  const auto inicio = inicios(gravador.peaks(), gravador.frames(),
                              static_cast<std::size_t>(gravador.rate() * 0.06));
  for (double f : inicio) {
    quadros.push_back(f * 1e9 / gravador.rate());
    relogio.push_back(gravador.wallOfFrameNs(static_cast<std::size_t>(f)) +
                      (f - std::floor(f)) * 1e9 / gravador.rate());
  }
  m.achadas = quadros.size();
  m.quadros = comparar(quadros, groove.idealNs);
  m.relogio = comparar(relogio, groove.idealNs);
  m.ok = m.achadas == groove.idealNs.size();
  // Each note of the groove lights the kit once: the k-th paint shows the k-th onset.
  QFile log(pinturas);
  std::vector<double> kitSom;
  if (m.ok && log.open(QIODevice::ReadOnly | QIODevice::Text)) {
    std::size_t k = 0;
    for (const QByteArray &linha : log.readAll().split('\n')) {
      if (linha.trimmed().isEmpty() || k >= relogio.size()) continue;
      kitSom.push_back((linha.toDouble() - relogio[k++]) / 1e6);
    }
  }
  if (kitSom.size() == relogio.size()) {
    std::vector<double> absolutos;
    for (double d : kitSom) absolutos.push_back(std::fabs(d));
    m.kitP50 = percentil(kitSom, 0.5);
    m.kitP99 = percentil(absolutos, 0.99);
    m.kitMax = percentil(absolutos, 1.0);
  }
  return m;
}

Medida tocarPiso(JackRecorder &gravador, const GrooveFile &groove) {
  Medida m;
  gravador.start();
  m.ok = enviarGrade(gravador.midiInput(), groove.idealNs, groove.note, 200'000'000);
  QThread::msleep(200);
  gravador.stop();
  m.xruns = gravador.xruns();
  std::vector<double> quadros, relogio;
  notasRecebidas(gravador, groove.note, quadros, relogio);
  m.achadas = quadros.size();
  m.quadros = comparar(quadros, groove.idealNs);
  m.relogio = comparar(relogio, groove.idealNs);
  m.ok = m.ok && m.achadas == groove.idealNs.size();
  return m;
}

Medida tocarFluidSynth(JackRecorder &gravador, const GrooveFile &groove, const QString &arquivo,
                       const QString &soundfont) {
  Medida m;
  QProcess jogador;
  jogador.setStandardOutputFile(QProcess::nullDevice());
  jogador.setStandardErrorFile(QProcess::nullDevice());
  gravador.start();
  jogador.start("fluidsynth",
                {"-a", "jack", "-o", "audio.jack.id=fsyn", "-o", "audio.jack.autoconnect=0", "-R",
                 "0", "-C", "0", "-g", "1.0", "-r", "48000", "-ni", soundfont, arquivo});
  if (!jogador.waitForStarted(5000)) return m;
  for (int i = 0; i < 200 && gravador.connectAudio(std::regex("^fsyn:")) < 2; ++i)
    QThread::msleep(10);
  if (!jogador.waitForFinished(120000)) {
    jogador.kill();
    jogador.waitForFinished();
    return m;
  }
  QThread::msleep(300);
  gravador.stop();
  m.xruns = gravador.xruns();
  std::vector<double> quadros, relogio;
  const auto inicio = inicios(gravador.peaks(), gravador.frames(),
                              static_cast<std::size_t>(gravador.rate() * 0.06));
  for (double f : inicio) {
    quadros.push_back(f * 1e9 / gravador.rate());
    relogio.push_back(gravador.wallOfFrameNs(static_cast<std::size_t>(f)));
  }
  m.achadas = quadros.size();
  m.quadros = comparar(quadros, groove.idealNs);
  m.relogio = comparar(relogio, groove.idealNs);
  m.ok = m.achadas == groove.idealNs.size();
  return m;
}

double mediana(std::vector<double> v) {
  return percentil(std::move(v), 0.5);
}

// One line of a table: the median over the runs kept of each figure.
void imprimir(const std::string &nome, const std::vector<Medida> &medidas, bool quadros,
              double meta) {
  std::vector<Medida> limpas;
  for (const Medida &m : medidas)
    if (m.ok && (!quadros || m.xruns == 0)) limpas.push_back(m);
  const bool todas = limpas.empty();
  if (todas)
    for (const Medida &m : medidas)
      if (m.ok) limpas.push_back(m);
  if (limpas.empty()) {
    std::printf("  %-34s no complete run (found", nome.c_str());
    for (const Medida &m : medidas) std::printf(" %zu", m.achadas);
    std::printf(" of %zu)\n", medidas.empty() ? 0 : medidas.front().quadros.esperados);
    return;
  }
  std::vector<double> p50, p99, mx, fp50, fp99, fmx, deriva, atrasadas, avanco, avancoMin, kit50,
      kit99, kitMax;
  uint64_t xruns = 0;
  for (const Medida &m : limpas) {
    const Erros &e = quadros ? m.quadros : m.relogio;
    p50.push_back(e.p50);
    p99.push_back(e.p99);
    mx.push_back(e.max);
    fp50.push_back(e.ajusteP50);
    fp99.push_back(e.ajusteP99);
    fmx.push_back(e.ajusteMax);
    deriva.push_back(e.derivaPpm);
    if (m.atrasadas >= 0) atrasadas.push_back(double(m.atrasadas));
    if (!std::isnan(m.kitP99)) {
      kit50.push_back(m.kitP50);
      kit99.push_back(m.kitP99);
      kitMax.push_back(m.kitMax);
    }
    if (!std::isnan(m.avancoMs)) {
      avanco.push_back(m.avancoMs);
      avancoMin.push_back(m.avancoMinMs);
    }
    xruns += m.xruns;
  }
  std::printf("  %-34s %zu/%zu%s  %6.3f %6.3f %6.3f | %6.3f %6.3f %6.3f %+7.2f ppm", nome.c_str(),
              limpas.size(), medidas.size(), todas && quadros ? "*" : " ", mediana(p50),
              mediana(p99), mediana(mx), mediana(fp50), mediana(fp99), mediana(fmx),
              mediana(deriva));
  if (!atrasadas.empty()) std::printf("  late %.0f", mediana(atrasadas));
  if (!avanco.empty())
    std::printf("  handled %.2f ms before the sound (least %.2f)", mediana(avanco),
                mediana(avancoMin));
  if (!kit99.empty())
    std::printf("  kit after sound p50 %+.2f, |p99| %.2f, |max| %.2f ms [goal p99 within 8: %s]",
                mediana(kit50), mediana(kit99), mediana(kitMax),
                mediana(kit99) <= 8 ? "met" : "missed");
  if (!std::isnan(meta))
    std::printf("  [goal fit p99 <= %.2f%s: %s]", meta, quadros ? ", max <= 0.20" : "",
                mediana(fp99) <= meta && (!quadros || mediana(fmx) <= 0.2) ? "met" : "missed");
  std::printf("  xruns %llu\n", static_cast<unsigned long long>(xruns));
  // Every sitting's own figures, so that a goal met by the median can be told from one met
  // by each; x marks a run with xruns, - one that found not every note.
  std::printf("  %-34s", "  each run: fit p99/max");
  for (const Medida &m : medidas) {
    const Erros &e = quadros ? m.quadros : m.relogio;
    std::printf(" %.3f/%.3f%s", e.ajusteP99, e.ajusteMax, !m.ok ? "-" : m.xruns > 0 ? "x" : "");
    if (!std::isnan(m.kitP99)) std::printf(" (kit %.2f/%.2f)", m.kitP99, m.kitMax);
    if (m.atrasadas > 0) std::printf(" (late %ld)", m.atrasadas);
  }
  std::printf("\n");
}

void cabecalho(const char *titulo, const char *linhaDoTempo) {
  std::printf("\n%s (%s timeline; |error| in ms against the ideal times)\n", titulo, linhaDoTempo);
  std::printf("  %-34s %-5s  %-20s | %s\n", "player", "runs", "first-aligned p50 p99 max",
              "line fitted out: p50 p99 max, drift");
}

bool parse(const QStringList &args, Opcoes &o) {
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--runs" && i + 1 < args.size())
      o.runs = args[++i].toInt();
    else if (args[i] == "--period" && i + 1 < args.size())
      o.period = args[++i].toInt();
    else if (args[i] == "--program-dir" && i + 1 < args.size())
      o.programa = args[++i];
    else if (args[i] == "midi" || args[i] == "tempo" || args[i] == "audio" || args[i] == "window")
      o.cenarios.push_back(args[i].toStdString());
    else
      return false;
  }
  if (o.cenarios.empty()) o.cenarios = {"midi", "tempo", "audio", "window"};
  return o.runs > 0 && o.period > 0;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Opcoes o;
  if (!parse(app.arguments(), o)) {
    std::fprintf(stderr,
                 "usage: timing_bench [--runs N] [--period FRAMES] [--program-dir DIR] "
                 "[midi] [tempo] [audio] [window]\n");
    return 1;
  }
  QTemporaryDir pasta;
  ServidorJack servidor(o.period);
  if (!servidor.pronto) {
    std::fprintf(stderr, "timing_bench: the JACK server did not start\n");
    return 1;
  }
  JackRecorder gravador("bench-rec", 90);
  if (!gravador.ready()) {
    std::fprintf(stderr, "timing_bench: the recorder cannot connect\n");
    return 1;
  }
  std::printf("timing_bench: JACK dummy server, %u frames at %.0f Hz (%.2f ms), %d runs each\n",
              gravador.period(), gravador.rate(), gravador.period() * 1e3 / gravador.rate(),
              o.runs);

  const QString porta = QString::fromStdString("JACK " + gravador.midiInput());
  for (const std::string &cenario : o.cenarios) {
    if (cenario == "midi" || cenario == "tempo") {
      const GrooveFile groove = cenario == "midi" ? gradeDeBatidas(120) : mapaDeAndamentos(50);
      const QString arquivo = pasta.filePath(QString::fromStdString(cenario) + ".mid");
      gravar(groove, arquivo.toStdString());
      const int n = dispositivo(o.programa, porta);
      if (n < 0) {
        std::printf("\n%s: kovrinta-song does not list %s\n", cenario.c_str(), qPrintable(porta));
        continue;
      }
      std::map<std::string, std::vector<Medida>> medidas;
      for (int r = 0; r < o.runs; ++r) {
        medidas["floor"].push_back(tocarPiso(gravador, groove));
        medidas["idle"].push_back(
            tocarNosso(o, gravador, groove, arquivo, n, {}, false, pasta.path()));
        if (cenario == "midi") {
          medidas["busy"].push_back(
              tocarNosso(o, gravador, groove, arquivo, n, {"--busy-ui"}, false, pasta.path()));
          medidas["stall"].push_back(tocarNosso(o, gravador, groove, arquivo, n,
                                                {"--stall-ui", "20"}, false, pasta.path()));
        }
      }
      const char *titulo = cenario == "midi"
                               ? "hh120 into a JACK MIDI port, 200 closed hi-hats a 16th apart"
                               : "a tempo map into a JACK MIDI port, 50 tempo changes, 96..168 BPM";
      for (bool quadros : {true, false}) {
        cabecalho(titulo, quadros ? "frame" : "wall");
        imprimir("RtMidi grid sender (the floor)", medidas["floor"], quadros, NAN);
        imprimir("kovrinta-song", medidas["idle"], quadros, quadros ? 0.1 : NAN);
        if (cenario == "midi") {
          imprimir("kovrinta-song --busy-ui", medidas["busy"], quadros, quadros ? 0.1 : NAN);
          imprimir("kovrinta-song --stall-ui 20", medidas["stall"], quadros, quadros ? 0.1 : NAN);
        }
      }
    } else if (cenario == "window") {
      const GrooveFile groove = gradeDeBatidas(120);
      const QString arquivo = pasta.filePath("window.mid");
      gravar(groove, arquivo.toStdString());
      const int n = dispositivo(o.programa, "Kovrinta Synth");
      const QString soundfont =
          QFileInfo(QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2")).canonicalFilePath();
      if (n < 0 || soundfont.isEmpty()) {
        std::printf("\nwindow: no built-in synthesizer or no default soundfont\n");
        continue;
      }
      const bool fluidsynth = temComando("fluidsynth");
      std::map<std::string, std::vector<Medida>> medidas;
      QStringList relatorio;
      for (int r = 0; r < o.runs; ++r) {
        medidas["window"].push_back(
            tocarJanela(gravador, groove, arquivo, n, {}, pasta.path(), relatorio));
        medidas["stall"].push_back(
            tocarJanela(gravador, groove, arquivo, n, {"--stall", "20"}, pasta.path(), relatorio));
        medidas["lanes"].push_back(
            tocarJanela(gravador, groove, arquivo, n, {"--lanes"}, pasta.path(), relatorio));
        if (fluidsynth)
          medidas["fluidsynth"].push_back(tocarFluidSynth(gravador, groove, arquivo, soundfont));
      }
      for (bool quadros : {false, true}) {
        cabecalho("hh120 played by the main window on the built-in synthesizer, audio onsets",
                  quadros ? "frame" : "wall");
        imprimir("the window (kit repainting)", medidas["window"], quadros, quadros ? NAN : 1.0);
        imprimir("the window, stalled 20 ms a second", medidas["stall"], quadros,
                 quadros ? NAN : 1.0);
        imprimir("the window with the lane view open", medidas["lanes"], quadros,
                 quadros ? NAN : 1.0);
        if (fluidsynth)
          imprimir("fluidsynth's own file player", medidas["fluidsynth"], quadros, NAN);
      }
      std::printf("  the window's own figures, each run:\n");
      for (const QString &linha : relatorio) std::printf("    %s\n", qPrintable(linha));
    } else if (cenario == "audio") {
      const GrooveFile groove = gradeDeBatidas(120);
      const QString arquivo = pasta.filePath("audio.mid");
      gravar(groove, arquivo.toStdString());
      const int n = dispositivo(o.programa, "Kovrinta Synth");
      const QString soundfont =
          QFileInfo(QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2")).canonicalFilePath();
      if (n < 0 || soundfont.isEmpty()) {
        std::printf("\naudio: no built-in synthesizer or no default soundfont\n");
        continue;
      }
      const bool fluidsynth = temComando("fluidsynth");
      std::map<std::string, std::vector<Medida>> medidas;
      for (int r = 0; r < o.runs; ++r) {
        medidas["idle"].push_back(
            tocarNosso(o, gravador, groove, arquivo, n, {}, true, pasta.path()));
        medidas["busy"].push_back(
            tocarNosso(o, gravador, groove, arquivo, n, {"--busy-ui"}, true, pasta.path()));
        medidas["stall"].push_back(
            tocarNosso(o, gravador, groove, arquivo, n, {"--stall-ui", "20"}, true, pasta.path()));
        if (fluidsynth)
          medidas["fluidsynth"].push_back(tocarFluidSynth(gravador, groove, arquivo, soundfont));
      }
      for (bool quadros : {false, true}) {
        cabecalho("hh120 on the built-in synthesizer, audio onsets", quadros ? "frame" : "wall");
        imprimir("kovrinta-song, built-in synth", medidas["idle"], quadros, quadros ? NAN : 0.7);
        imprimir("kovrinta-song --busy-ui", medidas["busy"], quadros, quadros ? NAN : 0.7);
        imprimir("kovrinta-song --stall-ui 20", medidas["stall"], quadros, quadros ? NAN : 0.7);
        if (fluidsynth)
          imprimir("fluidsynth's own file player", medidas["fluidsynth"], quadros, NAN);
        else
          std::printf("  (no fluidsynth command: install the fluidsynth package to compare)\n");
      }
    }
  }
  std::printf("\nruns with xruns are left out on the frame timeline (* when every run had one)\n");
  return 0;
}
