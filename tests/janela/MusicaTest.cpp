// Opening a song in the main window: the drum-track list and the drum track that drives the
// kit, the setup dialog's track boxes, the song playing from its start; a file that cannot
// be read; the two open dialogs, a file dropped on the window; the tutorial, the help and
// the web address.
#include <fnmatch.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>
#include <set>

#include "JanelaTeste.h"
#include "OperadorDialogo.h"
#include "config/ArquivoConfiguracao.h"
#include "ui/Bateria.h"

using namespace kovrinta::test;
using Estado = EstadoPlayer;

namespace {

using Bytes = std::vector<uint8_t>;

// A track-name meta event at delta 0.
Bytes nomeTrilha(const std::string &nome) {
  Bytes b = {0x00, 0xFF, 0x03, static_cast<uint8_t>(nome.size())};
  for (char c : nome) b.push_back(static_cast<uint8_t>(c));
  return b;
}

// A drum track striking nota at tick 0, released an eighth later.
Bytes bateria(const std::string &nome, uint8_t nota) {
  return junta({nomeTrilha(nome), ev(0, {0x99, nota, 100}), ev(48, {0x89, nota, 0})});
}

// A melodic track on channel index canal.
Bytes melodia(const std::string &nome, uint8_t canal) {
  return junta({nomeTrilha(nome), ev(0, {static_cast<uint8_t>(0x90 + canal), 60, 90}),
                ev(96, {static_cast<uint8_t>(0x80 + canal), 60, 0})});
}

class Musica : public JanelaPrincipal {
 protected:
  void SetUp() override {
    JanelaPrincipal::SetUp();
    mostrarJanela();
  }

  bool abrir(const std::vector<Bytes> &trilhas, const QString &nome = "song.mid") {
    return janela->abrirMusica(arquivo(smf(96, trilhas), nome));
  }

  QComboBox *lista() const { return controle<QComboBox>("CmbTracks"); }
  QStringList itens() const {
    QStringList t;
    for (int i = 0; i < lista()->count(); ++i) t << lista()->itemText(i);
    return t;
  }
  const MapaBateria &kit() const {
    return dynamic_cast<const Bateria &>(*ArquivoConfiguracao::instancia().getInstrumento())
        .getMapa();
  }
  // The pieces lit once the song's first tick has been played again from the start.
  std::set<FiguraBateria> pecasDoPrimeiroTick() {
    ArquivoConfiguracao::instancia().getInstrumento()->apagarTudo();
    Sequenciador::instancia().setPosicao(0);
    ticks(1);
    std::set<FiguraBateria> pecas;
    for (FiguraBateria f :
         {FiguraBateria::imgCaixa, FiguraBateria::imgTon1, FiguraBateria::imgSurdo1})
      if (kit().isVisivel(f)) pecas.insert(f);
    return pecas;
  }
  // The notes sent on the drum channel since the last reset.
  std::set<int> notasBateria() const {
    std::set<int> n;
    for (const Mensagem3 &m : enviadas())
      if (m[0] == 0x99 && m[2] > 0) n.insert(m[1]);
    return n;
  }
  // The window chose by the user's keys: the list has the focus, and Home or an arrow moves
  // its choice as a pick would.
  void escolher(Qt::Key tecla) {
    lista()->setFocus();
    QTest::keyClick(janela->windowHandle(), tecla);
  }

