#include "setup/EscalaTeste.h"

#include <exception>

#include "midi/SaidaMIDI.h"

namespace {

// A missing library or device only means that nothing sounds.
template <class Envio>
void enviarIgnorandoErros(Envio envio) {
  try {
    envio(SaidaMIDI::instancia());
  } catch (const std::exception &) {
  }
}

}  // namespace

EscalaTeste::EscalaTeste(QObject *parent) : QObject(parent) {
  relogio.setSingleShot(true);
  relogio.setTimerType(Qt::PreciseTimer);
  connect(&relogio, &QTimer::timeout, this, &EscalaTeste::soltarNota);
}

void EscalaTeste::tocar() {
  parar();
  tocando = true;
  nota = 0;
  inicio = std::chrono::steady_clock::now();
  enviarIgnorandoErros(
      [](SaidaMIDI &saida) { saida.enviarNoteOn(canal, velocidade, notaInicial); });
  emit notaTocada(notaInicial);
  armar();
}

void EscalaTeste::parar() {
  if (!tocando) return;
  relogio.stop();
  tocando = false;
  const int soando = notaInicial + nota;
  enviarIgnorandoErros([soando](SaidaMIDI &saida) { saida.enviarNoteOff(canal, soando); });
}

void EscalaTeste::soltarNota() {
  const int solta = notaInicial + nota;
  enviarIgnorandoErros([solta](SaidaMIDI &saida) { saida.enviarNoteOff(canal, solta); });
  if (++nota == numNotas) {
    tocando = false;
    emit terminou();
    return;
  }
  const int proxima = notaInicial + nota;
  enviarIgnorandoErros(
      [proxima](SaidaMIDI &saida) { saida.enviarNoteOn(canal, velocidade, proxima); });
  emit notaTocada(proxima);
  armar();
}

// The release of note k is due (k + 1) * 80 ms after the first strike.
void EscalaTeste::armar() {
  using namespace std::chrono;
  const auto prazo = inicio + duracaoNota * (nota + 1);
  const auto falta = ceil<milliseconds>(prazo - steady_clock::now());
  relogio.start(std::max(falta, milliseconds(0)));
}
