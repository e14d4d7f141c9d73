// The keyboard play-along driven by key events through the main window, as the window
// system delivers them: every key of the table, Ctrl as the hi-hat pedal, held keys, the
// keys that go no further than the window, the states it plays in, and the keyboard help.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QRegularExpression>
#include <map>
#include <set>

#include "JanelaTeste.h"
#include "config/ArquivoConfiguracao.h"
#include "entrada/KitEletronico.h"
#include "ui/Bateria.h"
#include "ui/PainelInstrumento.h"
#include "ui/TabelaTeclas.h"
#include "widgets/TOrvButton3D.h"

using namespace kovrinta::test;
using Estado = EstadoPlayer;

namespace {

constexpr int snare = 38;

class Teclado : public JanelaPrincipal {
 protected:
  void SetUp() override {
    JanelaPrincipal::SetUp();
    mostrarJanela();
    janela->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
  }

  // One key event through the window. QTest::keyPress and keyRelease add the modifier keys'
  // own events around a key; this sends the one event only.
  void tecla(bool pressionada, Qt::Key codigo, Qt::KeyboardModifiers modificadores = {},
             bool repeticao = false) {
    QTest::simulateEvent(
        janela->windowHandle(), pressionada, codigo, modificadores,
        QTest::keyToAscii(codigo) ? QString(QChar(QTest::keyToAscii(codigo))) : QString(),
        repeticao);
  }

  const Bateria &kit() const {
    const auto *bateria =
        dynamic_cast<const Bateria *>(ArquivoConfiguracao::instancia().getInstrumento());
    EXPECT_NE(bateria, nullptr);
    return *bateria;
  }
  // The kit as notes would leave it on a kit at rest: shown, then released, in that order.
  static std::vector<FiguraBateria> kitCom(std::initializer_list<int> acesas,
                                           std::initializer_list<int> apagadas = {}) {
    MapaBateria mapa;
    for (int nota : acesas) mapa.acender(nota);
    for (int nota : apagadas) mapa.apagar(nota);
    return mapa.figurasVisiveis();
  }
  std::vector<FiguraBateria> visiveis() const { return kit().getMapa().figurasVisiveis(); }

  // The drum notes sent since the last reset: their numbers, each checked to be a note-on
  // on channel 10 at full velocity.
  std::vector<int> notas() const {
    std::vector<int> n;
    for (const Mensagem3 &m : enviadas()) {
      EXPECT_EQ(m[0], 0x99);
      EXPECT_EQ(m[2], 0x7F);
      n.push_back(m[1]);
    }
    return n;
  }

