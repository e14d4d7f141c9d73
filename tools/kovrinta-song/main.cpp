// kovrinta-song: prints the song Kovrinta builds from a MIDI file, lists the output
// devices, or plays a file on a device through the real sequencer.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <exception>

#include "JogadorTerminal.h"
#include "midi/SaidaMIDI.h"
#include "song/GerenciadorMusica.h"

namespace {

int uso() {
  std::fprintf(stderr,
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
               "       --input NAME [--map PRESET] also goes with --play\n");
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
    if (args.size() >= 2 && (args[0] == "--play" || args[0] == "--listen")) {
      const bool ouvindo = args[0] == "--listen";
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
        else if (args[i] == "--seconds" && temValor && ouvindo)
          segundos = args[++i].toDouble(&numero);
        else
          return uso();
        if (!numero || segundos < 0 || contagem < 0 || contagem > 2 || velocidade < 25 ||
            velocidade > 200 || travar < 0 || travar > 900)
          return uso();
      }
      if (travar > 0) jogador.travarInterface(travar);
      jogador.praticar(contagem, clique, velocidade);
      if ((ouvindo || !preset.isEmpty()) && entrada.isEmpty()) return uso();
      if (!entrada.isEmpty() && !jogador.usarEntrada(entrada, preset)) return 2;
      return ouvindo ? jogador.ouvir(dispositivo, segundos) : jogador.tocar(dispositivo, args[2]);
    }
  } catch (const std::exception &e) {
    std::fprintf(stderr, "kovrinta-song: %s\n", e.what());
    return 1;
  }
  return uso();
}
