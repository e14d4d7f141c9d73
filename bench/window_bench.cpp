// The main window as a player, for timing: the real window plays a MIDI file on an output
// device, repainting the kit, and ends when the song stops by itself. It measures how the
// kit's picture follows the sound: for every beat that lit a piece, the time from the
// beat's sound (the stamp its messages carry: its ideal time plus the output latency) to the
// end of the kit panel's next paint; and how late each beat was handled.
//
//   window_bench [--device N] [--busy MS] [--stall MS] [--seconds S] [--log FILE]
//                [--judge-log FILE] [--lanes] [--loop] FILE
//
// --device N   the output device (default: the first built-in synthesizer listed)
// --busy MS    also keeps the window's thread busy MS milliseconds of every 16, as a slower
//              machine's painting would
// --stall MS   blocks the window's thread MS milliseconds once a second, as a file dialog
//              reading a large folder or a dragged window does
// --seconds S  ends after S seconds if the song has not ended by then
// --log FILE   writes the end of the paint that showed each lit beat, on the monotonic clock
//              in nanoseconds, one line each, so that a recording can set them against the
//              sound itself
// --judge-log FILE  writes every judgement of the drummer's hits the window makes as it
//              makes it, one line each: the class (on-time, early, late, extra, missed),
//              the offset in ms (hit minus note, 0 for extra and missed) and the song's tick,
//              as "late +37.125 416", so that a bench pressing keys at known offsets can read
//              what the window made of them
// --loop       loops the song's first eight bars, so that it plays until --seconds ends it
// --lanes      also opens the drum lane view at 1920 x 1080 and measures it: the interval
//              between its frames, where its "now" line stood against the moment each frame
//              was painted, and the time the window's thread spent drawing it
//
// Every run also prints the CPU time the window's thread and the whole process took per
// second of playing. Run it on a display (tests/janela/com-xvfb.sh window_bench FILE, or
// offscreen). It is
// also the player command for an audio recording of the window playing: the recorder
// connects to the "Kovrinta" JACK client the built-in synthesizer opens. Prints its figures
// and never fails on a number; 1 when the song could not be played.
#include <sys/resource.h>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QStyleFactory>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "TVxMidiOut.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "janela/BancadaJanela.h"
#include "julgamento/SessaoJulgamento.h"
#include "midi/SaidaMIDI.h"
#include "pistas/PainelPistas.h"
#include "pistas/TformPistas.h"
#include "playback/Sequenciador.h"
#include "setup/TFormSetup.h"
#include "ui/PainelInstrumento.h"
#include "ui/TFormPrincipal.h"

namespace {

int64_t agoraNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The kit as the sequencer's agenda shows it: it passes every call to the window's kit and
// notes the sound of each beat that lit a piece (the moment the agenda shows it for).
class KitMedido : public Instrumento {
 public:
  explicit KitMedido(Instrumento *kit) : kit(kit) {}

  void acender(int nota) override {
    kit->acender(nota);
    const int64_t momento = Sequenciador::instancia().getAgendaKit().getMomento();
    const int64_t som = momento != 0 ? momento : agoraNs();
    if (som == ultimoSom) return;
    ultimoSom = som;
    somPendente.push_back(som);
  }
  void apagar(int nota) override { kit->apagar(nota); }
  void apagarTudo() override { kit->apagarTudo(); }
  void desmontar() override { kit->desmontar(); }

  Instrumento *kit;
  int64_t ultimoSom = 0;
  std::vector<int64_t> somPendente;  // sound times of the lit beats not yet painted
  std::vector<int64_t> atrasos;      // beat handled - beat ideal, per beat
  std::vector<int64_t> imagemSom;    // end of paint - sound, per lit beat
  std::vector<int64_t> pinturas;     // end of the paint that showed each lit beat
};

// Paints the panel itself, so that the time taken is the end of the paint.
class MedidorPintura : public QObject {
 public:
  explicit MedidorPintura(KitMedido &kit) : kit(kit) {}

