// How long a large MIDI file takes to become a song, how much memory that needs, and what
// one tick of the sequencer costs on it. The file is made here: format 1, 16 tracks, about
// 300,000 events (a conductor track, drums on channel 10, and fourteen tracks of chords
// with controllers and pitch bends). No output device is opened, so the toolkit drops every
// message the tick handler sends: the tick figure is the handler's own work (finding the
// due events of each enabled track and performing them), not the device's. Prints figures
// beside their goals; exits 0 whatever they are (1 when the file cannot be loaded or the
// arguments are wrong).
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "TVxMidi.h"
#include "config/ArquivoConfiguracao.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "song/GerenciadorMusica.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;
using Micros = std::chrono::duration<double, std::micro>;

constexpr double kGoalLoadMs = 150;
constexpr double kGoalPeakMb = 80;
constexpr double kGoalTickMedianUs = 20;

constexpr int kTracks = 16;
constexpr int kTargetEvents = 300000;
constexpr int kPpq = 480;
constexpr int kSixteenth = kPpq / 4;
constexpr int kBpm = 120;

struct Options {
  bool quick = false;
  int loads = 7;
  int processes = 3;
  int passes = 3;
  QString child;  // set: load this file once and report, in a process of its own
  QString write;  // set: only write the generated file there
};

bool parse(const QStringList &args, Options &options) {
  for (int i = 1; i < args.size(); ++i) {
    bool ok = true;
    if (args[i] == "--quick") {
      options.quick = true;
      options.loads = 2;
      options.processes = 1;
      options.passes = 1;
    } else if (args[i] == "--loads" && i + 1 < args.size()) {
      options.loads = args[++i].toInt(&ok);
      ok = ok && options.loads > 0 && options.loads <= 1000;
    } else if (args[i] == "--processes" && i + 1 < args.size()) {
      options.processes = args[++i].toInt(&ok);
      ok = ok && options.processes > 0 && options.processes <= 100;
    } else if (args[i] == "--passes" && i + 1 < args.size()) {
      options.passes = args[++i].toInt(&ok);
      ok = ok && options.passes > 0 && options.passes <= 1000;
    } else if (args[i] == "--write" && i + 1 < args.size()) {
      options.write = args[++i];
    } else if (args[i] == "--load-once" && i + 1 < args.size()) {
      options.child = args[++i];
    } else {
      return false;
    }
    if (!ok) return false;
  }
  return true;
}

// A track chunk under construction; running status is used wherever the status repeats,
// as sequencers write it, which is what makes 300,000 events fit in about 1 MB.
class Pista {
 public:
  // Events come in time order; tempo is in file ticks from the start of the track.
  void evento(int tempo, std::initializer_list<uint8_t> bytes) {
    if (tempo < ultimoTempo) throw std::logic_error("events out of order in the generator");
    quantidade++;
    vlq(static_cast<uint32_t>(tempo - ultimoTempo));
    ultimoTempo = tempo;
    auto it = bytes.begin();
    if (*it != statusCorrente || *it >= 0xF0) {
      statusCorrente = *it < 0xF0 ? *it : 0;
      dados.push_back(*it);
    }
    dados.insert(dados.end(), it + 1, bytes.end());
  }
  void meta(int tempo, uint8_t tipo, const std::vector<uint8_t> &conteudo) {
    if (tempo < ultimoTempo) throw std::logic_error("events out of order in the generator");
    vlq(static_cast<uint32_t>(tempo - ultimoTempo));
    ultimoTempo = tempo;
    statusCorrente = 0;
    dados.push_back(0xFF);
    dados.push_back(tipo);
    vlq(static_cast<uint32_t>(conteudo.size()));
    dados.insert(dados.end(), conteudo.begin(), conteudo.end());
  }
  void fechar(int tempo) { meta(std::max(tempo, ultimoTempo), 0x2F, {}); }
  int eventos() const { return quantidade; }