  // Boxes of the setup dialog: caption, enabled, checked.
  struct Caixa {
    QString legenda;
    bool habilitada;
    bool marcada;
    bool operator==(const Caixa &) const = default;
    friend void PrintTo(const Caixa &c, std::ostream *o) {
      *o << '{' << c.legenda.toStdString() << ", " << c.habilitada << ", " << c.marcada << '}';
    }
  };
  Caixa caixa(int i) const {
    const QCheckBox &c = setup->getCaixa(i);
    return {c.text(), c.isEnabled(), c.isChecked()};
  }
  // The song plays from its start, the transport as a song opening leaves it.
  void tocandoDoInicio() const {
    EXPECT_EQ(janela->getEstado(), Estado::Tocando);
    EXPECT_EQ(status(), textoIdioma("Tocando"));
    EXPECT_TRUE(tocando());
    EXPECT_EQ(posicaoSequenciador(), 0);
    EXPECT_EQ(posicao()->value(), 0);
    EXPECT_EQ(habilitadas(), "Rew Stop Pause Repeat FF");
    EXPECT_TRUE(lista()->isEnabled());
  }
};

constexpr FiguraBateria caixaPeca = FiguraBateria::imgCaixa;
constexpr FiguraBateria ton1Peca = FiguraBateria::imgTon1;
constexpr FiguraBateria surdo1Peca = FiguraBateria::imgSurdo1;

TEST_F(Musica, ASongWithoutDrumTracksLeavesTheListEmptyAndStillPlays) {
  ASSERT_TRUE(abrir({melodia("Bass", 0), melodia("Keys", 1)}));
  tocandoDoInicio();
  EXPECT_TRUE(itens().isEmpty());
  EXPECT_EQ(lista()->currentText(), "");
  EXPECT_EQ(lista()->placeholderText(), textoIdioma("CmbTracksText"));
}

TEST_F(Musica, OneDrumTrackIsListedAloneAndSelectedAndDrivesTheKit) {
  ASSERT_TRUE(abrir({melodia("Bass", 0), bateria("Kit", 38)}));
  tocandoDoInicio();
  EXPECT_EQ(itens(), QStringList{textoIdioma("Bateria") + "1"});
  EXPECT_EQ(lista()->currentIndex(), 0);
  EXPECT_EQ(lista()->toolTip(), textoIdioma("CmbTracks"));
  EXPECT_EQ(pecasDoPrimeiroTick(), std::set{caixaPeca});
}

TEST_F(Musica, ThreeDrumTracksAreListedWithAllOfThemSelectedAndEachCanBeChosen) {
  ASSERT_TRUE(
      abrir({bateria("Snare", 38), melodia("Bass", 0), bateria("Toms", 48), bateria("Floor", 43)}));
  tocandoDoInicio();
  const QString bateriaN = textoIdioma("Bateria");
  EXPECT_EQ(itens(), (QStringList{bateriaN + "1", bateriaN + "2", bateriaN + "3",
                                  textoIdioma("BateriaTodas")}));
  EXPECT_EQ(lista()->currentIndex(), 3);
  fake->reset();
  EXPECT_EQ(pecasDoPrimeiroTick(), (std::set{caixaPeca, ton1Peca, surdo1Peca}));
  EXPECT_EQ(notasBateria(), (std::set{38, 43, 48}));

  // The second item: only the second drum track lights the kit, all three still sound.
  escolher(Qt::Key_Home);
  escolher(Qt::Key_Down);
  ASSERT_EQ(lista()->currentIndex(), 1);
  for (FiguraBateria f : {caixaPeca, ton1Peca, surdo1Peca})
    EXPECT_FALSE(kit().isVisivel(f)) << "the choice clears the kit";
  fake->reset();
  EXPECT_EQ(pecasDoPrimeiroTick(), std::set{ton1Peca});
  EXPECT_EQ(notasBateria(), (std::set{38, 43, 48}));
  escolher(Qt::Key_End);
  ASSERT_EQ(lista()->currentIndex(), 3);
  EXPECT_EQ(pecasDoPrimeiroTick(), (std::set{caixaPeca, ton1Peca, surdo1Peca}));

  // The next song lists its own.
  ASSERT_TRUE(abrir({bateria("Kit", 43)}, "next.mid"));
  EXPECT_EQ(itens(), QStringList{bateriaN + "1"});
  EXPECT_EQ(pecasDoPrimeiroTick(), std::set{surdo1Peca});
}

TEST_F(Musica, ThreeTracksNameTheirBoxesAndTheOtherBoxesAreSetAside) {
  // Boxes 5 and 6 keep the check state a song of seven tracks gave them, unchecked here.
  ASSERT_TRUE(abrir({melodia("a", 0), melodia("b", 1), melodia("c", 2), melodia("d", 3),
                     melodia("e", 4), melodia("f", 5), melodia("g", 6)}));
  setup->getCaixa(5).setChecked(false);
  ASSERT_TRUE(abrir({melodia("  Bass  ", 0), bateria("", 38), melodia("Strings", 2)}));
  const QString semNome = textoIdioma("SemNome");
  const QString semTrilha = GerenciadorIdiomas::instancia().getTexto("frmSetup", "CheckBoxText");
  EXPECT_EQ(caixa(0), (Caixa{"Bass", true, true}));
  EXPECT_EQ(caixa(1), (Caixa{semNome, true, true}));
  EXPECT_EQ(caixa(2), (Caixa{"Strings", true, true}));
  EXPECT_EQ(caixa(4), (Caixa{semTrilha, false, true}));
  EXPECT_EQ(caixa(5), (Caixa{semTrilha, false, false}));
  for (int i = 3; i < TFormSetup::numCaixas; ++i) {
    EXPECT_EQ(caixa(i).legenda, semTrilha) << i;
    EXPECT_FALSE(caixa(i).habilitada) << i;
  }
  EXPECT_TRUE(setup->getCheckBoxSel().isEnabled());
  EXPECT_TRUE(setup->getCheckBoxSel().isChecked());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(ArquivoConfiguracao::instancia().isTrilhaAtiva(i)) << i;
  EXPECT_EQ(itens().size(), 1);
  tocandoDoInicio();
}

TEST_F(Musica, ASongOfNoTrackSetsAsideEveryBoxTheSongBeforeItUsed) {
  ASSERT_TRUE(abrir({melodia("Bass", 0)}));
  ASSERT_TRUE(caixa(0).habilitada);
  ASSERT_TRUE(abrir({}));
  const QString semTrilha = GerenciadorIdiomas::instancia().getTexto("frmSetup", "CheckBoxText");
  EXPECT_EQ(caixa(0).legenda, semTrilha);
  EXPECT_FALSE(caixa(0).habilitada);
}

TEST_F(Musica, TwentyTracksFillTheSixteenBoxesAndTheLastFourDriveNothing) {
  std::vector<Bytes> trilhas;
  for (int i = 0; i < 20; ++i)
    trilhas.push_back(i == 3 || i == 17
                          ? bateria("Drums " + std::to_string(i), 38)
                          : melodia("Track " + std::to_string(i), static_cast<uint8_t>(i % 9)));
  ASSERT_TRUE(abrir(trilhas));
  tocandoDoInicio();
  for (int i = 0; i < TFormSetup::numCaixas; ++i) {
    const QString nome = QString(i == 3 ? "Drums %1" : "Track %1").arg(i);
    EXPECT_EQ(caixa(i), (Caixa{nome, true, true}));
  }
  // Track 17 is a drum track past the boxes: it is not listed.
  EXPECT_EQ(itens(), QStringList{textoIdioma("Bateria") + "1"});
  EXPECT_EQ(pecasDoPrimeiroTick(), std::set{caixaPeca});
}

TEST_F(Musica, OpeningWhileLoopingCancelsTheLoopAndPlaysTheNewSongFromItsStart) {
  janela->abrirMusica(musica(seminimas(16)));
  ticks(70);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ticks(130);
  ASSERT_TRUE(clicar(TFormPrincipal::tagRepeat));
  ASSERT_EQ(janela->getEstado(), Estado::Repetindo);
  ticks(40);

  ASSERT_TRUE(janela->abrirMusica(musica(seminimas(8), "other.mid")));
  tocandoDoInicio();
  EXPECT_FALSE(Sequenciador::instancia().isLoopAtivo());
  EXPECT_EQ(Sequenciador::instancia().getInicioLoop(), -1);
  EXPECT_EQ(janela->getTotalTempos(), 8);
  ticks(300);
  EXPECT_EQ(posicaoSequenciador(), 300) << "no loop brings it back";
}

TEST_F(Musica, OpeningInPlayAlongModeEndsIt) {
  ASSERT_TRUE(abrir({bateria("Kit", 38)}));
  auto *caixaPlayAlong = controle<QCheckBox>("ckKaraoke");
  caixaPlayAlong->setChecked(true);
  ASSERT_TRUE(Sequenciador::instancia().isBateriaMuda());
  ASSERT_TRUE(abrir({bateria("Kit", 43)}, "other.mid"));
  EXPECT_FALSE(caixaPlayAlong->isChecked());
  EXPECT_FALSE(Sequenciador::instancia().isBateriaMuda());
  fake->reset();
  ticks(1);
  EXPECT_EQ(notasBateria(), std::set{43}) << "the song's drums sound again";
}

// The import stops the sequencer at tick 0 and keeps the song before; the window then shows
// it stopped, with Play to start it again.
TEST_F(Musica, AFileThatIsNotMidiIsNamedInTheMessageAndTheSongBeforeStandsStopped) {
  ASSERT_TRUE(abrir({bateria("Kit", 38)}, "before.mid"));
  ticks(100);
  const QString ruim = arquivo({'h', 'e', 'l', 'l', 'o'}, QString::fromUtf8("canção.mid"));
  const QString vazio = arquivo({}, "empty.MID");
  for (const char *idioma : {"English", "Português (Brasil)", "Español"}) {
    SCOPED_TRACE(idioma);
    ASSERT_TRUE(GerenciadorIdiomas::instancia().selecionarIdioma(QString::fromUtf8(idioma)));
    for (const QString &arquivoRuim : {ruim, vazio}) {
      mensagens.clear();
      titulos.clear();
      EXPECT_FALSE(janela->abrirMusica(arquivoRuim));
      ASSERT_EQ(mensagens.size(), 1);
      const QString texto = textoIdioma("erroLerArquivoMidi");
      ASSERT_TRUE(texto.contains("%1"));
      EXPECT_TRUE(mensagens[0].startsWith(QString(texto).replace("%1", arquivoRuim) + "\n\n"))
          << mensagens[0].toStdString();
      EXPECT_GT(mensagens[0].size(), texto.size() + arquivoRuim.size())
          << "the import's reason follows";
      EXPECT_EQ(titulos[0], "Kovrinta");
      EXPECT_EQ(janela->getEstado(), Estado::Parado);
      EXPECT_EQ(status(), textoIdioma("Parado"));
      EXPECT_EQ(habilitadas(), "Rew Play FF");
      EXPECT_FALSE(tocando());
      EXPECT_EQ(posicaoSequenciador(), 0);
      EXPECT_EQ(posicao()->value(), 0);
      EXPECT_EQ(controle<QLabel>("lblTime")->text(), "0");
    }
  }
  // The song before is still the one that plays, from its start.
  ASSERT_TRUE(clicar(TFormPrincipal::tagPlay));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  fake->reset();
  ticks(1);
  EXPECT_EQ(notasBateria(), std::set{38});
  EXPECT_EQ(setup->getCaixa(0).text(), "Kit");
}

TEST_F(Musica, AFileThatIsNotMidiBeforeAnySongLeavesTheWindowWithoutASong) {
  EXPECT_FALSE(janela->abrirMusica(arquivo({'M', 'T', 'h', 'd'}, "cut.mid")));
  ASSERT_EQ(mensagens.size(), 1);
  EXPECT_TRUE(mensagens[0].contains("cut.mid"));
  EXPECT_EQ(janela->getEstado(), Estado::SemMusica);
  EXPECT_EQ(status(), "");
  EXPECT_EQ(habilitadas(), "");
  EXPECT_FALSE(lista()->isEnabled());
}

// Acts on a file dialog shown by a click on the window; a watchdog closes it.
class Dialogos : public Musica {
 protected:
  // Clicks tag and runs acao on the dialog once it is shown; acao closes it.
  void comDialogo(int tag, QFileDialog *dialogo, std::function<void()> acao) {
    OperadorDialogo operador(*dialogo, std::move(acao), std::chrono::seconds(20));
    ASSERT_TRUE(clicar(tag));
    EXPECT_TRUE(operador.agiu()) << "no dialog";
    EXPECT_FALSE(operador.estourou()) << "the dialog stayed open";
  }
  // The names the dialog lists in its folder, once it has read the folder.
  static QStringList listados(QFileDialog *dialogo, int quantos) {
    auto *vista = dialogo->findChild<QListView *>(QStringLiteral("listView"));
    EXPECT_NE(vista, nullptr);
    QStringList nomes;
    if (!vista) return nomes;
    waitFor([&] { return vista->model()->rowCount(vista->rootIndex()) >= quantos; },
            std::chrono::seconds(10));
    // A moment longer: the folder is read in a thread, and a file more would show late.
    QTest::qWait(200);
    for (int i = 0; i < vista->model()->rowCount(vista->rootIndex()); ++i)
      nomes << vista->model()->index(i, 0, vista->rootIndex()).data().toString();
    nomes.sort();
    return nomes;
  }
  // Picks arquivo as a user would: its name in the dialog's name box, then Return.
  static void escolher(QFileDialog *dialogo, const QString &arquivo) {
    dialogo->setDirectory(QFileInfo(arquivo).absolutePath());
    auto *nome = dialogo->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nome, nullptr);
    // Set, not typed, so that no completion list pops up over the windows.
    nome->setText(QFileInfo(arquivo).fileName());
    QTest::keyClick(nome, Qt::Key_Return);
  }
  // A folder of the test's own.
  QString subpasta(const QString &nome) {
    QDir(pasta.path()).mkpath(nome);
    return QDir(pasta.path()).filePath(nome);
  }
  static QString musicaEm(const QString &pastaDestino, const QString &nome, const Bytes &trilha) {
    const QString caminho = QDir(pastaDestino).filePath(nome);
    const Bytes bytes = smf(96, {trilha});
    QFile f(caminho);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
    return caminho;
  }
};

