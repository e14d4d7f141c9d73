// The built rhythm folder: one file per groove source, and each file imports as a song a
// drummer can use: a count-in bar, then 8 to 16 bars, the drums on channel 10 with real
// dynamics, a bass and a chord part with their sounds, the tempo its name says.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <set>

#include "MusicaImpressa.h"
#include "PastaRitmos.h"

using namespace kovrinta::test;

namespace {

constexpr int canalBateria = 9;
// Closed hi-hat, side stick and claves: the sounds of a count-in.
const std::set<int> notasContagem = {42, 37, 75};

QStringList semExtensao(QStringList arquivos) {
  for (QString &a : arquivos) a = a.section('.', 0, 0);
  arquivos.sort();
  return arquivos;
}

TEST(PastaRitmos, HoldsTheFileOfEveryGrooveSourceAndNoOther) {
  QStringList nomes = nomesRitmos();
  nomes.sort();
  EXPECT_GE(nomes.size(), 24);
  const QStringList fontes =
      semExtensao(QDir(KOVRINTA_GROOVE_SOURCES).entryList({"*.groove"}, QDir::Files));
  EXPECT_EQ(fontes, nomes) << "every groove source must be listed in KOVRINTA_GROOVES";
  const QStringList construidos =
      semExtensao(QDir(pastaRitmos()).entryList({"*.mid"}, QDir::Files));
  EXPECT_EQ(construidos, nomes);
  const QRegularExpression estiloAndamento("^[a-z0-9]+(-[a-z0-9]+)*-[0-9]+$");
  for (const QString &nome : nomes)
    EXPECT_TRUE(estiloAndamento.match(nome).hasMatch()) << nome.toStdString();
}

// The checks of one groove, each failure naming the groove.
void verificarRitmo(const QString &nome) {
  SCOPED_TRACE(nome.toStdString());
  const QString arquivo = arquivoRitmo(nome);
  MusicaImpressa musica;
  Compasso compasso;
  try {
    musica = importar(arquivo);
    compasso = lerCompasso(arquivo);
  } catch (const std::exception &e) {
    ADD_FAILURE() << e.what();
    return;
  }
  const int barra = compasso.ticks();

  // Length: the count-in bar, then 8 to 16 bars, every note released within the last.
  const int compassos = (musica.duracao + barra - 1) / barra;
  EXPECT_GE(compassos, 1 + 8);
  EXPECT_LE(compassos, 1 + 16);

  // The tempo of the name, at the start.
  EXPECT_EQ(musica.andamento(), nome.section('-', -1).toInt());

  int trilhasBateria = 0;
  int partesHarmonia = 0;
  for (std::size_t t = 0; t < musica.trilhas.size(); ++t) {
    SCOPED_TRACE("track " + std::to_string(t));
    const TrilhaImpressa &trilha = musica.trilhas[t];
    bool temNotas = false;
    bool temPrograma = false;
    for (const EventoImpresso &e : trilha.eventos) {
      temNotas = temNotas || e.soaNota();
      if (e.tipo == EventoImpresso::Tipo::Generico && (e.status & 0xF0) == 0xC0 && e.posicao == 0)
        temPrograma = true;
    }
    if (!temNotas) continue;
    if (trilha.bateria) {
      ++trilhasBateria;
      EXPECT_EQ(trilha.canal, canalBateria);
      std::set<int> velocidades;
      for (const EventoImpresso &e : trilha.eventos) {
        EXPECT_EQ(e.canal, canalBateria);
        if (e.tipo == EventoImpresso::Tipo::NoteOn && e.posicao >= barra)
          velocidades.insert(e.velocidade);
      }
      ASSERT_FALSE(velocidades.empty());
      EXPECT_GE(*velocidades.rbegin(), 110) << "no accents";
      EXPECT_GE(*velocidades.rbegin() - *velocidades.begin(), 40) << "no soft strokes";
    } else {
      ++partesHarmonia;
      EXPECT_NE(trilha.canal, canalBateria);
      EXPECT_TRUE(temPrograma) << "a part without a program change";
    }

    // The count-in bar: only count-in strokes on the drum channel, on the one first.
    int contagem = 0;
    for (const EventoImpresso &e : trilha.eventos) {
      if (!e.soaNota() || e.posicao >= barra) continue;
      EXPECT_EQ(e.canal, canalBateria) << "a part plays in the count-in bar";
      EXPECT_TRUE(notasContagem.count(e.notaSoada()))
          << "note " << e.notaSoada() << " at tick " << e.posicao << " in the count-in bar";
      if (contagem++ == 0) {
        EXPECT_EQ(e.posicao, 0);
      }
    }
    if (trilha.bateria) {
      EXPECT_GE(contagem, std::min(compasso.numerador, 4));
    }
  }
  EXPECT_EQ(trilhasBateria, 1);
  EXPECT_EQ(partesHarmonia, 2) << "a bass and a chord part";
}

TEST(PastaRitmos, EveryGrooveImportsWithACountInBarDrumsOnChannelTenAndTwoParts) {
  const QStringList nomes = nomesRitmos();
  ASSERT_FALSE(nomes.isEmpty());
  for (const QString &nome : nomes) verificarRitmo(nome);
}

}  // namespace
