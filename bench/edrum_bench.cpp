// How the drummer's own electronic kit plays, on a private JACK server with the dummy backend:
// a client of the bench stands for the drum module and writes snare hits, each at a chosen
// frame of a chosen cycle, into the input of kovrinta-song --listen. Measured in one sitting:
//   - the built-in synthesizer: which hits sounded, and each one's latency from its frame to
//     the onset of its sound in the recorded audio, beside FluidSynth's own program fed the
//     same hits on the same soundfont;
//   - a JACK MIDI port as the output device: the frame at which each hit's note reaches a port
//     of the bench;
//   - how long after its arrival each hit is handled on kovrinta-song's user-interface thread
//     (where the kit picture lights).
// Prints the figures beside their goals and exits 0 whatever they are (1 when the server, the
// bench's own clients or kovrinta-song cannot start).
//
// usage: edrum_bench [--hits N] [--period FRAMES] [--program-dir DIR] [--list]
//
// Latencies are on the server's frame timeline: the recorder takes a marker from the writer at
// each hit's frame, so each hit's frame and its sound or note are counted by the same client.
// A hit sounded when the recording rises to 12 dB under its loudest hit in the hit's window;
// its sound starts where the recording's envelope best matches the snare rendered offline, so
// the sample's own attack is in neither synthesizer's latency. Notes at the port pair with the
// hits in order when there is one for each, however far they moved, else by window.
// The handling is on the monotonic clock, from kovrinta-song's lines; its arrival stamp comes
// from JACK's cycle times, so the cycle's wake, as the writer saw it, is printed beside it.

#include <jack/jack.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "timing/Analise.h"
#include "timing/Argumentos.h"
#include "timing/Dispositivos.h"
#include "timing/EscritorJack.h"
#include "timing/JackRecorder.h"
#include "timing/Processos.h"
#include "timing/ServidorJack.h"
#include "timing/SomReferencia.h"

using namespace bench;

