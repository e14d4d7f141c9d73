// The note maps: what each module family's notes play, learning a pad, and the map's line in
// the configuration file.
#include <gtest/gtest.h>

#include <string>

#include "entrada/MapaNotas.h"
#include "ui/MapaBateria.h"

namespace {

using P = PecaBateria;

std::string nome(PecaBateria peca) {
  return peca == P::nenhuma ? "nenhuma" : descricaoPeca(peca).chave;
}

}  // namespace

// --- the pieces ------------------------------------------------------------------------

TEST(PecaBateria, EveryPiecesNoteLightsThePicture) {
  for (const DescricaoPeca &d : pecasBateria)
    EXPECT_FALSE(MapaBateria::mudancasAcender(d.nota).empty()) << d.chave << " " << d.nota;
}

// The piece table and the General MIDI preset are written apart; they must agree.
TEST(PecaBateria, GeneralMidiPresetTakesEveryPiecesOwnNoteForIt) {
  const MapaNotas gm = MapaNotas::preset(PresetMapa::generalMidi);
  for (int i = 0; i < numPecasBateria; ++i) {
    const auto peca = static_cast<PecaBateria>(i);
    EXPECT_EQ(nome(gm.peca(descricaoPeca(peca).nota)), nome(peca));
  }
}

TEST(PecaBateria, KeyIgnoresLetterCase) {
  EXPECT_EQ(pecaDaChave(u"CHIMBALfechado"), P::chimbalFechado);
  EXPECT_EQ(pecaDaChave(u"china"), P::china);
  EXPECT_EQ(pecaDaChave(u"nenhuma"), P::nenhuma);
  EXPECT_EQ(pecaDaChave(u""), P::nenhuma);
}

// --- the presets -----------------------------------------------------------------------

TEST(MapaNotas, PresetsClaimTheirModulesNotes) {
  struct Caso {
    PresetMapa preset;
    int nota;
    PecaBateria peca;
  };
  const Caso casos[] = {
      {PresetMapa::generalMidi, 35, P::bumbo},     {PresetMapa::generalMidi, 47, P::ton2},
      {PresetMapa::generalMidi, 59, P::prato1},    {PresetMapa::generalMidi, 39, P::nenhuma},
      {PresetMapa::roland, 22, P::chimbalFechado}, {PresetMapa::roland, 26, P::chimbalAberto},
      {PresetMapa::roland, 27, P::surdo2},         {PresetMapa::roland, 59, P::ataque2},
      {PresetMapa::roland, 35, P::nenhuma},        {PresetMapa::alesis, 23, P::chimbalAberto},
      {PresetMapa::alesis, 21, P::ataque1},        {PresetMapa::alesis, 39, P::surdo2},
      {PresetMapa::yamaha, 83, P::chimbalPedal},   {PresetMapa::yamaha, 79, P::chimbalFechado},
      {PresetMapa::yamaha, 55, P::prato3},         {PresetMapa::yamaha, 45, P::nenhuma},
  };
  for (const Caso &c : casos)
    EXPECT_EQ(nome(MapaNotas::preset(c.preset).peca(c.nota)), nome(c.peca))
        << MapaNotas::nomeDoPreset(c.preset).toStdString() << " " << c.nota;
}

TEST(MapaNotas, PresetNamesIgnoreLetterCase) {
  for (PresetMapa p :
       {PresetMapa::generalMidi, PresetMapa::roland, PresetMapa::alesis, PresetMapa::yamaha}) {
    EXPECT_EQ(MapaNotas::presetDoNome(MapaNotas::nomeDoPreset(p)), p);
    EXPECT_EQ(MapaNotas::presetDoNome(MapaNotas::nomeDoPreset(p).toUpper()), p);
  }
  EXPECT_EQ(MapaNotas::nomeDoPreset(PresetMapa::generalMidi), "gm");
  EXPECT_EQ(MapaNotas::presetDoNome(u"personalizado"), std::nullopt);
}

// --- learning --------------------------------------------------------------------------

TEST(MapaNotas, LearningMovesTheNoteToOnePiece) {
  MapaNotas mapa = MapaNotas::preset(PresetMapa::generalMidi);
  mapa.atribuir(38, P::ton1);
  EXPECT_EQ(mapa.peca(38), P::ton1);
  EXPECT_EQ(mapa.notasDa(P::caixa), std::vector<int>{40});
  EXPECT_EQ(mapa.notasDa(P::ton1), (std::vector<int>{38, 48, 50}));

  mapa.atribuir(40, P::nenhuma);
  EXPECT_TRUE(mapa.notasDa(P::caixa).empty());

  const MapaNotas antes = mapa;
  mapa.atribuir(128, P::bumbo);
  mapa.atribuir(-1, P::bumbo);
  EXPECT_EQ(mapa, antes);
  EXPECT_EQ(mapa.peca(128), P::nenhuma);
}

// --- text ------------------------------------------------------------------------------

TEST(MapaNotas, TextRoundTripsEveryPreset) {
  MapaNotas mapa;
  mapa.atribuir(38, P::caixa);
  mapa.atribuir(22, P::chimbalFechado);
  EXPECT_EQ(mapa.paraTexto().toStdString(), "22:chimbalFechado 38:caixa");
  EXPECT_TRUE(MapaNotas().paraTexto().isEmpty());

  for (PresetMapa p :
       {PresetMapa::generalMidi, PresetMapa::roland, PresetMapa::alesis, PresetMapa::yamaha}) {
    const MapaNotas preset = MapaNotas::preset(p);
    EXPECT_EQ(MapaNotas::deTexto(preset.paraTexto()), preset) << preset.paraTexto().toStdString();
  }
}

TEST(MapaNotas, TextSkipsUnsoundPairsAndKeepsTheRest) {
  const MapaNotas lido = MapaNotas::deTexto(
      u" 36:bumbo\t38:CAIXA  x 40: :caixa 128:caixa -1:aro 41:nada 42:chimbalFechado:1 "
      u"abc:ton1 43:surdo1 ");
  EXPECT_EQ(lido.paraTexto().toStdString(), "36:bumbo 38:caixa 43:surdo1");
}
