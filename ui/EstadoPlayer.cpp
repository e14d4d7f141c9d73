#include "ui/EstadoPlayer.h"

const char *chaveEstado(EstadoPlayer estado) {
  switch (estado) {
    case EstadoPlayer::SemMusica:
      return nullptr;
    case EstadoPlayer::Tocando:
      return "Tocando";
    case EstadoPlayer::Pausa:
      return "Pausa";
    case EstadoPlayer::InicioLoop:
      return "InicioLoop";
    case EstadoPlayer::Repetindo:
      return "Repetindo";
    case EstadoPlayer::Parado:
      return "Parado";
    case EstadoPlayer::Adiantando:
      return "Adiantando";
    case EstadoPlayer::Voltando:
      return "Voltando";
  }
  return nullptr;
}
