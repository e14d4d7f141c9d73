// kovrinta-song: prints the song Kovrinta builds from a MIDI file, lists the output
// devices, or plays a file on a device through the real sequencer.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>

#include "JogadorTerminal.h"
#include "config/ArquivoConfiguracao.h"
#include "midi/SaidaMIDI.h"
#include "song/GerenciadorMusica.h"

namespace {

// The player's settings: the file it reads beside it or in the user's folder.
ArquivoConfiguracao::Local localDoPlayer() {
  ArquivoConfiguracao::Local local = ArquivoConfiguracao::localPadrao();
  local.nomePrograma = QStringLiteral("kovrinta");
  return local;
}

// The usage: on the standard output when asked for, on the standard error after a command line
// that is not understood.
void imprimirUso(std::FILE *saida) {
  std::fprintf(saida,
               "usage: kovrinta-song FILE          print the song built from FILE\n"
               "       kovrinta-song --devices     list the output devices\n"
               "       kovrinta-song --play N FILE [--busy-ui] [--stall-ui MS] [--log FILE]\n"
               "                    [--count-in BARS] [--click] [--speed PERCENT]\n"
               "                                   play FILE on output device N, a line per beat\n"
               "                                   (bar B beat T); --busy-ui keeps the event loop\n"
               "                                   busy 2 ms of every 16 ms, as painting the\n"
               "                                   window would; --stall-ui blocks it MS ms once\n"
               "                                   a second, as a stalled window would; --log\n"
               "                                   writes when each beat was due and when it was\n"
               "                                   handled (for benchmarks);\n"
               "                                   --count-in clicks 1 or 2 bars first (count-in\n"
               "                                   T lines); --click clicks every beat; --speed\n"
               "                                   plays at 25..200 %% of the song's tempo\n"
               "       kovrinta-song --listen N --input NAME [--map PRESET] [--seconds S]\n"
               "                                   play the hits of the MIDI input port whose\n"
               "                                   name contains NAME on device N, a line each\n"
               "                                   (hit ns=ARRIVAL handled=UI-THREAD note=\n"
               "                                   velocity= piece=, times in monotonic ns),\n"
               "                                   for S seconds or until Ctrl-C; PRESET is gm\n"
               "                                   (the default), roland, alesis or yamaha\n"
               "       --input NAME [--map PRESET] also goes with --play\n"
               "       --judge [--latency MS]      with --play and --input: judges every hit\n"
               "                                   against the song's drum notes, a line each\n"
               "                                   (judge piece=P offset=MS on-time|early|late\n"
               "                                   tick=T, or judge piece=P extra|missed tick=T),\n"
               "                                   and at the song's end a line of figures (pass\n"
               "                                   N hits= on-time= early= late= missed= extra=\n"
               "                                   mean= spread=); the input latency is the\n"
               "                                   player's stored one (0 if none), or MS\n"
               "       kovrinta-song --calibrate N --input NAME [--map PRESET] [--beats B]\n"
               "                                   the tap test: B (16..32, default 24) clicks\n"
               "                                   at 100 BPM on device N, a strike on each;\n"
               "                                   prints latency=MS used= no-strike= dropped=\n"
               "                                   and stores the latency in the player's\n"
               "                                   settings\n"
               "       --config FOLDER             the player's settings are read from and\n"
               "                                   stored in FOLDER/kovrinta.ini\n"
               "       kovrinta-song --help, -h    print this help\n");
}

int uso() {
  imprimirUso(stderr);
  return 2;
}

void imprimirMusica() {
  const GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
  const Musica &musica = *gerenciador.getMusicaAtual();
  std::printf("song duracao=%d numTempos=%d trilhas=%d\n", gerenciador.getDuracao(),
              gerenciador.getNumTempos(), musica.getNumTrilhas());
  for (int i = 0; i < musica.getNumTrilhas(); ++i) {
    const Trilha &trilha = musica.getTrilha(i);
    const QByteArray canal =
        trilha.getCanal() < 0 ? QByteArray("-") : QByteArray::number(trilha.getCanal());
    std::printf("track %d canal=%s bateria=%d eventos=%zu\n", i, canal.constData(),
                trilha.isBateria() ? 1 : 0, trilha.getEventos().size());
    for (const auto &e : trilha.getEventos()) {
      const int p = e->getPosicao();
      const int c = e->getCanal();
      if (auto *on = dynamic_cast<const EventoNoteOn *>(e.get()))
        std::printf("%d NoteOn canal=%d nota=%d velocidade=%d\n", p, c, on->getNota(),
                    on->getVelocidade());
      else if (auto *off = dynamic_cast<const EventoNoteOff *>(e.get()))
        std::printf("%d NoteOff canal=%d nota=%d\n", p, c, off->getNota());
      else if (auto *g = dynamic_cast<const EventoGenerico *>(e.get()))
        std::printf("%d Generico status=%d canal=%d dado1=%d dado2=%d\n", p, g->getStatus(), c,
                    g->getDado1(), g->getDado2());
      else if (auto *a = dynamic_cast<const EventoAndamento *>(e.get()))
        std::printf("%d Andamento canal=%d bpm=%d\n", p, c, a->getBpm());
    }
  }
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    imprimirUso(stdout);
    return 0;
  }
  try {
    if (args.size() == 1 && args[0] == "--devices") {
      SaidaMIDI::setDispositivoInicial(-1);
      const QStringList nomes = SaidaMIDI::instancia().listarDispositivos();
      for (int i = 0; i < nomes.size(); ++i) std::printf("%d %s\n", i, qPrintable(nomes[i]));
      return 0;
    }
    if (args.size() == 1 && !args[0].startsWith("--")) {
      SaidaMIDI::setDispositivoInicial(-1);
      SaidaMIDI::instancia().carregarMusica(args[0]);
      imprimirMusica();
      return 0;
    }
    if (args.size() >= 2 &&
        (args[0] == "--play" || args[0] == "--listen" || args[0] == "--calibrate")) {
      const bool ouvindo = args[0] != "--play";
      const bool calibrando = args[0] == "--calibrate";
      bool numero = false;
      const int dispositivo = args[1].toInt(&numero);
      if (!numero || dispositivo < 0 || (!ouvindo && args.size() < 3)) return uso();
      JogadorTerminal jogador;
      QString entrada;
      QString preset;
      double segundos = 0;
      int contagem = 0;
      int travar = 0;
      bool clique = false;
      int velocidade = 100;
      bool julgar = false;
      std::optional<double> latencia;
      int batidas = 24;
      ArquivoConfiguracao::Local local = localDoPlayer();
      for (int i = ouvindo ? 2 : 3; i < args.size(); ++i) {
        const bool temValor = i + 1 < args.size();
        if (args[i] == "--busy-ui" && !ouvindo)
          jogador.ocuparInterface();
        else if (args[i] == "--stall-ui" && temValor && !ouvindo)
          travar = args[++i].toInt(&numero);
        else if (args[i] == "--log" && temValor && !ouvindo)
          jogador.registrarBatidas(args[++i]);
        else if (args[i] == "--count-in" && temValor && !ouvindo)
          contagem = args[++i].toInt(&numero);
        else if (args[i] == "--click" && !ouvindo)
          clique = true;
        else if (args[i] == "--speed" && temValor && !ouvindo)
          velocidade = args[++i].toInt(&numero);
        else if (args[i] == "--input" && temValor)
          entrada = args[++i];
        else if (args[i] == "--map" && temValor)
          preset = args[++i];
        else if (args[i] == "--seconds" && temValor && ouvindo && !calibrando)
          segundos = args[++i].toDouble(&numero);
        else if (args[i] == "--judge" && !ouvindo)
          julgar = true;
        else if (args[i] == "--latency" && temValor && !ouvindo)
          latencia = args[++i].toDouble(&numero);
        else if (args[i] == "--beats" && temValor && calibrando)
          batidas = args[++i].toInt(&numero);
        else if (args[i] == "--config" && temValor)
          local = {args[++i], QStringLiteral("kovrinta"), args[i], false};
        else
          return uso();
        if (!numero || segundos < 0 || contagem < 0 || contagem > 2 || velocidade < 25 ||
            velocidade > 200 || travar < 0 || travar > 900 ||
            batidas < Calibracao::batidasMinimas || batidas > Calibracao::batidasMaximas ||
            (latencia && (*latencia < AjustesJulgamento::latenciaMinimaMs ||
                          *latencia > AjustesJulgamento::latenciaMaximaMs)))
          return uso();
      }
      // The judging and the tap test work with the player's own settings; plain playing keeps
      // this tool's own, so that what it sends does not follow the player's volume.
      if (julgar || calibrando) {
        ArquivoConfiguracao::configurarParaTestes(local);
        jogador.setLocalConfiguracao(local);
      }
      if ((julgar || calibrando) && entrada.isEmpty()) return uso();
      if (julgar) jogador.julgar(latencia);
      if (travar > 0) jogador.travarInterface(travar);
      jogador.praticar(contagem, clique, velocidade);
      if ((ouvindo || !preset.isEmpty()) && entrada.isEmpty()) return uso();
      if (!entrada.isEmpty() && !jogador.usarEntrada(entrada, preset)) return 2;
      if (calibrando) return jogador.calibrar(dispositivo, batidas);
      return ouvindo ? jogador.ouvir(dispositivo, segundos) : jogador.tocar(dispositivo, args[2]);
    }
  } catch (const std::exception &e) {
    std::fprintf(stderr, "kovrinta-song: %s\n", e.what());
    return 1;
  }
  return uso();
}
