// What the song's events send, how a track finds them by tick, and silencing a track.
#include <gtest/gtest.h>

#include "ProgramaFalso.h"
#include "playback/AcessoGui.h"
#include "playback/VisorReproducao.h"

using kovrinta::test::ProgramaFalso;

namespace {

class Eventos : public ProgramaFalso {};

TEST_F(Eventos, NotesGoOutAsNoteOnsAndANoteOffIsANoteOnOfVelocityZero) {
  EventoNoteOff(0, 9, 38).executar();
  EventoNoteOn(0, 9, 36, 100).executar();
  EventoGenerico(0, 0xE9, 0, 5, 64).executar();
  EventoGenerico(0, 0xC3, 3, 17, 0).executar();
  EXPECT_EQ(calls(),
            "PutMidiOut 100 0 153 38 0\nPutMidiOut 100 0 153 36 100\nPutMidiOut 100 0 233 5 64\n"
            "PutMidiOut 100 0 195 17 0\n");
}

TEST_F(Eventos, OnlyMelodicNotesTranspose) {
  EventoNoteOn drum(0, 9, 38, 90);
  EventoNoteOff melodic(0, 3, 60);
  drum.transpor(2);
  melodic.transpor(2);
  EXPECT_EQ(drum.getNota(), 38);
  EXPECT_EQ(melodic.getNota(), 62);
}

struct VisorGravador : VisorReproducao {
  std::vector<int> andamentos;
  int avancos = 0;
  void exibirAndamento(int bpm) override { andamentos.push_back(bpm); }
  void avancarTempo() override { ++avancos; }
};

TEST_F(Eventos, ATempoEventShowsThenSetsTheTempoAndNoTempoChangesNothing) {
  VisorGravador visor;
  AcessoGui::instancia().setVisor(&visor);
  Sequenciador::instancia().setAndamento(120);
  fake->reset();
  EventoAndamento(0, 0, 250).executar();
  EXPECT_EQ(Sequenciador::instancia().getAndamento(), 250);
  EXPECT_EQ(visor.andamentos, std::vector<int>{250});
  EXPECT_EQ(calls(), "VxSetSyncPeriod 100 937500 250 0\n")
      << "a tempo event sends nothing to the device";
  fake->reset();
  // A file's tempo keeps its microseconds: 434783 us is 137.99 BPM, shown as 137.
  EventoAndamento(0, 0, 137, 434783).executar();
  EXPECT_EQ(Sequenciador::instancia().getAndamento(), 137);
  EXPECT_EQ(visor.andamentos.back(), 137);
  EXPECT_EQ(calls(), "VxSetSyncPeriod 100 434783 64 0\n");
  EventoAndamento(0, 0, -1).executar();
  EventoAndamento(0, 0, 0).executar();
  EXPECT_EQ(Sequenciador::instancia().getAndamento(), 137);
  EXPECT_EQ(visor.andamentos.size(), 2u);
  AcessoGui::instancia().setVisor(nullptr);
}

TEST(Trilha, EventsAtATickComeInTheOrderTheyWereAdded) {
  Trilha trilha;
  trilha.adicionarEvento(new EventoNoteOn(10, 9, 36, 1));
  trilha.adicionarEvento(new EventoNoteOn(11, 9, 38, 1));
  trilha.adicionarEvento(new EventoNoteOff(10, 9, 36));
  trilha.adicionarEvento(new EventoNoteOff(8, 9, 42));  // earlier tick added later
  const auto em10 = trilha.eventosEm(10);
  ASSERT_EQ(em10.size(), 2u);
  EXPECT_NE(dynamic_cast<EventoNoteOn *>(em10[0]), nullptr);
  EXPECT_NE(dynamic_cast<EventoNoteOff *>(em10[1]), nullptr);
  EXPECT_EQ(trilha.eventosEm(8).size(), 1u);
  EXPECT_TRUE(trilha.eventosEm(9).empty());
  EXPECT_TRUE(trilha.eventosEm(-1).empty());
  trilha.adicionarEvento(new EventoGenerico(10, 0xB9, 9, 7, 1));
  EXPECT_EQ(trilha.eventosEm(10).size(), 3u) << "the index follows a later addition";
}

TEST(MusicaIndices, OutOfRangeRaises) {
  Musica musica;
  musica.adicionarTrilha(new Trilha);
  EXPECT_NO_THROW(musica.eventosEm(0, 0));
  EXPECT_THROW(musica.getTrilha(1), std::out_of_range);
  EXPECT_THROW(musica.eventosEm(0, -1), std::out_of_range);
}

class Silenciar : public ProgramaFalso {};

TEST_F(Silenciar, AOneTrackSongResetsTheDeviceAndItsControllers) {
  auto *musica = new Musica;
  musica->adicionarTrilha(new Trilha);
  GerenciadorMusica::instancia().setMusicaAtual(musica);
  fake->reset();
  GerenciadorMusica::instancia().silenciarTrilha(0);
  std::string expected = "ResetMidiOut 100\n";
  for (int c = 0; c < 16; ++c)
    expected += "PutMidiOut 100 0 " + std::to_string(0xB0 + c) + " 121 0\n";
  EXPECT_EQ(calls(), expected);
}

TEST_F(Silenciar, ATrackWithAChannelGets128NoteOffsAndOneWithoutGetsNothing) {
  auto *musica = new Musica;
  auto *comCanal = new Trilha;
  comCanal->setCanal(3);
  musica->adicionarTrilha(comCanal);
  musica->adicionarTrilha(new Trilha);
  GerenciadorMusica::instancia().setMusicaAtual(musica);
  fake->reset();
  GerenciadorMusica::instancia().silenciarTrilha(1);
  EXPECT_EQ(calls(), "");
  GerenciadorMusica::instancia().silenciarTrilha(0);
  std::string expected;
  for (int n = 0; n < 128; ++n) expected += "PutMidiOut 100 0 147 " + std::to_string(n) + " 0\n";
  EXPECT_EQ(calls(), expected);
}

}  // namespace
