#include "julgamento/JuizGolpes.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

constexpr double nsPorMs = 1e6;
// How long the song's ticks are kept to place hits on: longer than any hit waits.
constexpr int64_t memoriaTicksNs = 2'000'000'000;

// The open and the closed hi-hat are one piece to a drummer's stick: the pedal decides which
// it sounds as, and the stroke's time is what is judged.
PecaBateria grupo(PecaBateria peca) {
  return peca == PecaBateria::chimbalAberto ? PecaBateria::chimbalFechado : peca;
}

}  // namespace

void JuizGolpes::setAjustes(const AjustesJulgamento &novos) {
  ajustes = novos;
  janelas = janelasDe(ajustes.rigor);
}

void JuizGolpes::nota(int notaGm, int tickNota, int64_t somNs) {
  const PecaBateria peca = pecaDaNota(notaGm);
  if (peca == PecaBateria::nenhuma) return;
  notas.push_back({peca, tickNota, somNs});
}

void JuizGolpes::tick(int tickSoado, int64_t somNs) {
  ticks.push_back({tickSoado, somNs});
  // The notes of this very tick may come after it.
  conhecidoAte = std::max(conhecidoAte, somNs - 1);
}

void JuizGolpes::golpe(PecaBateria peca, int velocidade, int64_t chegadaNs) {
  if (peca == PecaBateria::nenhuma) return;
  const auto ns =
      chegadaNs - static_cast<int64_t>(std::llround(ajustes.latenciaEntradaMs * nsPorMs));
  auto depois = golpes.end();
  while (depois != golpes.begin() && std::prev(depois)->ns > ns) --depois;
  golpes.insert(depois, {peca, velocidade, ns});
  if (primeiroGolpe == 0 || ns < primeiroGolpe) primeiroGolpe = ns;
}

bool JuizGolpes::decidirGolpe(bool tudoConhecido) {
  const Golpe golpe = golpes.front();
  const double externaNs = janelas.externaMs * nsPorMs;
  Nota *melhor = nullptr;
  int64_t menor = std::numeric_limits<int64_t>::max();
  for (Nota &nota : notas) {
    if (nota.tomada || grupo(nota.peca) != grupo(golpe.peca)) continue;
    const int64_t distancia = std::llabs(golpe.ns - nota.somNs);
    if (distancia <= externaNs && distancia < menor) {
      melhor = &nota;
      menor = distancia;
    }
  }
  // A note not known yet sounds after conhecidoAte: it could still be nearer.
  const int64_t limite = golpe.ns + (melhor ? menor : static_cast<int64_t>(externaNs));
  if (!tudoConhecido && conhecidoAte < limite) return false;
  golpes.pop_front();
  Julgamento julgamento;
  julgamento.peca = golpe.peca;
  julgamento.pecaGolpe = golpe.peca;
  julgamento.velocidade = golpe.velocidade;
  julgamento.tick = tickEm(golpe.ns);
  julgamento.somNs = golpe.ns;
  if (!melhor) {
    julgamento.classe = ClasseGolpe::extra;
    emitir(julgamento, golpe.ns);
    return true;
  }
  melhor->tomada = true;
  julgamento.peca = melhor->peca;
  julgamento.desvioMs = static_cast<double>(golpe.ns - melhor->somNs) / nsPorMs;
  julgamento.classe = std::abs(julgamento.desvioMs) <= janelas.noTempoMs ? ClasseGolpe::noTempo
                      : julgamento.desvioMs < 0                          ? ClasseGolpe::adiantado
                                                                         : ClasseGolpe::atrasado;
  emitir(julgamento, melhor->somNs);
  return true;
}

// A judgement counts in the pass its note sounded in (an extra hit: the pass it came in).
void JuizGolpes::emitir(Julgamento julgamento, int64_t momentoNs) {
  julgamento.noPasseSeguinte = fronteira != 0 && momentoNs >= fronteira;
  (julgamento.noPasseSeguinte ? seguinte : atual).somar(julgamento);
  if (aoJulgar) aoJulgar(julgamento);
}

