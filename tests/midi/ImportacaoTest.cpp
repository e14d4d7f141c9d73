// Turning MIDI files into songs: ticks, drum repairs, channels, tempo markers and failures.
#include <gtest/gtest.h>

#include "ProgramaFalso.h"

using namespace kovrinta::test;

namespace {

class Importacao : public ProgramaFalso {
 protected:
  const Musica &carregar(const std::vector<uint8_t> &bytes) {
    SaidaMIDI::instancia().carregarMusica(arquivo(bytes));
    return *GerenciadorMusica::instancia().getMusicaAtual();
  }
  static std::vector<int> posicoes(const Trilha &t) {
    std::vector<int> p;
    for (const auto &e : t.getEventos()) p.push_back(e->getPosicao());
    return p;
  }
};

TEST_F(Importacao, FileTicksRoundToTheNearestTickWithHalvesGoingUp) {
  // Resolution 96: file ticks 0, 1 and 48 land on ticks 0, 1 and 32.
  const Musica &a = carregar(
      smf(96, {junta({ev(0, {0xB0, 7, 100}), ev(1, {0xB0, 7, 90}), ev(47, {0xB0, 7, 80})})}));
  EXPECT_EQ(posicoes(a.getTrilha(0)), (std::vector<int>{0, 1, 32}));
  // Resolution 384: file tick 3 is exactly half a tick and goes up.
  const Musica &b = carregar(smf(384, {ev(3, {0xB0, 7, 100})}));
  EXPECT_EQ(posicoes(b.getTrilha(0)), std::vector<int>{1});
}

TEST_F(Importacao, ADrumNoteStruckAgainIsReleasedTwoTicksBeforeAndShortNotesLastTwoTicks) {
  const Musica &m = carregar(smf(64, {junta({ev(100, {0x99, 38, 100}), ev(10, {0x99, 38, 90}),
                                             ev(90, {0x99, 42, 80}), ev(1, {0x89, 42, 0})})}));
  const Trilha &t = m.getTrilha(0);
  ASSERT_EQ(t.getEventos().size(), 5u);
  EXPECT_EQ(posicoes(t), (std::vector<int>{100, 108, 110, 200, 202}));
  EXPECT_NE(dynamic_cast<EventoNoteOff *>(t.getEventos()[1].get()), nullptr);
  EXPECT_TRUE(t.isBateria());
  EXPECT_EQ(GerenciadorMusica::instancia().getDuracao(), 201)
      << "the length is taken before the lengthening";
}

// Ticks far out of range are held at the ends of a song's ticks, and the drum repair keeps
// them there instead of running past them.
TEST_F(Importacao, TheDrumRepairStaysWithinTheTicksASongCanHave) {
  constexpr uint32_t kLongest = 0x0FFFFFFF;  // the longest delta a file can hold
  // Nine longest deltas at one tick per quarter: a running time past 2^31 file ticks, which
  // the 32-bit sum makes negative; the note struck twice there is released 2 ticks earlier.
  std::vector<uint8_t> baixo;
  for (int i = 0; i < 9; ++i) {
    const auto e = ev(kLongest, {0xB0, 1, 0});
    baixo.insert(baixo.end(), e.begin(), e.end());
  }
  baixo = junta({baixo, ev(0, {0x99, 38, 90}), ev(0, {0x99, 38, 90})});
  // Seven: far past the last tick, where a note released at once lasts 2 ticks.
  std::vector<uint8_t> alto;
  for (int i = 0; i < 7; ++i) {
    const auto e = ev(kLongest, {0xB0, 1, 0});
    alto.insert(alto.end(), e.begin(), e.end());
  }
  alto = junta({alto, ev(0, {0x99, 40, 90}), ev(0, {0x89, 40, 0})});
  const Musica &m = carregar(smf(1, {baixo, alto}));
  const auto &repetida = m.getTrilha(0).getEventos();
  ASSERT_EQ(repetida.size(), 12u);
  for (std::size_t i = 9; i < 12; ++i) EXPECT_EQ(repetida[i]->getPosicao(), INT32_MIN) << i;
  const auto &curta = m.getTrilha(1).getEventos();
  ASSERT_EQ(curta.size(), 9u);
  EXPECT_EQ(curta[7]->getPosicao(), INT32_MAX);
  EXPECT_EQ(curta[8]->getPosicao(), INT32_MAX);
}

TEST_F(Importacao, WhichChannelNineNotesAreDrumNotes) {
  const Musica &m = carregar(
      smf(64, {
                  junta({ev(0, {0x99, 30, 100}), ev(0, {0x99, 30, 100}), ev(1, {0x89, 30, 0})}),
                  junta({ev(0, {0x99, 60, 100}), ev(0, {0x99, 36, 0}), ev(0, {0xE9, 0, 64})}),
              }));
  const Trilha &baixas = m.getTrilha(0);
  EXPECT_TRUE(baixas.isBateria());
  EXPECT_EQ(posicoes(baixas), (std::vector<int>{0, 0, 1})) << "no repair below note 35";
  EXPECT_NE(dynamic_cast<EventoNoteOn *>(baixas.getEventos()[1].get()), nullptr);

  const Trilha &outras = m.getTrilha(1);
  const auto *alta = dynamic_cast<EventoGenerico *>(outras.getEventos()[0].get());
  ASSERT_NE(alta, nullptr) << "note 60 on channel index 9 is replayed as it is";
  EXPECT_EQ(alta->getCanal(), 9);
  EXPECT_NE(dynamic_cast<EventoNoteOff *>(outras.getEventos()[1].get()), nullptr)
      << "velocity 0 is a note-off";
  const auto *bend = dynamic_cast<EventoGenerico *>(outras.getEventos()[2].get());
  ASSERT_NE(bend, nullptr);
  EXPECT_EQ(bend->getStatus(), 0xE9);
  EXPECT_EQ(bend->getCanal(), 0) << "pitch bend keeps channel 0, so play-along never mutes it";
  EXPECT_EQ(outras.getCanal(), 9);
}

TEST_F(Importacao, ATracksChannelIsThatOfItsFirstSoundingNoteOn) {
  const Musica &m = carregar(
      smf(64, {junta({ev(0, {0x92, 60, 0}), ev(0, {0x92, 62, 70}), ev(0, {0x99, 36, 100})}),
               ev(0, {0xB3, 7, 100})}));
  const Trilha &t = m.getTrilha(0);
  EXPECT_EQ(t.getCanal(), 2);
  const auto *nota = dynamic_cast<EventoGenerico *>(t.getEventos()[1].get());
  ASSERT_NE(nota, nullptr);
  EXPECT_EQ(nota->getCanal(), 2);
  EXPECT_TRUE(t.isBateria());
  EXPECT_EQ(m.getTrilha(1).getCanal(), -1) << "a track without a note-on keeps no channel";
}

TEST_F(Importacao, EveryTempoMarkerCarriesItsOwnTempo) {
  const Musica &m = carregar(smf(
      64, {junta({ev(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20}),
                  ev(64, {0xFF, 0x51, 3, 0x03, 0xD0, 0x90}), ev(64, {0xFF, 0x51, 3, 0, 0, 0})})}));
  std::vector<int> bpms;
  for (const auto &e : m.getTrilha(0).getEventos())
    if (auto *a = dynamic_cast<EventoAndamento *>(e.get())) bpms.push_back(a->getBpm());
  EXPECT_EQ(bpms, (std::vector<int>{120, 240, -1}));
}