  void gravar(std::vector<uint8_t> &saida) const {
    const uint32_t n = static_cast<uint32_t>(dados.size());
    saida.insert(saida.end(),
                 {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                  static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    saida.insert(saida.end(), dados.begin(), dados.end());
  }

 private:
  void vlq(uint32_t v) {
    if (v >= 1u << 28) throw std::logic_error("delta time too long for a file");
    uint8_t buffer[4];
    int n = 0;
    buffer[n++] = v & 0x7F;
    while (v >>= 7) buffer[n++] = 0x80 | (v & 0x7F);
    while (n) dados.push_back(buffer[--n]);
  }

  std::vector<uint8_t> dados;
  int ultimoTempo = 0;
  uint8_t statusCorrente = 0;
  int quantidade = 0;
};

std::vector<uint8_t> nome(const char *texto) {
  return std::vector<uint8_t>(texto, texto + std::strlen(texto));
}

// Channel events per beat: drums (16th hi-hats, kick on 1 and 3, snare on 2 and 4, each
// with its release) and, per melodic track, a three-note chord every 16th (releases and
// strikes), an expression controller every 16th and a pitch bend every 8th.
constexpr int kDrumEventsPerBeat = 8 + 2;
constexpr int kMelodicEventsPerBeat = 4 * 6 + 4 + 2;

struct ArquivoGerado {
  std::vector<uint8_t> bytes;
  int eventos = 0;
  int tempos = 0;
};

ArquivoGerado gerarArquivo() {
  const int porTempo = kDrumEventsPerBeat + (kTracks - 2) * kMelodicEventsPerBeat;
  const int tempos = (kTargetEvents + porTempo - 1) / porTempo;
  const int fim = tempos * kPpq;
  std::vector<Pista> pistas(kTracks);

  Pista &condutor = pistas[0];
  condutor.meta(0, 0x03, nome("import bench"));
  const uint32_t microssegundos = 60000000 / kBpm;
  condutor.meta(0, 0x51,
                {static_cast<uint8_t>(microssegundos >> 16),
                 static_cast<uint8_t>(microssegundos >> 8), static_cast<uint8_t>(microssegundos)});
  condutor.meta(0, 0x58, {4, 2, 24, 8});

  Pista &bateria = pistas[1];
  bateria.meta(0, 0x03, nome("drums"));
  for (int b = 0; b < tempos; ++b) {
    const uint8_t peca = b % 2 == 0 ? 36 : 38;  // kick on 1 and 3, snare on 2 and 4
    for (int s = 0; s < 4; ++s) {
      const int t = b * kPpq + s * kSixteenth;
      if (s == 0) bateria.evento(t, {0x99, peca, static_cast<uint8_t>(peca == 36 ? 110 : 105)});
      if (s == 2) bateria.evento(t, {0x89, peca, 0});
      bateria.evento(t, {0x99, 42, static_cast<uint8_t>(s == 0 ? 100 : 70)});
      bateria.evento(t + kSixteenth / 2, {0x89, 42, 0});
    }
  }

  for (int k = 2; k < kTracks; ++k) {
    // Channels 0..8 and 10..14: channel index 9 is the drums'.
    const int indice = k - 2;
    const uint8_t canal = static_cast<uint8_t>(indice < 9 ? indice : indice + 1);
    Pista &pista = pistas[k];
    pista.meta(0, 0x03, nome("part"));
    pista.evento(0, {static_cast<uint8_t>(0xC0 | canal), static_cast<uint8_t>(indice * 8)});
    int acorde[3] = {-1, -1, -1};
    for (int b = 0; b < tempos; ++b) {
      for (int s = 0; s < 4; ++s) {
        const int t = b * kPpq + s * kSixteenth;
        const uint8_t on = static_cast<uint8_t>(0x90 | canal);
        for (int &nota : acorde)
          if (nota >= 0) pista.evento(t, {on, static_cast<uint8_t>(nota), 0});
        const int raiz = 48 + (b * 5 + s * 7 + indice * 3) % 24;
        acorde[0] = raiz;
        acorde[1] = raiz + 4;
        acorde[2] = raiz + 7;
        for (int nota : acorde)
          pista.evento(t, {on, static_cast<uint8_t>(nota), static_cast<uint8_t>(64 + s * 8)});
        // Controllers fall between the notes, a 32nd later, as a performance's would.
        pista.evento(t + kSixteenth / 2, {static_cast<uint8_t>(0xB0 | canal), 11,
                                          static_cast<uint8_t>(80 + (b + s) % 40)});
        if (s % 2 == 0) {
          const int curva = 8192 + ((b * 4 + s) % 64 - 32) * 64;
          pista.evento(t + kSixteenth / 2,
                       {static_cast<uint8_t>(0xE0 | canal), static_cast<uint8_t>(curva & 0x7F),
                        static_cast<uint8_t>(curva >> 7)});
        }
      }
    }
    for (int nota : acorde)
      if (nota >= 0) pista.evento(fim, {static_cast<uint8_t>(0x90 | canal), uint8_t(nota), 0});
  }

  ArquivoGerado arquivo;
  arquivo.tempos = tempos;
  arquivo.bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, kTracks, kPpq >> 8, kPpq & 0xFF};
  for (Pista &pista : pistas) {
    pista.fechar(fim);
    arquivo.eventos += pista.eventos();
    pista.gravar(arquivo.bytes);
  }
  return arquivo;
}

bool gravar(const ArquivoGerado &gerado, const QString &caminho) {
  QFile saida(caminho);
  const auto tamanho = static_cast<qint64>(gerado.bytes.size());
  if (saida.open(QIODevice::WriteOnly) &&
      saida.write(reinterpret_cast<const char *>(gerado.bytes.data()), tamanho) == tamanho &&
      saida.flush())
    return true;
  std::fprintf(stderr, "import_bench: cannot write %s\n", qPrintable(caminho));
  return false;
}

// The song's size as the sequencer sees it; answers its number of events.
size_t imprimirMusica() {
  const GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
  const Musica *musica = gerenciador.getMusicaAtual();
  if (!musica) throw std::runtime_error("no song after the load");
  size_t eventos = 0;
  for (int i = 0; i < musica->getNumTrilhas(); ++i)
    eventos += musica->getTrilha(i).getEventos().size();
  std::printf("song: %d tracks, %zu events, %d ticks long\n", musica->getNumTrilhas(), eventos,
              gerenciador.getDuracao());
  return eventos;
}

// Peak resident size of this process so far, in kB (VmHWM); -1 when unknown.
long picoResidenteKb() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray &linha : status.readAll().split('\n'))
    if (linha.startsWith("VmHWM:")) return linha.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

