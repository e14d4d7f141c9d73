// The narrow way from playback back to whatever front end shows the song.
#pragma once

class VisorReproducao;

class AcessoGui {
 public:
  static AcessoGui &instancia();

  // The front end to reach, or nullptr for none; set by the front end itself.
  void setVisor(VisorReproducao *visor) { this->visor = visor; }
  VisorReproducao *getVisor() const { return visor; }

  void mostrarAndamento(int bpm);
  void atualizarPosicao();
  void mostrarCompasso(int compasso, int tempo);
  void mostrarContagem(int tempo);

 private:
  AcessoGui() = default;
  VisorReproducao *visor = nullptr;
};
