#include "pistas/Pista.h"

Pista pistaDaNota(int nota) {
  switch (nota) {
    case 49:  // crash 1
    case 52:  // china
    case 55:  // splash
    case 57:  // crash 2
      return Pista::ataque;
    case 42:
    case 44:
    case 46:
      return Pista::chimbal;
    case 51:
    case 53:  // the ride's bell
    case 59:
      return Pista::conducao;
    case 48:
    case 50:
      return Pista::ton1;
    case 45:
    case 47:
      return Pista::ton2;
    case 37:
    case 38:
    case 40:
      return Pista::caixa;
    case 43:
      return Pista::surdo1;
    case 41:
      return Pista::surdo2;
    case 35:
    case 36:
      return Pista::bumbo;
    default:
      return Pista::outras;
  }
}

MarcaNota marcaDaNota(int nota) {
  switch (nota) {
    case 46:
      return MarcaNota::aberto;
    case 44:
      return MarcaNota::pedal;
    case 37:
      return MarcaNota::aro;
    default:
      return MarcaNota::normal;
  }
}

const char *chavePista(Pista pista) {
  static const char *const chaves[numPistas] = {
      "pistaAtaque", "pistaChimbal", "pistaConducao", "pistaTon1",  "pistaTon2",
      "pistaCaixa",  "pistaSurdo1",  "pistaSurdo2",   "pistaBumbo", "pistaOutras"};
  return chaves[static_cast<int>(pista)];
}