namespace {

// The hits: one snare sound, so that every sound matches one rendering of it.
constexpr int nota = 38;
constexpr int velocidade = 100;
constexpr uint8_t noteOnBateria = 0x99;
constexpr uint8_t noteOffBateria = 0x89;
// A module's note-off follows the hit.
constexpr double duracaoMs = 30;
// Hits 100 to 150 ms apart: far beyond the 10 ms within which one note's hits are one, and
// long enough for the snare to stay 12 dB under its peak (from 42 ms on) for a while before
// the next.
constexpr double intervaloMinMs = 100;
constexpr double intervaloMaxMs = 150;
// A sound or a note counts for a hit from two periods before its frame (a player may start a
// note at the start of the hit's cycle) to this long after it.
constexpr double janelaMs = 30;

struct Opcoes {
  int golpes = 200;
  int period = 128;
  QString programa = QStringLiteral(KOVRINTA_PROGRAM_DIR);
  bool listar = false;
};

// What the bench measures with: the server's clients and the hits, the same for every player.
struct Bancada {
  JackRecorder &gravador;
  EscritorJack &escritor;
  // Each hit's frame after the first cycle of a run, in frames: a random phase of the period,
  // then random gaps.
  std::vector<uint32_t> plano;
  // The snare's first 10 ms as the built-in synthesizer renders it, peaks per frame.
  std::vector<float> referencia;
};

// One player's run.
struct Rodada {
  QString falha;  // why it was not measured; empty when it was
  std::vector<double> latenciasMs;
  std::vector<double> porGolpe;         // each hit's latency, NAN for none
  double semelhanca = NAN;              // the worst match of a sound's start to the rendered snare
  std::vector<std::size_t> perdidos;    // hits with no sound or note in their window
  std::size_t extras = 0;               // sounds or notes that belong to no hit
  std::size_t recebidas = 0;            // note-ons at the port (the MIDI run)
  bool emOrdem = false;                 // paired by order, not by window
  std::vector<jack_nframes_t> quadros;  // each hit's frame on the server's timeline
  std::vector<jack_nframes_t> fases;    // and its offset in the cycle that wrote it
  std::vector<EscritorJack::Ciclo> ciclos;  // and that cycle
  uint64_t xruns = 0;
  std::vector<jack_nframes_t> quadrosXrun;  // the server's frame at each, as the writer saw it
  uint64_t atrasadas = 0;                   // hits the writer put out after their frame
  std::size_t foraDeLugar = 0;  // markers that did not keep the first one's distance to the server
  // How much longer the run took on the monotonic clock than on the server's frames, from the
  // first hit to the last, ms: a dummy server whose cycles wake late loses that time.
  double escorregoMs = NAN;
  // kovrinta-song's lines: arrival and handling on the monotonic clock, ns.
  std::vector<std::pair<long long, long long>> linhas;
};

std::vector<uint32_t> planejar(int golpes, double taxa, uint32_t periodo) {
  std::mt19937 gerador(20240607);
  std::uniform_int_distribution<uint32_t> fase(0, periodo - 1);
  std::uniform_int_distribution<uint32_t> intervalo(
      static_cast<uint32_t>(intervaloMinMs * taxa / 1000),
      static_cast<uint32_t>(intervaloMaxMs * taxa / 1000));
  std::vector<uint32_t> plano;
  uint32_t quadro = fase(gerador);
  for (int k = 0; k < golpes; ++k) {
    plano.push_back(quadro);
    quadro += intervalo(gerador);
  }
  return plano;
}

// The messages of the hits of plano from frame base on: note-on and marker at the hit's frame,
// the note-off later.
std::vector<EscritorJack::Mensagem> agenda(const std::vector<uint32_t> &plano, jack_nframes_t base,
                                           double taxa) {
  const auto duracao = static_cast<uint32_t>(duracaoMs * taxa / 1000);
  std::vector<EscritorJack::Mensagem> mensagens;
  for (std::size_t k = 0; k < plano.size(); ++k) {
    const jack_nframes_t quadro = base + plano[k];
    mensagens.push_back({quadro, {noteOnBateria, nota, velocidade}, 3, 0});
    mensagens.push_back(EscritorJack::marca(quadro, k));
    mensagens.push_back({quadro + duracao, {noteOffBateria, nota, 0}, 3, 0});
  }
  std::stable_sort(mensagens.begin(), mensagens.end(), [base](const auto &a, const auto &b) {
    return static_cast<int32_t>(a.quadro - base) < static_cast<int32_t>(b.quadro - base);
  });
  return mensagens;
}

// Plays the hits once into a player that is ready: the recorder runs from before the first
// hit to after the last one's sound.
void tocarGolpes(Bancada &b, Rodada &r, QProcess &jogador) {
  const double taxa = b.escritor.taxa();
  const uint32_t periodo = b.escritor.periodo();
  b.gravador.start();
  QThread::msleep(100);
  // The first hit's cycle starts on a period boundary 200 ms ahead, so that every run has
  // the same phases.
  const jack_nframes_t adiante = b.escritor.quadroAgora() + static_cast<jack_nframes_t>(0.2 * taxa);
  const jack_nframes_t base = (adiante / periodo + 1) * periodo;
  for (uint32_t desloca : b.plano) r.quadros.push_back(base + desloca);
  const std::vector<EscritorJack::Mensagem> mensagens = agenda(b.plano, base, taxa);
  b.escritor.agendar(mensagens);
  const int duracao = static_cast<int>(1000.0 * (b.plano.back() + 0.2 * taxa) / taxa) + 5000;
  // The player's lines are read as they come, so that its writes never wait on a full pipe.
  esperar(duracao, [&] {
    jogador.waitForReadyRead(0);
    return b.escritor.concluido();
  });
  esperar(400, [&] {
    jogador.waitForReadyRead(0);
    return false;
  });
  b.gravador.stop();
  r.xruns = b.gravador.xruns();
  r.atrasadas = b.escritor.atrasadas();
  r.quadrosXrun = b.escritor.xruns();
  // The note-on is the first of a hit's messages at its frame (the sort is stable).
  const std::vector<EscritorJack::Ciclo> ciclos = b.escritor.ciclos();
  for (std::size_t i = 0; i < mensagens.size() && i < ciclos.size(); ++i) {
    if (mensagens[i].porta != 0 || mensagens[i].bytes[0] != noteOnBateria) continue;
    r.ciclos.push_back(ciclos[i]);
    r.fases.push_back(
        static_cast<jack_nframes_t>(std::max(0, int32_t(mensagens[i].quadro - ciclos[i].inicio))));
  }
}

// Each hit's frame on the recorder's count, from its marker; NAN for a marker not received.
std::vector<double> quadrosNoGravador(const JackRecorder &gravador, Rodada &r) {
  std::vector<double> quadros(r.quadros.size(), NAN);
  bool primeiro = true;
  jack_nframes_t distancia = 0;
  for (const auto &m : gravador.midi()) {
    const std::optional<std::size_t> numero = EscritorJack::numeroDaMarca(m.bytes, m.length);
    if (!numero) continue;
    const std::size_t k = *numero;
    if (k >= quadros.size()) continue;
    quadros[k] = double(m.frame);
    const jack_nframes_t d = r.quadros[k] - static_cast<jack_nframes_t>(m.frame);
    if (primeiro) distancia = d;
    if (d != distancia) ++r.foraDeLugar;
    primeiro = false;
  }
  const auto primeira =
      std::find_if(quadros.begin(), quadros.end(), [](double q) { return !std::isnan(q); });
  const auto ultima =
      std::find_if(quadros.rbegin(), quadros.rend(), [](double q) { return !std::isnan(q); });
  if (primeira != quadros.end() && *ultima > *primeira)
    r.escorregoMs = (gravador.wallOfFrameNs(std::size_t(*ultima)) -
                     gravador.wallOfFrameNs(std::size_t(*primeira))) /
                        1e6 -
                    (*ultima - *primeira) * 1000 / gravador.rate();
  return quadros;
}

// Pairs each hit (at its recorder frame) with the first event in its window (from two periods
// before its frame to janelaMs after), in order.
void parear(const std::vector<double> &golpes, const std::vector<double> &eventos, double taxa,
            uint32_t periodo, Rodada &r) {
  std::size_t j = 0;
  std::size_t usados = 0;
  r.porGolpe.assign(golpes.size(), NAN);
  for (std::size_t k = 0; k < golpes.size(); ++k) {
    if (std::isnan(golpes[k])) {
      r.perdidos.push_back(k);
      continue;
    }
    while (j < eventos.size() && eventos[j] < golpes[k] - 2.0 * periodo) ++j;
    if (j < eventos.size() && eventos[j] < golpes[k] + janelaMs * taxa / 1000) {
      r.porGolpe[k] = (eventos[j] - golpes[k]) * 1000 / taxa;
      r.latenciasMs.push_back(r.porGolpe[k]);
      ++j;
      ++usados;
    } else {
      r.perdidos.push_back(k);
    }
  }
  r.extras = eventos.size() - usados;
}

// The start of each sound: the onsets found by their threshold, each moved to where the
// rendered snare matches best within the 10 ms before (the crossing lies 2.6 to 3.1 ms in).
void analisarAudio(Bancada &b, Rodada &r) {
  const std::vector<double> golpes = quadrosNoGravador(b.gravador, r);
  const auto busca = static_cast<std::size_t>(b.gravador.rate() * 0.01);
  std::vector<double> sons;
  for (double onset : inicios(b.gravador.peaks(), b.gravador.frames(),
                              static_cast<std::size_t>(b.gravador.rate() * 0.06))) {
    const auto ate = static_cast<std::size_t>(onset);
    const Inicio inicio =
        inicioDoSom(b.gravador.peaks(), b.referencia, ate > busca ? ate - busca : 0, ate);
    sons.push_back(double(inicio.quadro));
    r.semelhanca =
        std::isnan(r.semelhanca) ? inicio.semelhanca : std::min(r.semelhanca, inicio.semelhanca);
  }
  parear(golpes, sons, b.gravador.rate(), b.gravador.period(), r);
}

void analisarMidi(Bancada &b, Rodada &r) {
  const std::vector<double> golpes = quadrosNoGravador(b.gravador, r);
  std::vector<double> notas;
  for (const auto &m : b.gravador.midi())
    if (m.length == 3 && (m.bytes[0] & 0xF0) == 0x90 &&
        !EscritorJack::numeroDaMarca(m.bytes, m.length) && m.bytes[1] == nota && m.bytes[2] > 0)
      notas.push_back(double(m.frame));
  r.recebidas = notas.size();
  const bool todos =
      std::none_of(golpes.begin(), golpes.end(), [](double q) { return std::isnan(q); });
  if (!todos || notas.size() != golpes.size()) {
    parear(golpes, notas, b.gravador.rate(), b.gravador.period(), r);
    return;
  }
  // A note for every hit: the k-th note is the k-th hit's, however far the output moved it.
  r.emOrdem = true;
  r.porGolpe.assign(golpes.size(), NAN);
  for (std::size_t k = 0; k < golpes.size(); ++k) {
    r.porGolpe[k] = (notas[k] - golpes[k]) * 1000 / b.gravador.rate();
    r.latenciasMs.push_back(r.porGolpe[k]);
  }
}

// kovrinta-song's "hit ns=... handled=... note=..." lines of the snare.
void lerLinhas(const QByteArray &saida, Rodada &r) {
  for (const QByteArray &linha : saida.split('\n')) {
    long long chegada = 0, tratado = 0;
    int n = 0, v = 0;
    if (std::sscanf(linha.constData(), "hit ns=%lld handled=%lld note=%d velocity=%d", &chegada,
                    &tratado, &n, &v) == 4 &&
        n == nota)
      r.linhas.emplace_back(chegada, tratado);
  }
}

// kovrinta-song --listen on device dispositivo with the writer as its input; audio: record the
// built-in synthesizer's ports, else the MIDI that reaches the recorder's input.
Rodada rodarKovrinta(const Opcoes &o, Bancada &b, int dispositivo, bool audio) {
  Rodada r;
  const double segundos = b.plano.back() / b.escritor.taxa() + 60;
  QProcess jogador;
  jogador.start(o.programa + "/kovrinta-song", {"--listen", QString::number(dispositivo), "--input",
                                                QString::fromStdString(b.escritor.porta(0)),
                                                "--seconds", QString::number(segundos, 'f', 0)});
  if (!jogador.waitForStarted(5000)) {
    r.falha = "kovrinta-song did not start";
    return r;
  }
  QByteArray erros;
  const bool ouvindo = esperar(20000, [&] {
    jogador.waitForReadyRead(0);
    erros += jogador.readAllStandardError();
    return erros.contains("listening to") || jogador.state() != QProcess::Running;
  });
  const bool pronto =
      ouvindo && jogador.state() == QProcess::Running && (!audio || esperar(5000, [&] {
        return b.gravador.connectAudio(std::regex("^Kovrinta[^:]*:")) >= 2;
      }));
  if (!pronto) {
    encerrar(jogador);
    erros += jogador.readAllStandardError();
    r.falha = "kovrinta-song did not listen: " + QString::fromUtf8(erros.trimmed());
    return r;
  }
  QThread::msleep(300);
  tocarGolpes(b, r, jogador);
  encerrar(jogador);
  lerLinhas(jogador.readAllStandardOutput(), r);
  if (audio)
    analisarAudio(b, r);
  else
    analisarMidi(b, r);
  return r;
}

// FluidSynth's own program on soundfont, its MIDI input fed by the writer, with its defaults
// (those of the built-in synthesizer); its shell reads the open pipe and keeps it running.
Rodada rodarFluidSynth(Bancada &b, const QString &soundfont) {
  Rodada r;
  QProcess jogador;
  jogador.setStandardOutputFile(QProcess::nullDevice());
  jogador.setStandardErrorFile(QProcess::nullDevice());
  jogador.start("fluidsynth", {"-a", "jack", "-m", "jack", "-o", "audio.jack.id=edrum-fsyn", "-o",
                               "midi.jack.id=edrum-fsyn", "-o", "audio.jack.autoconnect=0", "-o",
                               "midi.autoconnect=0", "-r",
                               QString::number(b.escritor.taxa(), 'f', 0), soundfont});
  if (!jogador.waitForStarted(5000)) {
    r.falha = "fluidsynth did not start";
    return r;
  }
  const bool pronto =
      esperar(20000, [&] { return b.escritor.conectar(0, "edrum-fsyn:midi_00"); }) &&
      esperar(5000, [&] { return b.gravador.connectAudio(std::regex("^edrum-fsyn:")) >= 2; });
  if (!pronto) {
    encerrar(jogador);
    r.falha = "fluidsynth's ports did not appear";
    return r;
  }
  QThread::msleep(300);
  tocarGolpes(b, r, jogador);
  encerrar(jogador);
  analisarAudio(b, r);
  return r;
}

double mediana(const std::vector<double> &v) {
  return percentil(v, 0.5);
}

// p99 of |x - median|.
double jitter(const std::vector<double> &v) {
  const double m = mediana(v);
  std::vector<double> desvios;
  for (double x : v) desvios.push_back(std::fabs(x - m));
  return percentil(desvios, 0.99);
}

const char *meta(bool cumprida) {
  return cumprida ? "met" : "missed";
}

// Whether the server kept time during the run: no xruns, every hit written at its frame, and
// its frames within 1 ms of the monotonic clock from the first hit to the last.
bool confiavel(const Rodada &r) {
  return r.xruns == 0 && r.atrasadas == 0 && !(std::fabs(r.escorregoMs) > 1.0);
}

// "200/200" and the like, with * for a run whose server did not keep time.
std::string contagem(std::size_t achados, const Rodada &r, std::size_t total) {
  char texto[32];
  std::snprintf(texto, sizeof texto, "%zu/%zu%s", achados, total, confiavel(r) ? "" : "*");
  return texto;
}

// The hits that found nothing, by number, frame and phase in their cycle.
void imprimirPerdidos(const Rodada &r) {
  if (r.perdidos.empty() && r.extras == 0) return;
  std::printf("      %zu hits found nothing, %zu events belong to no hit", r.perdidos.size(),
              r.extras);
  for (std::size_t i = 0; i < r.perdidos.size() && i < 12; ++i) {
    const std::size_t k = r.perdidos[i];
    std::printf("%s #%zu (frame %u, %u into its cycle)", i == 0 ? ":" : ",", k, r.quadros[k],
                k < r.fases.size() ? r.fases[k] : 0u);
  }
  std::printf("%s\n", r.perdidos.size() > 12 ? ", ..." : "");
}

void imprimirLatencia(const char *nome, const Rodada &r, std::size_t total,
                      const std::string &metas) {
  if (!r.falha.isEmpty()) {
    std::printf("  %-34s not measured: %s\n", nome, qPrintable(r.falha));
    return;
  }
  std::printf("  %-34s %-9s %8.3f %8.3f %8.3f %8.3f  %5llu %6.2f  %s\n", nome,
              contagem(r.latenciasMs.size(), r, total).c_str(), mediana(r.latenciasMs),
              jitter(r.latenciasMs), percentil(r.latenciasMs, 0.01), percentil(r.latenciasMs, 1.0),
              static_cast<unsigned long long>(r.xruns), r.escorregoMs, metas.c_str());
  if (!std::isnan(r.semelhanca))
    std::printf(
        "      sound starts matched to the rendered snare, the worst with similarity %.4f\n",
        r.semelhanca);
  if (r.recebidas > 0)
    std::printf("      %zu note-ons received, paired with the hits %s\n", r.recebidas,
                r.emOrdem ? "in order (the k-th note is the k-th hit's)" : "by their windows");
  if (r.foraDeLugar > 0)
    std::printf("      %zu markers off the first one's distance to the server's frames\n",
                r.foraDeLugar);
  imprimirPerdidos(r);
}

// A hit's line against the cycle that carried it, ms, from the monotonic clock: handled - ns;
// handled - the cycle's wake (the writer's); the stamp ns - the hit's frame time by that wake;
// JACK's start of the cycle - the wake. NAN without a line for every hit (the lines come in
// the hits' order, so they pair only then).
struct LinhaDoGolpe {
  double tratado = NAN, tratadoDespertar = NAN, selo = NAN, jack = NAN;
};
LinhaDoGolpe linhaDoGolpe(const Rodada &r, std::size_t k, double taxa) {
  LinhaDoGolpe l;
  if (k < r.linhas.size()) l.tratado = double(r.linhas[k].second - r.linhas[k].first) / 1e6;
  if (r.linhas.size() != r.quadros.size() || r.ciclos.size() != r.quadros.size() ||
      k >= r.linhas.size())
    return l;
  const auto [chegada, tratado] = r.linhas[k];
  const EscritorJack::Ciclo &c = r.ciclos[k];
  l.tratadoDespertar = double(tratado - c.despertarNs) / 1e6;
  l.selo = (double(chegada - c.despertarNs) - r.fases[k] * 1e9 / taxa) / 1e6;
  l.jack = double(c.inicioJackNs - c.despertarNs) / 1e6;
  return l;
}

// One figure of the lines of a run: median, p99, max.
void imprimirTratamento(const char *nome, const Rodada &r, std::size_t total, double taxa,
                        double LinhaDoGolpe::*campo, bool meta16) {
  if (!r.falha.isEmpty()) return;
  std::vector<double> valores;
  for (std::size_t k = 0; k < r.linhas.size(); ++k) {
    const double v = linhaDoGolpe(r, k, taxa).*campo;
    if (!std::isnan(v)) valores.push_back(v);
  }
  if (valores.empty()) {
    std::printf("  %-44s %zu/%zu lines: not paired with the hits\n", nome, r.linhas.size(), total);
    return;
  }
  const double p99 = percentil(valores, 0.99);
  std::printf("  %-44s %-9s %8.3f %8.3f %8.3f  %s\n", nome,
              contagem(valores.size(), r, total).c_str(), mediana(valores), p99,
              percentil(valores, 1.0),
              meta16 ? (std::string("p99 < 16: ") + meta(p99 < 16)).c_str() : "");
}

void imprimirTratamentos(const char *nome, const Rodada &r, std::size_t total, double taxa) {
  char titulo[96];
  std::snprintf(titulo, sizeof titulo, "%s: handled - ns", nome);
  imprimirTratamento(titulo, r, total, taxa, &LinhaDoGolpe::tratado, true);
  imprimirTratamento("  handled - the wake of the hit's cycle", r, total, taxa,
                     &LinhaDoGolpe::tratadoDespertar, false);
  imprimirTratamento("  ns - the hit's frame time by that wake", r, total, taxa,
                     &LinhaDoGolpe::selo, false);
  imprimirTratamento("  JACK's cycle start - that wake", r, total, taxa, &LinhaDoGolpe::jack,
                     false);
}

template <typename T>
double naPosicao(const std::vector<T> &v, std::size_t k) {
  return k < v.size() ? double(v[k]) : NAN;
}

// Each xrun of a run by how long after the latest hit before it the server reported it.
void imprimirXruns(const char *nome, const Rodada &r, double taxa) {
  if (r.quadrosXrun.empty()) return;
  std::printf("  xruns of the %s run, ms after the hit before:", nome);
  for (std::size_t i = 0; i < r.quadrosXrun.size() && i < 40; ++i) {
    const jack_nframes_t x = r.quadrosXrun[i];
    std::size_t k = 0;
    while (k + 1 < r.quadros.size() && int32_t(x - r.quadros[k + 1]) >= 0) ++k;
    std::printf(" #%zu%+.1f", k, int32_t(x - r.quadros[k]) * 1000 / taxa);
  }
  std::printf("%s\n", r.quadrosXrun.size() > 40 ? " ..." : "");
}

// Every hit's figures, for looking into a run.
void imprimirLista(const Rodada &sintetizador, const Rodada &fluidsynth, const Rodada &porta,
                   double taxa) {
  std::printf(
      "\neach hit: its frame and phase; latency, ms, to the built-in synth's sound, to "
      "fluidsynth's, to the port's note;\nthen for each kovrinta-song run, ms: handled - ns, "
      "handled - the cycle's wake, ns - the frame's time by the wake, JACK's cycle start - the "
      "wake\n");
  for (std::size_t k = 0; k < sintetizador.quadros.size(); ++k) {
    const LinhaDoGolpe s = linhaDoGolpe(sintetizador, k, taxa);
    const LinhaDoGolpe p = linhaDoGolpe(porta, k, taxa);
    std::printf(
        "  #%-4zu %10u %4.0f %7.3f %7.3f %7.3f  synth %7.3f %7.3f %7.3f %7.3f  port %7.3f %7.3f "
        "%7.3f %7.3f\n",
        k, sintetizador.quadros[k], naPosicao(sintetizador.fases, k),
        naPosicao(sintetizador.porGolpe, k), naPosicao(fluidsynth.porGolpe, k),
        naPosicao(porta.porGolpe, k), s.tratado, s.tratadoDespertar, s.selo, s.jack, p.tratado,
        p.tratadoDespertar, p.selo, p.jack);
  }
  imprimirXruns("built-in synth", sintetizador, taxa);
  imprimirXruns("fluidsynth", fluidsynth, taxa);
  imprimirXruns("JACK MIDI port", porta, taxa);
}

bool parse(const QStringList &args, Opcoes &o) {
  return lerArgumentos(args, {{"--list", &o.listar},
                              {"--hits", &o.golpes},
                              {"--period", &o.period},
                              {"--program-dir", &o.programa}}) &&
         o.golpes > 1 && o.golpes <= 127 * 128 && o.period > 0;
}

int falhar(const char *motivo) {
  std::fprintf(stderr, "edrum_bench: %s\n", motivo);
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Opcoes o;
  if (!parse(app.arguments(), o)) {
    std::fprintf(stderr,
                 "usage: edrum_bench [--hits N] [--period FRAMES] [--program-dir DIR] [--list]\n");
    return 1;
  }
  ServidorJack servidor(o.period);
  if (!servidor.pronto) return falhar("the JACK server did not start");
  const double segundos = 10.0 + o.golpes * intervaloMaxMs / 1000;
  JackRecorder gravador("bench-rec", segundos);
  EscritorJack escritor("bench-kit");
  if (!gravador.ready() || !escritor.pronto()) return falhar("the bench's clients cannot connect");
  if (!escritor.conectar(1, gravador.midiInput()))
    return falhar("the writer's markers cannot reach the recorder");
  const int sintetizadorN = dispositivo(o.programa, "Kovrinta Synth");
  const int portaN =
      dispositivo(o.programa, QString::fromStdString("JACK " + gravador.midiInput()));
  const QString soundfont =
      QFileInfo(QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2")).canonicalFilePath();
  if (sintetizadorN < 0 || portaN < 0 || soundfont.isEmpty())
    return falhar(
        "kovrinta-song lists no built-in synthesizer or not the recorder's port, or "
        "there is no default soundfont");

  const double taxa = escritor.taxa();
  const uint32_t periodo = escritor.periodo();
  const double periodoMs = periodo * 1000 / taxa;
  Bancada b{gravador, escritor, planejar(o.golpes, taxa, periodo),
            renderizarNota(soundfont.toStdString(), taxa, nota, velocidade,
                           static_cast<std::size_t>(taxa * 0.01))};
  if (b.referencia.empty()) return falhar("FluidSynth cannot render the snare");
  std::printf(
      "edrum_bench: JACK dummy server, %u frames at %.0f Hz (%.2f ms); %d snare hits (note "
      "%d, velocity %d) %.0f to %.0f ms apart at random phases, written at their frames into "
      "kovrinta-song --listen\n"
      "  soundfont %s; a sound starts where it matches the snare rendered offline (its attack "
      "is not counted)\n",
      periodo, taxa, periodoMs, o.golpes, nota, velocidade, intervaloMinMs, intervaloMaxMs,
      qPrintable(soundfont));

  const bool temFluidSynth = temComando("fluidsynth");
  const Rodada sintetizador = rodarKovrinta(o, b, sintetizadorN, true);
  Rodada fluidsynth;
  if (temFluidSynth)
    fluidsynth = rodarFluidSynth(b, soundfont);
  else
    fluidsynth.falha = "no fluidsynth command (tools/install-deps.sh --bench installs it)";
  const Rodada porta = rodarKovrinta(o, b, portaN, false);

  const auto total = static_cast<std::size_t>(o.golpes);
  const double jitterSint = jitter(sintetizador.latenciasMs);
  const double acima = mediana(sintetizador.latenciasMs) - mediana(fluidsynth.latenciasMs);
  char metas[256];

  std::printf("\nhit to sound or note, ms from the hit's frame (server's frame timeline)\n");
  std::printf("  %-34s %-9s %8s %8s %8s %8s  %5s %6s  %s\n", "", "hits", "median", "jit p99", "min",
              "max", "xruns", "slip", "goals");
  std::snprintf(metas, sizeof metas, "%zu of %zu: %s; jitter p99 <= 0.75: %s",
                sintetizador.latenciasMs.size(), total,
                meta(sintetizador.latenciasMs.size() == total), meta(jitterSint <= 0.75));
  imprimirLatencia("kovrinta-song, built-in synth", sintetizador, total, metas);
  std::snprintf(metas, sizeof metas, "(the reference)");
  imprimirLatencia("fluidsynth -a jack -m jack", fluidsynth, total, metas);
  if (sintetizador.falha.isEmpty() && fluidsynth.falha.isEmpty())
    std::printf("  %-34s %+.3f ms  [goal <= +%.2f (one period): %s]\n",
                "built-in synth median - fluidsynth's", acima, periodoMs, meta(acima <= periodoMs));
  std::snprintf(metas, sizeof metas, "%zu of %zu: %s; jitter p99 <= 0.10: %s",
                porta.latenciasMs.size(), total, meta(porta.latenciasMs.size() == total),
                meta(jitter(porta.latenciasMs) <= 0.1));
  imprimirLatencia("kovrinta-song, JACK MIDI port", porta, total, metas);

  std::printf(
      "\nhit to its handling on kovrinta-song's user-interface thread, ms: handled - ns of its "
      "lines is the handling\n(where the kit lights; the screen's paint comes later); beside "
      "it, on the monotonic clock, the same from the\nwake of the cycle that carried the hit "
      "(the writer's), the arrival stamp ns against the hit's frame time\nby that wake, and "
      "JACK's own start of the cycle (jack_get_cycle_times) against it\n");
  std::printf("  %-44s %-9s %8s %8s %8s  %s\n", "", "lines", "median", "p99", "max", "goal");
  imprimirTratamentos("on the built-in synth", sintetizador, total, taxa);
  imprimirTratamentos("on the JACK MIDI port", porta, total, taxa);
  if (o.listar && sintetizador.falha.isEmpty())
    imprimirLista(sintetizador, fluidsynth, porta, taxa);
  std::printf(
      "\nslip: ms the run took longer on the monotonic clock than on the server's frames, first "
      "hit to last\n"
      "* a run with xruns, hits written after their frame or a slip over 1 ms: the server did "
      "not keep time, and what is placed or stamped by the monotonic clock is off\n");
  return sintetizador.falha.isEmpty() && porta.falha.isEmpty() ? 0 : 1;
}