// The first track's signatures become the song's bars at their ticks; other tracks' do not.
TEST_F(Importacao, TheFirstTracksTimeSignaturesBecomeTheSongsBars) {
  const Musica &m = carregar(
      smf(96, {junta({ev(0, {0xFF, 0x58, 4, 6, 3, 24, 8}), ev(576, {0xFF, 0x58, 4, 7, 3, 24, 8})}),
               junta({ev(0, {0xFF, 0x58, 4, 5, 2, 24, 8}), ev(0, {0x99, 36, 100})})}));
  EXPECT_EQ(m.getCompassos().getFormulas(), (std::vector<FormulaCompasso>{{0, 6, 8}, {384, 7, 8}}));
  EXPECT_EQ(m.getTrilha(0).getEventos().size(), 0u) << "a signature is no event to play";
  EXPECT_EQ(carregar(smf(96, {ev(0, {0x99, 36, 100})})).getCompassos().getFormulas(),
            (std::vector<FormulaCompasso>{{0, 4, 4}}));
}

TEST_F(Importacao, LengthBeatsAndEmptyTracks) {
  carregar(smf(64, {{}, ev(640, {0x99, 36, 100}), {}}));
  const GerenciadorMusica &g = GerenciadorMusica::instancia();
  EXPECT_EQ(g.getDuracao(), 640);
  EXPECT_EQ(g.getNumTempos(), 11);
  ASSERT_EQ(g.getMusicaAtual()->getNumTrilhas(), 3);
  EXPECT_TRUE(g.getMusicaAtual()->getTrilha(0).getEventos().empty());
  EXPECT_TRUE(SaidaMIDI::instancia().isArquivoAberto());
  carregar(smf(64, {ev(63, {0x99, 36, 100})}));
  EXPECT_EQ(g.getNumTempos(), 1);
}

