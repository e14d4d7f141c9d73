#include "entrada/PecaBateria.h"

#include <QLatin1StringView>
#include <cstddef>

namespace {

using P = PecaBateria;

struct Linha {
  PecaBateria peca;
  DescricaoPeca descricao;
};

// The General MIDI notes are those the kit picture lights for the piece (ui/MapaBateria).
constexpr Linha linhas[] = {
    {P::bumbo, {"bumbo", 36}},
    {P::caixa, {"caixa", 38}},
    {P::aro, {"aro", 37}},
    {P::chimbalFechado, {"chimbalFechado", 42}},
    {P::chimbalAberto, {"chimbalAberto", 46}},
    {P::chimbalPedal, {"chimbalPedal", 44}},
    {P::ton1, {"ton1", 48}},
    {P::ton2, {"ton2", 45}},
    {P::surdo1, {"surdo1", 43}},
    {P::surdo2, {"surdo2", 41}},
    {P::prato1, {"prato1", 59}},
    {P::prato2, {"prato2", 57}},
    {P::prato3, {"prato3", 49}},
    {P::ataque1, {"ataque1", 55}},
    {P::ataque2, {"ataque2", 51}},
    {P::sino, {"sino", 53}},
    {P::china, {"china", 52}},
};

// The table is indexed by the enum's value: a row out of place would name another piece.
constexpr bool linhasEmOrdem() {
  if (std::size(linhas) != numPecasBateria) return false;
  for (std::size_t i = 0; i < std::size(linhas); ++i)
    if (linhas[i].peca != static_cast<PecaBateria>(i)) return false;
  return true;
}
static_assert(linhasEmOrdem());

}  // namespace

// Filled before any dynamic initialization, so other files' static tables may read it.
constinit const std::array<DescricaoPeca, numPecasBateria> pecasBateria = [] {
  std::array<DescricaoPeca, numPecasBateria> tabela{};
  for (std::size_t i = 0; i < tabela.size(); ++i) tabela[i] = linhas[i].descricao;
  return tabela;
}();

const DescricaoPeca &descricaoPeca(PecaBateria peca) {
  return pecasBateria.at(static_cast<std::size_t>(peca));
}

// Letter case is ignored, as for every other word of the configuration file.
PecaBateria pecaDaChave(QStringView chave) {
  for (std::size_t i = 0; i < pecasBateria.size(); ++i)
    if (chave.compare(QLatin1StringView(pecasBateria[i].chave), Qt::CaseInsensitive) == 0)
      return static_cast<PecaBateria>(i);
  return PecaBateria::nenhuma;
}

PecaBateria pecaDaNota(int nota) {
  for (std::size_t i = 0; i < pecasBateria.size(); ++i)
    if (pecasBateria[i].nota == nota) return static_cast<PecaBateria>(i);
  return PecaBateria::nenhuma;
}
