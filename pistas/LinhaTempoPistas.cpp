#include "pistas/LinhaTempoPistas.h"

#include <algorithm>
#include <cmath>

namespace {

// Two ticks belong to one run when the second sounds within this of where the run puts it.
constexpr int64_t toleranciaNs = 50'000;
// The longest tick a run accepts from its first two ticks (1 BPM is 937.5 ms).
constexpr int64_t tickMaisLongoNs = 1'000'000'000;
// What is kept of the past: a long session's runs and hits.
constexpr std::size_t trechosGuardados = 20'000;
constexpr std::size_t golpesGuardados = 100'000;
// The projection stops after this many runs (a loop of a tick, a huge look-ahead).
constexpr int trechosProjetados = 2'000;

}  // namespace

void LinhaTempoPistas::setPartitura(PartituraPistas outra) {
  partitura = std::move(outra);
  trechos.clear();
  golpes.clear();
}

void LinhaTempoPistas::acrescentar(Trecho novo) {
  if (!trechos.empty()) {
    Trecho &ultimo = trechos.back();
    const bool seguido = novo.tick0 == ultimo.tick0 + ultimo.ticks &&
                         novo.isContagem() == ultimo.isContagem() &&
                         novo.ticksPorTempo == ultimo.ticksPorTempo;
    if (seguido && ultimo.ticks == 1) {
      const int64_t periodo = novo.som0 - ultimo.som0;
      if (periodo > 0 && periodo <= tickMaisLongoNs) {
        ultimo.nsPorTick = static_cast<double>(periodo);
        ultimo.ticks = 2;
        return;
      }
    } else if (seguido && std::llabs(novo.som0 - ultimo.som(ultimo.ticks)) <= toleranciaNs) {
      ++ultimo.ticks;
      return;
    }
    // Until its second tick, a run takes the length of the one before.
    novo.nsPorTick = ultimo.nsPorTick;
  }
  trechos.push_back(novo);
  if (trechos.size() > trechosGuardados) trechos.pop_front();
}

void LinhaTempoPistas::tickSoado(int tick, int64_t somNs) {
  acrescentar({std::max(tick, 0), 1, somNs, 7'812'500});
}

void LinhaTempoPistas::contagemSoada(int restante, int ticksPorTempo, int tempos, int64_t somNs) {
  acrescentar({-std::max(restante, 1), 1, somNs, 7'812'500, std::max(ticksPorTempo, 1),
               std::max(tempos, 1)});
}

void LinhaTempoPistas::interrompido(int64_t desdeNs) {
  while (!trechos.empty()) {
    Trecho &ultimo = trechos.back();
    if (ultimo.som0 >= desdeNs) {
      trechos.pop_back();
      continue;
    }
    while (ultimo.ticks > 1 && ultimo.som(ultimo.ticks - 1) >= desdeNs) --ultimo.ticks;
    break;
  }
}

void LinhaTempoPistas::julgado(const Julgamento &julgamento) {
  if (julgamento.peca == PecaBateria::nenhuma) return;
  const QuadroPistas::Golpe golpe{pistaDaNota(descricaoPeca(julgamento.peca).nota),
                                  julgamento.classe, julgamento.desvioMs, julgamento.velocidade,
                                  julgamento.somNs};
  auto lugar = std::upper_bound(golpes.begin(), golpes.end(), golpe.ns,
                                [](int64_t ns, const QuadroPistas::Golpe &g) { return ns < g.ns; });
  golpes.insert(lugar, golpe);
  if (golpes.size() > golpesGuardados) golpes.pop_front();
}

int64_t LinhaTempoPistas::getInicioPassado() const {
  int64_t inicio = trechos.empty() ? 0 : trechos.front().som0;
  if (!golpes.empty() && (inicio == 0 || golpes.front().ns < inicio)) inicio = golpes.front().ns;
  return inicio;
}

int64_t LinhaTempoPistas::getUltimoSom() const {
  return trechos.empty() ? 0 : trechos.back().som(trechos.back().ticks - 1);
}

