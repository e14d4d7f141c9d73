// The window half of the soak run: the real main window plays the rhythm folder's grooves one
// after another on an output device and works its practice controls as a drummer would, and
// once a minute prints what it holds.
//
//   soak_window --minutes M [--device N]
//
// Each groove, about 26 seconds: opened (it plays from its start), play-along on, a loop of
// two bars from the bar it is in, the tempo slider up 15 BPM and back, the next drum track
// picked, Stop, Play, Stop; the passes window that opens at a Stop is closed, as a drummer
// closes it. Half a second after every Stop the kit's sticks and lit pieces still showing are
// counted, at a moment no key is held.
//
// A line a minute: "minute N rss=MB threads=N fds=N grooves=N stops=N lit-after-stop=N
// late-stamps=N keys=N" (stops, lit pieces, late stamps and key presses received of that
// minute). Keys are pressed from
// outside (soak, through xdotool). Exits 0 after M minutes, 1 when the window could not play.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QSlider>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <set>

#include "config/ArquivoConfiguracao.h"
#include "janela/BancadaJanela.h"
#include "julgamento/TformResumo.h"
#include "midi/SaidaMIDI.h"
#include "pratica/AjustesPratica.h"
#include "setup/TFormSetup.h"
#include "ui/Imagem.h"
#include "ui/MapaBateria.h"
#include "ui/PainelInstrumento.h"
#include "ui/TFormPrincipal.h"
#include "vxmidi/TVxMidiOut.h"

namespace {

// A figure of the process from /proc/self/status ("VmRSS:", "Threads:"); -1 when absent.
long campoStatus(const char *campo) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
  for (const QByteArray &linha : status.readAll().split('\n'))
    if (linha.startsWith(campo)) return linha.mid(qstrlen(campo)).trimmed().split(' ')[0].toLong();
  return -1;
}