  PainelInstrumento &painel() const { return *janela->getPainelInstrumento(); }
  bool figuraVisivel(const char *nome) const {
    const int indice = painel().indiceFigura(QLatin1String(nome));
    EXPECT_GE(indice, 0) << nome;
    return indice >= 0 && painel().isFiguraVisivel(indice);
  }
};

const std::map<char, int> notasDasLetras = {{'A', 38}, {'S', 38}, {'Z', 37}, {'X', 46}, {'D', 46},
                                            {'C', 48}, {'F', 48}, {'V', 45}, {'G', 45}, {'B', 43},
                                            {'H', 43}, {'N', 41}, {'J', 41}, {'E', 59}, {'Y', 57},
                                            {'O', 49}, {'R', 55}, {'K', 51}, {' ', 35}};

TEST_F(Teclado, EveryKeyOfTheTableSendsItsNoteOnceAndShowsItsPieceUntilReleased) {
  for (const auto &[letra, nota] : notasDasLetras) {
    SCOPED_TRACE(std::string("key ") + letra);
    const auto codigo = static_cast<Qt::Key>(letra);  // Qt::Key_Space is the space's code
    fake->reset();
    // Each event lifts the pedal first (no Ctrl), then shows or releases the key's note.
    MapaBateria esperado;
    esperado.apagar(44);
    esperado.acender(nota);
    tecla(true, codigo);
    EXPECT_EQ(notas(), std::vector<int>{nota});
    EXPECT_EQ(visiveis(), esperado.figurasVisiveis());
    esperado.apagar(44);
    esperado.apagar(nota);
    tecla(false, codigo);
    EXPECT_EQ(notas(), std::vector<int>{nota}) << "no note-off at the key-up";
    EXPECT_EQ(visiveis(), esperado.figurasVisiveis());
    ArquivoConfiguracao::instancia().getInstrumento()->apagarTudo();
  }
  // Keys without a slot play nothing.
  fake->reset();
  for (Qt::Key outra : {Qt::Key_Q, Qt::Key_W, Qt::Key_1, Qt::Key_0, Qt::Key_F2, Qt::Key_Escape,
                        Qt::Key_Shift, Qt::Key_Alt}) {
    tecla(true, outra);
    tecla(false, outra);
  }
  EXPECT_TRUE(notas().empty());
}

TEST_F(Teclado, LettersPlayWhateverShiftAndCapsLockMake) {
  // Shift held: the key's text is the capital letter, its code the same as without.
  QTest::simulateEvent(janela->windowHandle(), true, Qt::Key_Shift, {}, {}, false);
  QTest::simulateEvent(janela->windowHandle(), true, Qt::Key_K, Qt::ShiftModifier, "K", false);
  QTest::simulateEvent(janela->windowHandle(), false, Qt::Key_K, Qt::ShiftModifier, "K", false);
  QTest::simulateEvent(janela->windowHandle(), false, Qt::Key_Shift, Qt::ShiftModifier, {}, false);
  // Caps Lock on: no modifier, the capital letter.
  QTest::simulateEvent(janela->windowHandle(), true, Qt::Key_R, {}, "R", false);
  QTest::simulateEvent(janela->windowHandle(), false, Qt::Key_R, {}, "R", false);
  EXPECT_EQ(notas(), (std::vector<int>{51, 55}));
}

TEST_F(Teclado, XAndDStrikeTheOpenHiHatAloneAndTheClosedOneWhileCtrlIsHeld) {
  QTest::keyPress(janela->windowHandle(), Qt::Key_X);
  EXPECT_EQ(notas(), std::vector<int>{46});
  EXPECT_TRUE(figuraVisivel("imgBaqChimbal2")) << "the open stroke's stick";
  EXPECT_FALSE(figuraVisivel("imgBaqChimbal"));
  QTest::keyRelease(janela->windowHandle(), Qt::Key_X);
  EXPECT_FALSE(figuraVisivel("imgBaqChimbal2"));

  // With Ctrl: its own key-down comes first and sounds the pedal, then X the closed stroke.
  fake->reset();
  QTest::keyPress(janela->windowHandle(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(notas(), (std::vector<int>{44, 42}));
  EXPECT_TRUE(figuraVisivel("imgBaqChimbal")) << "the closed stroke's stick";
  EXPECT_FALSE(figuraVisivel("imgBaqChimbal2"));
  EXPECT_TRUE(figuraVisivel("imgPeChimbal")) << "the pedal pressed";
  QTest::keyRelease(janela->windowHandle(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_FALSE(figuraVisivel("imgBaqChimbal"));
  EXPECT_FALSE(figuraVisivel("imgPeChimbal")) << "the pedal lifted with Ctrl";

  // D the same; the note follows Ctrl at each event.
  fake->reset();
  tecla(true, Qt::Key_D, Qt::ControlModifier);
  tecla(false, Qt::Key_D, Qt::ControlModifier);
  tecla(true, Qt::Key_D);
  EXPECT_EQ(notas(), (std::vector<int>{44, 42, 46}));
}

TEST_F(Teclado, CtrlSoundsThePedalOnceWhileHeldAndEveryKeyEventAppliesTheRule) {
  // Held Ctrl repeats, and keys with and without a slot go by while it is down.
  QTest::keyPress(janela->windowHandle(), Qt::Key_Control);
  for (int i = 0; i < 5; ++i) tecla(true, Qt::Key_Control, Qt::ControlModifier, true);
  for (Qt::Key outra : {Qt::Key_Q, Qt::Key_7, Qt::Key_Up}) {
    tecla(true, outra, Qt::ControlModifier);
    tecla(false, outra, Qt::ControlModifier);
  }
  EXPECT_EQ(notas(), std::vector<int>{44});
  EXPECT_TRUE(janela->isTeclaPressionada(slotPedal));
  EXPECT_EQ(visiveis(), kitCom({44}));

  // Its key-up was not seen (the window lost the focus meanwhile): the next key event
  // without Ctrl lifts the pedal, silently, and the next Ctrl sounds again.
  fake->reset();
  tecla(true, Qt::Key_Q);
  EXPECT_TRUE(notas().empty());
  EXPECT_FALSE(janela->isTeclaPressionada(slotPedal));
  EXPECT_EQ(visiveis(), kitCom({44}, {44}));
  QTest::keyPress(janela->windowHandle(), Qt::Key_Control);
  QTest::keyRelease(janela->windowHandle(), Qt::Key_Control);
  EXPECT_EQ(notas(), std::vector<int>{44});
  EXPECT_FALSE(janela->isTeclaPressionada(slotPedal));
}

TEST_F(Teclado, AAndSSoundTheSnareTwiceAndReleasingEitherHidesIt) {
  tecla(true, Qt::Key_A);
  tecla(true, Qt::Key_S);
  EXPECT_EQ(notas(), (std::vector<int>{snare, snare}));
  EXPECT_TRUE(figuraVisivel("imgBaqCaixa"));
  tecla(false, Qt::Key_S);
  EXPECT_FALSE(figuraVisivel("imgBaqCaixa"));
  EXPECT_TRUE(janela->isTeclaPressionada(0));
  EXPECT_FALSE(janela->isTeclaPressionada(1));
}

// X11 repeats a held key as key-up and key-down pairs, both marked as repeated.
TEST_F(Teclado, AKeyHeldDownSoundsOnceThoughTheWindowSystemRepeatsIt) {
  tecla(true, Qt::Key_B);
  for (int i = 0; i < 8; ++i) {
    tecla(false, Qt::Key_B, {}, true);
    EXPECT_TRUE(figuraVisivel("imgBaqSurdo1")) << "repeat " << i;
    EXPECT_TRUE(janela->isTeclaPressionada(9));
    tecla(true, Qt::Key_B, {}, true);
  }
  EXPECT_EQ(notas(), std::vector<int>{43});
  tecla(false, Qt::Key_B);
  EXPECT_FALSE(figuraVisivel("imgBaqSurdo1"));
  EXPECT_FALSE(janela->isTeclaPressionada(9));
  tecla(true, Qt::Key_B);
  EXPECT_EQ(notas(), (std::vector<int>{43, 43})) << "pressed again, it sounds again";
}

TEST_F(Teclado, KeysThatPlayGoNoFurtherThanTheWindowAndOthersReachTheFocusedControl) {
  janela->abrirMusica(musica(seminimas(4)));
  fake->reset();
  auto *caixa = controle<QCheckBox>("ckKaraoke");
  caixa->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), caixa);
  QTest::keyClick(janela->windowHandle(), Qt::Key_Space);
  EXPECT_EQ(notas(), std::vector<int>{35}) << "Space plays the bass drum";
  EXPECT_FALSE(caixa->isChecked()) << "and does not toggle the play-along box";
  EXPECT_FALSE(Sequenciador::instancia().isBateriaMuda());

  // A letter would pick an item of the track list by its first letter; an arrow key picks
  // the next item, as it always does.
  auto *lista = controle<QComboBox>("CmbTracks");
  lista->addItem("Another");
  lista->setCurrentIndex(0);
  lista->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), lista);
  fake->reset();
  QTest::keyClick(janela->windowHandle(), Qt::Key_A);
  QTest::keyClick(janela->windowHandle(), Qt::Key_Space);
  EXPECT_EQ(lista->currentIndex(), 0);
  EXPECT_FALSE(lista->view()->isVisible()) << "Space does not open the list";
  EXPECT_EQ(notas(), (std::vector<int>{snare, 35}));
  QTest::keyClick(janela->windowHandle(), Qt::Key_Down);
  EXPECT_EQ(lista->currentIndex(), 1);
}

TEST_F(Teclado, KeysPlayWithoutASongWhilePlayingPausedAndStopped) {
  const auto tocarA = [this](const char *quando) {
    fake->reset();
    QTest::keyClick(janela->windowHandle(), Qt::Key_A);
    EXPECT_EQ(notas(), std::vector<int>{snare}) << quando;
  };
  ASSERT_EQ(janela->getEstado(), Estado::SemMusica);
  tocarA("without a song");
  janela->abrirMusica(musica(seminimas(8)));
  ticks(10);
  tocarA("playing");
  ASSERT_TRUE(clicar(TFormPrincipal::tagPause));
  ASSERT_EQ(janela->getEstado(), Estado::Pausa);
  tocarA("paused");
  ASSERT_TRUE(clicar(TFormPrincipal::tagStop));
  ASSERT_EQ(janela->getEstado(), Estado::Parado);
  tocarA("stopped");
  EXPECT_EQ(posicaoSequenciador(), 0) << "the keys do not move the song";
}

TEST_F(Teclado, ThePlayAlongBoxMutesTheSongsDrumsButNotTheKeys) {
  janela->abrirMusica(musica(seminimas(8)));
  auto *caixa = controle<QCheckBox>("ckKaraoke");
  QTest::mouseClick(caixa, Qt::LeftButton, {}, QPoint(7, caixa->height() / 2));
  ASSERT_TRUE(caixa->isChecked());
  EXPECT_TRUE(Sequenciador::instancia().isBateriaMuda());
  fake->reset();
  ticks(1);  // the song's first hi-hat, muted, still shown
  EXPECT_TRUE(notas().empty());
  EXPECT_TRUE(figuraVisivel("imgBaqChimbal"));
  QTest::keyClick(janela->windowHandle(), Qt::Key_A);
  EXPECT_EQ(notas(), std::vector<int>{snare});
  QTest::mouseClick(caixa, Qt::LeftButton, {}, QPoint(7, caixa->height() / 2));
  EXPECT_FALSE(Sequenciador::instancia().isBateriaMuda());
}

TEST_F(Teclado, TheHelpShowsTheKeyLabelsOverTheKitAndItsCloseButtonHidesThem) {
  auto *pequeno = controle("panelTecladoPequeno");
  auto *esquema = controle("panelTecladoEsquema");
  auto *fechar = controle("panelBtnFecharAjuda");
  auto *botao = controle<TOrvButton3D>("btnFecharAjudaAtalhos");
  const auto rotulosVisiveis = [&] {
    int n = 0;
    for (const TeclaBateria &t : tabelaTeclas) n += figuraVisivel(t.rotulo) ? 1 : 0;
    return n;
  };
  EXPECT_TRUE(pequeno->isVisible());
  EXPECT_FALSE(esquema->isVisible());
  EXPECT_FALSE(fechar->isVisible());
  EXPECT_EQ(rotulosVisiveis(), 0);

  // A click on the small keyboard opens the help.
  const QPoint sobrePequeno = pequeno->geometry().center();
  QTest::mouseClick(janela->windowHandle(), Qt::LeftButton, {}, sobrePequeno);
  EXPECT_FALSE(pequeno->isVisible());
  EXPECT_TRUE(esquema->isVisible());
  EXPECT_TRUE(fechar->isVisible());
  EXPECT_EQ(rotulosVisiveis(), numTeclasBateria);
  EXPECT_EQ(esquema->geometry(), QRect(460, 306, 329, 137));
  EXPECT_EQ(controle<Imagem>("imgTecladoEsquema")->getPixmap().size(), QSize(323, 137));
  // Each label at its place, its picture's size, above every picture of the kit.
  for (const TeclaBateria &t : tabelaTeclas) {
    const int indice = painel().indiceFigura(QLatin1String(t.rotulo));
    EXPECT_EQ(painel().geometriaFigura(indice).topLeft(), t.lugarRotulo) << t.rotulo;
    EXPECT_EQ(painel().geometriaFigura(indice).size(), painel().pixmapFigura(indice).size());
    EXPECT_GE(indice, numFigurasBateria) << t.rotulo;
  }
  // The labels are the help's: the kit's own clearing leaves them.
  ArquivoConfiguracao::instancia().getInstrumento()->apagarTudo();
  EXPECT_EQ(rotulosVisiveis(), numTeclasBateria);

  // The close button sinks while the mouse button is down and closes the help on release.
  const QPoint sobreFechar = botao->mapTo(janela.get(), botao->rect().center());
  QTest::mousePress(janela->windowHandle(), Qt::LeftButton, {}, sobreFechar);
  EXPECT_TRUE(botao->isPressed());
  EXPECT_TRUE(esquema->isVisible());
  QTest::mouseRelease(janela->windowHandle(), Qt::LeftButton, {}, sobreFechar);
  EXPECT_FALSE(botao->isPressed());
  EXPECT_TRUE(pequeno->isVisible());
  EXPECT_FALSE(esquema->isVisible());
  EXPECT_FALSE(fechar->isVisible());
  EXPECT_EQ(rotulosVisiveis(), 0);
}

// The help pages' checker holds the key table by hand; it must say what the code plays.
TEST_F(Teclado, TheHelpPagesCheckerHasTheKeyTableOfTheCode) {
  QFile checker(QStringLiteral(KOVRINTA_SOURCE_DIR "/tests/docs/check_docs.py"));
  ASSERT_TRUE(checker.open(QIODevice::ReadOnly | QIODevice::Text));
  const QString fonte = QString::fromUtf8(checker.readAll());
  const auto bloco = QRegularExpression(R"(KEY_NOTES = \{(.*?)\n\})",
                                        QRegularExpression::DotMatchesEverythingOption)
                         .match(fonte);
  ASSERT_TRUE(bloco.hasMatch());
  std::map<std::string, std::set<int>> doChecker;
  auto itens =
      QRegularExpression(R"re("([^"]+)": \{([0-9, ]+)\})re").globalMatch(bloco.captured(1));
  while (itens.hasNext()) {
    const auto item = itens.next();
    for (const QString &n : item.captured(2).split(u',', Qt::SkipEmptyParts))
      doChecker[item.captured(1).toStdString()].insert(n.trimmed().toInt());
  }
  std::map<std::string, std::set<int>> doCodigo;
  for (const TeclaBateria &t : tabelaTeclas) doCodigo[t.nome] = {t.nota, t.notaComCtrl};
  EXPECT_EQ(doChecker, doCodigo);
}

}  // namespace

namespace {

// The drummer's kit stored in the configuration, and the window shown with it.
class KitAusente : public JanelaPrincipal {
 protected:
  void mostrarComKit(const QString &dispositivo) {
    ajustes.dispositivo = dispositivo;
    ArquivoConfiguracao::instancia().setAjustesEntrada(ajustes);
    janela = std::make_unique<TFormPrincipal>();
    janela->setKitEletronico(kitEletronico.get());
    janela->setMensageiro([this](const QString &texto, const QString &) { mensagens << texto; });
    janela->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(janela.get()));
  }
  // The kit closes its input while the library is still loaded.
  void TearDown() override {
    if (janela) janela->setKitEletronico(nullptr);
    kitEletronico.reset();
    JanelaPrincipal::TearDown();
  }

  AjustesEntrada ajustes;
  std::unique_ptr<KitEletronico> kitEletronico = std::make_unique<KitEletronico>();
};

TEST_F(KitAusente, AStoredKitThatIsAbsentIsNamedAndTheKeysStillPlay) {
  ASSERT_NO_FATAL_FAILURE(mostrarComKit(QStringLiteral("TD-17 MIDI 1")));
  ASSERT_TRUE(waitFor([&] { return !mensagens.isEmpty(); }));
  ASSERT_EQ(mensagens.size(), 1);
  QString esperada = GerenciadorIdiomas::instancia().getTexto("frmSetup", "erroAbrirEntrada");
  esperada.replace(QLatin1String("%1"), ajustes.dispositivo);
  EXPECT_EQ(mensagens.front(), esperada);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getAjustesEntrada(), ajustes) << "the choice is kept";

  janela->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
  fake->reset();
  QTest::simulateEvent(janela->windowHandle(), true, Qt::Key_A, {}, "a", false);
  QTest::simulateEvent(janela->windowHandle(), false, Qt::Key_A, {}, "a", false);
  EXPECT_EQ(enviadas(), (std::vector<Mensagem3>{{0x99, 38, 0x7F}}));
}

// The stored kit goes away under the song (unplugged): it is named, closed and kept in the
// settings, and the song plays on.
TEST_F(KitAusente, AKitThatGoesAwayUnderTheSongIsNamedAndTheSongPlaysOn) {
  ASSERT_NO_FATAL_FAILURE(mostrarComKit(QStringLiteral("Fake input 0")));
  ASSERT_TRUE(waitFor([&] { return kitEletronico->isAberto(); }));
  janela->abrirMusica(musica(seminimas(16)));
  ASSERT_EQ(janela->getEstado(), EstadoPlayer::Tocando);
  fake->notifyInput(VX_NOTIFY_DEVICE_LOST);
  ASSERT_TRUE(waitFor([&] { return !mensagens.isEmpty(); }));
  ASSERT_EQ(mensagens.size(), 1);
  EXPECT_TRUE(mensagens[0].startsWith("Your electronic kit went away: the input “Fake input 0”"))
      << mensagens[0].toStdString();
  EXPECT_FALSE(kitEletronico->isAberto());
  EXPECT_EQ(janela->getEstado(), EstadoPlayer::Tocando);
  EXPECT_TRUE(tocando());
  EXPECT_EQ(ArquivoConfiguracao::instancia().getAjustesEntrada(), ajustes) << "the choice is kept";
}

}  // namespace