  bool eventFilter(QObject *objeto, QEvent *evento) override {
    if (evento->type() != QEvent::Paint || dentro) return false;
    dentro = true;
    objeto->event(evento);
    dentro = false;
    const int64_t fim = agoraNs();
    for (int64_t som : kit.somPendente) {
      kit.imagemSom.push_back(fim - som);
      kit.pinturas.push_back(fim);
    }
    kit.somPendente.clear();
    return true;
  }

 private:
  KitMedido &kit;
  bool dentro = false;
};

int64_t cpuDaThreadNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

int64_t cpuDoProcessoNs() {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  const auto ns = [](const timeval &t) {
    return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_usec * 1000;
  };
  return ns(uso.ru_utime) + ns(uso.ru_stime);
}

// The lane view's frames while the song plays: when each paint ended, where the "now" line
// stood against that moment, and the window thread's CPU time spent painting.
class MedidorPistas : public QObject {
 public:
  explicit MedidorPistas(TformPistas &pistas) : pistas(pistas) {}

  bool eventFilter(QObject *objeto, QEvent *evento) override {
    if (evento->type() != QEvent::Paint || dentro) return false;
    dentro = true;
    const int64_t cpu = cpuDaThreadNs();
    const int64_t comeco = agoraNs();
    objeto->event(evento);
    const int64_t fim = agoraNs();
    dentro = false;
    if (!Sequenciador::instancia().getSincronismo()->IsRunning()) {
      ultimo = 0;
      return true;
    }
    cpuPintura += cpuDaThreadNs() - cpu;
    duracoes.push_back(fim - comeco);
    if (ultimo != 0) intervalos.push_back(fim - ultimo);
    ultimo = fim;
    agoraMenosPintura.push_back(pistas.getVista() - fim);
    return true;
  }

