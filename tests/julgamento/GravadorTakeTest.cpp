// The take saved as a Standard MIDI File and opened again by the program like any song.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <string>
#include <vector>

#include "ProgramaFalso.h"
#include "julgamento/GravadorTake.h"

using namespace kovrinta::test;

namespace {

class GravadorTakeArquivo : public ProgramaFalso {
 protected:
  QString caminho(const QString &nome) const { return QDir(pasta.path()).filePath(nome); }
};

// A track's events as the program holds them, one line each.
std::vector<std::string> eventos(const Trilha &trilha) {
  std::vector<std::string> linhas;
  for (const auto &e : trilha.getEventos()) {
    std::string linha = std::to_string(e->getPosicao()) + " ";
    if (const auto *on = dynamic_cast<const EventoNoteOn *>(e.get()))
      linha += "on " + std::to_string(on->getNota()) + " " + std::to_string(on->getVelocidade());
    else if (const auto *off = dynamic_cast<const EventoNoteOff *>(e.get()))
      linha += "off " + std::to_string(off->getNota());
    else if (const auto *g = dynamic_cast<const EventoGenerico *>(e.get()))
      linha += "msg " + std::to_string(g->getStatus()) + " " + std::to_string(g->getDado1()) + " " +
               std::to_string(g->getDado2());
    else if (const auto *a = dynamic_cast<const EventoAndamento *>(e.get()))
      linha += "tempo " + std::to_string(a->getMicrossegundos());
    linhas.push_back(linha);
  }
  return linhas;
}

std::vector<std::vector<std::string>> trilhasDaMusica() {
  const Musica &musica = *GerenciadorMusica::instancia().getMusicaAtual();
  std::vector<std::vector<std::string>> trilhas;
  for (int i = 0; i < musica.getNumTrilhas(); ++i) trilhas.push_back(eventos(musica.getTrilha(i)));
  return trilhas;
}

// Tempo 600000 us per quarter note (100 beats per minute) and 3/4, then a piano note.
std::vector<uint8_t> cancaoValsa() {
  return smf(
      96, {junta({ev(0, {0xFF, 0x51, 3, 0x09, 0x27, 0xC0}), ev(0, {0xFF, 0x58, 4, 3, 2, 24, 8})}),
           junta({ev(0, {0x90, 60, 80}), ev(96, {0x80, 60, 0})})});
}

TEST_F(GravadorTakeArquivo, TheTakeAloneReadsBackAtItsTicksWithTheSongsTempoAndBars) {
  SaidaMIDI::instancia().carregarMusica(arquivo(cancaoValsa()));
  GravadorTake take;
  take.adicionar(65, 38, 90);
  take.adicionar(1, 36, 100);
  take.adicionar(200, 38, 127);
  take.adicionar(1, 42, 70);
  take.adicionar(71, 38, 60);
  std::vector<int> ticks;
  for (const GolpeTake &g : take.getGolpes()) ticks.push_back(g.tick);
  EXPECT_EQ(ticks, (std::vector<int>{1, 1, 65, 71, 200}));
  EXPECT_EQ(take.getGolpes()[0].nota, 36) << "hits of one tick stay in the order they came";

  take.salvar(caminho("take.mid"), ModoTake::soTake, 0);
  SaidaMIDI::instancia().carregarMusica(caminho("take.mid"));

  // Odd ticks survive the division the library writes; a note lasts a sixteenth, or until it
  // is struck again.
  const std::vector<std::vector<std::string>> esperado = {
      {"0 tempo 600000"},
      {"1 on 36 100", "1 on 42 70", "17 off 36", "17 off 42", "65 on 38 90", "71 off 38",
       "71 on 38 60", "87 off 38", "200 on 38 127", "216 off 38"}};
  EXPECT_EQ(trilhasDaMusica(), esperado);
  const Musica &musica = *GerenciadorMusica::instancia().getMusicaAtual();
  EXPECT_EQ(musica.getCompassos().getFormulas(), (std::vector<FormulaCompasso>{{0, 3, 4}}));
  EXPECT_EQ(musica.getTrilha(1).getCanal(), 9);
}

TEST_F(GravadorTakeArquivo, ReplacingTheKitsTrackKeepsEveryOtherEventAndTheTrackNames) {
  const auto nome = [](const std::string &texto) {
    std::vector<uint8_t> b = {0, 0xFF, 0x03, static_cast<uint8_t>(texto.size())};
    b.insert(b.end(), texto.begin(), texto.end());
    return b;
  };
  const std::vector<uint8_t> cancao = smf(
      96, {junta({ev(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20}), ev(0, {0xFF, 0x58, 4, 6, 3, 24, 8})}),
           junta({nome("Drums"), ev(0, {0xC9, 25}), ev(0, {0xB9, 7, 100}), ev(0, {0x99, 36, 64}),
                  ev(48, {0x89, 36, 0}), ev(48, {0x99, 38, 64}), ev(48, {0x89, 38, 0})}),
           junta({nome("Bass"), ev(0, {0xB0, 10, 40}), ev(0, {0x90, 40, 80}),
                  ev(192, {0x80, 40, 0})})});
  SaidaMIDI::instancia().carregarMusica(arquivo(cancao));
  std::vector<std::vector<std::string>> esperado = trilhasDaMusica();
  GravadorTake take;
  take.adicionar(3, 38, 100);
  take.adicionar(130, 36, 80);

