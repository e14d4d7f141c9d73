// The drum kit display: lights the kit's pieces, sticks and pedals for drum notes.
#pragma once

#include <array>
#include <span>

#include "ui/Instrumento.h"
#include "ui/MapaBateria.h"

// Keeps which pictures are visible in a MapaBateria and makes the panel show the same.
// Without a panel it keeps only that state, so the sequencer and tests can drive it
// headless. Notes outside the tables are ignored. Every call comes from the user-interface
// thread.
class Bateria : public Instrumento {
 public:
  // The kit at rest on painel: its background shown, every hit picture hidden, the panel
  // placed at 70, 39 of the main window with the background's size.
  explicit Bateria(PainelInstrumento *painel = nullptr);
  // Takes the stick pictures off the panel, then hides the background.
  ~Bateria() override;

  // Shows the hit of note nota (General MIDI percussion numbers).
  void acender(int nota) override;
  // Shows the release of note nota.
  void apagar(int nota) override;
  // Hides every picture but the background.
  void apagarTudo() override;
  // Takes the 13 stick pictures off the panel and hides the 12 piece pictures, each shrunk
  // to 15 x 15 at 0, 0. Nothing in the program calls it.
  void desmontar() override;

  // Which pictures are visible.
  const MapaBateria &getMapa() const { return mapa; }

 private:
  void aplicar(std::span<const MudancaFigura> mudancas);
  void retirarBaquetas();

  MapaBateria mapa;
  // Index in the panel of each picture of the kit, -1 without a panel.
  std::array<int, numFigurasBateria> figuras;
};
