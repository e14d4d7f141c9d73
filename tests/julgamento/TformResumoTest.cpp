// The passes window as the drummer reads it, in English: the latest pass's figures, the
// pieces it had notes of, the last passes side by side, and the hint before any pass.
#include <gtest/gtest.h>

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>
#include <initializer_list>
#include <vector>

#include "config/GerenciadorIdiomas.h"
#include "julgamento/ResumoPasse.h"
#include "julgamento/TformResumo.h"

namespace {

using C = ClasseGolpe;
using P = PecaBateria;

// A pass made of judgements, summed as the judge sums them.
ResumoPasse passe(int numero, std::initializer_list<Julgamento> julgamentos) {
  ResumoPasse resumo;
  resumo.numero = numero;
  for (const Julgamento &j : julgamentos) resumo.somar(j);
  return resumo;
}

class Resumo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
    ASSERT_TRUE(GerenciadorIdiomas::instancia().selecionarIdioma(QStringLiteral("English")));
  }

  void SetUp() override { janela.aplicarIdioma(); }

  static QStringList coluna(const QTableWidget *tabela, int c) {
    QStringList textos;
    for (int linha = 0; linha < tabela->rowCount(); ++linha)
      textos << (tabela->item(linha, c) ? tabela->item(linha, c)->text() : QString());
    return textos;
  }

  TformResumo janela;
};

TEST_F(Resumo, ShowsTheFiguresOfTheLatestPass) {
  const ResumoPasse primeiro = passe(1, {{P::caixa, C::noTempo, 3}, {P::caixa, C::noTempo, 5}});
  const ResumoPasse segundo = passe(2, {{P::caixa, C::noTempo, -2},
                                        {P::caixa, C::adiantado, -50},
                                        {P::bumbo, C::atrasado, 40},
                                        {P::bumbo, C::perdido, 0},
                                        {P::chimbalFechado, C::extra, 0}});
  janela.mostrar({primeiro, segundo}, 35);

  EXPECT_EQ(janela.getGrpPasse()->title(), "Pass 2");
  EXPECT_EQ(janela.getLblPrecisao()->text(), "25 % on time");
  EXPECT_EQ(janela.getLblGolpes()->text(), "4");
  EXPECT_EQ(janela.getLblNoTempo()->text(), "1");
  EXPECT_EQ(janela.getLblAdiantados()->text(), "1");
  EXPECT_EQ(janela.getLblAtrasados()->text(), "1");
  EXPECT_EQ(janela.getLblPerdidos()->text(), "1");
  EXPECT_EQ(janela.getLblExtras()->text(), "1");
  // The offsets -2, -50 and +40: mean -4, sample spread sqrt(4056 / 2).
  EXPECT_EQ(janela.getLblMedia()->text(), QString::fromUtf8("−4.0 ms (early)"));
  EXPECT_EQ(janela.getLblDesvioPadrao()->text(), QString::fromUtf8("±45.0 ms"));
  EXPECT_EQ(janela.getHistograma()->getClasses(), segundo.histograma);
  EXPECT_EQ(janela.getHistograma()->getNoTempoMs(), 35);
}

TEST_F(Resumo, OffsetsCarryTheirSignAndNeverAMinusZero) {
  EXPECT_EQ(TformResumo::formatarDesvio(-3.24), QString::fromUtf8("−3.2 ms"));
  EXPECT_EQ(TformResumo::formatarDesvio(4), "+4.0 ms");
  EXPECT_EQ(TformResumo::formatarDesvio(-0.04), "0.0 ms");
}

TEST_F(Resumo, ListsOnlyThePiecesThePassHadNotesOf) {
  janela.mostrar({passe(1, {{P::caixa, C::noTempo, 1},
                            {P::caixa, C::noTempo, -4},
                            {P::caixa, C::atrasado, 60},
                            {P::bumbo, C::perdido, 0},
                            {P::chimbalFechado, C::extra, 0}})},
                 35);
  const QTableWidget *pecas = janela.getTblPecas();
  EXPECT_EQ(coluna(pecas, 0), QStringList({"Bass drum", "Snare"}));
  EXPECT_EQ(coluna(pecas, 1), QStringList({"1", "3"}));
  EXPECT_EQ(coluna(pecas, 2), QStringList({"0 %", "67 %"}));
}

TEST_F(Resumo, ThePassesTableKeepsTheLastEightTheLatestInBold) {
  std::vector<ResumoPasse> passes;
  for (int n = 1; n <= 10; ++n) {
    // Pass n hits n of 10 notes on time, the rest late by 50 ms.
    ResumoPasse p;
    p.numero = n;
    for (int i = 0; i < 10; ++i)
      p.somar(i < n ? Julgamento{P::caixa, C::noTempo, 0} : Julgamento{P::caixa, C::atrasado, 50});
    passes.push_back(p);
  }
  janela.mostrar(passes, 35);
  const QTableWidget *tabela = janela.getTblPasses();
  QStringList numeros;
  QStringList precisoes;
  for (int c = 1; c < tabela->columnCount(); ++c) {
    numeros << tabela->item(0, c)->text();
    precisoes << tabela->item(1, c)->text();
  }
  EXPECT_EQ(numeros, QStringList({"3", "4", "5", "6", "7", "8", "9", "10"}));
  EXPECT_EQ(precisoes.front(), "30 %");
  EXPECT_EQ(precisoes.back(), "100 %");
  EXPECT_EQ(tabela->item(2, 1)->text(), "+35.0 ms");
  EXPECT_TRUE(tabela->item(0, 8)->font().bold());
  EXPECT_FALSE(tabela->item(0, 7)->font().bold());
}

TEST_F(Resumo, BeforeAnyPassAHintStandsInsteadOfTheFigures) {
  janela.mostrar({passe(1, {{P::caixa, C::noTempo, 0}})}, 35);
  janela.mostrar({}, 35);
  EXPECT_TRUE(janela.getLblSemPasse()->isVisibleTo(&janela));
  EXPECT_FALSE(janela.getGrpPasse()->isVisibleTo(&janela));
  EXPECT_EQ(janela.getLblSemPasse()->text(),
            "No pass yet: play along the song with your kit or the keyboard.");
}

}  // namespace
