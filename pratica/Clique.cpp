#include "pratica/Clique.h"

#include <algorithm>

#include "midi/SaidaMIDI.h"

namespace {
// An eighth note in ticks: 64 ticks make a quarter.
constexpr int ticksPorColcheia = 32;
}  // namespace

void Clique::setVolume(int valor) {
  volume = std::clamp(valor, 0, 100);
}

int Clique::velocidadeAcento() const {
  return std::max(1, volume * 127 / 100);
}

int Clique::velocidadeTempo() const {
  return std::max(1, volume * 127 * 3 / 400);
}

void Clique::aoTick(const LugarCompasso &lugar, int posicao) {
  if (!ativo) return;
  const int desdeCompasso = posicao - lugar.inicioCompasso;
  // Eighths fall between the beats only when the beat is longer than an eighth.
  const bool colcheia =
      colcheias && lugar.ticksPorTempo > ticksPorColcheia && desdeCompasso % ticksPorColcheia == 0;
  if (lugar.noTempo || colcheia) tocar(lugar.noInicio);
}

void Clique::tocar(bool acento) {
  SaidaMIDI &saida = SaidaMIDI::instancia();
  if (restante > 0) saida.enviarNoteOff(canal, notaSoando);
  notaSoando = acento ? notaAcento : notaTempo;
  saida.enviarNoteOn(canal, acento ? velocidadeAcento() : velocidadeTempo(), notaSoando);
  restante = duracao;
}

void Clique::avancar() {
  if (restante == 0 || --restante > 0) return;
  SaidaMIDI::instancia().enviarNoteOff(canal, notaSoando);
}
