// The pieces of the drum kit a drummer's pad can be, as the kit picture shows them: each has
// the General MIDI note it sounds and lights, and a key that names it in the language files
// and in the configuration file.
#pragma once

#include <QStringView>
#include <array>
#include <cstdint>

enum class PecaBateria : std::uint8_t {
  bumbo,
  caixa,
  aro,
  chimbalFechado,
  chimbalAberto,
  chimbalPedal,
  ton1,
  ton2,
  surdo1,
  surdo2,
  prato1,
  prato2,
  prato3,
  ataque1,
  ataque2,
  sino,
  china,
  nenhuma,
};

inline constexpr int numPecasBateria = 17;

struct DescricaoPeca {
  // "bumbo", "caixa", ...: the configuration's word for the piece; the language files name
  // it under the key "peca" followed by this word with its first letter upper case
  // ("pecaBumbo") in the section "frmSetup".
  const char *chave;
  // The General MIDI percussion note the piece sounds as and lights on the kit picture.
  int nota;
};

// Every piece but nenhuma, in the order a list shows them.
extern const std::array<DescricaoPeca, numPecasBateria> pecasBateria;

// The description of peca; peca must not be nenhuma.
const DescricaoPeca &descricaoPeca(PecaBateria peca);
// The piece whose General MIDI note is nota, or nenhuma.
PecaBateria pecaDaNota(int nota);
// The piece a configuration word names, or nenhuma.
PecaBateria pecaDaChave(QStringView chave);
// The two hi-hat pieces a pedal's position turns into each other.
inline bool isChimbalTocado(PecaBateria peca) {
  return peca == PecaBateria::chimbalFechado || peca == PecaBateria::chimbalAberto;
}