// Nearest-rank percentile of an unsorted sample.
double percentile(std::vector<double> sample, double q) {
  if (sample.empty()) return NAN;
  std::sort(sample.begin(), sample.end());
  const auto rank = static_cast<size_t>(std::ceil(q * static_cast<double>(sample.size())));
  return sample[std::clamp<size_t>(rank, 1, sample.size()) - 1];
}

const char *verdict(double value, double goal) {
  if (std::isnan(value)) return "no data";
  return value < goal ? "met" : "missed";
}

double carregarMedindo(const QString &arquivo) {
  const Clock::time_point inicio = Clock::now();
  SaidaMIDI::instancia().carregarMusica(arquivo);
  return Millis(Clock::now() - inicio).count();
}

// The library, the output facade and the sequencer (with its timer) exist before any load,
// so that neither the times nor the memory growth include them.
void prepararPrograma(const QString &pasta) {
  TVxMidi::setLibraryFile(VXMIDI_LIBRARY);
  ArquivoConfiguracao::configurarParaTestes({pasta, "import_bench", pasta});
  ArquivoConfiguracao::instancia();
  SaidaMIDI::setDispositivoInicial(-1);
  SaidaMIDI::instancia();
  Sequenciador::instancia();
}

// The measurement made in a process of its own: one load, from a process that has loaded
// nothing yet. Prints "load_ms baseline_kb peak_kb".
int carregarUmaVez(const QString &arquivo) {
  prepararPrograma(QFileInfo(arquivo).absolutePath());
  const long antes = picoResidenteKb();
  const double ms = carregarMedindo(arquivo);
  std::printf("%.3f %ld %ld\n", ms, antes, picoResidenteKb());
  return 0;
}

struct Processo {
  double ms = NAN;
  long antesKb = -1;
  long picoKb = -1;
};

bool medirEmProcessoNovo(const QString &arquivo, Processo &medida) {
  QProcess filho;
  filho.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  filho.start(QCoreApplication::applicationFilePath(), {"--load-once", arquivo});
  if (!filho.waitForFinished(120000) || filho.exitStatus() != QProcess::NormalExit ||
      filho.exitCode() != 0)
    return false;
  const QList<QByteArray> campos = filho.readAllStandardOutput().trimmed().split(' ');
  if (campos.size() != 3) return false;
  medida.ms = campos[0].toDouble();
  medida.antesKb = campos[1].toLong();
  medida.picoKb = campos[2].toLong();
  return true;
}

// Plays every tick of the song passes times with every track enabled, timing each call of
// the tick handler. The timer runs (started by tocar), but its beats wait in the event
// queue, which is never run: only these calls process ticks.
struct Ticks {
  int ticks = 0;
  double eventosPorTick = 0;
  double primeiroUs = NAN;  // the first tick after the load, with a cold cache
  std::vector<double> custosUs;
};

