// What a front end showing the song offers to playback: the window, or a terminal player.
#pragma once

class VisorReproducao {
 public:
  virtual ~VisorReproducao() = default;
  // A tempo event was played at bpm beats per minute.
  virtual void exibirAndamento(int bpm) = 0;
  // Playback reached a tick that is a multiple of 64; the front end refreshes its position
  // display and stops playback at the end of the song.
  virtual void avancarTempo() = 0;
  // Playback reached beat tempo (from 1) of bar compasso (from 1) of the song's time
  // signature.
  virtual void exibirCompasso(int compasso, int tempo) { (void)compasso, (void)tempo; }
  // The count-in clicked its beat tempo (from 1); 0 when it has ended and the song begins.
  virtual void exibirContagem(int tempo) { (void)tempo; }
};