// The desktop's own file dialog, where the program runs with one, matches the filter's
// patterns as globs, letter case included (as fnmatch does).
TEST_F(Dialogos, TheOpenDialogsPatternsMatchMidiFilesInAnyLetterCaseAsGlobs) {
  const QStringList filtros = janela->getDlgOpen()->nameFilters();
  ASSERT_EQ(filtros.size(), 1);
  const auto padroes = QRegularExpression(R"(\(([^)]*)\)$)").match(filtros[0]).captured(1);
  ASSERT_FALSE(padroes.isEmpty()) << filtros[0].toStdString();
  const auto aceito = [&](const char *nome) {
    for (const QString &padrao : padroes.split(u' ', Qt::SkipEmptyParts))
      if (fnmatch(padrao.toUtf8().constData(), nome, 0) == 0) return true;
    return false;
  };
  for (const char *nome : {"a.mid", "B.MID", "c.Midi", "X.mIdI", "d.KAR", "e.rmi", "F.Rmi"})
    EXPECT_TRUE(aceito(nome)) << nome;
  for (const char *nome : {"f.txt", "g.mid.bak", "h.midx", "mid", "i.mi"})
    EXPECT_FALSE(aceito(nome)) << nome;
}

TEST_F(Dialogos, TheOpenDialogListsMidiFilesInAnyLetterCaseAndOpensThePick) {
  const QString musicas = subpasta("songs");
  for (const char *nome :
       {"a.mid", "B.MID", "c.Midi", "d.KAR", "e.rmi", "f.txt", "g.mid.bak", "h.midx"})
    musicaEm(musicas, nome, bateria(nome, 38));
  QDir(musicas).mkdir("sub");
  janela->abrirMusica(musicaEm(musicas, "a.mid", bateria("a.mid", 38)));

  QStringList vistos;
  comDialogo(TFormPrincipal::tagOpen, janela->getDlgOpen(), [&] {
    EXPECT_EQ(QDir(janela->getDlgOpen()->directory()).canonicalPath(),
              QDir(musicas).canonicalPath())
        << "it starts where the last song was opened";
    vistos = listados(janela->getDlgOpen(), 6);
    escolher(janela->getDlgOpen(), QDir(musicas).filePath("B.MID"));
  });
  EXPECT_EQ(vistos, (QStringList{"B.MID", "a.mid", "c.Midi", "d.KAR", "e.rmi", "sub"}));
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(setup->getCaixa(0).text(), "B.MID");

  // Cancelled, the dialog does nothing.
  ticks(10);
  fake->reset();
  comDialogo(TFormPrincipal::tagOpen, janela->getDlgOpen(),
             [&] { janela->getDlgOpen()->reject(); });
  EXPECT_EQ(janela->getEstado(), Estado::Tocando);
  EXPECT_EQ(posicaoSequenciador(), 10);
  EXPECT_EQ(calls().find("ResetMidiOut"), std::string::npos);
}

