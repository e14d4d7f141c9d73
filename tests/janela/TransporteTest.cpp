// The transport of the main window driven through its pictures with mouse events: every row
// of the transition table, with the status word, the usable pictures and the sequencer's
// position after each step.
#include <QCheckBox>
#include <QComboBox>
#include <algorithm>

#include "JanelaTeste.h"
#include "config/ArquivoConfiguracao.h"
#include "midi/SaidaMIDI.h"
#include "song/GerenciadorMusica.h"

using namespace kovrinta::test;
using Estado = EstadoPlayer;

namespace {

class Transporte : public JanelaPrincipal {
 protected:
  // Shows the window and opens a song of `tempos` beats, one hi-hat a beat.
  void abrir(int tempos = 16) {
    mostrarJanela();
    janela->abrirMusica(musica(seminimas(tempos)));
    ASSERT_EQ(janela->getEstado(), Estado::Tocando);
  }

  // The tick the sequencer will process next, the slider and the beat shown agree after a
  // seek or a gesture.
  void esperarPosicao(int tick) {
    EXPECT_EQ(posicaoSequenciador(), tick);
    EXPECT_EQ(posicao()->value(), tick);
  }

  // Moves the position slider with the keyboard, as a user would (End: to its end).
  void teclaNoSlider(Qt::Key tecla) {
    janela->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
    posicao()->setFocus();
    QTest::keyClick(janela->windowHandle(), tecla);
  }
};

TEST_F(Transporte, OpeningASongPlaysItFromTheStartWithTheTransportUsable) {
  abrir(16);
  EXPECT_EQ(status(), "Playing");
  EXPECT_EQ(habilitadas(), "Rew Stop Pause Repeat FF");
  EXPECT_TRUE(tocando());
  EXPECT_EQ(posicaoSequenciador(), 0);
  EXPECT_EQ(janela->getTotalTempos(), 16);
  EXPECT_EQ(controle<QLabel>("lblTimeTotal")->text(), "16");
  EXPECT_EQ(posicao()->maximum(), GerenciadorMusica::instancia().getDuracao());
  EXPECT_TRUE(posicao()->isEnabled());
  EXPECT_TRUE(controle<QSlider>("tkbBPM")->isEnabled());
  // Every track plays; the one drum track drives the kit and is listed.
  EXPECT_TRUE(ArquivoConfiguracao::instancia().isTrilhaAtiva(0));
  EXPECT_EQ(controle<QComboBox>("CmbTracks")->count(), 1);
  EXPECT_TRUE(setup->getCaixa(0).isChecked() && setup->getCaixa(0).isEnabled());
  EXPECT_FALSE(setup->getCaixa(1).isEnabled());
}

// The output's sound server goes away under the song: it stops and the drummer is told, in
// place of a song that plays on in silence; Play opens the device again and plays.
TEST_F(Transporte, ADeviceThatGoesAwayStopsTheSongAndPlayOpensItAgain) {
  abrir();
  fake->notifyOutput(VX_NOTIFY_DEVICE_LOST);
  ASSERT_TRUE(waitFor([&] { return janela->getEstado() == Estado::Parado; }));
  fake->reset();
  EXPECT_FALSE(tocando());
  ASSERT_EQ(mensagens.size(), 1);
  EXPECT_TRUE(mensagens[0].startsWith("The sound device went away")) << mensagens[0].toStdString();
  EXPECT_EQ(calls().find("OpenMidiOut"), std::string::npos);
  clicar(TFormPrincipal::tagPlay);
  EXPECT_NE(calls().find("OpenMidiOut"), std::string::npos);
  EXPECT_TRUE(tocando());
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(mensagens.size(), 1);
}

TEST_F(Transporte, PauseHaltsInPlaceAndPauseOrPlayResumesWhereItWas) {
  abrir();
  ticks(100);
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  EXPECT_EQ(janela->getEstado(), Estado::Pausa);
  EXPECT_EQ(status(), "Paused");
  EXPECT_EQ(habilitadas(), "Rew Play Stop Pause Repeat FF");
  EXPECT_FALSE(tocando());
  ticks(10);
  EXPECT_EQ(posicaoSequenciador(), 100) << "a paused song does not move";

  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_EQ(habilitadas(), "Rew Stop Pause Repeat FF");
  EXPECT_TRUE(tocando());
  ticks(10);
  EXPECT_EQ(posicaoSequenciador(), 110);

  // Play while paused resumes exactly as Pause does.
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  ASSERT_TRUE(clicar(TFormPrincipal::tagPlay));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_EQ(habilitadas(), "Rew Stop Pause Repeat FF");
  EXPECT_TRUE(tocando());
  EXPECT_EQ(posicaoSequenciador(), 110);
}

TEST_F(Transporte, StopRewindsSilencesAndLeavesOnlyPlayAndTheGestures) {
  abrir();
  ticks(150);
  fake->reset();
  ASSERT_TRUE(clicar(TFormPrincipal::tagStop));
  EXPECT_EQ(janela->getEstado(), Estado::Parado);
  EXPECT_EQ(status(), "Stopped");
  EXPECT_EQ(habilitadas(), "Rew Play FF");
  EXPECT_FALSE(tocando());
  esperarPosicao(0);
  EXPECT_EQ(controle<QLabel>("lblTime")->text(), "0");
  // The device is reset, every channel's controllers too, and the drum program sent.
  const auto m = enviadas();
  EXPECT_NE(calls().find("ResetMidiOut"), std::string::npos);
  for (int canal = 0; canal < 16; ++canal)
    EXPECT_NE(std::find(m.begin(), m.end(), Mensagem3{0xB0 + canal, 121, 0}), m.end()) << canal;
  EXPECT_NE(std::find(m.begin(), m.end(), Mensagem3{0xC9, 0, 0}), m.end());

  ASSERT_TRUE(clicar(TFormPrincipal::tagPlay));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_EQ(habilitadas(), "Rew Stop Pause Repeat FF");
  EXPECT_TRUE(tocando());
  EXPECT_EQ(posicaoSequenciador(), 0);
}

TEST_F(Transporte, TheSecondRepeatClickJumpsBackToTheLoopStartAndTheLoopRepeats) {
  abrir();
  ticks(100);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  EXPECT_EQ(janela->getEstado(), Estado::InicioLoop);
  EXPECT_EQ(status(), "Loop start");
  EXPECT_EQ(habilitadas(), "Rew Play Stop Pause Repeat FF");
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), 100);

  ticks(200);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  EXPECT_EQ(janela->getEstado(), Estado::Repetindo);
  EXPECT_EQ(status(), "Looping");
  EXPECT_EQ(habilitadas(), "Rew Play Stop Pause FF");
  EXPECT_EQ(Sequenciador::instancia().getFimLoop(), 300);
  esperarPosicao(100);
  EXPECT_TRUE(tocando());

  // Ticks 100 to 300, then back to 101.
  ticks(201);
  EXPECT_EQ(posicaoSequenciador(), 101);
  EXPECT_EQ(janela->getEstado(), Estado::Repetindo);
  EXPECT_EQ(posicao()->value(), 256) << "the slider shows the last beat before the wrap";
  ticks(28);
  EXPECT_EQ(posicao()->value(), 128) << "after the wrap the slider follows the loop";

  // Play cancels the loop and plays on.
  ASSERT_TRUE(clicar(TFormPrincipal::tagPlay));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_EQ(habilitadas(), "Rew Stop Pause Repeat FF");
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), -1);
  EXPECT_FALSE(Sequenciador::instancia().isLoopAtivo());
  const int antes = posicaoSequenciador();
  ticks(300);
  EXPECT_EQ(posicaoSequenciador(), antes + 300);
}