int arquivosAbertos() {
  return static_cast<int>(
      QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

// The kit's sticks and lit pieces showing on the panel.
int pecasAcesas(const PainelInstrumento &painel) {
  std::set<QString> nomes;
  for (auto grupo : {MapaBateria::baquetas(), MapaBateria::pecas()})
    for (FiguraBateria figura : grupo) nomes.insert(QLatin1String(descricaoFigura(figura).nome));
  int acesas = 0;
  for (int i = 0; i < painel.numFiguras(); ++i)
    if (painel.isFiguraVisivel(i) && nomes.count(painel.nomeFigura(i))) ++acesas;
  return acesas;
}

// Counts the key presses the application receives (the driver's xdotool keys).
class ContadorTeclas : public QObject {
 public:
  bool eventFilter(QObject *objeto, QEvent *evento) override {
    // A press reaches the window and then its focused control: counted once, at the window.
    if (evento->type() == QEvent::KeyPress && objeto->isWindowType() &&
        !static_cast<QKeyEvent *>(evento)->isAutoRepeat())
      ++teclas;
    return false;
  }
  int teclas = 0;
};

void clicar(TFormPrincipal &janela, int tag) {
  QTest::mouseClick(janela.windowHandle(), Qt::LeftButton, {},
                    janela.getImagemBotao(tag)->geometry().center());
}

int uso() {
  std::fprintf(stderr, "usage: soak_window --minutes M [--device N]\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);
  const QStringList args = app.arguments();
  int minutos = 0;
  int dispositivo = -1;
  for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--minutes"))
      minutos = args[i + 1].toInt();
    else if (args[i] == QLatin1String("--device"))
      dispositivo = args[i + 1].toInt();
    else
      return uso();
  }
  if (minutos <= 0 || args.size() % 2 == 0) return uso();

  bench::BancadaJanela bancada("soak_window");
  dispositivo = bancada.preparar(dispositivo);
  if (dispositivo < 0) return 1;
  QStringList grooves;
  const QDir ritmos(QStringLiteral(KOVRINTA_PROGRAM_DIR "/ritmos"));
  for (const QString &nome : ritmos.entryList({QStringLiteral("*.mid")}, QDir::Files, QDir::Name))
    grooves << ritmos.filePath(nome);
  if (grooves.isEmpty()) {
    std::fprintf(stderr, "soak_window: no groove in %s\n", qPrintable(ritmos.path()));
    return 1;
  }
  ArquivoConfiguracao::instancia().setVolume(80);

  TFormSetup setup;
  FormSetup = &setup;
  TFormPrincipal janela;
  bancada.vigiar(janela);
  bool falhou = false;  // a groove that cannot be opened
  janela.show();
  auto *karaoke = janela.findChild<QCheckBox *>(QStringLiteral("ckKaraoke"));
  auto *faixas = janela.findChild<QComboBox *>(QStringLiteral("CmbTracks"));
  auto *bpm = janela.findChild<QSlider *>(QStringLiteral("tkbBPM"));
  if (!karaoke || !faixas || !bpm) {
    std::fprintf(stderr, "soak_window: the window lacks its controls\n");
    return 1;
  }

  ContadorTeclas contadorTeclas;
  app.installEventFilter(&contadorTeclas);
  struct Minuto {
    int grooves = 0, paradas = 0, acesas = 0;
    uint32_t atrasadasAntes = 0;
  } minuto;
  int numeroMinuto = 0;
  int grooveAtual = -1;
  int passo = 0;  // half seconds into the groove
  const auto parar = [&] {
    clicar(janela, TFormPrincipal::tagStop);
    ++minuto.paradas;
  };
  // A key held as the count is taken lights its piece rightly: the count waits for its release.
  std::function<void()> depoisDeParar = [&] {
    for (int slot = 0; slot < numTeclasBateria; ++slot)
      if (janela.isTeclaPressionada(slot)) {
        QTimer::singleShot(20, depoisDeParar);
        return;
      }
    minuto.acesas += pecasAcesas(*janela.getPainelInstrumento());
    if (janela.getFormResumo()->isVisible()) janela.getFormResumo()->close();
    janela.activateWindow();
  };
  QTimer roteiro;
  QObject::connect(&roteiro, &QTimer::timeout, [&] {
    switch (passo++) {
      case 0:
        grooveAtual = (grooveAtual + 1) % static_cast<int>(grooves.size());
        if (!janela.abrirMusica(grooves[grooveAtual])) falhou = true;
        ++minuto.grooves;
        break;
      case 2:
        if (!karaoke->isChecked()) karaoke->click();
        break;
      case 8:
        janela.loopCompassos(2);
        break;
      case 16:
        bpm->setValue(bpm->value() + 15);
        break;
      case 24:
        if (faixas->count() > 1) {
          faixas->setCurrentIndex((faixas->currentIndex() + 1) % faixas->count());
          emit faixas->activated(faixas->currentIndex());
        }
        break;
      case 30:
        bpm->setValue(bpm->value() - 15);
        break;
      case 36:
      case 50:
        parar();
        break;
      case 37:
      case 51:
        depoisDeParar();
        break;
      case 38:
        clicar(janela, TFormPrincipal::tagPlay);
        break;
      case 52:
        passo = 0;
        break;
      default:
        break;
    }
    if (falhou) QCoreApplication::exit(1);
  });
  QTimer relatorio;
  const auto relatar = [&] {
    const uint32_t atrasadas = SaidaMIDI::instancia().getSaida().LateMessages();
    std::printf(
        "minute %d rss=%.1f threads=%ld fds=%d grooves=%d stops=%d lit-after-stop=%d "
        "late-stamps=%u keys=%d\n",
        ++numeroMinuto, static_cast<double>(campoStatus("VmRSS:")) / 1024.0,
        campoStatus("Threads:"), arquivosAbertos(), minuto.grooves, minuto.paradas, minuto.acesas,
        atrasadas - minuto.atrasadasAntes, contadorTeclas.teclas);
    contadorTeclas.teclas = 0;
    std::fflush(stdout);
    minuto = {};
    minuto.atrasadasAntes = atrasadas;
    if (numeroMinuto >= minutos) QCoreApplication::exit(0);
  };
  // A coarse timer may run 5 % late: the minutes are the clock's.
  relatorio.setTimerType(Qt::PreciseTimer);
  QObject::connect(&relatorio, &QTimer::timeout, relatar);
  // The device opens when the window is first shown; the run starts once it has.
  QTimer::singleShot(1000, [&] {
    minuto.atrasadasAntes = SaidaMIDI::instancia().getSaida().LateMessages();
    std::printf("playing %lld grooves on device %d (%s)\n", static_cast<long long>(grooves.size()),
                dispositivo,
                qPrintable(SaidaMIDI::instancia().listarDispositivos().value(dispositivo)));
    std::fflush(stdout);
    roteiro.start(500);
    relatorio.start(60'000);
  });
  const int status = QApplication::exec();
  roteiro.stop();
  relatorio.stop();
  if (janela.getEstado() != EstadoPlayer::SemMusica) janela.pararMusica();
  FormSetup = nullptr;
  return falhou || bancada.falhou() ? 1 : status;
}
