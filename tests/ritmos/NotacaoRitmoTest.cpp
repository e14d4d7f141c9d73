// The tool that writes a groove's MIDI file: where it places swung, triplet and flam
// strokes, which notes the bass degrees and chords become, and the grooves it refuses.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "MusicaImpressa.h"

using namespace kovrinta::test;

namespace {

struct Resultado {
  int codigo = -1;
  QString erros;
};

class NotacaoRitmo : public ::testing::Test {
 protected:
  // Writes texto as pasta/nome.groove and runs the tool on it into pasta/nome.mid.
  Resultado converter(const QString &nome, const QByteArray &texto) {
    QFile fonte(pasta.filePath(nome + ".groove"));
    EXPECT_TRUE(fonte.open(QIODevice::WriteOnly));
    fonte.write(texto);
    fonte.close();
    QProcess ferramenta;
    ferramenta.start(KOVRINTA_PYTHON3, {"-B", KOVRINTA_GROOVE_TOOL, fonte.fileName(), saida(nome)});
    EXPECT_TRUE(ferramenta.waitForFinished(30000));
    return {ferramenta.exitCode(), QString::fromUtf8(ferramenta.readAllStandardError())};
  }
  QString saida(const QString &nome) const { return pasta.filePath(nome + ".mid"); }

