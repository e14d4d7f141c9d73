// Plays a song on the terminal: the front end of kovrinta-song --play.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "playback/VisorReproducao.h"

class QSocketNotifier;
class QTimer;

class JogadorTerminal : public QObject, public VisorReproducao {
 public:
  JogadorTerminal();
  ~JogadorTerminal() override;

  // Opens device dispositivo, loads arquivo and plays it to its end; answers the exit
  // status: 0 after a complete play, 1 for a file or device that fails, 130 after Ctrl-C.
  int tocar(int dispositivo, const QString &arquivo);

  // Keeps the event loop busy 2 ms of every 16 ms while playing, the load that painting the
  // drum kit puts on the window's thread; for timing measurements.
  void ocuparInterface();
  // Writes to arquivo, when the play ends, one line per beat handled: the beat's ideal time
  // and the moment its handling began, in nanoseconds on the monotonic clock; then the count
  // of messages that missed their stamp. For timing measurements.
  void registrarBatidas(const QString &arquivo);

  void exibirAndamento(int bpm) override;
  void avancarTempo() override;

 private:
  void interrompido();
  void terminar(int status);

  void gravarRegistro();

  std::unique_ptr<QSocketNotifier> sinal;
  std::unique_ptr<QTimer> carga;
  int andamento = 0;
  QString arquivoRegistro;
  // Ideal time and handling time of every beat, in nanoseconds.
  std::vector<std::pair<int64_t, int64_t>> batidas;
};
