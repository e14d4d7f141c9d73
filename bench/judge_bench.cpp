// How exactly the drummer's hits are judged: hits struck at known offsets from the song's snare
// notes, against the offsets the judge reports for them. On a private JACK dummy server:
//   - a JACK MIDI port: kovrinta-song --play --judge plays a snare every eighth at 120 BPM
//     (250 ms apart) into a port of the bench, which captures each note at its frame; a client
//     of the bench stands for the drum module and writes one hit per note into the player's
//     input, at the frame the note is due (the previous note's frame plus the note interval)
//     plus an offset drawn from -40..+40 ms. The reported offsets should be the planned ones:
//     both ends of the way are stamped from the server's frames;
//   - the keyboard: the main window (window_bench --judge-log) plays the same kind of song on
//     an X display of its own (Xvfb) into the bench's port, and xdotool presses A (the snare)
//     at an offset from the moment each note is due, on the monotonic clock. What the window
//     reports beyond the planned offset is the way of a key press to the window: no goal.
// Prints the figures beside the goal; exits 0 whatever they are (1 when the server, the
// bench's clients or a player cannot start).
//
// usage: judge_bench [--hits N] [--presses N] [--period FRAMES] [--program-dir DIR]
//                    [--skip-keyboard]
//
// The judge's figures are read with no stored setting in the way: the input latency is 0 and
// the strictness the default one (on time within +-35 ms, the outer window 90 ms, so that
// every hit takes its own note).

#include <jack/jack.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "timing/Analise.h"
#include "timing/Argumentos.h"
#include "timing/Dispositivos.h"
#include "timing/EscritorJack.h"
#include "timing/GrooveFile.h"
#include "timing/JackRecorder.h"
#include "timing/Processos.h"
#include "timing/Relogio.h"
#include "timing/ServidorJack.h"
#include "timing/TelaXvfb.h"

using namespace bench;