  take.salvar(caminho("com take.mid"), ModoTake::substituirBateria, 1);
  SaidaMIDI::instancia().carregarMusica(caminho("com take.mid"));

  esperado[1] = {"0 msg 201 25 0", "0 msg 185 7 100", "3 on 38 100",
                 "19 off 38",      "130 on 36 80",    "146 off 36"};
  EXPECT_EQ(trilhasDaMusica(), esperado);
  EXPECT_EQ(GerenciadorMusica::instancia().getMusicaAtual()->getCompassos().getFormulas(),
            (std::vector<FormulaCompasso>{{0, 6, 8}}));
  EXPECT_EQ(SaidaMIDI::instancia().getNomeTrilha(1), QString("Drums"));
  EXPECT_EQ(SaidaMIDI::instancia().getNomeTrilha(2), QString("Bass"));
}

TEST_F(GravadorTakeArquivo, ReplacingTheDrumsOfEveryTrackAddsTheTakeAsATrackOfItsOwn) {
  // One track: tempo, a piano note and a kick on the kit's channel.
  SaidaMIDI::instancia().carregarMusica(
      arquivo(smf(96,
                  {junta({ev(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20}), ev(0, {0x90, 60, 80}),
                          ev(0, {0x99, 36, 90}), ev(48, {0x89, 36, 0}), ev(48, {0x80, 60, 0})})},
                  0)));
  GravadorTake take;
  take.adicionar(5, 42, 33);

  take.salvar(caminho("todas.mid"), ModoTake::substituirBateria, -1);
  SaidaMIDI::instancia().carregarMusica(caminho("todas.mid"));

  const std::vector<std::vector<std::string>> esperado = {
      {"0 tempo 500000", "0 msg 144 60 80", "64 msg 128 60 0"}, {"5 on 42 33", "21 off 42"}};
  EXPECT_EQ(trilhasDaMusica(), esperado);
}

TEST_F(GravadorTakeArquivo, AFileThatCannotBeWrittenThrowsAndLeavesNoFileBehind) {
  GravadorTake take;
  take.adicionar(0, 36, 100);
  const QString semPasta = caminho("missing/take.mid");
  EXPECT_THROW(take.salvar(semPasta, ModoTake::soTake, -1), std::runtime_error);
  EXPECT_FALSE(QFileInfo::exists(semPasta));

  // A folder holds the name: the file is complete before the rename fails, and is removed.
  ASSERT_TRUE(QDir(pasta.path()).mkdir("taken.mid"));
  EXPECT_THROW(take.salvar(caminho("taken.mid"), ModoTake::soTake, -1), std::runtime_error);
  EXPECT_EQ(QDir(pasta.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"taken.mid"});
}

}  // namespace