TEST_F(Transporte, PausingALoopAndResumingShowsTheLoopAgain) {
  abrir();
  ticks(100);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  EXPECT_EQ(janela->getEstadoRetorno(), Estado::InicioLoop);
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  EXPECT_EQ(janela->getEstado(), Estado::InicioLoop);
  EXPECT_EQ(status(), "Loop start");
  EXPECT_TRUE(imagem(TFormPrincipal::tagRepeat)->isEnabled());

  ticks(100);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  EXPECT_EQ(janela->getEstado(), Estado::Repetindo);
  EXPECT_EQ(status(), "Looping");
  EXPECT_FALSE(imagem(TFormPrincipal::tagRepeat)->isEnabled());
  EXPECT_TRUE(tocando());
}

TEST_F(Transporte, MovingTheSliderPastTheLoopEndCancelsTheLoop) {
  abrir();
  ticks(100);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ticks(200);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ASSERT_EQ(janela->getEstado(), Estado::Repetindo);

  // PageUp moves 75 ticks: still inside the loop.
  teclaNoSlider(Qt::Key_PageUp);
  EXPECT_EQ(janela->getEstado(), Estado::Repetindo);
  esperarPosicao(175);
  // End moves past the loop's end.
  teclaNoSlider(Qt::Key_End);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_FALSE(Sequenciador::instancia().isLoopAtivo());
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), -1);
  esperarPosicao(posicao()->maximum());
  EXPECT_EQ(janela->getTempoAtual(), posicao()->maximum() / 64);
  EXPECT_TRUE(tocando());
}