TEST_F(Importacao, AFailedLoadLeavesThePreviousSongCurrentAndNoFileOpen) {
  const Musica *anterior = &carregar(smf(64, {ev(0, {0x99, 36, 100})}));
  EXPECT_THROW(SaidaMIDI::instancia().carregarMusica(pasta.filePath("missing.mid")),
               ErroArquivoMidi);
  EXPECT_EQ(GerenciadorMusica::instancia().getMusicaAtual(), anterior);
  EXPECT_FALSE(SaidaMIDI::instancia().isArquivoAberto());

  EXPECT_THROW(
      SaidaMIDI::instancia().carregarMusica(arquivo(smf(0, {ev(0, {0x99, 36, 1})}), "zero.mid")),
      ErroArquivoMidi);
  EXPECT_EQ(GerenciadorMusica::instancia().getMusicaAtual(), anterior);
  EXPECT_FALSE(SaidaMIDI::instancia().isArquivoAberto());
}

TEST_F(Importacao, ATimeCodeFilePlaysInRealTimeWhateverTempoItStates) {
  // 25 frames of 40 ticks: 1000 file ticks per second, 500 per quarter note at 120 BPM. The
  // file's Set Tempo of 666666 us would play the note due at 0.5 s at 0.667 s.
  const uint16_t divisao = static_cast<uint16_t>((0x100 - 25) << 8 | 40);
  const Musica &m = carregar(
      smf(divisao, {junta({ev(0, {0xFF, 0x51, 3, 0x0A, 0x2C, 0x2A}), ev(500, {0x99, 36, 100})})}));
  const Trilha &trilha = m.getTrilha(0);
  ASSERT_EQ(trilha.getEventos().size(), 2u) << "one marker of 120 BPM, then the note";
  const auto *marcador = dynamic_cast<const EventoAndamento *>(trilha.getEventos()[0].get());
  ASSERT_NE(marcador, nullptr);
  EXPECT_EQ(marcador->getPosicao(), 0);
  EXPECT_EQ(marcador->getMicrossegundos(), 500000);
  EXPECT_EQ(posicoes(trilha), (std::vector<int>{0, 64}));
  ASSERT_EQ(m.getMarcadores().size(), 1u) << "the file's own tempo is left out";
}

TEST_F(Importacao, EveryTempoMarkerKeepsTheFilesExactTempo) {
  // 138 BPM is 434783 us per quarter note (137.99 BPM): the marker keeps the microseconds.
  const Musica &m = carregar(smf(96, {junta({ev(0, {0xFF, 0x51, 3, 0x06, 0xA2, 0x5F}),
                                             ev(96, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20})})}));
  ASSERT_EQ(m.getMarcadores().size(), 2u);
  EXPECT_EQ(m.getMarcadores()[0]->getMicrossegundos(), 434783);
  EXPECT_EQ(m.getMarcadores()[0]->getBpm(), 137);
  EXPECT_EQ(m.getMarcadores()[1]->getMicrossegundos(), 500000);
  EXPECT_EQ(m.getMarcadores()[1]->getPosicao(), 64);
}

TEST_F(Importacao, LoadingAgainStopsPlaybackAndResetsTheDevice) {
  carregar(smf(64, {ev(0, {0x99, 36, 100})}));
  Sequenciador::instancia().setPosicao(300);
  fake->reset();
  carregar(smf(64, {ev(0, {0x99, 36, 100})}));
  EXPECT_EQ(Sequenciador::instancia().getPosicao(), 0);
  EXPECT_EQ(calls(),
            "ResetMidiOut 100\nFlushMidiOut 100\nSetResolution 100 64\nResetMidiOut 100\n"
            "FlushMidiOut 100\n");
}

}  // namespace
