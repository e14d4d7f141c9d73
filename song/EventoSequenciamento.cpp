#include "song/EventoSequenciamento.h"

#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"

namespace {
constexpr int canalBateria = 9;
}

void EventoNoteOn::transpor(int n) {
  if (canal != canalBateria) nota += n;
}

void EventoNoteOn::executar() {
  SaidaMIDI::instancia().enviarNoteOn(canal, velocidade, nota);
}

void EventoNoteOff::transpor(int n) {
  if (canal != canalBateria) nota += n;
}

void EventoNoteOff::executar() {
  SaidaMIDI::instancia().enviarNoteOff(canal, nota);
}

void EventoGenerico::executar() {
  SaidaMIDI::instancia().enviarMensagem(status, dado1, dado2);
}

void EventoAndamento::executar() {
  if (!temAndamento()) return;
  Sequenciador::instancia().aplicarMarcador(*this);
}
