#include "ui/MapaBateria.h"

namespace {

using F = FiguraBateria;

// Shows (or hides) a piece together with the stick drawn on it.
constexpr std::array<MudancaFigura, 2> golpe(F baqueta, F peca, bool visivel) {
  return {{{baqueta, visivel}, {peca, visivel}}};
}

// The bass drum: struck while the note sounds, its pedal at rest after it.
constexpr MudancaFigura bomboAcender[] = {{F::imgBombo, true}, {F::imgPeBomboSolto, false}};
constexpr MudancaFigura bomboApagar[] = {{F::imgBombo, false}, {F::imgPeBomboSolto, true}};

constexpr MudancaFigura aroAcender[] = {{F::imgBaqAro, true}};
constexpr MudancaFigura aroApagar[] = {{F::imgBaqAro, false}};

constexpr auto caixaAcender = golpe(F::imgBaqCaixa, F::imgCaixa, true);
constexpr auto caixaApagar = golpe(F::imgBaqCaixa, F::imgCaixa, false);
constexpr auto surdo2Acender = golpe(F::imgBaqSurdo2, F::imgSurdo2, true);
constexpr auto surdo2Apagar = golpe(F::imgBaqSurdo2, F::imgSurdo2, false);
constexpr auto surdo1Acender = golpe(F::imgBaqSurdo1, F::imgSurdo1, true);
constexpr auto surdo1Apagar = golpe(F::imgBaqSurdo1, F::imgSurdo1, false);
constexpr auto ton2Acender = golpe(F::imgBaqTon2, F::imgTon2, true);
constexpr auto ton2Apagar = golpe(F::imgBaqTon2, F::imgTon2, false);
constexpr auto ton1Acender = golpe(F::imgBaqTon1, F::imgTon1, true);
constexpr auto ton1Apagar = golpe(F::imgBaqTon1, F::imgTon1, false);
constexpr auto prato3Acender = golpe(F::imgBaqPrato3, F::imgPrato3, true);
constexpr auto prato3Apagar = golpe(F::imgBaqPrato3, F::imgPrato3, false);
constexpr auto ataque2Acender = golpe(F::imgBaqPrAttack2, F::imgPratoAttack2, true);
constexpr auto ataque2Apagar = golpe(F::imgBaqPrAttack2, F::imgPratoAttack2, false);
constexpr auto ataque1Acender = golpe(F::imgBaqPrAttack1, F::imgPratoAttack1, true);
constexpr auto ataque1Apagar = golpe(F::imgBaqPrAttack1, F::imgPratoAttack1, false);
constexpr auto prato2Acender = golpe(F::imgBaqPrato2, F::imgPrato2, true);
constexpr auto prato2Apagar = golpe(F::imgBaqPrato2, F::imgPrato2, false);
constexpr auto prato1Acender = golpe(F::imgBaqPrato1, F::imgPrato1, true);
constexpr auto prato1Apagar = golpe(F::imgBaqPrato1, F::imgPrato1, false);

// The hi-hat: closed picture, pedal pressed, foot lifted, and the closed and open sticks.
// A picture left out keeps its visibility.
constexpr MudancaFigura chimbalFechadoAcender[] = {  // 42
    {F::imgPeChimbal, true},
    {F::imgPeSolto, false},
    {F::imgBaqChimbal, true},
    {F::imgBaqChimbal2, false},
    {F::imgChimbal, true}};
constexpr MudancaFigura chimbalFechadoApagar[] = {{F::imgPeChimbal, true},
                                                  {F::imgPeSolto, false},
                                                  {F::imgBaqChimbal, false},
                                                  {F::imgChimbal, true}};
constexpr MudancaFigura chimbalPedalAcender[] = {  // 44
    {F::imgPeChimbal, true},
    {F::imgPeSolto, false},
    {F::imgBaqChimbal, false},
    {F::imgBaqChimbal2, false},
    {F::imgChimbal, true}};
constexpr MudancaFigura chimbalPedalApagar[] = {
    {F::imgPeChimbal, false}, {F::imgPeSolto, true}, {F::imgChimbal, false}};
constexpr MudancaFigura chimbalAbertoAcender[] = {  // 46
    {F::imgPeChimbal, false},
    {F::imgPeSolto, true},
    {F::imgBaqChimbal, false},
    {F::imgBaqChimbal2, true},
    {F::imgChimbal, false}};
constexpr MudancaFigura chimbalAbertoApagar[] = {{F::imgPeChimbal, false},
                                                 {F::imgPeSolto, true},
                                                 {F::imgBaqChimbal2, false},
                                                 {F::imgChimbal, false}};
constexpr MudancaFigura pandeiroAcender[] = {  // 54: leaves the foot as it was
    {F::imgPeChimbal, true},
    {F::imgBaqChimbal, true},
    {F::imgBaqChimbal2, false},
    {F::imgChimbal, true}};
constexpr MudancaFigura pandeiroApagar[] = {
    {F::imgPeChimbal, true}, {F::imgBaqChimbal, false}, {F::imgChimbal, true}};

constexpr F baquetasBateria[] = {
    F::imgBaqCaixa,     F::imgBaqPrAttack1, F::imgBaqPrato1,  F::imgBaqSurdo2, F::imgBaqSurdo1,
    F::imgBaqTon2,      F::imgBaqTon1,      F::imgBaqChimbal, F::imgBaqAro,    F::imgBaqPrato2,
    F::imgBaqPrAttack2, F::imgBaqPrato3,    F::imgBaqChimbal2};

constexpr F pecasBateria[] = {F::imgBombo,        F::imgChimbal, F::imgCaixa,        F::imgTon1,
                              F::imgTon2,         F::imgSurdo1,  F::imgSurdo2,       F::imgPrato1,
                              F::imgPratoAttack1, F::imgPrato2,  F::imgPratoAttack2, F::imgPrato3};

// Every picture but the background.
constexpr auto apagaveisBateria = [] {
  std::array<F, numFigurasBateria - 1> figuras{};
  for (int i = 1; i < numFigurasBateria; ++i) figuras[i - 1] = static_cast<F>(i);
  return figuras;
}();

static_assert(std::size(baquetasBateria) == 13 && std::size(pecasBateria) == 12);

}  // namespace