TEST_F(Transporte, MovingTheSliderBeforeTheLoopStartCancelsIt) {
  abrir();
  ticks(300);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ASSERT_EQ(janela->getEstado(), Estado::InicioLoop);
  teclaNoSlider(Qt::Key_Home);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), -1);
  esperarPosicao(0);
}

TEST_F(Transporte, MovingTheSliderWhilePausedMovesThePositionOnly) {
  abrir();
  ticks(70);
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  fake->reset();
  teclaNoSlider(Qt::Key_PageUp);
  EXPECT_EQ(janela->getEstado(), Estado::Pausa);
  EXPECT_FALSE(tocando());
  esperarPosicao(64 + 75);
  EXPECT_NE(calls().find("ResetMidiOut"), std::string::npos) << "a seek silences";
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  EXPECT_EQ(posicaoSequenciador(), 64 + 75);
  EXPECT_TRUE(tocando());
}

TEST_F(Transporte, TheSongStopsByItselfAfterItsLastEventOnABeat) {
  mostrarJanela();
  janela->abrirMusica(musica(grooveDeUmCompasso()));
  ASSERT_EQ(GerenciadorMusica::instancia().getDuracao(), 256);
  fake->reset();
  // Ticks 0 to 256: the crash on tick 256 is played; the song goes on until the next beat.
  ticks(257);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  auto m = enviadas();
  const auto crash = std::find(m.begin(), m.end(), Mensagem3{0x99, 49, 110});
  ASSERT_NE(crash, m.end()) << "the song's last event was played";
  ticks(64);
  EXPECT_EQ(janela->getEstado(), Estado::Parado);
  EXPECT_EQ(status(), "Stopped");
  EXPECT_EQ(habilitadas(), "Rew Play FF");
  EXPECT_FALSE(tocando());
  esperarPosicao(0);
  m = enviadas();
  EXPECT_NE(std::find(m.begin(), m.end(), Mensagem3{0xC9, 0, 0}), m.end());
  EXPECT_EQ(std::count(m.begin(), m.end(), Mensagem3{0x99, 49, 110}), 1);
}