TEST_F(Dialogos, ARhythmFolderTheLanguageWritesWithBackslashesIsFound) {
  const QString idiomas = subpasta("languages");
  const QDir programa(QStringLiteral(KOVRINTA_PROGRAM_DIR));
  ASSERT_TRUE(QFile::copy(programa.filePath("en.dat"), QDir(idiomas).filePath("en.dat")));
  QFile origem(programa.filePath("en.idm"));
  ASSERT_TRUE(origem.open(QIODevice::ReadOnly));
  QByteArray idm = origem.readAll();
  ASSERT_TRUE(idm.contains("dlgRitmos=ritmos"));
  idm.replace("dlgRitmos=ritmos", "dlgRitmos=grooves\\rock");
  QFile copia(QDir(idiomas).filePath("en.idm"));
  ASSERT_TRUE(copia.open(QIODevice::WriteOnly));
  copia.write(idm);
  copia.close();
  GerenciadorIdiomas::reiniciarParaTestes();
  GerenciadorIdiomas::configurarParaTestes(idiomas);
  ASSERT_NE(GerenciadorIdiomas::instancia().selecionarIdioma("English"), nullptr);

  const QString ritmos = subpasta("program/grooves/rock");
  janela->setPastaPrograma(subpasta("program"));
  EXPECT_EQ(QDir(janela->getDlgRitmos()->directory()).canonicalPath(),
            QDir(ritmos).canonicalPath());
}

