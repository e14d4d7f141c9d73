#include "julgamento/ResumoPasse.h"

#include <algorithm>
#include <cmath>

int ResumoPasse::classeDe(double desvioMs) {
  const int centro = numClasses / 2;
  const int classe = centro + static_cast<int>(std::lround(desvioMs / larguraClasseMs));
  return std::clamp(classe, 0, numClasses - 1);
}

// The mean and spread follow each offset as it comes (Welford), so that the readout can show
// them during the pass.
void ResumoPasse::somar(const Julgamento &julgamento) {
  const bool nota = julgamento.classe != ClasseGolpe::extra;
  if (julgamento.classe != ClasseGolpe::perdido) ++golpes;
  switch (julgamento.classe) {
    case ClasseGolpe::noTempo:
      ++noTempo;
      break;
    case ClasseGolpe::adiantado:
      ++adiantados;
      break;
    case ClasseGolpe::atrasado:
      ++atrasados;
      break;
    case ClasseGolpe::perdido:
      ++perdidos;
      break;
    case ClasseGolpe::extra:
      ++extras;
      break;
  }
  if (nota && julgamento.peca != PecaBateria::nenhuma) {
    Peca &peca = pecas[static_cast<std::size_t>(julgamento.peca)];
    ++peca.notas;
    if (julgamento.classe == ClasseGolpe::noTempo) ++peca.noTempo;
  }
  if (!nota || julgamento.classe == ClasseGolpe::perdido) return;
  const int n = noTempo + adiantados + atrasados;
  const double antes = media;
  media += (julgamento.desvioMs - media) / n;
  somaQuadrados += (julgamento.desvioMs - antes) * (julgamento.desvioMs - media);
  desvioPadrao = n > 1 ? std::sqrt(somaQuadrados / (n - 1)) : 0;
  ++histograma[static_cast<std::size_t>(classeDe(julgamento.desvioMs))];
}