// The sequencer's own course from the next tick it handles: the count-in first, the song at
// the tempo in force until the next marker (whose tick is the last of the old tempo), the
// loop's wrap with the marker in force at its start and the count-in before each pass, and
// the song's end.
std::vector<LinhaTempoPistas::Trecho> LinhaTempoPistas::projetar(const EstadoTransporte &estado,
                                                                 int64_t agoraNs,
                                                                 int64_t fimNs) const {
  std::vector<Trecho> projetados;
  const int64_t ultimo = getUltimoSom();
  // While playing, the next tick follows the last one handed out; before the first, and at
  // rest, it lies at the present.
  int64_t som = estado.tocando && ultimo != 0 && ultimo + tickMaisLongoNs > agoraNs
                    ? ultimo + static_cast<int64_t>(estado.nsPorTick)
                    : agoraNs;
  double periodo = std::max(estado.nsPorTick, 1.0);
  int tick = std::max(estado.posicao, 0);
  int contagem = estado.contagemRestante;
  LugarCompasso lugarContagem;
  lugarContagem.ticksPorTempo = estado.ticksPorTempoContagem;
  lugarContagem.temposPorCompasso = estado.temposContagem;
  if (!estado.tocando && estado.compassosContagem > 0) {
    lugarContagem = partitura.compassos.lugar(tick);
    contagem = estado.compassosContagem * lugarContagem.ticksPorCompasso();
  }
  // A run from som; the tick after it comes a tick of the tempo then in force later.
  int64_t ultimoTick = 0;
  const auto avancar = [&](int inicio, int ticks, int porTempo, int tempos) {
    projetados.push_back({inicio, ticks, som, periodo, porTempo, tempos});
    ultimoTick = projetados.back().som(ticks - 1);
  };
  const auto seguinte = [&] { som = ultimoTick + static_cast<int64_t>(periodo); };
  const int fimLoop = estado.loopNaLinha ? estado.fimLoop : estado.fimLoop + 1;
  while (som <= fimNs && static_cast<int>(projetados.size()) < trechosProjetados) {
    if (contagem > 0) {
      avancar(-contagem, contagem, lugarContagem.ticksPorTempo, lugarContagem.temposPorCompasso);
      seguinte();
      contagem = 0;
      continue;
    }
    if (tick >= partitura.fim) break;
    int ate = partitura.fim;
    const bool noLoop = estado.loopAtivo && tick < fimLoop;
    if (noLoop) ate = std::min(ate, fimLoop);
    auto marcador = std::upper_bound(partitura.andamentos.begin(), partitura.andamentos.end(), tick,
                                     [](int t, const AndamentoPartitura &a) { return t < a.tick; });
    const bool mudaAndamento = marcador != partitura.andamentos.end() && marcador->tick + 1 < ate;
    if (mudaAndamento) ate = marcador->tick + 1;
    avancar(tick, ate - tick, 0, 0);
    tick = ate;
    const auto naVelocidade = [&](const AndamentoPartitura *a) {
      if (a) periodo = a->nsPorTick * 100.0 / std::max(estado.velocidade, 1);
    };
    if (mudaAndamento) naVelocidade(&*marcador);
    if (noLoop && tick == fimLoop) {
      tick = estado.loopNaLinha ? estado.inicioLoop : estado.inicioLoop + 1;
      naVelocidade(partitura.andamentoEm(estado.inicioLoop));
      if (estado.contagemAntesDoLoop && estado.compassosContagem > 0) {
        lugarContagem = partitura.compassos.lugar(std::max(estado.inicioLoop, 0));
        contagem = estado.compassosContagem * lugarContagem.ticksPorCompasso();
      }
    }
    seguinte();
  }
  return projetados;
}