Ticks medirTicks(int passes) {
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  for (int i = 0; i < kTracks; ++i) configuracao.setTrilhaAtiva(i, true);
  Sequenciador &sequenciador = Sequenciador::instancia();
  sequenciador.limparLoop();
  sequenciador.selecionarTrilhaBateria(-1);
  sequenciador.setBateriaMuda(false);
  sequenciador.parar();
  sequenciador.tocar();

  Ticks medida;
  const Clock::time_point primeiro = Clock::now();
  sequenciador.processarTick();
  medida.primeiroUs = Micros(Clock::now() - primeiro).count();

  const GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
  medida.ticks = gerenciador.getDuracao() + 1;
  const Musica &musica = *gerenciador.getMusicaAtual();
  size_t devidos = 0;
  for (int p = 0; p < medida.ticks; ++p)
    for (int i = 0; i < musica.getNumTrilhas(); ++i) devidos += musica.eventosEm(p, i).size();
  medida.eventosPorTick = static_cast<double>(devidos) / medida.ticks;

  medida.custosUs.reserve(static_cast<size_t>(medida.ticks) * static_cast<size_t>(passes));
  for (int pass = 0; pass < passes; ++pass) {
    sequenciador.setPosicao(0);
    for (int p = 0; p < medida.ticks; ++p) {
      const Clock::time_point inicio = Clock::now();
      sequenciador.processarTick();
      medida.custosUs.push_back(Micros(Clock::now() - inicio).count());
    }
  }
  sequenciador.parar();
  return medida;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  Options options;
  if (!parse(app.arguments(), options)) {
    std::fprintf(stderr,
                 "usage: import_bench [--quick] [--loads N] [--processes N] [--passes N]\n");
    return 1;
  }
  try {
    if (!options.child.isEmpty()) return carregarUmaVez(options.child);

    const ArquivoGerado gerado = gerarArquivo();
    if (!options.write.isEmpty()) return gravar(gerado, options.write) ? 0 : 1;
    QTemporaryDir pasta;
    if (!pasta.isValid()) {
      std::fprintf(stderr, "import_bench: no temporary folder\n");
      return 1;
    }
    const QString arquivo = pasta.filePath("import_bench.mid");
    if (!gravar(gerado, arquivo)) return 1;
    std::printf("import_bench: format 1, %d tracks, %d events, %d beats at %d BPM, %.2f MB\n",
                kTracks, gerado.eventos, gerado.tempos, kBpm,
                static_cast<double>(gerado.bytes.size()) / 1e6);

    // Fresh processes: the first load of a program, and its memory.
    std::vector<double> primeiros;
    std::vector<double> picos;
    std::vector<double> aumentos;
    for (int i = 0; i < options.processes; ++i) {
      Processo medida;
      if (!medirEmProcessoNovo(arquivo, medida)) {
        std::fprintf(stderr, "import_bench: the loading process failed\n");
        return 1;
      }
      primeiros.push_back(medida.ms);
      picos.push_back(static_cast<double>(medida.picoKb) / 1024.0);
      aumentos.push_back(static_cast<double>(medida.picoKb - medida.antesKb) / 1024.0);
    }

    prepararPrograma(pasta.path());
    carregarMedindo(arquivo);  // warms the file cache and the allocator
    std::vector<double> cargas;
    for (int i = 0; i < options.loads; ++i) cargas.push_back(carregarMedindo(arquivo));
    // Every channel event of the file becomes one event of the song (plus the tempo
    // marker); fewer means the load lost data, and the figures would flatter it.
    if (imprimirMusica() < static_cast<size_t>(gerado.eventos)) {
      std::fprintf(stderr, "import_bench: the song has fewer events than the file\n");
      return 1;
    }

    const double primeiro = percentile(primeiros, 0.5);
    const double carga = percentile(cargas, 0.5);
    const double pico = percentile(picos, 1.0);
    std::printf("load (SaidaMIDI::carregarMusica), ms:\n");
    std::printf("  first load in a fresh process: median %7.1f  (%d processes, max %.1f)\n",
                primeiro, options.processes, percentile(primeiros, 1.0));
    std::printf("  load replacing the song:       median %7.1f  (%d loads, min %.1f, max %.1f)\n",
                carga, options.loads, percentile(cargas, 0.0), percentile(cargas, 1.0));
    std::printf("  goal < %.0f ms: %s\n", kGoalLoadMs,
                verdict(std::max(primeiro, carga), kGoalLoadMs));
    std::printf("peak resident size of a process that loads the file once (VmHWM), MB:\n");
    std::printf("  peak %.1f (max of %d), of which the load added %.1f\n", pico, options.processes,
                percentile(aumentos, 1.0));
    std::printf("  goal < %.0f MB: %s\n", kGoalPeakMb, verdict(pico, kGoalPeakMb));

    const Ticks medida = medirTicks(options.passes);
    const std::vector<double> &custos = medida.custosUs;
    const double mediana = percentile(custos, 0.5);
    std::printf(
        "tick handler (Sequenciador::processarTick), 16 tracks enabled, no device open (the "
        "toolkit drops the sends), us per tick:\n");
    std::printf("  %d ticks x %d passes, %.2f due events per tick on average\n", medida.ticks,
                options.passes, medida.eventosPorTick);
    std::printf("  median %.2f   p99 %.2f   max %.2f\n", mediana, percentile(custos, 0.99),
                percentile(custos, 1.0));
    std::printf("  goal median < %.0f us: %s\n", kGoalTickMedianUs,
                verdict(mediana, kGoalTickMedianUs));
    std::printf("  first tick after the load: %.0f us\n", medida.primeiroUs);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "import_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
