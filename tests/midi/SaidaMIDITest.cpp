// The output facade's bytes, its device list and its file queries.
#include <gtest/gtest.h>

#include "ProgramaFalso.h"

using namespace kovrinta::test;

namespace {

class Saida : public ProgramaFalso {};

std::string puts(std::initializer_list<std::array<int, 3>> mensagens) {
  std::string s;
  for (const auto &m : mensagens)
    s += "PutMidiOut 100 0 " + std::to_string(m[0]) + " " + std::to_string(m[1]) + " " +
         std::to_string(m[2]) + "\n";
  return s;
}

TEST_F(Saida, NotesProgramsAndTheDrumProgram) {
  SaidaMIDI &s = SaidaMIDI::instancia();
  s.enviarNoteOff(9, 42);
  s.enviarNoteOn(0, 100, 60);
  s.setPrograma(2, 128);
  s.setPrograma(2, 5);
  s.enviarProgramaBateria();
  EXPECT_EQ(calls(),
            puts({{0x99, 42, 0}, {0x90, 60, 100}, {0xB2, 0, 0}, {0xC2, 5, 0}, {0xC9, 0, 0}}));
}

TEST_F(Saida, MasterVolumeGoesToAllSixteenChannelsLimitedTo100Percent) {
  SaidaMIDI &s = SaidaMIDI::instancia();
  for (auto [percent, valor] : {std::pair{50, 63}, {127, 127}, {1, 1}, {-5, 0}}) {
    fake->reset();
    s.setVolume(percent);
    std::string expected;
    for (int c = 0; c < 16; ++c)
      expected +=
          "PutMidiOut 100 0 " + std::to_string(0xB0 + c) + " 7 " + std::to_string(valor) + "\n";
    EXPECT_EQ(calls(), expected) << percent << "%";
  }
}

TEST_F(Saida, ResetAllControllersIsSixteenMessagesInChannelOrder) {
  SaidaMIDI::instancia().resetarControladores();
  std::string expected;
  for (int c = 0; c < 16; ++c)
    expected += "PutMidiOut 100 0 " + std::to_string(0xB0 + c) + " 121 0\n";
  EXPECT_EQ(calls(), expected);
}

TEST_F(Saida, DevicesAreListedAsTheyAreNumbered) {
  const QStringList nomes = SaidaMIDI::instancia().listarDispositivos();
  EXPECT_EQ(nomes, (QStringList{"Fake output 0", "Fake output 1", "Fake output 2"}));
  fake->reset();
  EXPECT_TRUE(SaidaMIDI::instancia().abrirDispositivo(2));
  EXPECT_EQ(calls(),
            "ResetMidiOut 100\nCloseMidiOut 100\nGetMidiOutDescription 2\n"
            "OpenMidiOut 2 0 78624\n");
  fake->setOpenResult(0);
  EXPECT_FALSE(SaidaMIDI::instancia().abrirDispositivo(1));
  fake->reset();
  SaidaMIDI::instancia().enviarNoteOn(9, 1, 36);
  EXPECT_EQ(calls(), "") << "with no device open a message is dropped";
  fake->reset();
  EXPECT_TRUE(SaidaMIDI::instancia().abrirDispositivo(0));
}

TEST_F(Saida, TrackNamesAreCutTo99BytesAndAFileWithoutTempoAnswersMinusOne) {
  std::vector<uint8_t> nome = junta({{0, 0xFF, 0x03}, vlq(150)});
  for (int i = 0; i < 150; ++i) nome.push_back(static_cast<uint8_t>('a' + i % 26));
  std::vector<uint8_t> acentuado =
      junta({ev(0, {0xFF, 0x03, 7}), {'B', 'a', 't', 0xC3, 0xA9, 'r', 'a'}});
  SaidaMIDI::instancia().carregarMusica(arquivo(smf(96, {nome, acentuado, ev(0, {0x99, 36, 9})})));
  EXPECT_EQ(SaidaMIDI::instancia().getNomeTrilha(0).size(), 99);
  EXPECT_EQ(SaidaMIDI::instancia().getNomeTrilha(1), QString::fromUtf8("Batéra"));
  EXPECT_TRUE(SaidaMIDI::instancia().getNomeTrilha(2).isEmpty());
  EXPECT_EQ(SaidaMIDI::instancia().getAndamentoArquivo(), -1);
}

TEST_F(Saida, ANameThatIsNoUtf8IsWindows1252AndAUtf8NameIsCutBetweenCharacters) {
  // "Café 1€" in Windows-1252: é is 0xE9 and € 0x80, which Latin-1 would make a control.
  const std::vector<uint8_t> windows =
      junta({ev(0, {0xFF, 0x03, 7}), {'C', 'a', 'f', 0xE9, ' ', '1', 0x80}});
  // 97 letters then "é" and "ü": the 99-byte cut falls inside the "ü".
  std::vector<uint8_t> longo = junta({{0, 0xFF, 0x03}, vlq(101)});
  for (int i = 0; i < 97; ++i) longo.push_back('x');
  longo.insert(longo.end(), {0xC3, 0xA9, 0xC3, 0xBC});
  SaidaMIDI::instancia().carregarMusica(arquivo(smf(96, {windows, longo})));
  EXPECT_EQ(SaidaMIDI::instancia().getNomeTrilha(0), QString::fromUtf8("Café 1€"));
  EXPECT_EQ(SaidaMIDI::instancia().getNomeTrilha(1), QString(97, u'x') + QString::fromUtf8("é"));
}

TEST_F(Saida, TheFilesTempoIsSixtyMillionOverItsMicroseconds) {
  SaidaMIDI::instancia().carregarMusica(
      arquivo(smf(96, {ev(0, {0xFF, 0x51, 3, 0x06, 0x5B, 0x9B})})));  // 416667 us
  EXPECT_EQ(SaidaMIDI::instancia().getAndamentoArquivo(), 143);
}

}  // namespace
