// The song manager: holds the current song and its length.
#pragma once

#include <memory>

#include "song/Musica.h"

class GerenciadorMusica {
 public:
  static GerenciadorMusica &instancia();

  // Deletes the previous song, with its tracks and events, and keeps musica.
  void setMusicaAtual(Musica *musica) { musicaAtual.reset(musica); }
  // The current song, or nullptr before the first load.
  Musica *getMusicaAtual() const { return musicaAtual.get(); }

  // Song length in ticks: the tick of the latest event of the file.
  void setDuracao(int valor) { duracao = valor; }
  int getDuracao() const { return duracao; }
  // Number of beats: duracao / 64 + 1.
  void setNumTempos(int valor) { numTempos = valor; }
  int getNumTempos() const { return numTempos; }

  // Ends every note track indice may have left sounding: with fewer than two tracks the
  // device is reset and its controllers cleared; otherwise a note-off for each of the 128
  // notes on the track's channel (nothing for a track without a channel).
  void silenciarTrilha(int indice);

 private:
  GerenciadorMusica() = default;
  int duracao = 0;
  int numTempos = 0;
  std::unique_ptr<Musica> musicaAtual;
};
