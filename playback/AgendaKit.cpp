#include "playback/AgendaKit.h"

#include <algorithm>

#include "TVxMidiStamp.h"
#include "config/ArquivoConfiguracao.h"
#include "ui/Instrumento.h"

AgendaKit::AgendaKit() {
  relogio.setSingleShot(true);
  relogio.setTimerType(Qt::PreciseTimer);
  QObject::connect(&relogio, &QTimer::timeout, this, [this] { mostrarDevidos(); });
}

void AgendaKit::acender(int nota) {
  pedir(Acao::acender, nota);
}

void AgendaKit::apagar(int nota) {
  pedir(Acao::apagar, nota);
}

void AgendaKit::apagarTudo() {
  if (TVxMidiStamp::current() == 0) {
    fila.clear();
    relogio.stop();
  }
  pedir(Acao::apagarTudo, 0);
}

void AgendaKit::descartar() {
  if (TVxMidiStamp::current() != 0) return;
  mostrarVencidos(TVxMidiStamp::agora());
  fila.clear();
  relogio.stop();
}

// A request behind others waits for them, so the picture keeps the order of the beats even
// when one of them came too late for its stamp.
void AgendaKit::pedir(Acao acao, int nota) {
  // Without a picture (the terminal player) nothing waits.
  if (!ArquivoConfiguracao::instancia().getInstrumento()) return;
  const int64_t devido = TVxMidiStamp::current() - adiantamentoNs;
  if (fila.empty() && devido <= TVxMidiStamp::agora()) {
    mostrar({devido, acao, nota});
    return;
  }
  fila.push_back({std::max(devido, fila.empty() ? 0 : fila.back().devidoNs), acao, nota});
  if (fila.size() == 1) mostrarDevidos();
}

void AgendaKit::mostrar(const Pedido &pedido) {
  Instrumento *kit = ArquivoConfiguracao::instancia().getInstrumento();
  if (!kit) return;
  momento = pedido.devidoNs;
  switch (pedido.acao) {
    case Acao::acender:
      kit->acender(pedido.nota);
      break;
    case Acao::apagar:
      kit->apagar(pedido.nota);
      break;
    case Acao::apagarTudo:
      kit->apagarTudo();
      break;
  }
  momento = 0;
}

void AgendaKit::mostrarVencidos(int64_t agora) {
  while (!fila.empty() && fila.front().devidoNs <= agora) {
    const Pedido pedido = fila.front();
    fila.pop_front();
    mostrar(pedido);
  }
}

void AgendaKit::mostrarDevidos() {
  const int64_t agora = TVxMidiStamp::agora();
  mostrarVencidos(agora);
  if (fila.empty()) return;
  // The toolkit's timers count whole milliseconds: round up, never show a light early.
  const int64_t espera = fila.front().devidoNs - agora;
  relogio.start(static_cast<int>((espera + 999'999) / 1'000'000));
}
