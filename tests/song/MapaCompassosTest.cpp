// Where bars and beats fall under the song's time signatures.
#include <gtest/gtest.h>

#include "song/MapaCompassos.h"

namespace {

// Bar and beat of a tick, as "bar.beat", with "!" on a bar's first beat and "~" between beats.
std::string em(const MapaCompassos &mapa, int posicao) {
  const LugarCompasso l = mapa.lugar(posicao);
  return std::to_string(l.compasso) + '.' + std::to_string(l.tempo) +
         (l.noInicio  ? "!"
          : l.noTempo ? ""
                      : "~");
}

TEST(MapaCompassos, BeatsAndBarLinesFollowEachSignatureAndItsChanges) {
  // 4/4, then 7/8 from bar 2, 5/4 from bar 3 and 6/8 from bar 4 (the file's own changes).
  const MapaCompassos mapa({{480, 5, 4}, {0, 4, 4}, {256, 7, 8}, {800, 6, 8}});
  EXPECT_EQ(em(mapa, 0), "1.1!");
  EXPECT_EQ(em(mapa, 192), "1.4");
  EXPECT_EQ(em(mapa, 256), "2.1!");
  EXPECT_EQ(em(mapa, 256 + 6 * 32), "2.7") << "an eighth is the beat of 7/8";
  EXPECT_EQ(em(mapa, 256 + 6 * 32 + 16), "2.7~");
  EXPECT_EQ(em(mapa, 480), "3.1!");
  EXPECT_EQ(em(mapa, 800 + 5 * 32), "4.6");
  EXPECT_EQ(em(mapa, 800 + 6 * 32), "5.1!");
  EXPECT_EQ(mapa.inicioDoCompasso(3), 480);
  EXPECT_EQ(mapa.inicioDoCompasso(6), 800 + 2 * 192);
  EXPECT_EQ(em(MapaCompassos(), 1024), "5.1!") << "4/4 without signatures";
}

TEST(MapaCompassos, AChangeOffTheBarLineStartsABarAndBadValuesAreBroughtIntoRange) {
  // 3/4 cut after two beats by 2/4: the short bar is bar 1, the change starts bar 2.
  const MapaCompassos mapa({{0, 3, 4}, {128, 2, 4}, {128, 0, 128}});
  EXPECT_EQ(em(mapa, 128), "2.1!");
  EXPECT_EQ(mapa.getFormulas().back(), (FormulaCompasso{128, 1, 64}))
      << "the later of two at one tick holds, in range";
  EXPECT_EQ(em(mapa, 132), "3.1!");
}

TEST(MapaCompassos, TheNearestBarLineIsTakenTheLaterOneWhenHalfway) {
  const MapaCompassos mapa({{0, 3, 4}});
  EXPECT_EQ(mapa.linhaMaisProxima(10), 0);
  EXPECT_EQ(mapa.linhaMaisProxima(180), 192);
  EXPECT_EQ(mapa.linhaMaisProxima(96), 192);
  EXPECT_EQ(mapa.linhaMaisProxima(95), 0);
}

}  // namespace
