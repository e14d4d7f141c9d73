// Which pictures of the drum kit each drum note shows or hides, and which are visible now.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <span>
#include <vector>

// The kit's pictures in drawing order, bottom first; the value indexes figurasBateria.
enum class FiguraBateria : std::uint8_t {
  imgBateria,
  imgChimbal,
  imgPeChimbal,
  imgSurdo2,
  imgCaixa,
  imgSurdo1,
  imgTon1,
  imgTon2,
  imgPrato1,
  imgPratoAttack1,
  imgPrato2,
  imgPratoAttack2,
  imgPrato3,
  imgBaqCaixa,
  imgBaqPrAttack1,
  imgBaqPrato1,
  imgBaqSurdo2,
  imgBaqSurdo1,
  imgBaqTon2,
  imgBaqTon1,
  imgBaqChimbal,
  imgBaqAro,
  imgBaqPrato2,
  imgBaqPrAttack2,
  imgBaqPrato3,
  imgBaqChimbal2,
  imgPeSolto,
  imgBombo,
  imgPeBomboSolto,
};

inline constexpr int numFigurasBateria = 29;

// Name of a picture control and its place in pnInstrumento, in pixels.
struct DescricaoFigura {
  const char *nome;
  int esquerda;
  int topo;
  int largura;
  int altura;
};

// Every picture of the kit, indexed by FiguraBateria. The places belong to the artwork in
// assets/kit, whose SVG files carry the same names and sizes.
extern const std::array<DescricaoFigura, numFigurasBateria> figurasBateria;

inline const DescricaoFigura &descricaoFigura(FiguraBateria figura) {
  return figurasBateria[static_cast<int>(figura)];
}

// One picture made visible or hidden.
struct MudancaFigura {
  FiguraBateria figura;
  bool visivel;

  friend bool operator==(const MudancaFigura &, const MudancaFigura &) = default;
};

class MapaBateria {
 public:
  // The start picture: the background visible, every other picture hidden.
  MapaBateria();

  // What acender(nota) changes, at most five pictures; empty for a note outside the tables.
  static std::span<const MudancaFigura> mudancasAcender(int nota);
  // What apagar(nota) changes; empty for a note outside the tables.
  static std::span<const MudancaFigura> mudancasApagar(int nota);
  // The 13 sticks, the 3 pedal pictures and the 12 lit pieces: what apagarTudo hides.
  static std::span<const FiguraBateria> figurasApagaveis();
  // The 13 stick pictures (imgBaq...).
  static std::span<const FiguraBateria> baquetas();
  // The 12 lit piece pictures.
  static std::span<const FiguraBateria> pecas();

  // Shows the hit of nota; answers the changes made, for the panel to follow.
  std::span<const MudancaFigura> acender(int nota);
  // Shows the release of nota; answers the changes made.
  std::span<const MudancaFigura> apagar(int nota);
  // Hides every picture but the background (the pedal-at-rest pictures too).
  void apagarTudo();
  // Sets one picture's visibility directly (the kit's take-down uses it).
  void setVisivel(FiguraBateria figura, bool visivel);

  bool isVisivel(FiguraBateria figura) const { return visiveis[static_cast<int>(figura)]; }
  // The visible pictures in drawing order.
  std::vector<FiguraBateria> figurasVisiveis() const;

 private:
  void aplicar(std::span<const MudancaFigura> mudancas);

  std::bitset<numFigurasBateria> visiveis;
};