namespace {

constexpr uint8_t noteOnBateria = 0x99;
constexpr uint8_t noteOffBateria = 0x89;
constexpr uint8_t caixa = 38;
// The song's notes and the hits are told apart at the port by their velocity: the player
// also plays every hit it receives, and the window every key.
constexpr uint8_t forcaMusica = 90;
constexpr uint8_t forcaGolpe = 100;
// The module's note-off follows its hit, in frames at 48 kHz (10 ms).
constexpr uint32_t duracaoGolpe = 480;

// The song: a snare every eighth at 120 BPM, after two beats of silence in which the player
// settles. The file has 96 ticks to the quarter; the judge names the sequencer's ticks, 64 to
// the quarter.
constexpr int divisao = 96;
constexpr uint32_t usPorSeminima = 500000;
constexpr double intervaloMs = 250;
constexpr int ticksEntrada = 2 * 64;
constexpr int ticksPorNota = 32;

// The offsets of the hits, and the default strictness's on-time window.
constexpr double desvioMaxMs = 40;
constexpr double noTempoMs = 35;
constexpr double metaP99Ms = 0.5;

// The keyboard: the key held this long; the notes before the first press while the window
// shows and takes the keyboard, and after the last so that its judgement is made before the
// window stands stopped and its bench ends.
constexpr int teclaSeguraMs = 40;
constexpr int notasAntesTeclado = 16;
constexpr int notasDepois = 3;

struct Opcoes {
  int golpes = 200;
  int toques = 100;
  int period = 128;
  QString programa = QStringLiteral(KOVRINTA_PROGRAM_DIR);
  bool semTeclado = false;
};

// notas snares an eighth apart after the silence, each a sixteenth long, written to caminho.
bool gravarMusica(int notas, const QString &caminho) {
  std::vector<uint8_t> trilha = {
      0, 0xFF, 0x51, 3, usPorSeminima >> 16, (usPorSeminima >> 8) & 0xFF, usPorSeminima & 0xFF};
  constexpr uint32_t oitava = divisao / 2;
  for (int i = 0; i < notas; ++i) {
    vlq(trilha, i == 0 ? 2 * divisao : oitava / 2);
    trilha.insert(trilha.end(), {noteOnBateria, caixa, forcaMusica});
    vlq(trilha, oitava / 2);
    trilha.insert(trilha.end(), {noteOffBateria, caixa, 0});
  }
  trilha.insert(trilha.end(), {0, 0xFF, 0x2F, 0});
  std::vector<uint8_t> bytes = {'M', 'T', 'h', 'd', 0,       0,   0,   6,   0,
                                0,   0,   1,   0,   divisao, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<uint32_t>(trilha.size());
  bytes.insert(bytes.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                             static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  bytes.insert(bytes.end(), trilha.begin(), trilha.end());
  return gravar(bytes, caminho.toStdString());
}

// A note's number in the song from the tick a judgement names: the hit's own tick, within a
// few ticks of its note's.
int notaDoTick(int tick) {
  return static_cast<int>(std::lround(double(tick - ticksEntrada) / ticksPorNota));
}

// One judgement as a player printed it.
struct Linha {
  std::string classe;
  double desvioMs = 0;
  int tick = 0;
};

// A planned hit or press, and what the judge made of it.
struct Golpe {
  int nota = 0;             // the song's note it is struck on
  double planejadoMs = 0;   // from the moment the note was due (the previous one's + 250 ms)
  double verdadeiroMs = 0;  // from the moment the note was captured at the port
  double notaForaMs = 0;    // the note's capture after the moment it was due
  std::optional<Linha> julgado;
};

// The figures of one run.
struct Rodada {
  QString falha;  // why it was not measured; empty when it was
  std::vector<Golpe> golpes;
  std::size_t notasCapturadas = 0;
  std::size_t perdidas = 0;  // missed judgements: notes no hit took
  std::size_t extras = 0;    // extra judgements, and hits judged on a note with no planned hit
  uint64_t xruns = 0;
  uint64_t atrasadas = 0;       // hits the writer put out after their frame
  std::size_t foraDeLugar = 0;  // markers not at the recorder's frame the first one gave
  // The captured notes' distance from their due frame (the previous one's plus the interval).
  double maiorDesvioNotaMs = 0;
  std::string passe;  // kovrinta-song's line of the pass's figures
};

// Pairs each judgement of a hit with the planned hit on its note; counts what is left.
void parear(const std::vector<Linha> &linhas, Rodada &r) {
  std::map<int, std::size_t> porNota;
  for (std::size_t i = 0; i < r.golpes.size(); ++i) porNota[r.golpes[i].nota] = i;
  for (const Linha &l : linhas) {
    if (l.classe == "missed") {
      ++r.perdidas;
      continue;
    }
    const auto g = l.classe == "extra" ? porNota.end() : porNota.find(notaDoTick(l.tick));
    if (g == porNota.end() || r.golpes[g->second].julgado)
      ++r.extras;
    else
      r.golpes[g->second].julgado = l;
  }
}

// kovrinta-song's judge lines, in order, and its pass line.
std::vector<Linha> lerJulgamentos(const QByteArray &saida, std::string &passe) {
  std::vector<Linha> linhas;
  const std::regex julgado(R"(judge piece=\w+ (?:offset=([-+0-9.]+) )?([a-z-]+) tick=(-?\d+))");
  for (const QByteArray &texto : saida.split('\n')) {
    const std::string linha = texto.trimmed().toStdString();
    std::smatch m;
    if (std::regex_match(linha, m, julgado))
      linhas.push_back({m[2], m[1].matched ? std::stod(m[1]) : 0.0, std::stoi(m[3])});
    else if (linha.rfind("pass ", 0) == 0)
      passe = linha;
  }
  return linhas;
}

// window_bench's judgement log: "class offset tick" a line.
std::vector<Linha> lerRegistro(const QString &caminho) {
  std::vector<Linha> linhas;
  QFile arquivo(caminho);
  if (!arquivo.open(QIODevice::ReadOnly | QIODevice::Text)) return linhas;
  for (const QByteArray &texto : arquivo.readAll().split('\n')) {
    char classe[16];
    double desvio = 0;
    int tick = 0;
    if (std::sscanf(texto.constData(), "%15s %lf %d", classe, &desvio, &tick) == 3)
      linhas.push_back({classe, desvio, tick});
  }
  return linhas;
}

// The players' and the writer's waits are asked every 5 ms.
constexpr int passoEsperaMs = 5;

bool notaDaMusica(const JackRecorder::Midi &m) {
  return m.length == 3 && m.bytes[0] == noteOnBateria && m.bytes[1] == caixa &&
         m.bytes[2] == forcaMusica;
}

// The offsets, ms, drawn uniformly and rounded to whole frames.
std::vector<double> sortearDesvios(int n, double taxa, unsigned semente) {
  std::mt19937 gerador(semente);
  std::uniform_real_distribution<double> desvio(-desvioMaxMs, desvioMaxMs);
  std::vector<double> desvios;
  for (int i = 0; i < n; ++i)
    desvios.push_back(std::round(desvio(gerador) * taxa / 1000) * 1000 / taxa);
  return desvios;
}

// The JACK port: kovrinta-song --judge on the recorder's port, the writer as its input.
Rodada rodarJack(const Opcoes &o, JackRecorder &gravador, EscritorJack &escritor, int saida) {
  Rodada r;
  const double taxa = escritor.taxa();
  const auto intervalo = static_cast<uint32_t>(std::lround(intervaloMs * taxa / 1000));
  const std::vector<double> desvios = sortearDesvios(o.golpes, taxa, 20240611);
  QTemporaryDir pasta;
  const QString musica = pasta.filePath("caixas.mid");
  if (!gravarMusica(o.golpes + 1, musica)) {
    r.falha = "cannot write the song";
    return r;
  }

  // Ties the recorder's frame count to the server's: marker 0 at a known frame; the hits'
  // markers hold their numbers from 1 on.
  gravador.start();
  QThread::msleep(50);
  const jack_nframes_t quadroMarca =
      escritor.quadroAgora() + static_cast<jack_nframes_t>(0.05 * taxa);
  escritor.agendar({EscritorJack::marca(quadroMarca, 0)});
  std::optional<jack_nframes_t> distancia;
  esperar(
      2000,
      [&] {
        for (const auto &m : gravador.midi())
          if (EscritorJack::numeroDaMarca(m.bytes, m.length) == std::size_t{0})
            distancia = quadroMarca - static_cast<jack_nframes_t>(m.frame);
        return distancia.has_value();
      },
      passoEsperaMs);
  if (!distancia) {
    r.falha = "the writer's marker did not reach the recorder";
    return r;
  }
  r.atrasadas += escritor.atrasadas();

  QProcess jogador;
  jogador.start(o.programa + "/kovrinta-song",
                {"--play", QString::number(saida), musica, "--input",
                 QString::fromStdString(escritor.porta(0)), "--judge", "--latency", "0", "--config",
                 pasta.path()});
  if (!jogador.waitForStarted(5000)) {
    r.falha = "kovrinta-song did not start";
    return r;
  }
  // Each hit's frame on the server's timeline, ready to be written once the one before is.
  std::vector<jack_nframes_t> quadros;
  std::vector<uint64_t> notas;  // each captured note's frame on the recorder's count
  std::map<std::size_t, uint64_t> marcas;
  std::size_t vistos = 0, agendados = 0;
  QByteArray texto;
  const auto prazo = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(int((o.golpes + 10) * intervaloMs) + 30000);
  while (jogador.state() != QProcess::NotRunning && std::chrono::steady_clock::now() < prazo) {
    jogador.waitForFinished(1);
    texto += jogador.readAllStandardOutput();
    const std::vector<JackRecorder::Midi> midi = gravador.midi();
    for (; vistos < midi.size(); ++vistos) {
      const JackRecorder::Midi &m = midi[vistos];
      if (const auto numero = EscritorJack::numeroDaMarca(m.bytes, m.length))
        marcas[*numero] = m.frame;
      if (!notaDaMusica(m)) continue;
      notas.push_back(m.frame);
      const std::size_t k = notas.size();  // the next note, the one to strike
      if (k > std::size_t(o.golpes)) continue;
      const double desvio = desvios[k - 1];
      const auto quadro = static_cast<jack_nframes_t>(
          static_cast<jack_nframes_t>(m.frame) + *distancia + intervalo +
          static_cast<jack_nframes_t>(static_cast<int32_t>(std::lround(desvio * taxa / 1000))));
      quadros.push_back(quadro);
      r.golpes.push_back({static_cast<int>(k), desvio, NAN, 0, std::nullopt});
    }
    if (agendados < quadros.size() && escritor.concluido()) {
      r.atrasadas += escritor.atrasadas();
      const jack_nframes_t q = quadros[agendados];
      const std::size_t k = agendados + 1;
      escritor.agendar({{q, {noteOnBateria, caixa, forcaGolpe}, 3, 0},
                        EscritorJack::marca(q, k),
                        {q + duracaoGolpe, {noteOffBateria, caixa, 0}, 3, 0}});
      ++agendados;
    }
  }
  const bool terminou = jogador.state() == QProcess::NotRunning;
  encerrar(jogador);
  texto += jogador.readAllStandardOutput();
  esperar(
      500, [&] { return escritor.concluido(); }, passoEsperaMs);
  r.atrasadas += escritor.atrasadas();
  gravador.stop();
  r.xruns = gravador.xruns();
  r.notasCapturadas = notas.size();
  if (!terminou || jogador.exitCode() != 0) {
    r.falha = QStringLiteral("kovrinta-song %1: %2")
                  .arg(terminou ? QStringLiteral("failed") : QStringLiteral("did not end"),
                       QString::fromUtf8(jogador.readAllStandardError().trimmed()));
    return r;
  }

  // Each hit against the note as it was captured, on the recorder's count.
  for (std::size_t i = 0; i < r.golpes.size(); ++i) {
    Golpe &g = r.golpes[i];
    const auto noRecorder = static_cast<jack_nframes_t>(quadros[i] - *distancia);
    if (std::size_t(g.nota) < notas.size()) {
      const auto nota = static_cast<jack_nframes_t>(notas[std::size_t(g.nota)]);
      g.verdadeiroMs = static_cast<int32_t>(noRecorder - nota) * 1000 / taxa;
      const double devida = double(notas[std::size_t(g.nota) - 1]) + intervalo;
      g.notaForaMs = (double(notas[std::size_t(g.nota)]) - devida) * 1000 / taxa;
      r.maiorDesvioNotaMs = std::max(r.maiorDesvioNotaMs, std::fabs(g.notaForaMs));
    }
    const auto recebida = marcas.find(i + 1);
    if (recebida == marcas.end() || static_cast<jack_nframes_t>(recebida->second) != noRecorder)
      ++r.foraDeLugar;
  }
  parear(lerJulgamentos(texto, r.passe), r);
  return r;
}

// The keyboard: window_bench plays on the recorder's port; A is pressed at an offset from the
// moment each note is due, the capture moment of the one before plus the interval.
Rodada rodarTeclado(const Opcoes &o, JackRecorder &gravador, int saida) {
  Rodada r;
  TelaXvfb x;
  if (x.display.isEmpty()) {
    r.falha = "Xvfb did not start";
    return r;
  }
  const int notasTotal = notasAntesTeclado + o.toques + notasDepois;
  const std::vector<double> desvios = sortearDesvios(o.toques, gravador.rate(), 20240612);
  QTemporaryDir pasta;
  const QString musica = pasta.filePath("caixas.mid");
  const QString registro = pasta.filePath("julgamentos.txt");
  if (!gravarMusica(notasTotal, musica)) {
    r.falha = "cannot write the song";
    return r;
  }
  gravador.start();
  QProcess janela;
  janela.setProcessEnvironment(x.ambiente());
  janela.setStandardOutputFile(QProcess::nullDevice());
  janela.setStandardErrorFile(pasta.filePath("erros.txt"));
  const int segundos = static_cast<int>((notasTotal + 8) * intervaloMs / 1000) + 30;
  janela.start(QStringLiteral(WINDOW_BENCH),
               {"--device", QString::number(saida), "--seconds", QString::number(segundos),
                "--judge-log", registro, musica});
  if (!janela.waitForStarted(5000)) {
    r.falha = "window_bench did not start";
    return r;
  }
  const auto errosDaJanela = [&] {
    QFile erros(pasta.filePath("erros.txt"));
    return erros.open(QIODevice::ReadOnly) ? QString::fromUtf8(erros.readAll().trimmed())
                                           : QString();
  };
  const QString id = janelaPrincipal(x, "Kovrinta", &janela);
  if (id.isEmpty()) {
    encerrar(janela);
    r.falha = "the window did not show: " + errosDaJanela();
    return r;
  }
  apontarPara(x, id);
  QThread::msleep(300);
  TecladoX teclado(x);
  if (!teclado.pronto()) {
    encerrar(janela);
    r.falha = "xdotool did not start";
    return r;
  }

  // The presses planned and pressed: the moment each was due, and when its key-up goes.
  struct Toque {
    int nota;
    int64_t devidoNs;
    int64_t alvoNs;
    int64_t pressionadoNs = 0;
  };
  std::vector<Toque> toques;
  std::vector<double> momentos;  // each captured note's moment, ns on the monotonic clock
  std::size_t vistos = 0, proximo = 0;
  int64_t soltarNs = 0;
  bool pronto = false;  // presses start with the first note captured after the focus
  const int64_t intervaloNs = static_cast<int64_t>(intervaloMs * 1e6);
  while (janela.state() == QProcess::Running) {
    const std::vector<JackRecorder::Midi> midi = gravador.midi();
    for (; vistos < midi.size(); ++vistos) {
      if (!notaDaMusica(midi[vistos])) continue;
      momentos.push_back(gravador.wallOfFrameNs(std::size_t(midi[vistos].frame)));
      const auto k = static_cast<int>(momentos.size());  // the next note
      if (!pronto || toques.size() >= std::size_t(o.toques) || k >= notasTotal - notasDepois)
        continue;
      const auto devido = static_cast<int64_t>(momentos.back()) + intervaloNs;
      toques.push_back({k, devido, devido + static_cast<int64_t>(desvios[toques.size()] * 1e6), 0});
    }
    pronto = true;
    const int64_t agora = agoraNs();
    if (soltarNs != 0 && agora >= soltarNs) {
      teclado.enviar("keyup a\n");
      soltarNs = 0;
    }
    if (proximo < toques.size() && toques[proximo].alvoNs - agora < 2'000'000) {
      if (soltarNs != 0) teclado.enviar("keyup a\n");
      dormirAte(toques[proximo].alvoNs);
      toques[proximo].pressionadoNs = agoraNs();
      teclado.enviar("keydown a\n");
      soltarNs = toques[proximo].pressionadoNs + teclaSeguraMs * 1'000'000;
      ++proximo;
      continue;
    }
    janela.waitForFinished(1);
  }
  if (soltarNs != 0) teclado.enviar("keyup a\n");
  teclado.fechar();
  const bool terminou =
      janela.state() == QProcess::NotRunning || janela.waitForFinished(segundos * 1000);
  encerrar(janela);
  gravador.stop();
  r.xruns = gravador.xruns();
  r.notasCapturadas = momentos.size();
  if (!terminou || janela.exitCode() != 0) {
    r.falha = QStringLiteral("window_bench %1: %2")
                  .arg(terminou ? QStringLiteral("failed") : QStringLiteral("did not end"),
                       errosDaJanela());
    return r;
  }
  for (const Toque &t : toques) {
    if (t.pressionadoNs == 0) continue;
    Golpe g{t.nota, double(t.pressionadoNs - t.devidoNs) / 1e6, NAN, 0, std::nullopt};
    if (std::size_t(t.nota) < momentos.size()) {
      g.verdadeiroMs = (double(t.pressionadoNs) - momentos[std::size_t(t.nota)]) / 1e6;
      g.notaForaMs = (momentos[std::size_t(t.nota)] - double(t.devidoNs)) / 1e6;
    }
    r.golpes.push_back(g);
  }
  for (std::size_t k = 1; k < momentos.size(); ++k)
    r.maiorDesvioNotaMs = std::max(
        r.maiorDesvioNotaMs, std::fabs(momentos[k] - momentos[k - 1] - double(intervaloNs)) / 1e6);
  parear(lerRegistro(registro), r);
  return r;
}

// The class a planned offset calls for, with on time within +-35 ms.
std::string classeDe(double desvioMs) {
  if (std::fabs(desvioMs) <= noTempoMs) return "on-time";
  return desvioMs < 0 ? "early" : "late";
}

// A run whose server did not keep time (xruns, hits written after their frame): what is placed
// or stamped by its frames is off around those cycles.
const char *marca(const Rodada &r) {
  return r.xruns > 0 || r.atrasadas > 0 ? "*" : "";
}

struct Figuras {
  std::vector<double> erros;      // reported - planned, ms
  std::vector<double> errosNota;  // reported - the offset from the captured note, ms
  std::size_t concordam = 0;
  std::vector<const Golpe *> discordam;
};

Figuras figuras(const Rodada &r) {
  Figuras f;
  for (const Golpe &g : r.golpes) {
    if (!g.julgado) continue;
    f.erros.push_back(g.julgado->desvioMs - g.planejadoMs);
    if (!std::isnan(g.verdadeiroMs)) f.errosNota.push_back(g.julgado->desvioMs - g.verdadeiroMs);
    if (classeDe(g.planejadoMs) == g.julgado->classe)
      ++f.concordam;
    else
      f.discordam.push_back(&g);
  }
  return f;
}

std::vector<double> absolutos(std::vector<double> v) {
  for (double &x : v) x = std::fabs(x);
  return v;
}

double media(const std::vector<double> &v) {
  double soma = 0;
  for (double x : v) soma += x;
  return v.empty() ? NAN : soma / double(v.size());
}

// What was judged and what was left over, and the classes against the planned offsets.
void imprimirContagens(const Rodada &r, const Figuras &f) {
  std::size_t julgados = 0;
  for (const Golpe &g : r.golpes) julgados += g.julgado ? 1 : 0;
  std::printf(
      "  judged %zu of %zu planned (none for %zu); extra judgements %zu; missed notes %zu, of "
      "%zu notes captured with no hit planned; xruns %llu%s\n",
      julgados, r.golpes.size(), r.golpes.size() - julgados, r.extras, r.perdidas,
      r.notasCapturadas - std::min(r.notasCapturadas, r.golpes.size()),
      static_cast<unsigned long long>(r.xruns), marca(r));
  // A hit planned just inside or outside the edge of on time goes to the other side by an
  // error of a few hundredths of a millisecond; those are counted apart.
  std::size_t naBorda = 0;
  for (const Golpe *g : f.discordam)
    if (std::fabs(std::fabs(g->planejadoMs) - noTempoMs) <= metaP99Ms) ++naBorda;
  std::printf(
      "  classes agreeing with the planned offset (on time within +-%.0f ms): %zu of %zu (of "
      "the others, %zu planned within %.1f ms of the edge)",
      noTempoMs, f.concordam, f.erros.size(), naBorda, metaP99Ms);
  for (std::size_t i = 0; i < f.discordam.size() && i < 8; ++i)
    std::printf("%s note %d planned %+.2f judged %s %+.2f", i == 0 ? ":" : ",",
                f.discordam[i]->nota, f.discordam[i]->planejadoMs,
                f.discordam[i]->julgado->classe.c_str(), f.discordam[i]->julgado->desvioMs);
  std::printf("%s\n", f.discordam.size() > 8 ? ", ..." : "");
}

// The hits whose reported offset is further than limiteMs from the planned one, with how far
// their note was from the moment it was due.
void imprimirForaDoLimite(const Rodada &r, double limiteMs) {
  std::size_t n = 0;
  for (const Golpe &g : r.golpes) {
    if (!g.julgado || std::fabs(g.julgado->desvioMs - g.planejadoMs) <= limiteMs) continue;
    if (n == 0) std::printf("  beyond %.1f ms:", limiteMs);
    if (n < 8)
      std::printf(" note %d %+.3f (its note %+.3f off its due time)", g.nota,
                  g.julgado->desvioMs - g.planejadoMs, g.notaForaMs);
    ++n;
  }
  if (n > 0) std::printf("%s\n", n > 8 ? " ..." : "");
}

void imprimirJack(const Rodada &r, std::size_t total) {
  std::printf("\nJACK MIDI port: kovrinta-song --judge, hits written at their frames\n");
  if (!r.falha.isEmpty()) {
    std::printf("  not measured: %s\n", qPrintable(r.falha));
    return;
  }
  const Figuras f = figuras(r);
  const double p99 = percentil(absolutos(f.erros), 0.99);
  std::printf(
      "  |reported - planned offset| ms: p50 %.3f  p99 %.3f  max %.3f  (n=%zu of %zu%s)  [goal "
      "p99 <= %.1f: %s]\n",
      percentil(absolutos(f.erros), 0.5), p99, percentil(absolutos(f.erros), 1.0), f.erros.size(),
      total, marca(r), metaP99Ms, p99 <= metaP99Ms ? "met" : "missed");
  std::printf("  mean of reported - planned: %+.3f ms\n", media(f.erros));
  std::printf(
      "  against the note's captured frame: |error| p50 %.3f  p99 %.3f  max %.3f, mean %+.3f ms; "
      "notes off their due frame by up to %.3f ms\n",
      percentil(absolutos(f.errosNota), 0.5), percentil(absolutos(f.errosNota), 0.99),
      percentil(absolutos(f.errosNota), 1.0), media(f.errosNota), r.maiorDesvioNotaMs);
  imprimirContagens(r, f);
  std::printf("  hits written after their frame %llu, markers off the recorder's count %zu\n",
              static_cast<unsigned long long>(r.atrasadas), r.foraDeLugar);
  imprimirForaDoLimite(r, metaP99Ms);
  if (!r.passe.empty()) std::printf("  kovrinta-song: %s\n", r.passe.c_str());
}

void imprimirTeclado(const Rodada &r, std::size_t total) {
  std::printf("\nkeyboard: the main window on Xvfb, A pressed by xdotool\n");
  if (!r.falha.isEmpty()) {
    std::printf("  not measured: %s\n", qPrintable(r.falha));
    return;
  }
  const Figuras f = figuras(r);
  std::printf(
      "  reported - planned offset, ms: min %.2f  p50 %.2f  p99 %.2f  max %.2f  mean %+.2f  "
      "(n=%zu of %zu%s; no goal: the key's way to the window)\n",
      percentil(f.erros, 0.0), percentil(f.erros, 0.5), percentil(f.erros, 0.99),
      percentil(f.erros, 1.0), media(f.erros), f.erros.size(), total, marca(r));
  std::printf(
      "  against the note's captured moment: p50 %.2f  p99 %.2f  max %.2f  mean %+.2f ms; "
      "notes off their due moment by up to %.2f ms\n",
      percentil(f.errosNota, 0.5), percentil(f.errosNota, 0.99), percentil(f.errosNota, 1.0),
      media(f.errosNota), r.maiorDesvioNotaMs);
  imprimirContagens(r, f);
}

bool parse(const QStringList &args, Opcoes &o) {
  return lerArgumentos(args, {{"--skip-keyboard", &o.semTeclado},
                              {"--hits", &o.golpes},
                              {"--presses", &o.toques},
                              {"--period", &o.period},
                              {"--program-dir", &o.programa}}) &&
         o.golpes > 0 && o.golpes < 127 * 128 && o.toques > 0 && o.period > 0;
}

int falhar(const char *motivo) {
  std::fprintf(stderr, "judge_bench: %s\n", motivo);
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Opcoes o;
  if (!parse(app.arguments(), o)) {
    std::fprintf(stderr,
                 "usage: judge_bench [--hits N] [--presses N] [--period FRAMES] "
                 "[--program-dir DIR] [--skip-keyboard]\n");
    return 1;
  }
  ServidorJack servidor(o.period);
  if (!servidor.pronto) return falhar("the JACK server did not start");
  const double segundos =
      30 + (std::max(o.golpes, o.toques) + notasAntesTeclado + 10) * intervaloMs / 1000;
  JackRecorder gravador("bench-capture", segundos);
  EscritorJack escritor("bench-drums");
  if (!gravador.ready() || !escritor.pronto()) return falhar("the bench's clients cannot connect");
  if (!escritor.conectar(1, gravador.midiInput()))
    return falhar("the writer's markers cannot reach the recorder");
  const int saida = dispositivo(o.programa, QString::fromStdString("JACK " + gravador.midiInput()));
  if (saida < 0) return falhar("kovrinta-song does not list the recorder's port");

  std::printf(
      "judge_bench: JACK dummy server, %u frames at %.0f Hz (%.2f ms); snares every %.0f ms "
      "(eighths at 120 BPM), each struck once at an offset drawn from -%.0f..+%.0f ms; input "
      "latency 0, on time within +-%.0f ms\n",
      escritor.periodo(), escritor.taxa(), escritor.periodo() * 1000 / escritor.taxa(), intervaloMs,
      desvioMaxMs, desvioMaxMs, noTempoMs);
  std::fflush(stdout);
  const Rodada jack = rodarJack(o, gravador, escritor, saida);
  imprimirJack(jack, std::size_t(o.golpes));
  std::fflush(stdout);

  bool tecladoFalhou = false;
  if (o.semTeclado) {
    std::printf("\nkeyboard: skipped (--skip-keyboard)\n");
  } else if (!temComando("Xvfb") || !temComando("xdotool")) {
    std::printf("\nkeyboard: skipped: no Xvfb or no xdotool command\n");
  } else {
    const Rodada teclado = rodarTeclado(o, gravador, saida);
    imprimirTeclado(teclado, std::size_t(o.toques));
    tecladoFalhou = !teclado.falha.isEmpty();
  }
  std::printf(
      "\n* a run with xruns or hits written after their frame: the server did not keep time, and "
      "what is placed or stamped by its frames is off around those cycles\n");
  return jack.falha.isEmpty() && !tecladoFalhou ? 0 : 1;
}
