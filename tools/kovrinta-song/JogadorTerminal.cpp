#include "JogadorTerminal.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "TVxMidiOut.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "midi/SaidaMIDI.h"
#include "playback/AcessoGui.h"
#include "playback/Sequenciador.h"
#include "song/GerenciadorMusica.h"

namespace {

// Ctrl-C reaches the event loop through this pipe; a signal handler may only write.
int pipeSinal[2] = {-1, -1};

void aoSinal(int) {
  const char byte = 1;
  [[maybe_unused]] auto escrito = write(pipeSinal[1], &byte, 1);
}

}  // namespace

JogadorTerminal::JogadorTerminal() {
  if (pipe(pipeSinal) == 0) {
    sinal = std::make_unique<QSocketNotifier>(pipeSinal[0], QSocketNotifier::Read);
    connect(sinal.get(), &QSocketNotifier::activated, this, [this] { interrompido(); });
    std::signal(SIGINT, aoSinal);
    std::signal(SIGTERM, aoSinal);
  }
  AcessoGui::instancia().setVisor(this);
}

JogadorTerminal::~JogadorTerminal() {
  AcessoGui::instancia().setVisor(nullptr);
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

int JogadorTerminal::tocar(int dispositivo, const QString &arquivo) {
  if (!QFileInfo(arquivo).isFile()) {
    std::fprintf(stderr, "kovrinta-song: %s: no such file\n", qPrintable(arquivo));
    return 1;
  }
  SaidaMIDI::setDispositivoInicial(dispositivo);
  SaidaMIDI &saida = SaidaMIDI::instancia();
  const QStringList dispositivos = saida.listarDispositivos();
  if (!saida.getSaida().IsOpen() && !saida.abrirDispositivo(dispositivo)) {
    std::fprintf(stderr, "kovrinta-song: output device %d%s cannot be opened.\n%s\n", dispositivo,
                 dispositivo < dispositivos.size()
                     ? qPrintable(" (" + dispositivos[dispositivo] + ")")
                     : " (there is no such device)",
                 qPrintable(saida.getMotivoFalha()));
    return 1;
  }
  try {
    saida.carregarMusica(arquivo);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "kovrinta-song: %s: %s\n", qPrintable(arquivo), e.what());
    return 1;
  }

  // Every track plays; the kit display follows all drum tracks.
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  for (int i = 0; i < 16; ++i) configuracao.setTrilhaAtiva(i, true);
  Sequenciador &sequenciador = Sequenciador::instancia();
  if (!arquivoRegistro.isEmpty()) {
    TVxMidiSync &sync = *sequenciador.getSincronismo();
    batidas.reserve(1 << 20);
    auto tratar = sync.OnMidiBeat;
    sync.OnMidiBeat = [this, &sync, tratar](QObject *sender) {
      const int64_t agora = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
      batidas.emplace_back(sync.BeatIdealNs(), agora);
      tratar(sender);
    };
  }
  sequenciador.limparLoop();
  sequenciador.selecionarTrilhaBateria(-1);
  sequenciador.setBateriaMuda(false);
  sequenciador.parar();
  sequenciador.tocar();
  return QCoreApplication::exec();
}

void JogadorTerminal::ocuparInterface() {
  carga = std::make_unique<QTimer>();
  carga->setTimerType(Qt::PreciseTimer);
  connect(carga.get(), &QTimer::timeout, this, [] {
    const auto fim = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (std::chrono::steady_clock::now() < fim) {
    }
  });
  carga->start(16);
}

void JogadorTerminal::registrarBatidas(const QString &arquivo) {
  arquivoRegistro = arquivo;
}

void JogadorTerminal::gravarRegistro() {
  if (arquivoRegistro.isEmpty()) return;
  QFile arquivo(arquivoRegistro);
  if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Text)) return;
  QTextStream saida(&arquivo);
  for (const auto &[ideal, tratada] : batidas) saida << ideal << ' ' << tratada << '\n';
  saida << "late " << SaidaMIDI::instancia().getSaida().LateMessages() << '\n';
}

void JogadorTerminal::exibirAndamento(int bpm) {
  andamento = bpm;
}

// The song ends at the first beat past its length: the events of its last tick have been
// performed by then, and the output has had that beat to play them.
void JogadorTerminal::avancarTempo() {
  const GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
  const int posicao = Sequenciador::instancia().getPosicao();
  const int tempo = posicao / 64;
  std::fprintf(stderr, "\rbeat %d/%d  %d BPM ", tempo, gerenciador.getNumTempos(),
               andamento > 0 ? andamento : Sequenciador::instancia().getAndamento());
  if (posicao > gerenciador.getDuracao()) {
    std::fprintf(stderr, "\n");
    terminar(0);
  }
}

void JogadorTerminal::interrompido() {
  std::fprintf(stderr, "\nstopped\n");
  terminar(130);
}

void JogadorTerminal::terminar(int status) {
  gravarRegistro();
  SaidaMIDI &saida = SaidaMIDI::instancia();
  Sequenciador::instancia().parar();
  saida.silenciar();
  saida.resetarControladores();
  QCoreApplication::exit(status);
}
