// Which note of the drummer's module is which piece of the kit: a preset of a known family of
// modules, or one the drummer taught by striking the pads.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

#include "entrada/PecaBateria.h"

// The presets, by the word the configuration and kovrinta-song's --map use.
enum class PresetMapa { generalMidi, roland, alesis, yamaha };

class MapaNotas {
 public:
  // Every note claimed by no piece.
  MapaNotas() = default;

  // The map of a preset (the notes each family of modules sends, see the definition).
  static MapaNotas preset(PresetMapa preset);
  // The preset a word names ("gm", "roland", "alesis", "yamaha"), or none.
  static std::optional<PresetMapa> presetDoNome(QStringView nome);
  // The word of a preset.
  static QString nomeDoPreset(PresetMapa preset);

  // The piece note (0..127) is; nenhuma when no piece claims it or the note is out of range.
  PecaBateria peca(int nota) const;
  // The notes that are peca, in ascending order.
  std::vector<int> notasDa(PecaBateria peca) const;
  // Learning: nota becomes peca, leaving whatever piece it was (a note belongs to one piece);
  // peca nenhuma frees it. Out-of-range notes are ignored.
  void atribuir(int nota, PecaBateria peca);

  // The map as one line of the configuration file: "nota:palavra" pairs in note order,
  // separated by blanks ("36:bumbo 38:caixa").
  QString paraTexto() const;
  // Reads paraTexto's line; pairs that are not sound (an unknown word, a note out of range,
  // garbage) are skipped, the rest kept.
  static MapaNotas deTexto(QStringView texto);

  friend bool operator==(const MapaNotas &, const MapaNotas &) = default;

 private:
  std::array<PecaBateria, 128> pecas = filled();
  static constexpr std::array<PecaBateria, 128> filled() {
    std::array<PecaBateria, 128> a{};
    a.fill(PecaBateria::nenhuma);
    return a;
  }
};
