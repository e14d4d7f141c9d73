#include "JogadorTerminal.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "TVxMidiOut.h"
#include "TVxMidiStamp.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "entrada/KitEletronico.h"
#include "midi/SaidaMIDI.h"
#include "playback/AcessoGui.h"
#include "playback/Sequenciador.h"
#include "song/GerenciadorMusica.h"

namespace {

// Ctrl-C reaches the event loop through this pipe; a signal handler may only write.
int pipeSinal[2] = {-1, -1};

// The tap test's tempo: slow enough that a strike is never nearer the next click.
constexpr int bpmCalibracao = 100;

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
  if (!abrirSaida(dispositivo)) return 1;
  SaidaMIDI &saida = SaidaMIDI::instancia();
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
      const int64_t agora = TVxMidiStamp::agora();
      batidas.emplace_back(sync.BeatIdealNs(), agora);
      tratar(sender);
    };
  }
  if (julgando) ligarJuiz();
  sequenciador.limparLoop();
  sequenciador.selecionarTrilhaBateria(-1);
  sequenciador.setBateriaMuda(false);
  sequenciador.setContagem(compassosContagem, false);
  sequenciador.getClique().setAtivo(cliqueLigado);
  sequenciador.parar();
  sequenciador.setVelocidade(velocidade);
  sequenciador.tocar();
  return QCoreApplication::exec();
}

bool JogadorTerminal::abrirSaida(int dispositivo) {
  SaidaMIDI::setDispositivoInicial(dispositivo);
  SaidaMIDI &saida = SaidaMIDI::instancia();
  const QStringList dispositivos = saida.listarDispositivos();
  if (!saida.getSaida().IsOpen() && !saida.abrirDispositivo(dispositivo)) {
    std::fprintf(stderr, "kovrinta-song: output device %d%s cannot be opened.\n%s\n", dispositivo,
                 dispositivo < dispositivos.size()
                     ? qPrintable(" (" + dispositivos[dispositivo] + ")")
                     : " (there is no such device)",
                 qPrintable(saida.getMotivoFalha()));
    return false;
  }
  saida.getSaida().OnDeviceLost = [this](QObject *) {
    std::fprintf(stderr,
                 "\nkovrinta-song: the output device went away: its sound server stopped or was "
                 "killed, or its port was closed or unplugged. Start the server again or plug "
                 "the device in, then play again.\n");
    terminar(1);
  };
  if (nomeEntrada.isEmpty()) return true;
  // A port that a module or a program is still making is waited for.
  kit = std::make_unique<KitEletronico>();
  AjustesEntrada ajustes;
  ajustes.dispositivo = nomeEntrada;
  ajustes.mapa = presetEntrada.isEmpty() ? QStringLiteral("gm") : presetEntrada.toLower();
  const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  bool aberta = kit->aplicar(ajustes);
  while (!aberta && std::chrono::steady_clock::now() < limite) {
    QThread::msleep(100);
    aberta = kit->aplicar(ajustes);
  }
  if (!aberta) {
    std::fprintf(stderr,
                 "kovrinta-song: no MIDI input port whose name contains \"%s\" could be opened "
                 "within 5 seconds.\n",
                 qPrintable(nomeEntrada));
    return false;
  }
  kit->aoGolpe = [this](const KitEletronico::Golpe &golpe) {
    const char *peca = golpe.peca == PecaBateria::nenhuma ? "-" : descricaoPeca(golpe.peca).chave;
    const auto tratado = TVxMidiStamp::agora();
    std::printf("hit ns=%lld handled=%lld note=%d velocity=%d piece=%s\n", golpe.chegadaNs,
                static_cast<long long>(tratado), golpe.nota, golpe.velocidade, peca);
    std::fflush(stdout);
    if (julgando) {
      juiz.golpe(golpe.peca, golpe.velocidade, golpe.chegadaNs);
      juiz.avancar(tratado);
    }
    if (calibrando) calibracao.toque(golpe.chegadaNs);
  };
  kit->aoPerderDispositivo = [](const QString &nome) {
    std::fprintf(stderr,
                 "\nkovrinta-song: the input device %s went away: it was unplugged or the "
                 "program that made it closed. The song plays on.\n",
                 qPrintable(nome));
  };
  std::fprintf(stderr, "listening to %s\n", qPrintable(kit->getDispositivoAberto()));
  return true;
}