TEST_F(Dialogos, TheRhythmDialogStartsInTheRhythmFolderAndTheOpenDialogWhereTheLastSongWas) {
  const QString programa = subpasta("program");
  const QString ritmos = subpasta("program/ritmos");
  const QString outra = subpasta("elsewhere");
  musicaEm(ritmos, "rock-110.mid", bateria("rock", 38));
  QFile(QDir(ritmos).filePath("README.txt")).open(QIODevice::WriteOnly);
  janela->setPastaPrograma(programa);
  EXPECT_EQ(QDir(janela->getDlgRitmos()->directory()).canonicalPath(),
            QDir(ritmos).canonicalPath());

  // A song opened elsewhere leads the open dialog there, not the rhythm dialog.
  janela->abrirMusica(musicaEm(outra, "song.mid", bateria("song", 43)));
  QString inicio;
  comDialogo(TFormPrincipal::tagStyles, janela->getDlgRitmos(), [&] {
    inicio = QDir(janela->getDlgRitmos()->directory()).canonicalPath();
    EXPECT_EQ(listados(janela->getDlgRitmos(), 2), (QStringList{"README.txt", "rock-110.mid"}))
        << "the rhythm dialog has no filter";
    escolher(janela->getDlgRitmos(), QDir(ritmos).filePath("rock-110.mid"));
  });
  EXPECT_EQ(inicio, QDir(ritmos).canonicalPath());
  EXPECT_EQ(setup->getCaixa(0).text(), "rock");
  comDialogo(TFormPrincipal::tagOpen, janela->getDlgOpen(), [&] {
    inicio = QDir(janela->getDlgOpen()->directory()).canonicalPath();
    janela->getDlgOpen()->reject();
  });
  EXPECT_EQ(inicio, QDir(ritmos).canonicalPath()) << "the last song came from the rhythm folder";

  // A groove picked in another folder of the rhythm dialog leads it there next time.
  const QString mais = subpasta("program/ritmos/more");
  musicaEm(mais, "samba-100.mid", bateria("samba", 43));
  comDialogo(TFormPrincipal::tagStyles, janela->getDlgRitmos(),
             [&] { escolher(janela->getDlgRitmos(), QDir(mais).filePath("samba-100.mid")); });
  janela->abrirMusica(musicaEm(outra, "song.mid", bateria("song", 43)));
  comDialogo(TFormPrincipal::tagStyles, janela->getDlgRitmos(), [&] {
    inicio = QDir(janela->getDlgRitmos()->directory()).canonicalPath();
    janela->getDlgRitmos()->reject();
  });
  EXPECT_EQ(inicio, QDir(mais).canonicalPath());
}

