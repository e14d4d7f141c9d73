// The click: a wood block on every beat of the song's time signature (or every eighth), the
// bar's first beat on the higher block. It goes out on the drum channel with the song's
// messages and their stamp, so it lands on the song's grid on any General MIDI device, and
// play-along, which mutes the song's own drum messages, leaves it sounding.
#pragma once

#include "song/MapaCompassos.h"

class Clique {
 public:
  static constexpr int canal = 9;
  // General MIDI's High and Low Wood Block: every drum kit of every General MIDI device
  // has them, and few songs use them.
  static constexpr int notaAcento = 76;
  static constexpr int notaTempo = 77;
  // How long a click sounds, in ticks: shorter than the shortest beat (a 64th).
  static constexpr int duracao = 3;

  bool isAtivo() const { return ativo; }
  void setAtivo(bool valor) { ativo = valor; }
  bool isColcheias() const { return colcheias; }
  void setColcheias(bool valor) { colcheias = valor; }
  // Loudness in percent, 0..100.
  int getVolume() const { return volume; }
  void setVolume(int valor);

  // Called on every tick the song plays, at the tick's place in the bars: clicks when a
  // beat (or an eighth) falls there and the click is on.
  void aoTick(const LugarCompasso &lugar, int posicao);
  // One click of the count-in, whatever the switch says: acento on a bar's first beat.
  void tocar(bool acento);
  // Called on every tick processed, the count-in's too: releases the last click once it
  // has sounded its length.
  void avancar();
  // Forgets a click still sounding (the output was silenced).
  void esquecer() { restante = 0; }

  // The velocities sent, from the volume.
  int velocidadeAcento() const;
  int velocidadeTempo() const;

 private:
  bool ativo = false;
  bool colcheias = false;
  int volume = 80;
  int notaSoando = 0;
  int restante = 0;
};
