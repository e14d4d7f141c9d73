// The sound-card test's scale: 24 chromatic notes up from middle C on the second channel.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>

// Plays the scale on SaidaMIDI's open device from a timer of the user-interface thread, so
// the window keeps painting while it sounds. Each note is struck at velocity 127 and
// released 80 ms later, the next struck at once; note k starts 80 * k ms after the first,
// measured on the monotonic clock, so late timer events do not add up. Errors of the
// output are ignored: the user then hears nothing and says so.
class EscalaTeste : public QObject {
  Q_OBJECT

 public:
  static constexpr int canal = 1;  // channel index 1, MIDI channel 2
  static constexpr int notaInicial = 60;
  static constexpr int numNotas = 24;
  static constexpr int velocidade = 127;
  static constexpr std::chrono::milliseconds duracaoNota{80};

  explicit EscalaTeste(QObject *parent = nullptr);

  // Strikes the first note now and plays the rest; terminou() follows the last release.
  // A scale already playing starts over.
  void tocar();
  // Releases the sounding note and stops, without terminou(); nothing when not playing.
  void parar();
  bool isTocando() const { return tocando; }

 signals:
  // Note nota has just been struck (sent to the device).
  void notaTocada(int nota);
  // The last note has been released.
  void terminou();

 private:
  void soltarNota();
  void armar();

  QTimer relogio;
  std::chrono::steady_clock::time_point inicio;
  int nota = 0;  // index of the sounding note, 0 .. numNotas - 1
  bool tocando = false;
};
