// The kit's pictures as the kit's layout gives them, typed apart from the program's table so
// that a slip in either shows up.
#pragma once

#include <QRect>
#include <array>

namespace kovrinta::test {

struct FiguraEsperada {
  const char *nome;
  QRect lugar;
};

// Bottom to top of the drawing order.
inline const std::array<FiguraEsperada, 29> kitEsperado = {{
    {"imgBateria", {0, 0, 626, 414}},         {"imgChimbal", {41, 80, 107, 321}},
    {"imgPeChimbal", {79, 335, 97, 75}},      {"imgSurdo2", {467, 204, 40, 19}},
    {"imgCaixa", {160, 188, 40, 18}},         {"imgSurdo1", {380, 182, 36, 21}},
    {"imgTon1", {221, 123, 36, 20}},          {"imgTon2", {302, 121, 39, 22}},
    {"imgPrato1", {72, 0, 102, 71}},          {"imgPratoAttack1", {183, 43, 81, 40}},
    {"imgPrato2", {290, 11, 112, 69}},        {"imgPratoAttack2", {392, 108, 90, 61}},
    {"imgPrato3", {452, 20, 142, 88}},        {"imgBaqCaixa", {111, 197, 68, 28}},
    {"imgBaqPrAttack1", {218, 70, 25, 57}},   {"imgBaqPrato1", {139, 58, 38, 63}},
    {"imgBaqSurdo2", {410, 204, 69, 12}},     {"imgBaqSurdo1", {322, 181, 73, 18}},
    {"imgBaqTon2", {300, 132, 19, 68}},       {"imgBaqTon1", {240, 136, 17, 69}},
    {"imgBaqChimbal", {114, 140, 68, 22}},    {"imgBaqAro", {170, 184, 69, 18}},
    {"imgBaqPrato2", {303, 62, 23, 69}},      {"imgBaqPrAttack2", {354, 141, 59, 45}},
    {"imgBaqPrato3", {412, 85, 64, 41}},      {"imgBaqChimbal2", {115, 129, 71, 24}},
    {"imgPeSolto", {92, 344, 86, 64}},        {"imgBombo", {208, 214, 133, 189}},
    {"imgPeBomboSolto", {259, 300, 42, 105}},
}};

}  // namespace kovrinta::test
