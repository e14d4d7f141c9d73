// The program's single instances when the MIDI library cannot be loaded: they come into being
// all the same, and the first operation that needs the library raises its error, which the
// window can show; nothing crashes.
#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "EVxMidiException.h"
#include "TVxMidi.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"

namespace {

template <class Call>
std::string erroDe(Call call) {
  try {
    call();
  } catch (const EVxMidiException &e) {
    return e.what();
  }
  return "";
}

class SemBiblioteca : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TVxMidi::setLibraryFile("/nonexistent/libVxMidi.so"); }
};

TEST_F(SemBiblioteca, TheOutputRaisesTheLoadErrorWhereItNeedsTheLibrary) {
  SaidaMIDI &saida = SaidaMIDI::instancia();
  EXPECT_EQ(&SaidaMIDI::instancia(), &saida) << "one instance, not a new try at every call";
  const std::string carga = "Load of VxMidi library failed";
  EXPECT_EQ(erroDe([&] { saida.listarDispositivos(); }), carga);
  EXPECT_EQ(erroDe([&] { saida.abrirDispositivo(0); }), carga);
  EXPECT_EQ(erroDe([&] { saida.carregarMusica("/nonexistent/song.mid"); }), carga);
  EXPECT_EQ(erroDe([&] { saida.enviarNoteOn(9, 100, 38); }), "") << "a message is dropped";
  EXPECT_EQ(erroDe([&] { saida.silenciar(); }), "");
}

TEST_F(SemBiblioteca, TheSequencerRaisesTheLoadErrorInsteadOfCrashing) {
  Sequenciador &sequenciador = Sequenciador::instancia();
  const std::string carga = "Load of VxMidi library failed";
  EXPECT_EQ(erroDe([&] { sequenciador.tocar(); }), carga);
  EXPECT_EQ(erroDe([&] { sequenciador.setAndamento(100); }), carga);
  EXPECT_EQ(erroDe([&] { sequenciador.abrirSincronismo(); }), carga);
  EXPECT_EQ(erroDe([&] { sequenciador.parar(); }), "");
  EXPECT_EQ(erroDe([&] { sequenciador.pausar(true); }), "");
}

}  // namespace