TEST_F(Transporte, FastForwardAndRewindHeldWhilePlayingMoveABeatAtATimeAndPlayOn) {
  abrir();
  ticks(70);
  pressionar(TFormPrincipal::tagFF);
  EXPECT_EQ(janela->getEstado(), Estado::Adiantando);
  EXPECT_EQ(status(), "Fast-forward");
  EXPECT_FALSE(tocando()) << "playback halts while the button is held";
  EXPECT_TRUE(janela->getTimerPlayer()->isActive());
  EXPECT_TRUE(imagem(TFormPrincipal::tagFF + 1)->isVisible());
  EXPECT_FALSE(imagem(TFormPrincipal::tagFF)->isVisible());
  const int inicio = janela->getTempoAtual();
  ASSERT_TRUE(waitFor([&] { return janela->getTempoAtual() == inicio + 3; }));
  soltar(TFormPrincipal::tagFF);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_TRUE(tocando());
  EXPECT_FALSE(janela->getTimerPlayer()->isActive());
  EXPECT_FALSE(imagem(TFormPrincipal::tagFF + 1)->isVisible());
  EXPECT_TRUE(imagem(TFormPrincipal::tagFF)->isVisible());
  esperarPosicao((inicio + 3) * 64);

  segurar(TFormPrincipal::tagRew, 2);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_TRUE(tocando());
  esperarPosicao((inicio + 1) * 64);
}

TEST_F(Transporte, FastForwardStopsAtTheSongsEndAndRewindAtItsStart) {
  abrir(4);
  segurar(TFormPrincipal::tagFF, 10);
  EXPECT_EQ(janela->getTempoAtual(), janela->getTotalTempos());
  esperarPosicao(posicao()->maximum());
  segurar(TFormPrincipal::tagRew, 10);
  EXPECT_EQ(janela->getTempoAtual(), 0);
  esperarPosicao(0);
}

TEST_F(Transporte, AGestureStartedWhilePausedStaysPausedAndResumesFromTheNewPlace) {
  abrir();
  ticks(70);
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  segurar(TFormPrincipal::tagFF, 2);
  EXPECT_EQ(janela->getEstado(), Estado::Pausa);
  EXPECT_EQ(status(), "Paused");
  EXPECT_EQ(janela->getEstadoRetorno(), Estado::Tocando);
  EXPECT_EQ(janela->getEstadoRetornoPausa(), Estado::SemMusica);
  EXPECT_FALSE(tocando());
  const int lugar = posicaoSequenciador();
  EXPECT_EQ(lugar, janela->getTempoAtual() * 64);
  ticks(5);
  EXPECT_EQ(posicaoSequenciador(), lugar);

  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_TRUE(tocando());
  EXPECT_EQ(posicaoSequenciador(), lugar);
}

TEST_F(Transporte, AGestureStartedWhenStoppedLeavesItStoppedAndPlayStartsThere) {
  abrir();
  ASSERT_TRUE(clicar(TFormPrincipal::tagStop));
  segurar(TFormPrincipal::tagFF, 3);
  EXPECT_EQ(janela->getEstado(), Estado::Parado);
  EXPECT_EQ(status(), "Stopped");
  EXPECT_FALSE(tocando());
  esperarPosicao(3 * 64);
  ASSERT_TRUE(clicar(TFormPrincipal::tagPlay));
  EXPECT_TRUE(tocando());
  EXPECT_EQ(posicaoSequenciador(), 3 * 64);
}

TEST_F(Transporte, RewindingBeforeTheLoopStartCancelsItAndFastForwardKeepsIt) {
  abrir();
  ticks(300);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ASSERT_EQ(Sequenciador::instancia().getInicioLoop(), 300);

  // After the start: the loop start stays marked.
  segurar(TFormPrincipal::tagFF, 1);
  EXPECT_EQ(janela->getEstado(), Estado::InicioLoop);
  EXPECT_EQ(status(), "Loop start");
  EXPECT_TRUE(imagem(TFormPrincipal::tagRepeat)->isEnabled());
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), 300);
  EXPECT_TRUE(tocando());

  // Before it: the loop is cancelled and playing goes on from there.
  segurar(TFormPrincipal::tagRew, 3);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), -1);
  EXPECT_TRUE(tocando());
  EXPECT_LT(posicaoSequenciador(), 300);
  esperarPosicao(janela->getTempoAtual() * 64);
}

