// The program as a user runs it: kovrinta on a private X display, playing into a JACK MIDI
// port of the test and closed through its confirmation; and the start-ups it refuses.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <string>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "ProgramaFalso.h"
#include "ProgramaTeste.h"
#include "QtWait.h"
#include "ServidorXvfb.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<uint8_t>;

TEST_F(Programa, PlaysTheSongItIsGivenIntoAJackPortAndClosesThroughTheConfirmation) {
  JackServer servidor;
  KOVRINTA_REQUIRE_JACK(servidor);
  JackTestClient captura("captura", true, false);
  ASSERT_TRUE(captura.ready());

  const int dispositivo = dispositivoDaCaptura();
  ASSERT_GE(dispositivo, 0) << "the capture port is not among the devices";

  // The stored settings, with a key and a section that a save drops.
  programa.escrever("kovrinta.ini", QStringLiteral("[geral]\ndriver=%1\nvolume=80\nidioma=English\n"
                                                   "visualizacao=0\n[outra]\nchave=1\n")
                                        .arg(dispositivo)
                                        .toUtf8());

  // At 120 BPM and 96 ticks per quarter: eight closed hi-hats an eighth apart, each released
  // a sixteenth later, and a crash on the next beat, which is the song's last event.
  std::vector<uint8_t> trilha = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
  // First the bar of count-in that a new user gets: wood blocks, the first one higher.
  std::vector<Bytes> esperado;
  for (int tempo = 0; tempo < 4; ++tempo) {
    const uint8_t nota = tempo == 0 ? 76 : 77;
    esperado.push_back({0x99, nota, static_cast<uint8_t>(tempo == 0 ? 101 : 76)});
    esperado.push_back({0x99, nota, 0});
  }
  for (int i = 0; i < 8; ++i) {
    const auto on = ev(i == 0 ? 0 : 24, {0x99, 42, static_cast<uint8_t>(60 + i)});
    const auto off = ev(24, {0x89, 42, 0});
    trilha.insert(trilha.end(), on.begin(), on.end());
    trilha.insert(trilha.end(), off.begin(), off.end());
    esperado.push_back({0x99, 42, static_cast<uint8_t>(60 + i)});
    esperado.push_back({0x99, 42, 0});  // a note-off always goes out as velocity 0
  }
  const auto crash = ev(24, {0x99, 49, 110});
  trilha.insert(trilha.end(), crash.begin(), crash.end());
  esperado.push_back({0x99, 49, 110});
  const QString musica = programa.caminho("groove.mid");
  const auto bytes = smf(96, {trilha}, 0);
  programa.escrever("groove.mid", QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                             static_cast<qsizetype>(bytes.size())));

  iniciar({musica});
  const auto principal = esperarPrincipal();
  ASSERT_TRUE(principal) << "the main window did not appear";
  EXPECT_EQ(principal->nome, "Kovrinta");

  // The song plays and the window stops it by itself at its end, which sends the drum
  // program to the device.
  const auto fim = std::chrono::steady_clock::now() + 30s;
  std::vector<Bytes> recebido;
  const auto parou = [&] {
    recebido = captura.received();
    const auto crashRecebido = std::find(recebido.begin(), recebido.end(), Bytes{0x99, 49, 110});
    return std::find(crashRecebido, recebido.end(), Bytes{0xC9, 0}) != recebido.end();
  };
  while (!parou() && std::chrono::steady_clock::now() < fim) QThread::msleep(50);
  ASSERT_TRUE(parou()) << "the song did not play to its end";
  std::vector<Bytes> notas;
  for (const Bytes &m : recebido)
    if (m.size() == 3 && m[0] == 0x99) notas.push_back(m);
  // After the song, the resets end what still sounds (the crash) with velocity 0.
  ASSERT_GE(notas.size(), esperado.size());
  EXPECT_EQ(std::vector<Bytes>(notas.begin(), notas.begin() + esperado.size()), esperado);
  for (auto n = notas.begin() + esperado.size(); n != notas.end(); ++n) EXPECT_EQ((*n)[2], 0);
  // The stored volume was applied: 80 % on every channel before the song.
  EXPECT_NE(std::find(recebido.begin(), recebido.end(), Bytes{0xB9, 7, 127 * 80 / 100}),
            recebido.end());

  // The close button asks; Yes, the default answer, saves the settings and ends the program.
  const auto pergunta = perguntaAoFechar(*principal);
  ASSERT_TRUE(pergunta) << "the close button asked nothing";
  ASSERT_EQ(responderETerminar(), 0) << erros.toStdString();
  const QString salvo = QString::fromUtf8(programa.ler("kovrinta.ini"));
  EXPECT_TRUE(salvo.startsWith(
      QStringLiteral("[geral]\r\ndriver=%1\r\nvolume=80\r\nidioma=English\r\n").arg(dispositivo)))
      << salvo.toStdString();
  EXPECT_TRUE(salvo.contains("[musica1]\r\narquivo=" + musica + "\r\n")) << "the song remembered";
}

