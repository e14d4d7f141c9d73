// The practice click in time, on a private JACK server with the dummy backend: kovrinta-song
// plays a 4/4 groove with two bars of count-in and the click on every beat into a JACK MIDI
// port, idle and with a busy window. For the count-in's clicks, the song's clicks and the
// song's own notes, how far each arrives from its ideal time, the exact grid of the file's
// tempo aligned on the song's first note: the count-in lies on the beats before it, each click
// on a beat of the song. Prints the figures beside the goal; exits 0 whatever they are (1 when
// the server cannot start).
//
// usage: click_bench [--runs N] [--period FRAMES] [--bpm B] [--bars N] [--program-dir DIR]

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "timing/Analise.h"
#include "timing/Dispositivos.h"
#include "timing/GrooveFile.h"
#include "timing/JackRecorder.h"
#include "timing/ServidorJack.h"

using namespace bench;

namespace {

constexpr int kPpq = 960;
constexpr int kBeatsPerBar = 4;
constexpr int kCountInBars = 2;
// The sequencer's notes of the click: the bar's first beat, and the others.
constexpr int kAccent = 76;
constexpr int kBeat = 77;

struct Opcoes {
  int runs = 3;
  int period = 128;
  double bpm = 110;
  int bars = 8;
  QString programa = QStringLiteral(KOVRINTA_PROGRAM_DIR);
};

// The groove and the ideal times of what it should bring, in ns from the song's first tick.
struct Groove {
  std::vector<uint8_t> bytes;
  uint32_t microssegundos = 0;    // per quarter note, as the file holds it
  std::vector<int64_t> notas;     // the song's note-ons
  std::vector<int64_t> cliques;   // a click on every beat of the song
  std::vector<int64_t> contagem;  // the count-in's clicks, before the first beat
  std::vector<int> notasCliques;  // the click's notes on the song's beats
  std::vector<int> notasContagem;
};

// A format-0 file: 4/4 and the tempo at tick 0, then bars of eighth closed hi-hats, the kick
// on beats 1 and 3 and the snare on 2 and 4, each note released a 32nd later. The last
// release ends the song before the next bar's first beat, so the click sounds on exactly the
// beats of the bars written.
Groove groove(const Opcoes &o) {
  Groove g;
  g.microssegundos = static_cast<uint32_t>(std::llround(60e6 / o.bpm));
  const uint32_t us = g.microssegundos;
  std::vector<uint8_t> trilha;
  vlq(trilha, 0);
  trilha.insert(trilha.end(), {0xFF, 0x58, 4, kBeatsPerBar, 2, 24, 8});
  vlq(trilha, 0);
  trilha.insert(trilha.end(), {0xFF, 0x51, 3, static_cast<uint8_t>(us >> 16),
                               static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
  // Ideal times exactly: ns = ticks * us * 1000 / kPpq.
  const auto ideal = [us](int64_t ticks) { return ticks * us * 1000 / kPpq; };
  constexpr int kEighth = kPpq / 2;
  constexpr int kOff = kPpq / 8;
  int agora = 0;
  for (int oitava = 0; oitava < o.bars * kBeatsPerBar * 2; ++oitava) {
    const int tick = oitava * kEighth;
    std::vector<int> notas = {42};
    if (oitava % 2 == 0) notas.push_back(oitava / 2 % 2 == 0 ? 36 : 38);
    for (std::size_t i = 0; i < notas.size(); ++i) {
      vlq(trilha, static_cast<uint32_t>(i == 0 ? tick - agora : 0));
      trilha.insert(trilha.end(), {0x99, static_cast<uint8_t>(notas[i]), 100});
      g.notas.push_back(ideal(tick));
    }
    for (std::size_t i = 0; i < notas.size(); ++i) {
      vlq(trilha, i == 0 ? kOff : 0);
      trilha.insert(trilha.end(), {0x89, static_cast<uint8_t>(notas[i]), 0});
    }
    agora = tick + kOff;
  }
  vlq(trilha, 0);
  trilha.insert(trilha.end(), {0xFF, 0x2F, 0});
  for (int batida = 0; batida < o.bars * kBeatsPerBar; ++batida) {
    g.cliques.push_back(ideal(int64_t(batida) * kPpq));
    g.notasCliques.push_back(batida % kBeatsPerBar == 0 ? kAccent : kBeat);
  }
  const int contagem = kCountInBars * kBeatsPerBar;
  for (int batida = 0; batida < contagem; ++batida) {
    g.contagem.push_back(ideal(int64_t(batida - contagem) * kPpq));
    g.notasContagem.push_back(batida % kBeatsPerBar == 0 ? kAccent : kBeat);
  }

  g.bytes = {'M', 'T', 'h', 'd',       0,           0,   0,   6,   0,
             0,   0,   1,   kPpq >> 8, kPpq & 0xFF, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<uint32_t>(trilha.size());
  g.bytes.insert(g.bytes.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                                 static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  g.bytes.insert(g.bytes.end(), trilha.begin(), trilha.end());
  return g;
}

// What arrived of one kind in one run: its arrivals on both timelines, in ns, and the notes.
struct Chegadas {
  std::vector<double> quadros, relogio;
  std::vector<int> notas;
};

// One run: the arrivals of each kind, the xruns and the messages that missed their stamp.
struct Corrida {
  Chegadas contagem, cliques, notas;
  uint64_t xruns = 0;
  long atrasadas = -1;
  bool terminou = false;
};

Corrida tocar(const Opcoes &o, JackRecorder &gravador, const QString &arquivo, int dispositivoN,
              bool ocupado, const QString &pasta) {
  Corrida c;
  const QString registro = pasta + "/beats.log";
  QFile::remove(registro);
  QStringList args = {"--play",
                      QString::number(dispositivoN),
                      arquivo,
                      "--count-in",
                      QString::number(kCountInBars),
                      "--click",
                      "--log",
                      registro};
  if (ocupado) args << "--busy-ui";
  QProcess jogador;
  jogador.setStandardOutputFile(QProcess::nullDevice());
  jogador.setStandardErrorFile(QProcess::nullDevice());
  gravador.start();
  jogador.start(o.programa + "/kovrinta-song", args);
  if (!jogador.waitForFinished(300000)) {
    jogador.kill();
    jogador.waitForFinished();
    gravador.stop();
    return c;
  }
  QThread::msleep(300);
  gravador.stop();
  c.xruns = gravador.xruns();
  c.terminou = jogador.exitStatus() == QProcess::NormalExit && jogador.exitCode() == 0;
  QFile log(registro);
  if (log.open(QIODevice::ReadOnly | QIODevice::Text)) {
    QTextStream in(&log);
    while (!in.atEnd()) {
      const QStringList partes = in.readLine().split(' ');
      if (partes.size() == 2 && partes[0] == "late") c.atrasadas = partes[1].toLong();
    }
  }
  // The click's notes are the count-in's until it has given all its beats.
  const std::size_t contagem = kCountInBars * kBeatsPerBar;
  for (const auto &m : gravador.midi()) {
    if (m.length < 3 || m.bytes[0] != 0x99 || m.bytes[2] == 0) continue;
    const bool clique = m.bytes[1] == kAccent || m.bytes[1] == kBeat;
    Chegadas &destino = !clique                              ? c.notas
                        : c.contagem.notas.size() < contagem ? c.contagem
                                                             : c.cliques;
    destino.quadros.push_back(double(m.frame) * 1e9 / gravador.rate());
    destino.relogio.push_back(double(m.wallNs));
    destino.notas.push_back(m.bytes[1]);
  }
  return c;
}

// |arrival - ideal| in ms of each arrival of one kind, with the song's first note's own
// difference taken out (a constant latency does not count).
void erros(const std::vector<double> &chegadas, const std::vector<int64_t> &ideais, double zero,
           std::vector<double> &saida) {
  for (std::size_t k = 0; k < chegadas.size() && k < ideais.size(); ++k)
    saida.push_back(std::fabs(chegadas[k] - double(ideais[k]) - zero) / 1e6);
}

// A table of one mode on one timeline: the errors of every run kept, pooled.
void imprimir(const char *modo, const std::vector<Corrida> &corridas, const Groove &g,
              bool quadros) {
  std::vector<Corrida> mantidas;
  for (const Corrida &c : corridas)
    if (c.terminou && !c.notas.quadros.empty() && (!quadros || c.xruns == 0)) mantidas.push_back(c);
  const bool todas = quadros && mantidas.empty();
  if (todas)
    for (const Corrida &c : corridas)
      if (c.terminou && !c.notas.quadros.empty()) mantidas.push_back(c);
  std::printf("\n%s, %s timeline (|arrival - ideal| in ms, aligned on the song's first note)\n",
              modo, quadros ? "frame" : "wall");
  std::printf("  %-16s %-5s %-9s %7s %7s %7s  %s\n", "what", "runs", "count", "p50", "p99", "max",
              quadros ? "goal" : "");
  struct Linha {
    const char *nome;
    Chegadas Corrida::*chegadas;
    const std::vector<int64_t> *ideais;
    const std::vector<int> *notas;
  };
  const Linha linhas[] = {{"count-in clicks", &Corrida::contagem, &g.contagem, &g.notasContagem},
                          {"song clicks", &Corrida::cliques, &g.cliques, &g.notasCliques},
                          {"song notes", &Corrida::notas, &g.notas, nullptr}};
  uint64_t xruns = 0;
  std::vector<long> atrasadas;
  for (const Corrida &c : mantidas) {
    xruns += c.xruns;
    atrasadas.push_back(c.atrasadas);
  }
  for (const Linha &l : linhas) {
    std::vector<double> amostra;
    std::size_t chegaram = 0;
    int trocadas = 0;  // accents where a beat's click was due, or the other way round
    for (const Corrida &c : mantidas) {
      const Chegadas &ch = c.*l.chegadas;
      const std::vector<double> &t = quadros ? ch.quadros : ch.relogio;
      const std::vector<double> &primeira = quadros ? c.notas.quadros : c.notas.relogio;
      erros(t, *l.ideais, primeira.front() - double(g.notas.front()), amostra);
      chegaram += ch.notas.size();
      if (l.notas)
        for (std::size_t k = 0; k < ch.notas.size() && k < l.notas->size(); ++k)
          if (ch.notas[k] != (*l.notas)[k]) ++trocadas;
    }
    const std::size_t esperadas = l.ideais->size() * mantidas.size();
    char contagem[32];
    std::snprintf(contagem, sizeof contagem, "%zu/%zu", chegaram, esperadas);
    std::printf("  %-16s %zu/%zu%s  %-9s", l.nome, mantidas.size(), corridas.size(),
                todas ? "*" : " ", contagem);
    if (amostra.empty()) {
      std::printf(" %7s %7s %7s", "-", "-", "-");
    } else {
      std::printf(" %7.3f %7.3f %7.3f", percentil(amostra, 0.5), percentil(amostra, 0.99),
                  percentil(amostra, 1.0));
    }
    if (quadros)
      std::printf("  p99 <= 0.1 ms: %s",
                  !amostra.empty() && chegaram == esperadas && percentil(amostra, 0.99) <= 0.1
                      ? "met"
                      : "missed");
    if (trocadas > 0) std::printf("  (%d clicks on the wrong block)", trocadas);
    std::printf("\n");
  }
  std::printf("  xruns %llu, late", static_cast<unsigned long long>(xruns));
  for (long a : atrasadas) std::printf(" %ld", a);
  std::printf("\n");
}

bool parse(const QStringList &args, Opcoes &o) {
  bool ok = true;
  for (int i = 1; i < args.size() && ok; ++i) {
    const bool valor = i + 1 < args.size();
    if (args[i] == "--runs" && valor)
      o.runs = args[++i].toInt(&ok);
    else if (args[i] == "--period" && valor)
      o.period = args[++i].toInt(&ok);
    else if (args[i] == "--bpm" && valor)
      o.bpm = args[++i].toDouble(&ok);
    else if (args[i] == "--bars" && valor)
      o.bars = args[++i].toInt(&ok);
    else if (args[i] == "--program-dir" && valor)
      o.programa = args[++i];
    else
      return false;
  }
  return ok && o.runs > 0 && o.period > 0 && o.bpm >= 20 && o.bpm <= 400 && o.bars > 0;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Opcoes o;
  if (!parse(app.arguments(), o)) {
    std::fprintf(stderr,
                 "usage: click_bench [--runs N] [--period FRAMES] [--bpm B] [--bars N] "
                 "[--program-dir DIR]\n");
    return 1;
  }
  QTemporaryDir pasta;
  const Groove g = groove(o);
  const QString arquivo = pasta.filePath("click.mid");
  if (!gravar(g.bytes, arquivo.toStdString())) {
    std::fprintf(stderr, "click_bench: cannot write %s\n", qPrintable(arquivo));
    return 1;
  }
  ServidorJack servidor(o.period);
  if (!servidor.pronto) {
    std::fprintf(stderr, "click_bench: the JACK server did not start\n");
    return 1;
  }
  // The longest recording: the count-in, the song, and time to spare.
  const double segundos =
      double(g.microssegundos) * (kCountInBars + o.bars) * kBeatsPerBar / 1e6 + 10;
  JackRecorder gravador("bench-rec", segundos);
  if (!gravador.ready()) {
    std::fprintf(stderr, "click_bench: the recorder cannot connect\n");
    return 1;
  }
  std::printf("click_bench: JACK dummy server, %u frames at %.0f Hz (%.2f ms), %d runs each\n",
              gravador.period(), gravador.rate(), gravador.period() * 1e3 / gravador.rate(),
              o.runs);
  std::printf(
      "groove: 4/4, %u us a quarter (%.2f BPM), %d bars of eighth hi-hats, kick and "
      "snare; kovrinta-song --count-in %d --click\n",
      g.microssegundos, 60e6 / g.microssegundos, o.bars, kCountInBars);
  const int n = dispositivo(o.programa, QString::fromStdString("JACK " + gravador.midiInput()));
  if (n < 0) {
    std::printf("kovrinta-song does not list JACK %s\n", gravador.midiInput().c_str());
    return 0;
  }
  std::vector<Corrida> idle, busy;
  for (int r = 0; r < o.runs; ++r) {
    idle.push_back(tocar(o, gravador, arquivo, n, false, pasta.path()));
    busy.push_back(tocar(o, gravador, arquivo, n, true, pasta.path()));
  }
  for (bool quadros : {true, false}) {
    imprimir("kovrinta-song", idle, g, quadros);
    imprimir("kovrinta-song --busy-ui", busy, g, quadros);
  }
  std::printf("\nruns with xruns are left out on the frame timeline (* when every run had one)\n");
  return 0;
}