bool JogadorTerminal::usarEntrada(const QString &nome, const QString &preset) {
  if (!preset.isEmpty() && !MapaNotas::presetDoNome(preset)) {
    std::fprintf(stderr, "kovrinta-song: unknown map %s (gm, roland, alesis, yamaha)\n",
                 qPrintable(preset));
    return false;
  }
  nomeEntrada = nome;
  presetEntrada = preset;
  return true;
}

int JogadorTerminal::ouvir(int dispositivo, double segundos) {
  if (!abrirSaida(dispositivo)) return 1;
  if (segundos > 0)
    QTimer::singleShot(static_cast<int>(segundos * 1000), this, [this] { terminar(0); });
  return QCoreApplication::exec();
}

void JogadorTerminal::julgar(std::optional<double> latenciaMs) {
  julgando = true;
  AjustesJulgamento ajustes = ArquivoConfiguracao::instancia().getAjustesJulgamento();
  if (latenciaMs) ajustes.latenciaEntradaMs = *latenciaMs;
  juiz.setAjustes(ajustes);
}

int64_t JogadorTerminal::somDe(int64_t devidoNs) {
  if (atrasoSaida < 0) atrasoSaida = SaidaMIDI::instancia().getSaida().StampDelayNs();
  return devidoNs + atrasoSaida;
}

void JogadorTerminal::ligarJuiz() {
  Sequenciador::Ouvintes &ouvintes = Sequenciador::instancia().getOuvintes();
  ouvintes.notaBateria = [this](int nota, int tick, int64_t devido) {
    juiz.nota(nota, tick, somDe(devido));
  };
  ouvintes.tick = [this](int tick, int64_t devido) {
    juiz.tick(tick, somDe(devido));
    juiz.avancar(TVxMidiStamp::agora());
  };
  juiz.aoJulgar = [](const Julgamento &j) {
    const char *peca = descricaoPeca(j.peca).chave;
    if (j.classe == ClasseGolpe::extra || j.classe == ClasseGolpe::perdido)
      std::printf("judge piece=%s %s tick=%d\n", peca, palavraDaClasse(j.classe), j.tick);
    else
      std::printf("judge piece=%s offset=%+.2f %s tick=%d\n", peca, j.desvioMs,
                  palavraDaClasse(j.classe), j.tick);
    std::fflush(stdout);
  };
  juiz.aoFecharPasse = [](const ResumoPasse &r) {
    std::printf(
        "pass %d hits=%d on-time=%d early=%d late=%d missed=%d extra=%d mean=%+.2f "
        "spread=%.2f\n",
        r.numero, r.golpes, r.noTempo, r.adiantados, r.atrasados, r.perdidos, r.extras, r.media,
        r.desvioPadrao);
    std::fflush(stdout);
  };
}