// The X server repeats a held key (after 660 ms, 25 times a second) as key-up and key-down
// pairs; the window plays the key once all the same.
TEST_F(Programa, AKeyHeldOnTheDisplaySoundsOnceThoughTheServerRepeatsItAndCtrlIsThePedal) {
  JackServer servidor;
  KOVRINTA_REQUIRE_JACK(servidor);
  JackTestClient captura("captura", true, false);
  ASSERT_TRUE(captura.ready());
  const int dispositivo = dispositivoDaCaptura();
  ASSERT_GE(dispositivo, 0) << "the capture port is not among the devices";
  programa.escrever(
      "kovrinta.ini",
      QStringLiteral("[geral]\ndriver=%1\nidioma=English\n").arg(dispositivo).toUtf8());

  iniciar({});
  const auto principal = esperarPrincipal();
  ASSERT_TRUE(principal) << "the main window did not appear";
  // The device is open once the first show has set the volume on every channel.
  ASSERT_TRUE(waitFor([&] { return captura.received().size() >= 16; }, 20s));
  const auto notas = [&] {
    std::vector<Bytes> n;
    for (const Bytes &m : captura.received())
      if (m.size() == 3 && (m[0] & 0xF0) == 0x90) n.push_back(m);
    return n;
  };
  // Without a window manager the keyboard follows the pointer.
  ASSERT_TRUE(xvfb.xdotool({"mousemove", "--window", principal->id, "400", "250"}));
  ASSERT_TRUE(xvfb.xdotool({"keydown", "a", "sleep", "1.5", "keyup", "a"}));
  ASSERT_TRUE(waitFor([&] { return !notas().empty(); }, 10s)) << "the key played nothing";
  QThread::msleep(300);
  EXPECT_EQ(notas(), (std::vector<Bytes>{{0x99, 0x26, 0x7F}}));

  ASSERT_TRUE(xvfb.xdotool({"keydown", "Control_L", "sleep", "0.2", "key", "x", "sleep", "0.2",
                            "keyup", "Control_L", "key", "x"}));
  ASSERT_TRUE(waitFor([&] { return notas().size() >= 4; }, 10s));
  QThread::msleep(300);
  EXPECT_EQ(notas(),
            (std::vector<Bytes>{
                {0x99, 0x26, 0x7F}, {0x99, 44, 0x7F}, {0x99, 42, 0x7F}, {0x99, 46, 0x7F}}));
  processo.kill();
  terminar();
}

// The drummer's kit stored in the configuration opens at start, and its hits leave on the
// output device as the stored map says, while the window stands.
TEST_F(Programa, TheStoredKitOpensAtStartAndItsHitsPlayOnTheDevice) {
  JackServer servidor;
  KOVRINTA_REQUIRE_JACK(servidor);
  JackTestClient captura("captura", true, false);
  JackTestClient kit("td17", false, true);
  ASSERT_TRUE(captura.ready() && kit.ready());
  const int dispositivo = dispositivoDaCaptura();
  ASSERT_GE(dispositivo, 0) << "the capture port is not among the devices";
  programa.escrever("kovrinta.ini", QStringLiteral("[geral]\ndriver=%1\nidioma=English\n[entrada]\n"
                                                   "dispositivo=%2\nmapa=roland\n")
                                        .arg(dispositivo)
                                        .arg(QString::fromStdString(kit.outputName()))
                                        .toUtf8());

  iniciar({});
  ASSERT_TRUE(esperarPrincipal()) << "the main window did not appear";
  ASSERT_TRUE(waitFor([&] { return captura.received().size() >= 16; }, 20s));
  const auto notas = [&] {
    std::vector<Bytes> n;
    for (const Bytes &m : captura.received())
      if (m.size() == 3 && (m[0] & 0xF0) == 0x90) n.push_back(m);
    return n;
  };
  // The input opens right after the device: strike until a hit arrives.
  ASSERT_TRUE(waitFor(
      [&] {
        kit.send({0x90, 26, 90});  // a Roland hi-hat's open edge
        return kit.waitForCyclesAfterSend(40) && !notas().empty();
      },
      20s))
      << "no hit of the kit reached the device";
  EXPECT_EQ(notas().front(), (Bytes{0x99, 46, 90}));
  processo.kill();
  terminar();
}

