// One track of a song: its events in file order, found by tick.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "song/EventoSequenciamento.h"

class Trilha {
 public:
  Trilha() = default;
  Trilha(const Trilha &) = delete;
  Trilha &operator=(const Trilha &) = delete;

  // Appends evento; the track owns it.
  void adicionarEvento(EventoSequenciamento *evento);
  // The events whose tick is posicao, in the order they were added. The answer stays valid
  // until the next adicionarEvento.
  std::span<EventoSequenciamento *const> eventosEm(int posicao) const;
  // Builds the lookup by tick now, so that the first tick of playback does not pay for
  // it; eventosEm also builds it when events were added since.
  void indexarPorPosicao() const;
  // All events in file order.
  const std::vector<std::unique_ptr<EventoSequenciamento>> &getEventos() const { return eventos; }

  // Channel of the first note-on with non-zero velocity; -1 while none was found.
  void setCanal(int valor) { canal = valor; }
  int getCanal() const { return canal; }
  // The track holds a drum note (channel index 9, note below 60).
  bool isBateria() const { return bateria; }
  void setBateria() { bateria = true; }

 private:
  std::vector<std::unique_ptr<EventoSequenciamento>> eventos;
  // The events sorted by tick, keeping file order within a tick; rebuilt on the first
  // lookup after a change, so a tick costs a binary search instead of a walk.
  mutable std::vector<EventoSequenciamento *> porPosicao;
  mutable bool indiceValido = true;
  int canal = -1;
  bool bateria = false;
};