int JogadorTerminal::calibrar(int dispositivo, int batidas) {
  if (!abrirSaida(dispositivo)) return 1;
  Sequenciador &sequenciador = Sequenciador::instancia();
  calibracao.limpar();
  calibrando = true;
  sequenciador.getOuvintes().clique = [this](int64_t devido) { calibracao.clique(somDe(devido)); };
  // The last strike may come up to half a beat after the last click.
  sequenciador.getOuvintes().fimCalibracao = [this] {
    QTimer::singleShot(30'000 / bpmCalibracao + 100, this, [this] { terminarCalibracao(); });
  };
  sequenciador.calibrar(batidas, bpmCalibracao);
  return QCoreApplication::exec();
}

void JogadorTerminal::terminarCalibracao() {
  calibrando = false;
  const Calibracao::Resultado resultado = calibracao.calcular();
  if (!resultado.valido) {
    std::fprintf(stderr,
                 "kovrinta-song: only %d strikes came near the %d clicks (%d are needed); the "
                 "latency was not changed.\n",
                 resultado.usados, calibracao.getCliques(), Calibracao::toquesMinimos);
    terminar(1);
    return;
  }
  std::printf("latency=%.2f used=%d no-strike=%d dropped=%d\n", resultado.latenciaMs,
              resultado.usados, resultado.semToque, resultado.descartados);
  std::fflush(stdout);
  // Stored in the file as it is now, with nothing else of this run in it.
  ArquivoConfiguracao arquivo(localConfiguracao);
  AjustesJulgamento ajustes = arquivo.getAjustesJulgamento();
  ajustes.latenciaEntradaMs = resultado.latenciaMs;
  arquivo.setAjustesJulgamento(ajustes);
  if (!arquivo.salvar()) {
    std::fprintf(stderr, "kovrinta-song: the latency could not be stored in %s.\n",
                 qPrintable(arquivo.getCaminhoArquivo()));
    terminar(1);
    return;
  }
  terminar(0);
}

void JogadorTerminal::ocuparInterface() {
  carga = ocuparACada(2, 16);
}

void JogadorTerminal::travarInterface(int milissegundos) {
  trava = ocuparACada(milissegundos, 1000);
}

// Keeps the event loop busy for milissegundos every intervalo milliseconds.
std::unique_ptr<QTimer> JogadorTerminal::ocuparACada(int milissegundos, int intervalo) {
  auto relogio = std::make_unique<QTimer>();
  relogio->setTimerType(Qt::PreciseTimer);
  connect(relogio.get(), &QTimer::timeout, this, [milissegundos] {
    const auto fim = std::chrono::steady_clock::now() + std::chrono::milliseconds(milissegundos);
    while (std::chrono::steady_clock::now() < fim) {
    }
  });
  relogio->start(intervalo);
  return relogio;
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

void JogadorTerminal::praticar(int compassos, bool clique, int percentual) {
  compassosContagem = compassos;
  cliqueLigado = clique;
  velocidade = percentual;
}

void JogadorTerminal::exibirCompasso(int compasso, int tempo) {
  std::printf("bar %d beat %d\n", compasso, tempo);
  std::fflush(stdout);
}

void JogadorTerminal::exibirContagem(int tempo) {
  if (tempo == 0) return;
  std::printf("count-in %d\n", tempo);
  std::fflush(stdout);
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

// At the song's end (inside its last beat) the beat's messages are still on their way: the
// device is silenced once their moment has passed, as closing it sooner would drop them.
void JogadorTerminal::terminar(int status) {
  Sequenciador::instancia().parar();
  if (julgando && status == 0 && TVxMidiStamp::current() != 0) {
    // The song's end is a pass's end: its last notes are judged once their window closed.
    const int64_t fim = somDe(TVxMidiStamp::current());
    juiz.fimDoPasse(fim);
    const int64_t espera = fim - TVxMidiStamp::agora() +
                           static_cast<int64_t>(janelasDe(juiz.getAjustes().rigor).externaMs * 1e6);
    QTimer::singleShot(static_cast<int>(espera / 1'000'000) + 20, this, [this, status] {
      juiz.interromper(TVxMidiStamp::agora());
      julgando = false;
      terminar(status);
    });
    return;
  }
  if (julgando) {
    juiz.interromper(TVxMidiStamp::agora());
    julgando = false;
  }
  const auto sair = [this, status] {
    SaidaMIDI &saida = SaidaMIDI::instancia();
    saida.silenciar();
    saida.resetarControladores();
    gravarRegistro();
    QCoreApplication::exit(status);
  };
  const int64_t espera = TVxMidiStamp::current() - TVxMidiStamp::agora();
  if (TVxMidiStamp::current() == 0 || espera <= 0)
    sair();
  else
    QTimer::singleShot(static_cast<int>(espera / 1'000'000) + 2, this, sair);
}