// The window system shows each window's own title, nothing added: the wizard of a first
// start, the main window, Setup, and the close question, which has none.
TEST_F(Programa, EveryWindowShowsItsOwnTitleAndTheCloseQuestionNone) {
  programa.escrever("kovrinta.ini", "[geral]\ndriver=-1\nidioma=English\n");
  iniciar({});
  const auto assistente = esperarNome(QStringLiteral("Kovrinta - Sound device test"));
  ASSERT_TRUE(assistente) << "no wizard, or another title";
  ASSERT_TRUE(xvfb.xdotool({"key", "--window", assistente->id, "Escape"}));
  const auto principal = esperarPrincipal();
  ASSERT_TRUE(principal);
  EXPECT_EQ(principal->nome, "Kovrinta");
  // Device 0, the synthesizer, says so when it finds no audio server: its message is
  // answered.
  const auto aviso = xvfb.esperarJanela(
      [&](const ServidorXvfb::Janela &j) { return j.id != principal->id && j.nome == "Kovrinta"; },
      5s);
  // Presses tecla, again while the window id is still mapped (it may not have the focus yet).
  const auto fecharCom = [&](const char *tecla, const QString &id) {
    return waitFor(
        [&] {
          xvfb.xdotool({"key", tecla});
          for (const auto &janela : xvfb.janelas())
            if (janela.id == id) return false;
          return true;
        },
        10s);
  };
  if (aviso) {
    ASSERT_TRUE(fecharCom("Return", aviso->id));
  }

  ASSERT_TRUE(xvfb.xdotool({"mousemove", "--window", principal->id, "45", "507", "click", "1"}));
  const auto setup = esperarNome(QStringLiteral("Setup"));
  ASSERT_TRUE(setup) << "no Setup window, or another title";
  ASSERT_TRUE(fecharCom("Escape", setup->id));

  const auto pergunta = perguntaAoFechar(*principal);
  ASSERT_TRUE(pergunta) << "the close button asked nothing";
  EXPECT_EQ(pergunta->nome, "");
  // Yes ends the program. Its status is not asked: under LeakSanitizer the synthesizer's
  // audio driver, unloaded by then, is reported at the exit and sets it.
  EXPECT_NE(responderETerminar(), -1) << "the program did not end";
}

// The zoom of the command line wins over the stored one, which the next start takes.
TEST_F(Programa, TheZoomOfTheCommandLineOrOfTheSettingsScalesTheWindow) {
  // A device that does not exist fails at once, with a message over the window.
  programa.escrever("kovrinta.ini", "[geral]\ndriver=99\nidioma=English\n[janela]\nzoom=150\n");
  iniciar({"--zoom", "200"});
  EXPECT_TRUE(esperarPrincipal(QSize(1586, 1054))) << "no window at 200 %";
  processo.kill();
  terminar();
  iniciar({});
  EXPECT_TRUE(esperarPrincipal(QSize(1190, 791))) << "no window at the stored 150 %";
  processo.kill();
  terminar();
}

TEST_F(Programa, AScreenThatIsNotAt96DpiIsRefusedWithItsMessageAndNoWindow) {
  QProcessEnvironment dpi;
  // Without Qt's scaling, a font DPI of 120 is what the program sees as the screen's.
  dpi.insert("QT_ENABLE_HIGHDPI_SCALING", "0");
  dpi.insert("QT_FONT_DPI", "120");
  iniciar({}, dpi);
  const auto mensagem = esperarNome(QStringLiteral("Kovrinta"));
  ASSERT_TRUE(mensagem) << "no message";
  EXPECT_NE(mensagem->geometria.size(), QSize(793, 527));
  QThread::msleep(300);
  for (const auto &janela : xvfb.janelas())
    EXPECT_NE(janela.geometria.size(), QSize(793, 527)) << "the main window appeared";
  EXPECT_EQ(responderETerminar(), 1);
  EXPECT_TRUE(erros.contains("designed for a display resolution of 96 dots per inch"))
      << erros.toStdString();
}

TEST_F(Programa, AScaledDesktopReports96DpiAndStartsTheWindow) {
  QProcessEnvironment escala;
  escala.insert("QT_FONT_DPI", "144");
  // A device that does not exist fails at once, with a message over the window.
  programa.escrever("kovrinta.ini", "[geral]\ndriver=99\nidioma=English\n");
  iniciar({}, escala);
  // At a device pixel ratio of 1.5 the window of 793 x 527 takes about 1190 x 791 pixels.
  const auto principal = xvfb.esperarJanela(
      [](const ServidorXvfb::Janela &j) {
        return std::abs(j.geometria.width() - 1190) <= 1 &&
               std::abs(j.geometria.height() - 791) <= 1;
      },
      30s);
  EXPECT_TRUE(principal) << "the main window did not appear at the desktop's scale";
  processo.kill();
  terminar();
}

TEST_F(Programa, NoLanguageFileIsRefusedWithTheMachinerysMessage) {
  PastaPrograma semIdiomas(false);
  ASSERT_TRUE(semIdiomas.pronta);
  QProcessEnvironment ambiente = xvfb.ambiente();
  ambiente.insert("XDG_CONFIG_HOME", configuracoes.path());
  ambiente.insert("JACK_NO_START_SERVER", "1");
  processo.setProcessEnvironment(ambiente);
  processo.start(semIdiomas.caminho("kovrinta"), {});
  ASSERT_TRUE(processo.waitForStarted(10000));
  const auto mensagem = esperarNome(QStringLiteral("Internationalization"));
  ASSERT_TRUE(mensagem) << "no message";
  EXPECT_EQ(responderETerminar(), 1);
  EXPECT_TRUE(erros.contains("no language file")) << erros.toStdString();
}

}  // namespace
