// Which pictures the drum kit shows for each note, without a panel.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <set>
#include <string>

#include "ui/Bateria.h"
#include "ui/MapaBateria.h"

namespace {

using Nomes = std::set<std::string>;

Nomes visiveis(const MapaBateria &mapa) {
  Nomes nomes;
  for (FiguraBateria f : mapa.figurasVisiveis()) nomes.insert(descricaoFigura(f).nome);
  return nomes;
}

Nomes visiveis(const Bateria &kit) {
  return visiveis(kit.getMapa());
}

FiguraBateria figura(const std::string &nome) {
  for (int i = 0; i < numFigurasBateria; ++i)
    if (nome == figurasBateria[i].nome) return static_cast<FiguraBateria>(i);
  ADD_FAILURE() << "no picture " << nome;
  return FiguraBateria::imgBateria;
}

// --- Pieces struck with a stick -------------------------------------------------------

struct Golpe {
  int nota;
  Nomes acesas;  // shown by the hit, hidden again by the release
};

TEST(BateriaMapa, EveryPieceLightsWithItsStickAndGoesOutOnRelease) {
  const Golpe golpes[] = {
      {37, {"imgBaqAro"}},
      {38, {"imgBaqCaixa", "imgCaixa"}},
      {40, {"imgBaqCaixa", "imgCaixa"}},
      {41, {"imgBaqSurdo2", "imgSurdo2"}},
      {43, {"imgBaqSurdo1", "imgSurdo1"}},
      {45, {"imgBaqTon2", "imgTon2"}},
      {47, {"imgBaqTon2", "imgTon2"}},
      {48, {"imgBaqTon1", "imgTon1"}},
      {50, {"imgBaqTon1", "imgTon1"}},
      {49, {"imgBaqPrato3", "imgPrato3"}},
      {52, {"imgBaqPrato3", "imgPrato3"}},
      {53, {"imgBaqPrato3", "imgPrato3"}},
      {51, {"imgBaqPrAttack2", "imgPratoAttack2"}},
      {55, {"imgBaqPrAttack1", "imgPratoAttack1"}},
      {57, {"imgBaqPrato2", "imgPrato2"}},
      {59, {"imgBaqPrato1", "imgPrato1"}},
  };
  for (const Golpe &g : golpes) {
    SCOPED_TRACE("note " + std::to_string(g.nota));
    Bateria kit;
    kit.acender(g.nota);
    Nomes esperado = g.acesas;
    esperado.insert("imgBateria");
    EXPECT_EQ(visiveis(kit), esperado);
    kit.apagar(g.nota);
    EXPECT_EQ(visiveis(kit), Nomes{"imgBateria"});
  }
}

TEST(BateriaMapa, BassDrumReleaseShowsThePedalAtRestThatWasHiddenBefore) {
  for (int nota : {35, 36}) {
    SCOPED_TRACE("note " + std::to_string(nota));
    Bateria kit;
    EXPECT_EQ(visiveis(kit), Nomes{"imgBateria"});
    kit.acender(nota);
    EXPECT_EQ(visiveis(kit), (Nomes{"imgBateria", "imgBombo"}));
    kit.apagar(nota);
    EXPECT_EQ(visiveis(kit), (Nomes{"imgBateria", "imgPeBomboSolto"}));
    kit.acender(nota);  // struck again: the resting pedal goes away
    EXPECT_EQ(visiveis(kit), (Nomes{"imgBateria", "imgBombo"}));
  }
}

TEST(BateriaMapa, NotesSharingAPictureSwitchTheSameOne) {
  Bateria kit;
  kit.acender(49);
  kit.acender(52);
  kit.apagar(52);  // 49 still sounds, yet its cymbal goes out
  EXPECT_FALSE(kit.getMapa().isVisivel(FiguraBateria::imgPrato3));
  EXPECT_FALSE(kit.getMapa().isVisivel(FiguraBateria::imgBaqPrato3));

  kit.acender(38);
  kit.apagar(40);
  EXPECT_EQ(visiveis(kit), Nomes{"imgBateria"});
  kit.acender(45);
  kit.acender(50);
  kit.apagar(47);
  EXPECT_EQ(visiveis(kit), (Nomes{"imgBateria", "imgBaqTon1", "imgTon1"}));
}

TEST(BateriaMapa, NotesOutsideTheTablesChangeNothing) {
  Bateria kit;
  for (int nota : {36, 38, 42, 49}) kit.acender(nota);
  kit.apagar(36);
  const Nomes antes = visiveis(kit);
  for (int nota : {39, 56, 58, 60, 34, 0, 33, 61, 127, -1, 128, 1000, INT_MIN, INT_MAX}) {
    SCOPED_TRACE("note " + std::to_string(nota));
    EXPECT_TRUE(MapaBateria::mudancasAcender(nota).empty());
    EXPECT_TRUE(MapaBateria::mudancasApagar(nota).empty());
    kit.acender(nota);
    kit.apagar(nota);
    EXPECT_EQ(visiveis(kit), antes);
  }
}

TEST(BateriaMapa, EveryNoteInTheTablesChangesAtMostFivePictures) {
  int notasComEfeito = 0;
  for (int nota = 0; nota < 128; ++nota) {
    const auto acender = MapaBateria::mudancasAcender(nota);
    const auto apagar = MapaBateria::mudancasApagar(nota);
    EXPECT_LE(acender.size(), 5u) << nota;
    EXPECT_LE(apagar.size(), 5u) << nota;
    EXPECT_EQ(acender.empty(), apagar.empty()) << "a note with a hit has a release: " << nota;
    if (!acender.empty()) ++notasComEfeito;
  }
  // 35..59 without 39, 56 and 58.
  EXPECT_EQ(notasComEfeito, 22);
}

TEST(BateriaMapa, ApagarTudoLeavesOnlyTheBackgroundAfterAnySequence) {
  std::mt19937 gerador(20240611);
  std::uniform_int_distribution<int> nota(30, 64);
  std::bernoulli_distribution liga(0.6);
  for (int rodada = 0; rodada < 50; ++rodada) {
    Bateria kit;
    for (int i = 0; i < 40; ++i) {
      if (liga(gerador))
        kit.acender(nota(gerador));
      else
        kit.apagar(nota(gerador));
    }
    kit.apagarTudo();
    ASSERT_EQ(visiveis(kit), Nomes{"imgBateria"}) << "round " << rodada;
  }
  // The pictures that only a release shows go too.
  Bateria kit;
  kit.acender(36);
  kit.apagar(36);
  kit.apagar(44);
  EXPECT_EQ(visiveis(kit), (Nomes{"imgBateria", "imgPeBomboSolto", "imgPeSolto"}));
  kit.apagarTudo();
  EXPECT_EQ(visiveis(kit), Nomes{"imgBateria"});
}

TEST(BateriaMapa, DesmontarHidesThePiecesWithoutAPanel) {
  Bateria kit;
  for (int nota : {36, 38, 42, 49, 51, 55, 57, 59}) kit.acender(nota);
  kit.desmontar();
  for (FiguraBateria f : MapaBateria::pecas())
    EXPECT_FALSE(kit.getMapa().isVisivel(f)) << descricaoFigura(f).nome;
  EXPECT_TRUE(kit.getMapa().isVisivel(FiguraBateria::imgBateria));
}

// --- The hi-hat -----------------------------------------------------------------------

// Columns: imgPeChimbal, imgPeSolto, imgBaqChimbal, imgBaqChimbal2, imgChimbal;
// '1' shown, '0' hidden, '-' left as it was.
const char *const colunasChimbal[] = {"imgPeChimbal", "imgPeSolto", "imgBaqChimbal",
                                      "imgBaqChimbal2", "imgChimbal"};

struct LinhaChimbal {
  int nota;
  bool acender;
  const char *efeito;
};

const LinhaChimbal tabelaChimbal[] = {
    {42, true, "10101"}, {42, false, "100-1"}, {44, true, "10001"}, {44, false, "01--0"},
    {46, true, "01010"}, {46, false, "01-00"}, {54, true, "1-101"}, {54, false, "1-0-1"},
};

TEST(BateriaHiHat, EachHiHatNoteSetsExactlyItsColumnsFromAnyStartingState) {
  for (const LinhaChimbal &linha : tabelaChimbal) {
    for (const char *inicio : {"00000", "11111", "10101", "01010"}) {
      SCOPED_TRACE(std::string(linha.acender ? "acender(" : "apagar(") +
                   std::to_string(linha.nota) + ") from " + inicio);
      MapaBateria mapa;
      mapa.setVisivel(FiguraBateria::imgCaixa, true);  // a bystander that must stay lit
      for (int c = 0; c < 5; ++c) mapa.setVisivel(figura(colunasChimbal[c]), inicio[c] == '1');
      if (linha.acender)
        mapa.acender(linha.nota);
      else
        mapa.apagar(linha.nota);
      for (int c = 0; c < 5; ++c) {
        const bool esperado = linha.efeito[c] == '-' ? inicio[c] == '1' : linha.efeito[c] == '1';
        EXPECT_EQ(mapa.isVisivel(figura(colunasChimbal[c])), esperado) << colunasChimbal[c];
      }
      EXPECT_TRUE(mapa.isVisivel(FiguraBateria::imgCaixa));
      EXPECT_TRUE(mapa.isVisivel(FiguraBateria::imgBateria));
    }
  }
}

TEST(BateriaHiHat, AGrooveOfClosedPedalOpenAndTambourineNotes) {
  struct Passo {
    bool acender;
    int nota;
    Nomes chimbal;  // the visible pictures besides the background
  };
  const Passo passos[] = {
      // A closed stroke closes the hi-hat and leaves it closed after the release.
      {true, 42, {"imgPeChimbal", "imgBaqChimbal", "imgChimbal"}},
      {false, 42, {"imgPeChimbal", "imgChimbal"}},
      // Only the pedal's release opens it, with the foot lifted.
      {false, 44, {"imgPeSolto"}},
      // An open stroke while the closed stick shows swaps the sticks.
      {true, 42, {"imgPeChimbal", "imgBaqChimbal", "imgChimbal"}},
      {true, 46, {"imgPeSolto", "imgBaqChimbal2"}},
      {false, 46, {"imgPeSolto"}},
      // The tambourine closes the hi-hat but leaves the lifted foot alone.
      {true, 54, {"imgPeSolto", "imgPeChimbal", "imgBaqChimbal", "imgChimbal"}},
      {false, 54, {"imgPeSolto", "imgPeChimbal", "imgChimbal"}},
      // The pedal pressed takes both sticks away.
      {true, 46, {"imgPeSolto", "imgBaqChimbal2"}},
      {true, 44, {"imgPeChimbal", "imgChimbal"}},
      {false, 44, {"imgPeSolto"}},
  };
  Bateria kit;
  int i = 0;
  for (const Passo &p : passos) {
    SCOPED_TRACE("step " + std::to_string(i++));
    if (p.acender)
      kit.acender(p.nota);
    else
      kit.apagar(p.nota);
    Nomes esperado = p.chimbal;
    esperado.insert("imgBateria");
    EXPECT_EQ(visiveis(kit), esperado);
  }
}

}  // namespace
