// The judge's marks over the kit's panel, in English: where each piece's badge sits, how long
// a badge lives, which badge a new judgement replaces, and the pass's readout.
#include <gtest/gtest.h>

#include <QImage>
#include <QTimer>
#include <chrono>
#include <utility>
#include <vector>

#include "../support/QtWait.h"
#include "config/GerenciadorIdiomas.h"
#include "julgamento/MarcasJulgamento.h"
#include "ui/MapaBateria.h"
#include "ui/PainelInstrumento.h"

namespace {

using C = ClasseGolpe;
using P = PecaBateria;
using Vivas = std::vector<std::pair<PecaBateria, ClasseGolpe>>;

Julgamento julgamento(PecaBateria peca, ClasseGolpe classe, double desvioMs = 0) {
  Julgamento j;
  j.peca = peca;
  j.classe = classe;
  j.desvioMs = desvioMs;
  return j;
}

class Marcas : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
    ASSERT_TRUE(GerenciadorIdiomas::instancia().selecionarIdioma(QStringLiteral("English")));
  }

  void SetUp() override { marcas->aplicarIdioma(); }

  bool animando() const { return marcas->findChild<QTimer *>()->isActive(); }

  PainelInstrumento painel;
  MarcasJulgamento *marcas = new MarcasJulgamento(&painel);
};

TEST_F(Marcas, EachPieceBadgeSitsOnAPictureItsNoteLights) {
  EXPECT_EQ(marcas->geometry(), painel.rect());
  for (int p = 0; p < numPecasBateria; ++p) {
    const DescricaoPeca &d = descricaoPeca(static_cast<PecaBateria>(p));
    SCOPED_TRACE(d.chave);
    const std::optional<QPoint> lugar = marcas->lugarMarca(static_cast<PecaBateria>(p));
    ASSERT_TRUE(lugar);
    bool naFigura = false;
    for (const MudancaFigura &m : MapaBateria::mudancasAcender(d.nota)) {
      const int i = painel.indiceFigura(QLatin1String(descricaoFigura(m.figura).nome));
      const QRect area = painel.geometriaFigura(i);
      if (!m.visivel || !area.contains(*lugar)) continue;
      const QImage imagem = painel.pixmapFigura(i).toImage();
      naFigura = naFigura || imagem.pixelColor(*lugar - area.topLeft()).alpha() > 0;
    }
    EXPECT_TRUE(naFigura) << lugar->x() << ", " << lugar->y();
  }
}

TEST_F(Marcas, ABadgeLivesUntilItHasFadedAndThenTheTimerStops) {
  EXPECT_FALSE(animando());
  const auto inicio = std::chrono::steady_clock::now();
  marcas->mostrar(julgamento(P::caixa, C::noTempo, 3));
  EXPECT_EQ(marcas->getMarcas(), (Vivas{{P::caixa, C::noTempo}}));
  EXPECT_TRUE(animando());

  ASSERT_TRUE(kovrinta::test::waitFor([&] { return marcas->getMarcas().empty(); }));
  EXPECT_GE(std::chrono::steady_clock::now() - inicio, MarcasJulgamento::tempoVida);
  EXPECT_FALSE(animando());
}

TEST_F(Marcas, ANewJudgementReplacesTheBadgeOfItsPiece) {
  marcas->mostrar(julgamento(P::caixa, C::adiantado, -42));
  marcas->mostrar(julgamento(P::bumbo, C::perdido));
  marcas->mostrar(julgamento(P::caixa, C::atrasado, 40));
  EXPECT_EQ(marcas->getMarcas(), (Vivas{{P::bumbo, C::perdido}, {P::caixa, C::atrasado}}));
}

TEST_F(Marcas, ReadoutShowsThePassShareOnTimeAndMeanOnceJudgingStarts) {
  ResumoPasse passe;
  for (const Julgamento &j :
       {julgamento(P::caixa, C::noTempo, -3), julgamento(P::caixa, C::noTempo, 2),
        julgamento(P::bumbo, C::noTempo, -1), julgamento(P::bumbo, C::adiantado, -14.8),
        julgamento(P::bumbo, C::perdido), julgamento(P::ton1, C::extra)})
    passe.somar(j);
  marcas->setNumeroPasse(3);
  marcas->mostrarPasse(passe);
  EXPECT_EQ(marcas->getTextoLeitura(), QString());

  marcas->mostrar(julgamento(P::ton1, C::extra));
  EXPECT_EQ(marcas->getTextoLeitura(),
            QStringLiteral("Pass 3 · on time 60 %\nmean −4.2 ms (early)"));
}

TEST_F(Marcas, LimparTakesOffTheBadgesAndHidesTheReadout) {
  marcas->mostrar(julgamento(P::prato3, C::atrasado, 50));
  marcas->mostrar(julgamento(P::chimbalFechado, C::noTempo));
  marcas->limpar();
  EXPECT_TRUE(marcas->getMarcas().empty());
  EXPECT_EQ(marcas->getTextoLeitura(), QString());
  EXPECT_FALSE(animando());
}

}  // namespace