TEST_F(Dialogos, AMidiFileDroppedOnTheWindowOpensAndOtherFilesAreRefused) {
  const QString texto = arquivo({'h', 'i'}, "notes.txt");
  const QString midi = musicaEm(pasta.path(), "Dropped.MID", bateria("dropped", 38));
  const auto arrastar = [&](const QList<QUrl> &urls) {
    QMimeData dados;
    dados.setUrls(urls);
    // Over the kit: Qt hands a drag to the nearest widget that takes drops, the window.
    const QPoint ponto(300, 200);
    QDragEnterEvent entrada(ponto, Qt::CopyAction, &dados, Qt::LeftButton, {});
    QApplication::sendEvent(janela.get(), &entrada);
    if (!entrada.isAccepted()) return false;
    QDropEvent soltura(ponto, Qt::CopyAction, &dados, Qt::LeftButton, {});
    QApplication::sendEvent(janela.get(), &soltura);
    return soltura.isAccepted();
  };
  EXPECT_FALSE(arrastar({QUrl::fromLocalFile(texto)}));
  EXPECT_FALSE(arrastar({QUrl("https://example.org/song.mid")}));
  QTest::qWait(20);
  EXPECT_EQ(janela->getEstado(), Estado::SemMusica);

  // Among several files, the first MIDI file opens, once the drop has ended.
  EXPECT_TRUE(arrastar({QUrl::fromLocalFile(texto), QUrl::fromLocalFile(midi)}));
  EXPECT_EQ(janela->getEstado(), Estado::SemMusica);
  ASSERT_TRUE(waitFor([&] { return janela->getEstado() == Estado::Tocando; }));
  EXPECT_EQ(setup->getCaixa(0).text(), "dropped");
  // And the open dialog starts there.
  comDialogo(TFormPrincipal::tagOpen, janela->getDlgOpen(), [&] {
    EXPECT_EQ(QDir(janela->getDlgOpen()->directory()).canonicalPath(),
              QDir(pasta.path()).canonicalPath());
    janela->getDlgOpen()->reject();
  });
}