  QTemporaryDir pasta;
};

// Eight bars of C and F; bar 1 is pattern A, the rest pattern T in triplets.
const QByteArray cabecalho =
    "title Test\n"
    "tempo 120\n"
    "meter 4/4\n"
    "count-in clave\n"
    "swing 8th 62\n"
    "bass finger-bass\n"
    "chords piano\n";
const QByteArray padroes =
    "groove A\n"
    "  crash | X--- ---- ---- ---- |\n"
    "  hh    | --x- x-x- x-x- x-x- |\n"
    "  snare | ---- F--- ---- X--- |\n"
    "  kick  | X--- ---- ---- ---- |\n"
    "  bass  | 1___ 5___ 3___ a___ |\n"
    "  chord | X___ ____ ____ ____ |\n"
    "groove T\n"
    "  ride  | x-x x-x x-x x-x |\n"
    "  bass  | 1__ ___ ___ ___ |\n"
    "  chord | x__ ___ ___ ___ |\n";
const QByteArray forma =
    "form\n"
    "  A | C |\n"
    "  T | F |\n"
    "  T | C |\n"
    "  T | F |\n"
    "  T | C |\n"
    "  T | F |\n"
    "  T | C |\n"
    "  T | F |\n";

// Ticks of one note-on of note (or of a generic note-on) in the first track that has it.
std::vector<int> posicoes(const MusicaImpressa &m, int nota, int de, int ate) {
  std::vector<int> p;
  for (const TrilhaImpressa &t : m.trilhas)
    for (const EventoImpresso &e : t.eventos)
      if (e.soaNota() && e.notaSoada() == nota && e.posicao >= de && e.posicao < ate)
        p.push_back(e.posicao);
  return p;
}

TEST_F(NotacaoRitmo, PlacesSwungTripletAndFlamStrokesAndCountsIn) {
  const Resultado r = converter("test-120", cabecalho + padroes + forma);
  ASSERT_EQ(r.codigo, 0) << r.erros.toStdString();
  const MusicaImpressa m = importar(saida("test-120"));
  const int bar1 = 256;  // after the count-in, at 64 ticks a quarter

  EXPECT_EQ(posicoes(m, 75, 0, bar1), (std::vector<int>{0, 64, 128, 192})) << "claves";
  // The and of each beat comes 62% of the way through it (40 of 64 ticks), not at 32.
  EXPECT_EQ(posicoes(m, 42, bar1, bar1 + 128),
            (std::vector<int>{bar1 + 40, bar1 + 64, bar1 + 104}));
  // Triplets are not swung again: a third of a beat apart (21.3 ticks, rounded).
  EXPECT_EQ(posicoes(m, 51, 2 * bar1, 2 * bar1 + 64), (std::vector<int>{2 * bar1, 2 * bar1 + 43}));

  // The flam on 2: a soft grace note just before the stroke.
  const std::vector<int> caixa = posicoes(m, 38, bar1, bar1 + 256);
  ASSERT_EQ(caixa.size(), 3u);
  EXPECT_GE(caixa[0], bar1 + 64 - 4);
  EXPECT_LT(caixa[0], bar1 + 64);
  EXPECT_EQ(caixa[1], bar1 + 64);
  std::vector<int> velocidades;
  for (const EventoImpresso &e : m.trilhas[1].eventos)
    if (e.tipo == EventoImpresso::Tipo::NoteOn && e.nota == 38) velocidades.push_back(e.velocidade);
  ASSERT_GE(velocidades.size(), 2u);
  EXPECT_LT(velocidades[0] * 2, velocidades[1]) << "the grace note is much softer";
}

TEST_F(NotacaoRitmo, BassDegreesAndChordsFollowTheFormsChords) {
  const Resultado r = converter("test-120", cabecalho + padroes + forma);
  ASSERT_EQ(r.codigo, 0) << r.erros.toStdString();
  const MusicaImpressa m = importar(saida("test-120"));
  const auto notas = [&](int trilha, int de, int ate) {
    std::vector<int> n;
    for (const EventoImpresso &e : m.trilhas[static_cast<std::size_t>(trilha)].eventos)
      if (e.soaNota() && e.posicao >= de && e.posicao < ate) n.push_back(e.notaSoada());
    return n;
  };
  // Over C: root C2, fifth G2, third E2, then a semitone below the F that follows.
  EXPECT_EQ(notas(2, 256, 512), (std::vector<int>{36, 43, 40, 40}));
  EXPECT_EQ(notas(2, 512, 768), (std::vector<int>{41})) << "the root of F";
  // C major in close position above F3: G3 C4 E4; then F major: F3 A3 C4.
  std::vector<int> c = notas(3, 256, 512);
  std::vector<int> f = notas(3, 512, 768);
  std::sort(c.begin(), c.end());
  std::sort(f.begin(), f.end());
  EXPECT_EQ(c, (std::vector<int>{55, 60, 64}));
  EXPECT_EQ(f, (std::vector<int>{53, 57, 60}));
}

TEST_F(NotacaoRitmo, RefusesAGrooveADrummerCouldNotHaveMeantAndNamesTheLine) {
  struct Caso {
    const char *defeito;
    QString nome;
    QByteArray texto;
    const char *mensagem;
  };
  QByteArray aberto = padroes;
  aberto.replace("  hh    | --x- x-x- x-x- x-x- |", "  hh    | --x- x-x- x-x- x-o- |");
  QByteArray semPrato = padroes + "fill F\n  snare | xxxx xxxx xxxx xxxx |\n";
  QByteArray formaComVirada = forma;
  formaComVirada.replace("  T | C |\n  T | F |\n", "  F | C |\n  T | F |\n");
  QByteArray passos = padroes;
  passos.replace("  kick  | X--- ---- ---- ---- |", "  kick  | X--- ---- ---- --- |");
  QByteArray flam = padroes;
  flam.replace("  snare | ---- F--- ---- X--- |", "  snare | F--- F--- ---- X--- |");
  QByteArray curta = forma;
  curta.chop(QByteArray("  T | F |\n").size());
  const std::vector<Caso> casos = {
      {"an open hi-hat never closed", "test-120", cabecalho + aberto + forma, ":10: the hi-hat"},
      {"a fill with no crash after it", "test-120", cabecalho + semPrato + formaComVirada,
       "needs a crash"},
      {"a bar of 15 sixteenths", "test-120", cabecalho + passos + forma,
       ":12: 'kick' bar 1: 15 steps"},
      {"a flam whose grace note falls into the count-in", "test-120", cabecalho + flam + forma,
       "falls into the count-in"},
      {"seven bars", "test-120", cabecalho + padroes + curta, "a groove has 8 to 16"},
      {"a name whose tempo is not the header's", "test-100", cabecalho + padroes + forma,
       "the style and the tempo"},
      {"an unknown chord", "test-120", cabecalho + padroes + forma + "  T | H7 |\n",
       "unknown chord 'H7'"},
  };
  for (const Caso &caso : casos) {
    SCOPED_TRACE(caso.defeito);
    QFile::remove(saida(caso.nome));
    const Resultado r = converter(caso.nome, caso.texto);
    EXPECT_EQ(r.codigo, 1);
    EXPECT_TRUE(r.erros.startsWith("groove2smf: " + pasta.filePath(caso.nome + ".groove") + ":"))
        << r.erros.toStdString();
    EXPECT_TRUE(r.erros.contains(caso.mensagem)) << r.erros.toStdString();
    EXPECT_FALSE(QFile::exists(saida(caso.nome))) << "a refused groove leaves no file";
  }
}

}  // namespace
