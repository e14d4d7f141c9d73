// The lane view as a user runs it: kovrinta --lanes on a private X display opens it beside the
// main window; it is resized, goes full screen with F11 and comes back, and the next start
// opens it again at its place and size.
#include <gtest/gtest.h>

#include <QThread>

#include "JackServer.h"
#include "JackTestClient.h"
#include "ProgramaFalso.h"
#include "ProgramaTeste.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

// The window id's geometry once it equals esperada; what it was last when prazo passed.
QRect esperarGeometria(const ServidorXvfb &xvfb, const QString &id, const QRect &esperada) {
  QRect vista;
  xvfb.esperarJanela(
      [&](const ServidorXvfb::Janela &j) {
        if (j.id != id) return false;
        vista = j.geometria;
        return vista == esperada;
      },
      10s);
  return vista;
}

class ProgramaPistas : public Programa {
 protected:
  // The lane view, by its title (the toolkit may add the program's name).
  std::optional<ServidorXvfb::Janela> esperarPistas() const {
    return xvfb.esperarJanela(
        [](const ServidorXvfb::Janela &j) { return j.nome.startsWith("Drum lanes"); }, 20s);
  }
};

TEST_F(ProgramaPistas, TheLaneViewResizesGoesFullScreenAndComesBackWhereItWasAtTheNextStart) {
  JackServer servidor;
  KOVRINTA_REQUIRE_JACK(servidor);
  JackTestClient captura("captura", true, false);
  ASSERT_TRUE(captura.ready());
  const int dispositivo = dispositivoDaCaptura();
  ASSERT_GE(dispositivo, 0) << "the capture port is not among the devices";
  programa.escrever(
      "kovrinta.ini",
      QStringLiteral("[geral]\ndriver=%1\nvolume=80\nidioma=English\n").arg(dispositivo).toUtf8());
  // Four bars of a snare on every beat at 120 BPM.
  std::vector<uint8_t> trilha;
  for (int i = 0; i < 16; ++i) {
    const auto nota = ev(i == 0 ? 0 : 72, {0x99, 38, 100});
    const auto solta = ev(24, {0x89, 38, 0});
    trilha.insert(trilha.end(), nota.begin(), nota.end());
    trilha.insert(trilha.end(), solta.begin(), solta.end());
  }
  const auto bytes = smf(96, {trilha}, 0);
  programa.escrever("caixa.mid", QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size())));

  iniciar({"--lanes", programa.caminho("caixa.mid")});
  const auto principal = esperarPrincipal();
  ASSERT_TRUE(principal) << "the main window did not appear";
  const auto pistas = esperarPistas();
  ASSERT_TRUE(pistas) << "the lane view did not open";

  const QRect lugar(60, 80, 1100, 600);
  ASSERT_TRUE(xvfb.xdotool({"windowsize", pistas->id, "1100", "600"}));
  ASSERT_TRUE(xvfb.xdotool({"windowmove", pistas->id, "60", "80"}));
  ASSERT_EQ(esperarGeometria(xvfb, pistas->id, lugar), lugar);

  // F11 fills the display's 1280 x 1024, and again gives the window back its place.
  ASSERT_TRUE(xvfb.xdotool({"windowfocus", "--sync", pistas->id}));
  ASSERT_TRUE(xvfb.xdotool({"key", "F11"}));
  EXPECT_EQ(esperarGeometria(xvfb, pistas->id, QRect(0, 0, 1280, 1024)), QRect(0, 0, 1280, 1024));
  ASSERT_TRUE(xvfb.xdotool({"key", "F11"}));
  EXPECT_EQ(esperarGeometria(xvfb, pistas->id, lugar), lugar);

  // Closed through the main window's confirmation, which keeps the view's place.
  ASSERT_TRUE(xvfb.xdotool({"windowraise", principal->id}));
  ASSERT_TRUE(perguntaAoFechar(*principal)) << "the close button asked nothing";
  ASSERT_EQ(responderETerminar(), 0) << erros.toStdString();
  const QString salvo = QString::fromUtf8(programa.ler("kovrinta.ini"));
  EXPECT_TRUE(salvo.contains(
      "[pistas]\r\nantecipacao=3\r\naberta=1\r\ntelaCheia=0\r\nlugar=60,80,1100,600\r\n"))
      << salvo.toStdString();

  // Started without --lanes, the view opens again where it was.
  iniciar({});
  ASSERT_TRUE(esperarPrincipal()) << "the main window did not appear again";
  const auto denovo = esperarPistas();
  ASSERT_TRUE(denovo) << "the lane view did not open again";
  EXPECT_EQ(esperarGeometria(xvfb, denovo->id, lugar), lugar);
  processo.kill();
  processo.waitForFinished();
}

}  // namespace