const std::array<DescricaoFigura, numFigurasBateria> figurasBateria = {{
    {"imgBateria", 0, 0, 626, 414},         {"imgChimbal", 41, 80, 107, 321},
    {"imgPeChimbal", 79, 335, 97, 75},      {"imgSurdo2", 467, 204, 40, 19},
    {"imgCaixa", 160, 188, 40, 18},         {"imgSurdo1", 380, 182, 36, 21},
    {"imgTon1", 221, 123, 36, 20},          {"imgTon2", 302, 121, 39, 22},
    {"imgPrato1", 72, 0, 102, 71},          {"imgPratoAttack1", 183, 43, 81, 40},
    {"imgPrato2", 290, 11, 112, 69},        {"imgPratoAttack2", 392, 108, 90, 61},
    {"imgPrato3", 452, 20, 142, 88},        {"imgBaqCaixa", 111, 197, 68, 28},
    {"imgBaqPrAttack1", 218, 70, 25, 57},   {"imgBaqPrato1", 139, 58, 38, 63},
    {"imgBaqSurdo2", 410, 204, 69, 12},     {"imgBaqSurdo1", 322, 181, 73, 18},
    {"imgBaqTon2", 300, 132, 19, 68},       {"imgBaqTon1", 240, 136, 17, 69},
    {"imgBaqChimbal", 114, 140, 68, 22},    {"imgBaqAro", 170, 184, 69, 18},
    {"imgBaqPrato2", 303, 62, 23, 69},      {"imgBaqPrAttack2", 354, 141, 59, 45},
    {"imgBaqPrato3", 412, 85, 64, 41},      {"imgBaqChimbal2", 115, 129, 71, 24},
    {"imgPeSolto", 92, 344, 86, 64},        {"imgBombo", 208, 214, 133, 189},
    {"imgPeBomboSolto", 259, 300, 42, 105},
}};

MapaBateria::MapaBateria() {
  visiveis.set(static_cast<int>(F::imgBateria));
}

std::span<const MudancaFigura> MapaBateria::mudancasAcender(int nota) {
  switch (nota) {
    case 35:
    case 36:
      return bomboAcender;
    case 37:
      return aroAcender;
    case 38:
    case 40:
      return caixaAcender;
    case 41:
      return surdo2Acender;
    case 42:
      return chimbalFechadoAcender;
    case 43:
      return surdo1Acender;
    case 44:
      return chimbalPedalAcender;
    case 45:
    case 47:
      return ton2Acender;
    case 46:
      return chimbalAbertoAcender;
    case 48:
    case 50:
      return ton1Acender;
    case 49:
    case 52:
    case 53:
      return prato3Acender;
    case 51:
      return ataque2Acender;
    case 54:
      return pandeiroAcender;
    case 55:
      return ataque1Acender;
    case 57:
      return prato2Acender;
    case 59:
      return prato1Acender;
    default:  // 39, 56, 58 and everything below 35 or above 59
      return {};
  }
}

std::span<const MudancaFigura> MapaBateria::mudancasApagar(int nota) {
  switch (nota) {
    case 35:
    case 36:
      return bomboApagar;
    case 37:
      return aroApagar;
    case 38:
    case 40:
      return caixaApagar;
    case 41:
      return surdo2Apagar;
    case 42:
      return chimbalFechadoApagar;
    case 43:
      return surdo1Apagar;
    case 44:
      return chimbalPedalApagar;
    case 45:
    case 47:
      return ton2Apagar;
    case 46:
      return chimbalAbertoApagar;
    case 48:
    case 50:
      return ton1Apagar;
    case 49:
    case 52:
    case 53:
      return prato3Apagar;
    case 51:
      return ataque2Apagar;
    case 54:
      return pandeiroApagar;
    case 55:
      return ataque1Apagar;
    case 57:
      return prato2Apagar;
    case 59:
      return prato1Apagar;
    default:
      return {};
  }
}

std::span<const FiguraBateria> MapaBateria::figurasApagaveis() {
  return apagaveisBateria;
}
std::span<const FiguraBateria> MapaBateria::baquetas() {
  return baquetasBateria;
}
std::span<const FiguraBateria> MapaBateria::pecas() {
  return pecasBateria;
}

std::span<const MudancaFigura> MapaBateria::acender(int nota) {
  const auto mudancas = mudancasAcender(nota);
  aplicar(mudancas);
  return mudancas;
}

std::span<const MudancaFigura> MapaBateria::apagar(int nota) {
  const auto mudancas = mudancasApagar(nota);
  aplicar(mudancas);
  return mudancas;
}

void MapaBateria::apagarTudo() {
  for (F figura : apagaveisBateria) setVisivel(figura, false);
}

void MapaBateria::setVisivel(FiguraBateria figura, bool visivel) {
  visiveis[static_cast<int>(figura)] = visivel;
}

std::vector<FiguraBateria> MapaBateria::figurasVisiveis() const {
  std::vector<FiguraBateria> figuras;
  for (int i = 0; i < numFigurasBateria; ++i)
    if (visiveis[i]) figuras.push_back(static_cast<F>(i));
  return figuras;
}

void MapaBateria::aplicar(std::span<const MudancaFigura> mudancas) {
  for (const MudancaFigura &m : mudancas) setVisivel(m.figura, m.visivel);
}