int JuizGolpes::tickEm(int64_t ns) const {
  if (ticks.empty()) return 0;
  auto depois = std::upper_bound(ticks.begin(), ticks.end(), ns,
                                 [](int64_t v, const Tick &t) { return v < t.somNs; });
  if (depois == ticks.begin()) return ticks.front().tick;
  const Tick &antes = *std::prev(depois);
  // The tick's length from its neighbour on the same run of ticks (a loop's wrap breaks it).
  const Tick *vizinho =
      depois != ticks.end() && depois->tick == antes.tick + 1 ? &*depois
      : std::prev(depois) != ticks.begin() && std::prev(depois, 2)->tick == antes.tick - 1
          ? &*std::prev(depois, 2)
          : nullptr;
  if (!vizinho) return antes.tick;
  const double periodo = std::abs(static_cast<double>(antes.somNs - vizinho->somNs));
  if (periodo <= 0) return antes.tick;
  return antes.tick +
         static_cast<int>(std::lround(static_cast<double>(ns - antes.somNs) / periodo));
}

void JuizGolpes::avancar(int64_t agora) {
  while (!golpes.empty() && decidirGolpe(false)) {
  }
  const auto externaNs = static_cast<int64_t>(janelas.externaMs * nsPorMs);
  while (!notas.empty()) {
    const Nota &nota = notas.front();
    if (!nota.tomada) {
      // Still open: its window, or a hit waiting that could take it.
      if (nota.somNs + externaNs >= agora) break;
      if (!golpes.empty() && golpes.front().ns <= nota.somNs + externaNs) break;
      // Before the drummer came in.
      if (primeiroGolpe == 0 || nota.somNs + externaNs < primeiroGolpe) {
        notas.pop_front();
        continue;
      }
      Julgamento perdido;
      perdido.peca = nota.peca;
      perdido.classe = ClasseGolpe::perdido;
      perdido.tick = nota.tick;
      perdido.somNs = nota.somNs;
      emitir(perdido, nota.somNs);
    }
    notas.pop_front();
  }
  while (ticks.size() > 2 && ticks[1].somNs < agora - memoriaTicksNs) ticks.pop_front();
  fecharSePossivel(agora, false);
}

void JuizGolpes::interromper(int64_t agora) {
  // A loop's wrap not heard yet never will be: the pass goes on.
  if (fronteira > agora) fronteira = 0;
  while (!notas.empty() && notas.back().somNs > agora) notas.pop_back();
  while (!golpes.empty()) decidirGolpe(true);
  avancar(std::numeric_limits<int64_t>::max());
  ticks.clear();
  conhecidoAte = 0;
  primeiroGolpe = 0;
}

void JuizGolpes::fimDoPasse(int64_t fimNs) {
  if (fronteira != 0) {
    // A pass shorter than the outer window: the one before closes with what is known.
    while (!golpes.empty() && golpes.front().ns < fronteira) decidirGolpe(true);
    fecharSePossivel(0, true);
  }
  fronteira = fimNs;
}

void JuizGolpes::fecharSePossivel(int64_t agora, bool forcar) {
  if (fronteira == 0) return;
  if (!forcar) {
    const auto externaNs = static_cast<int64_t>(janelas.externaMs * nsPorMs);
    if (agora <= fronteira + externaNs) return;
    if (!golpes.empty() && golpes.front().ns < fronteira) return;
    if (!notas.empty() && notas.front().somNs < fronteira) return;
  }
  const ResumoPasse fechado = atual;
  atual = seguinte;
  seguinte = {};
  fronteira = 0;
  if (fechado.golpes == 0 && fechado.notas() == 0) return;
  ++passes;
  if (aoFecharPasse) {
    ResumoPasse numerado = fechado;
    numerado.numero = passes;
    aoFecharPasse(numerado);
  }
}

void JuizGolpes::reiniciar() {
  notas.clear();
  golpes.clear();
  ticks.clear();
  conhecidoAte = 0;
  atual = {};
  seguinte = {};
  fronteira = 0;
  primeiroGolpe = 0;
  passes = 0;
}
