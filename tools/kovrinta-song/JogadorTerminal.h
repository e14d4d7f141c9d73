// Plays a song on the terminal: the front end of kovrinta-song --play.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "config/ArquivoConfiguracao.h"
#include "julgamento/Calibracao.h"
#include "julgamento/JuizGolpes.h"
#include "playback/VisorReproducao.h"

class KitEletronico;
class QSocketNotifier;
class QTimer;

class JogadorTerminal : public QObject, public VisorReproducao {
 public:
  JogadorTerminal();
  ~JogadorTerminal() override;

  // Opens device dispositivo, loads arquivo and plays it to its end; answers the exit
  // status: 0 after a complete play, 1 for a file or device that fails, 130 after Ctrl-C.
  int tocar(int dispositivo, const QString &arquivo);

  // Plays the drummer's hits of the input port whose name contains nome, with the note map of
  // preset ("gm" when empty), and prints a line per hit; the port is waited for up to 5 s.
  // Call before tocar or ouvir. False, with a message, when it cannot be opened.
  bool usarEntrada(const QString &nome, const QString &preset);
  // Opens device dispositivo with no song and runs until segundos have passed (0: until
  // Ctrl-C); answers the exit status as tocar does. Needs usarEntrada's input for anything
  // to happen.
  int ouvir(int dispositivo, double segundos);
  // Judges every hit of the input against the song's drum notes while tocar plays, a line
  // each, and a line of figures at the song's end; the input latency is the configuration's
  // unless latenciaMs is given. Call before tocar.
  void julgar(std::optional<double> latenciaMs);
  // The tap test on device dispositivo: batidas clicks at 100 BPM, a strike of the input on
  // each; prints the latency found and stores it in the configuration. 0 when it was found,
  // 1 when too few strikes came near the clicks or the device fails, 130 after Ctrl-C.
  int calibrar(int dispositivo, int batidas);
  // The configuration the tap test stores its result in.
  void setLocalConfiguracao(const ArquivoConfiguracao::Local &local) { localConfiguracao = local; }

  // Keeps the event loop busy 2 ms of every 16 ms while playing, the load that painting the
  // drum kit puts on the window's thread; for timing measurements.
  void ocuparInterface();
  // Blocks the event loop for milissegundos once a second while playing, as a file dialog
  // reading a large folder or a window being dragged does; for timing measurements.
  void travarInterface(int milissegundos);
  // Writes to arquivo, when the play ends, one line per beat handled: the beat's ideal time
  // and the moment its handling began, in nanoseconds on the monotonic clock; then the count
  // of messages that missed their stamp. For timing measurements.
  void registrarBatidas(const QString &arquivo);

  // Practice: compassos bars of count-in (0..2), the click, and the speed in percent of the
  // song's tempo; set before tocar.
  void praticar(int compassos, bool clique, int velocidade);

  void exibirAndamento(int bpm) override;
  void avancarTempo() override;
  // A line per beat on standard output, "bar B beat T", and "count-in T" per count-in beat.
  void exibirCompasso(int compasso, int tempo) override;
  void exibirContagem(int tempo) override;

 private:
  void interrompido();
  void terminar(int status);

  void gravarRegistro();
  bool abrirSaida(int dispositivo);
  std::unique_ptr<QTimer> ocuparACada(int milissegundos, int intervalo);

  void ligarJuiz();
  // The moment an output's stamped message leaves it: its stamp plus the device's delay.
  int64_t somDe(int64_t devidoNs);
  void terminarCalibracao();

  std::unique_ptr<KitEletronico> kit;
  bool julgando = false;
  JuizGolpes juiz;
  Calibracao calibracao;
  bool calibrando = false;
  ArquivoConfiguracao::Local localConfiguracao;
  // The output's delay after a stamp, read once it is known.
  int64_t atrasoSaida = -1;
  QString nomeEntrada;
  QString presetEntrada;

  std::unique_ptr<QSocketNotifier> sinal;
  std::unique_ptr<QTimer> carga;
  std::unique_ptr<QTimer> trava;
  int andamento = 0;
  int compassosContagem = 0;
  bool cliqueLigado = false;
  int velocidade = 100;
  QString arquivoRegistro;
  // Ideal time and handling time of every beat, in nanoseconds.
  std::vector<std::pair<int64_t, int64_t>> batidas;
};