QuadroPistas LinhaTempoPistas::quadro(int64_t inicioNs, int64_t fimNs,
                                      const EstadoTransporte &estado, int64_t agoraNs) const {
  QuadroPistas quadro;
  // The projection starts after what was handed out, which may lie past the present.
  for (const Trecho &t : trechos)
    if (t.som(t.ticks) >= inicioNs && t.som0 <= fimNs) emitir(t, inicioNs, fimNs, estado, quadro);
  for (const Trecho &t : projetar(estado, agoraNs, fimNs))
    if (t.som(t.ticks) >= inicioNs) emitir(t, inicioNs, fimNs, estado, quadro);
  auto primeiro =
      std::lower_bound(golpes.begin(), golpes.end(), inicioNs,
                       [](const QuadroPistas::Golpe &g, int64_t ns) { return g.ns < ns; });
  for (auto g = primeiro; g != golpes.end() && g->ns <= fimNs; ++g) quadro.golpes.push_back(*g);
  return quadro;
}

void LinhaTempoPistas::emitir(const Trecho &t, int64_t inicioNs, int64_t fimNs,
                              const EstadoTransporte &estado, QuadroPistas &quadro) const {
  const auto indice = [&](int64_t ns) {
    return static_cast<int>(std::floor(static_cast<double>(ns - t.som0) / t.nsPorTick));
  };
  const int primeiro = std::clamp(indice(inicioNs), 0, t.ticks - 1);
  const int ultimo = std::clamp(indice(fimNs) + 1, 0, t.ticks - 1);
  if (t.isContagem()) {
    quadro.contagens.push_back({t.som(primeiro), t.som(ultimo + 1)});
    for (int i = primeiro; i <= ultimo; ++i) {
      const int restante = -(t.tick0 + i);
      if (restante % t.ticksPorTempo != 0) continue;
      const int tempo = (t.tempos - restante / t.ticksPorTempo % t.tempos) % t.tempos + 1;
      quadro.temposContagem.push_back({t.som(i), tempo});
    }
    return;
  }
  const int de = t.tick0 + primeiro;
  const int ate = t.tick0 + ultimo;
  if (estado.loopAtivo) {
    // The ticks the loop plays.
    const int inicioLoop = estado.loopNaLinha ? estado.inicioLoop : estado.inicioLoop + 1;
    const int fimLoop = estado.loopNaLinha ? estado.fimLoop - 1 : estado.fimLoop;
    const int a = std::max(de, inicioLoop);
    const int b = std::min(ate, fimLoop);
    if (a <= b) quadro.loops.push_back({t.som(a - t.tick0), t.som(b - t.tick0 + 1)});
  }
  emitirLinhas(t, de, ate, quadro);
  auto nota = std::lower_bound(partitura.notas.begin(), partitura.notas.end(), de,
                               [](const NotaPartitura &n, int tick) { return n.tick < tick; });
  for (; nota != partitura.notas.end() && nota->tick <= ate; ++nota)
    quadro.notas.push_back({pistaDaNota(nota->nota), marcaDaNota(nota->nota), nota->velocidade,
                            t.som(nota->tick - t.tick0)});
}

// Every beat from de to ate: the bars' beats, and a new bar where a signature starts.
void LinhaTempoPistas::emitirLinhas(const Trecho &t, int de, int ate, QuadroPistas &quadro) const {
  const auto &formulas = partitura.compassos.getFormulas();
  const auto proximaFormula = [&](int tick) {
    auto f = std::upper_bound(formulas.begin(), formulas.end(), tick,
                              [](int v, const FormulaCompasso &fc) { return v < fc.posicao; });
    return f == formulas.end() ? ate + 1 : f->posicao;
  };
  LugarCompasso lugar = partitura.compassos.lugar(de);
  int tick = de;
  if (!lugar.noTempo) {
    const int dentro = de - lugar.inicioCompasso;
    tick = std::min(lugar.inicioCompasso + (dentro / lugar.ticksPorTempo + 1) * lugar.ticksPorTempo,
                    proximaFormula(de));
  }
  while (tick <= ate) {
    lugar = partitura.compassos.lugar(tick);
    quadro.linhas.push_back({t.som(tick - t.tick0), lugar.noInicio ? lugar.compasso : 0});
    tick = std::min(tick + lugar.ticksPorTempo, proximaFormula(tick));
  }
}