TEST_F(Transporte, FastForwardInsideALoopKeepsItAndPastItsEndCancelsIt) {
  abrir();
  ticks(100);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ticks(500);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ASSERT_EQ(janela->getEstado(), Estado::Repetindo);
  ASSERT_EQ(Sequenciador::instancia().getFimLoop(), 600);

  segurar(TFormPrincipal::tagFF, 2);
  EXPECT_EQ(janela->getEstado(), Estado::Repetindo);
  EXPECT_EQ(status(), "Looping");
  EXPECT_TRUE(Sequenciador::instancia().isLoopAtivo());
  EXPECT_TRUE(tocando());
  EXPECT_LT(posicaoSequenciador(), 600);

  segurar(TFormPrincipal::tagFF, 10);
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(status(), "Playing");
  EXPECT_FALSE(Sequenciador::instancia().isLoopAtivo());
  EXPECT_GT(posicaoSequenciador(), 600);
  EXPECT_TRUE(tocando());
}

TEST_F(Transporte, TheTempoSliderFollowsTempoEventsWithinItsRangeOnly) {
  mostrarJanela();
  QSlider *bpm = controle<QSlider>("tkbBPM");
  QLabel *rotulo = controle<QLabel>("lblBPM");
  EXPECT_EQ(bpm->value(), 40);
  EXPECT_EQ(rotulo->text(), "0");
  janela->abrirMusica(musica(grooveDeUmCompasso()));
  ticks(1);  // the song's tempo event, 120 BPM, on tick 0
  EXPECT_EQ(bpm->value(), 120);
  EXPECT_EQ(rotulo->text(), "120");

  janela->exibirAndamento(30);
  janela->exibirAndamento(300);
  EXPECT_EQ(bpm->value(), 120);
  EXPECT_EQ(rotulo->text(), "120");

  // The user's tempo goes to the sequencer.
  bpm->setFocus();
  janela->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
  QTest::keyClick(janela->windowHandle(), Qt::Key_PageDown);
  EXPECT_EQ(bpm->value(), 115);
  EXPECT_EQ(Sequenciador::instancia().getAndamento(), 115);
  EXPECT_EQ(rotulo->text(), "115");
  // A move to the tempo the sequencer already has changes nothing.
  Sequenciador::instancia().setAndamento(90);
  bpm->setValue(90);
  EXPECT_EQ(rotulo->text(), "115");
}

TEST_F(Transporte, TheVolumeSliderShowsTheStoredVolumeAndStoresWhatTheUserSets) {
  ArquivoConfiguracao::instancia().setVolume(40);
  mostrarJanela();
  QSlider *volume = controle<QSlider>("tkbVol");
  EXPECT_EQ(volume->value(), 60) << "the top of the slider is the loudest";
  EXPECT_EQ(SaidaMIDI::instancia().getVolumeGeral(), 40);

  volume->setFocus();
  janela->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
  QTest::keyClick(janela->windowHandle(), Qt::Key_Up);
  EXPECT_EQ(volume->value(), 59) << "Up moves the handle up, louder";
  EXPECT_EQ(ArquivoConfiguracao::instancia().getVolume(), 41);
  EXPECT_EQ(SaidaMIDI::instancia().getVolumeGeral(), 41);
  const auto m = enviadas();
  ASSERT_EQ(m.size(), 16u);
  for (int canal = 0; canal < 16; ++canal)
    EXPECT_EQ(m[canal], (Mensagem3{0xB0 + canal, 7, 127 * 41 / 100}));
}

TEST_F(Transporte, AStoredVolumeAboveAHundredShowsTheSliderAtItsTop) {
  // No configuration file: the volume is 127.
  ASSERT_EQ(ArquivoConfiguracao::instancia().getVolume(), 127);
  mostrarJanela();
  EXPECT_EQ(controle<QSlider>("tkbVol")->value(), 0);
  EXPECT_EQ(SaidaMIDI::instancia().getVolumeGeral(), 127);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getVolume(), 127);
}

}  // namespace