  TformPistas &pistas;
  bool dentro = false;
  int64_t ultimo = 0;
  int64_t cpuPintura = 0;
  std::vector<int64_t> intervalos;
  std::vector<int64_t> agoraMenosPintura;
  std::vector<int64_t> duracoes;
};

void imprimir(const char *nome, std::vector<int64_t> valores) {
  if (valores.empty()) {
    std::printf("%-34s none\n", nome);
    return;
  }
  std::sort(valores.begin(), valores.end());
  const auto em = [&](double q) {
    const auto i = static_cast<std::size_t>(q * static_cast<double>(valores.size() - 1) + 0.5);
    return static_cast<double>(valores[i]) / 1e6;
  };
  std::printf("%-34s n=%zu  min=%.2f  p50=%.2f  p99=%.2f  max=%.2f ms\n", nome, valores.size(),
              em(0), em(0.5), em(0.99), static_cast<double>(valores.back()) / 1e6);
}

// Keeps the window's thread busy for milissegundos every intervalo milliseconds.
void ocuparACada(QTimer &relogio, int milissegundos, int intervalo) {
  relogio.setTimerType(Qt::PreciseTimer);
  QObject::connect(&relogio, &QTimer::timeout, [milissegundos] {
    const auto fim = std::chrono::steady_clock::now() + std::chrono::milliseconds(milissegundos);
    while (std::chrono::steady_clock::now() < fim) {
    }
  });
  relogio.start(intervalo);
}

int uso() {
  std::fprintf(stderr,
               "usage: window_bench [--device N] [--busy MS] [--stall MS] [--seconds S] "
               "[--log FILE] [--judge-log FILE] [--lanes] [--loop] FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);
  QStringList args = app.arguments().mid(1);
  int dispositivo = -1;
  int ocupado = 0;
  int segundos = 0;
  int travado = 0;
  QString registro;
  QString registroJulgamentos;
  bool pistas = false;
  bool repetir = false;
  while (args.size() > 1 && args[0].startsWith(QLatin1String("--"))) {
    if (args[0] == QLatin1String("--lanes") || args[0] == QLatin1String("--loop")) {
      (args[0] == QLatin1String("--lanes") ? pistas : repetir) = true;
      args = args.mid(1);
      continue;
    }
    if (args[0] == QLatin1String("--log")) {
      registro = args[1];
      args = args.mid(2);
      continue;
    }
    if (args[0] == QLatin1String("--judge-log")) {
      registroJulgamentos = args[1];
      args = args.mid(2);
      continue;
    }
    bool numero = false;
    const int valor = args[1].toInt(&numero);
    if (!numero || valor < 0) return uso();
    if (args[0] == QLatin1String("--device"))
      dispositivo = valor;
    else if (args[0] == QLatin1String("--busy"))
      ocupado = valor;
    else if (args[0] == QLatin1String("--stall"))
      travado = valor;
    else if (args[0] == QLatin1String("--seconds"))
      segundos = valor;
    else
      return uso();
    args = args.mid(2);
  }
  if (args.size() != 1) return uso();

  bench::BancadaJanela bancada("window_bench");
  dispositivo = bancada.preparar(dispositivo);
  if (dispositivo < 0) return 1;
  ArquivoConfiguracao::instancia().setVolume(100);
  // The song from its first tick: a count-in's clicks would be other sounds than the song's.
  AjustesPratica pratica;
  pratica.contagem = 0;
  ArquivoConfiguracao::instancia().setAjustesPratica(pratica);

  TFormSetup setup;
  FormSetup = &setup;
  TFormPrincipal janela;
  bancada.vigiar(janela);
  KitMedido kit(ArquivoConfiguracao::instancia().getInstrumento());
  ArquivoConfiguracao::instancia().instrumentoParaTestes(&kit);
  TVxMidiSync &sincronismo = *Sequenciador::instancia().getSincronismo();
  const auto tratar = sincronismo.OnMidiBeat;
  sincronismo.OnMidiBeat = [&](QObject *sender) {
    kit.atrasos.push_back(agoraNs() - sincronismo.BeatIdealNs());
    tratar(sender);
  };
  MedidorPintura medidor(kit);
  janela.getPainelInstrumento()->installEventFilter(&medidor);

  // Each judgement is written as it is made, after the window has shown it, so that the
  // lines are there however the run ends.
  SessaoJulgamento &sessao = *janela.getSessaoJulgamento();
  const auto julgar = sessao.aoJulgar;
  QFile arquivoJulgamentos(registroJulgamentos);
  if (!registroJulgamentos.isEmpty()) {
    if (!arquivoJulgamentos.open(QIODevice::WriteOnly | QIODevice::Text)) {
      std::fprintf(stderr, "window_bench: cannot write %s\n", qPrintable(registroJulgamentos));
      return 1;
    }
    sessao.aoJulgar = [&arquivoJulgamentos, julgar](const Julgamento &julgamento) {
      if (julgar) julgar(julgamento);
      arquivoJulgamentos.write(QStringLiteral("%1 %2 %3\n")
                                   .arg(QLatin1String(palavraDaClasse(julgamento.classe)))
                                   .arg(QString::asprintf("%+.3f", julgamento.desvioMs))
                                   .arg(julgamento.tick)
                                   .toUtf8());
      arquivoJulgamentos.flush();
    };
  }

  MedidorPistas medidorPistas(*janela.getFormPistas());
  if (pistas) janela.getFormPistas()->getPainel()->installEventFilter(&medidorPistas);

  // The song has ended once the window, having played, stands stopped.
  bool tocou = false;
  int64_t inicioNs = 0, cpuThreadInicio = 0, cpuProcessoInicio = 0;
  QTimer vigia;
  QObject::connect(&vigia, &QTimer::timeout, [&] {
    if (!tocou && janela.getEstado() == EstadoPlayer::Tocando) {
      inicioNs = agoraNs();
      cpuThreadInicio = cpuDaThreadNs();
      cpuProcessoInicio = cpuDoProcessoNs();
      if (repetir) Sequenciador::instancia().definirLoopCompassos(8);
    }
    if (janela.getEstado() == EstadoPlayer::Tocando) tocou = true;
    if (tocou && janela.getEstado() == EstadoPlayer::Parado) QCoreApplication::exit(0);
  });
  vigia.start(20);
  QTimer carga, trava;
  if (ocupado > 0) ocuparACada(carga, ocupado, 16);
  if (travado > 0) ocuparACada(trava, travado, 1000);

  if (segundos > 0) QTimer::singleShot(segundos * 1000, [] { QCoreApplication::exit(0); });

  janela.abrirAoMostrar(args[0]);
  janela.show();
  if (pistas) {
    janela.abrirPistas();
    janela.getFormPistas()->setGeometry(0, 0, 1920, 1080);
  }
  const int status = QApplication::exec();
  const double segundosTocados = static_cast<double>(agoraNs() - inicioNs) / 1e9;
  const double cpuThread = static_cast<double>(cpuDaThreadNs() - cpuThreadInicio) / 1e9;
  const double cpuProcesso = static_cast<double>(cpuDoProcessoNs() - cpuProcessoInicio) / 1e9;
  sincronismo.OnMidiBeat = tratar;
  sessao.aoJulgar = julgar;
  ArquivoConfiguracao::instancia().instrumentoParaTestes(kit.kit);
  FormSetup = nullptr;
  if (bancada.falhou() || status != 0) return 1;

  if (!registro.isEmpty()) {
    QFile arquivo(registro);
    if (arquivo.open(QIODevice::WriteOnly | QIODevice::Text)) {
      QTextStream texto(&arquivo);
      for (int64_t fim : kit.pinturas) texto << fim << '\n';
    }
  }
  std::printf(
      "window_bench: %s on device %d (%s), busy %d ms of 16, stalled %d ms a second, "
      "platform %s\n",
      qPrintable(args[0]), dispositivo,
      qPrintable(SaidaMIDI::instancia().listarDispositivos().value(dispositivo)), ocupado, travado,
      qPrintable(QGuiApplication::platformName()));
  imprimir("beat handled after its ideal time", kit.atrasos);
  imprimir("kit painted after the beat's stamp", kit.imagemSom);
  std::printf("messages that missed their stamp: %u\n",
              SaidaMIDI::instancia().getSaida().LateMessages());
  std::printf(
      "goal: the kit painted within 8 ms of the sound, p99 (negative: the picture comes "
      "first)\n");
  if (inicioNs != 0 && segundosTocados > 0)
    std::printf(
        "cpu per second of playing: window thread %.1f %%, whole process %.1f %% of one "
        "core (%.1f s)\n",
        100 * cpuThread / segundosTocados, 100 * cpuProcesso / segundosTocados, segundosTocados);
  if (pistas) {
    const QSize tamanho = janela.getFormPistas()->getPainel()->size();
    std::printf("lane view: panel %dx%d, %zu frames while playing\n", tamanho.width(),
                tamanho.height(), medidorPistas.intervalos.size() + 1);
    imprimir("lane frame interval", medidorPistas.intervalos);
    imprimir("lane paint event, wall time", medidorPistas.duracoes);
    // Positive: the line shows a moment after the frame appears.
    imprimir("lane now line - end of its paint", medidorPistas.agoraMenosPintura);
    std::vector<int64_t> absolutos;
    for (int64_t d : medidorPistas.agoraMenosPintura) absolutos.push_back(std::llabs(d));
    imprimir("lane |now line - end of its paint|", absolutos);
    if (segundosTocados > 0)
      std::printf("lane painting on the window thread: %.1f %% of one core\n",
                  100 * static_cast<double>(medidorPistas.cpuPintura) / 1e9 / segundosTocados);
    std::printf(
        "goal: frame interval p99 < 20 ms at 60 Hz, the view under 15 %% of one core, the now "
        "line within +-8 ms of the sound\n");
  }
  return 0;
}