TEST_F(Musica, TheTutorialAndTheHelpOpenTheLanguagesPagesOrSayTheyAreMissing) {
  QStringList abertos;
  bool falhar = false;
  janela->setAbridor([&](const QString &texto) {
    if (falhar) throw std::runtime_error("no browser");
    abertos << texto;
  });
  // A program folder without the documents.
  QDir(pasta.path()).mkpath("program/docs/en");
  const QString programa = QDir(pasta.path()).filePath("program");
  janela->setPastaPrograma(programa);
  const QString geral = "geral";
  const auto texto = [&](const char *chave) {
    return GerenciadorIdiomas::instancia().getTexto(geral, chave);
  };
  ASSERT_TRUE(clicar(TFormPrincipal::tagTutorial));
  ASSERT_TRUE(clicar(TFormPrincipal::tagHelp));
  EXPECT_EQ(mensagens, (QStringList{texto("erroEncontrarTutorial"), texto("erroEncontrarAjuda")}));
  EXPECT_EQ(titulos, (QStringList{"Kovrinta", "Kovrinta"}));
  EXPECT_TRUE(abertos.isEmpty());

  // With them, where the language names them.
  const QString tutorial =
      programa + "/" + GerenciadorIdiomas::instancia().getTexto("parametros", "caminhoTutorial");
  const QString ajuda =
      programa + "/" + GerenciadorIdiomas::instancia().getTexto("(r)parametros", "caminhoAjuda");
  for (const QString &pagina : {tutorial, ajuda}) {
    QFile f(pagina);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << pagina.toStdString();
  }
  mensagens.clear();
  ASSERT_TRUE(clicar(TFormPrincipal::tagTutorial));
  ASSERT_TRUE(clicar(TFormPrincipal::tagHelp));
  EXPECT_EQ(abertos, (QStringList{tutorial, ajuda}));
  EXPECT_TRUE(mensagens.isEmpty());

  // A failure to open them.
  falhar = true;
  ASSERT_TRUE(clicar(TFormPrincipal::tagHelp));
  EXPECT_EQ(mensagens, QStringList{texto("erroAbrirNavegador")});
}

TEST_F(Musica, BothLogosOpenTheWebAddress) {
  QStringList abertos;
  janela->setAbridor([&](const QString &texto) { abertos << texto; });
  const QString endereco = GerenciadorIdiomas::instancia().getTexto("(r)parametros", "urlVelmaro");
  ASSERT_FALSE(endereco.isEmpty());
  for (const char *nome : {"imgURL", "lblURL"}) {
    auto *area = controle(nome);
    EXPECT_EQ(area->cursor().shape(), Qt::PointingHandCursor) << nome;
    QTest::mouseClick(janela->windowHandle(), Qt::LeftButton, {}, area->geometry().center());
  }
  // The second opens the address quoted as one item, as the shell is handed it.
  EXPECT_EQ(abertos, (QStringList{endereco, '"' + endereco + '"'}));
  EXPECT_TRUE(mensagens.isEmpty());
}

}  // namespace
