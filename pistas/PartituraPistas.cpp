#include "pistas/PartituraPistas.h"

#include <algorithm>
#include <array>

#include "playback/Sequenciador.h"
#include "song/EventoSequenciamento.h"
#include "song/Musica.h"
#include "song/Trilha.h"

namespace {

constexpr int canalBateria = 9;
constexpr int ticksPorSemiminima = 64;

}  // namespace

PartituraPistas PartituraPistas::daMusica(const Musica &musica, int trilha, int numTempos) {
  PartituraPistas partitura;
  partitura.compassos = musica.getCompassos();
  partitura.fim = numTempos * ticksPorSemiminima;
  for (int i = 0; i < musica.getNumTrilhas(); ++i) {
    if (trilha != -1 && i != trilha) continue;
    for (const auto &evento : musica.getTrilha(i).getEventos()) {
      const auto *on = dynamic_cast<const EventoNoteOn *>(evento.get());
      if (!on || on->getCanal() != canalBateria || on->getVelocidade() <= 0) continue;
      partitura.notas.push_back({on->getPosicao(), static_cast<std::uint8_t>(on->getNota() & 0x7f),
                                 static_cast<std::uint8_t>(std::min(on->getVelocidade(), 127))});
    }
  }
  std::stable_sort(partitura.notas.begin(), partitura.notas.end(),
                   [](const NotaPartitura &a, const NotaPartitura &b) { return a.tick < b.tick; });
  // As the sequencer applies them: the microseconds per quarter, or the beats per minute.
  for (const EventoAndamento *marcador : musica.getMarcadores()) {
    if (!marcador->temAndamento()) continue;
    const int micro = marcador->getMicrossegundos() > 0 ? marcador->getMicrossegundos()
                                                        : 60'000'000 / marcador->getBpm();
    const int limitado =
        std::clamp(micro, Sequenciador::microssegundosMinimos, Sequenciador::microssegundosMaximos);
    partitura.andamentos.push_back(
        {marcador->getPosicao(), limitado * 1000.0 / ticksPorSemiminima});
  }
  std::stable_sort(
      partitura.andamentos.begin(), partitura.andamentos.end(),
      [](const AndamentoPartitura &a, const AndamentoPartitura &b) { return a.tick < b.tick; });
  return partitura;
}

std::vector<Pista> PartituraPistas::pistasUsadas() const {
  std::array<bool, numPistas> usada{};
  for (const NotaPartitura &n : notas) usada[static_cast<int>(pistaDaNota(n.nota))] = true;
  std::vector<Pista> pistas;
  for (int i = 0; i < numPistas; ++i)
    if (usada[i]) pistas.push_back(static_cast<Pista>(i));
  return pistas;
}

const AndamentoPartitura *PartituraPistas::andamentoEm(int tick) const {
  auto depois = std::upper_bound(andamentos.begin(), andamentos.end(), tick,
                                 [](int t, const AndamentoPartitura &a) { return t < a.tick; });
  return depois == andamentos.begin() ? nullptr : &*std::prev(depois);
}
