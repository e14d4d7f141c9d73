// The configuration file: reading with its defaults, saving safely, and the shared
// run-time state (track flags, instrument).
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QDir>
#include <QTemporaryDir>
#include <climits>

#include "ArquivosTeste.h"
#include "config/ArquivoConfiguracao.h"
#include "ui/Bateria.h"
#include "ui/PainelInstrumento.h"

using kovrinta::test::dadoTeste;
using kovrinta::test::gravar;
using kovrinta::test::lerTudo;

namespace {

ArquivoConfiguracao::Local localEm(const QString &pasta, const QString &programa = "Kovrinta") {
  return {pasta, programa, pasta + "/usuario"};
}

// Files in pasta, hidden ones included: a save must leave no temporary file behind.
QStringList conteudo(const QString &pasta) {
  return QDir(pasta).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class ArquivoConfiguracaoTeste : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pasta.isValid()); }
  QString caminho(const QString &nome) const { return pasta.filePath(nome); }
  QTemporaryDir pasta;
};

}  // namespace

// --- reading -------------------------------------------------------------------------

TEST_F(ArquivoConfiguracaoTeste, WithoutFileTakesDefaults) {
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  EXPECT_EQ(configuracao.getDriver(), 0);
  EXPECT_EQ(configuracao.getIdioma(), "English");
  EXPECT_EQ(configuracao.getVolume(), 127);
  EXPECT_EQ(configuracao.getVisualizacao(), 0);
  EXPECT_EQ(configuracao.getInstrumento(), nullptr);
  EXPECT_EQ(configuracao.getAjustesEntrada(), AjustesEntrada{});
  for (int i = 0; i < 16; ++i) EXPECT_FALSE(configuracao.isTrilhaAtiva(i)) << i;
}

TEST(ArquivoConfiguracaoLeitura, ReadsWithIniConventions) {
  // Section and keys in other letter cases, blanks and a tab around values, a quoted
  // value, a comment line.
  ArquivoConfiguracao configuracao(localEm(dadoTeste("config/valid/utf-8")));
  EXPECT_EQ(configuracao.getDriver(), 4);
  EXPECT_EQ(configuracao.getIdioma(), QString::fromUtf8("Português (Brasil)"));
  EXPECT_EQ(configuracao.getVolume(), 100);
  EXPECT_EQ(configuracao.getVisualizacao(), 1);
}

TEST(ArquivoConfiguracaoLeitura, ReadsWindows1252File) {
  ArquivoConfiguracao configuracao(localEm(dadoTeste("config/valid/windows-1252")));
  EXPECT_EQ(configuracao.getDriver(), 2);
  EXPECT_EQ(configuracao.getVolume(), 64);
  EXPECT_EQ(configuracao.getIdioma(), QString::fromUtf8("Español"));
}

TEST(ArquivoConfiguracaoLeitura, AccentedProgramNameNamesTheFile) {
  ArquivoConfiguracao configuracao(
      localEm(dadoTeste("config/valid/nome-acentuado"), QString::fromUtf8("Percussão")));
  EXPECT_EQ(configuracao.getNomeArquivo(), QString::fromUtf8("Percussão.ini"));
  EXPECT_EQ(configuracao.getDriver(), 1);
  EXPECT_EQ(configuracao.getVolume(), 80);
  EXPECT_EQ(configuracao.getIdioma(), QString::fromUtf8("Português (Brasil)"));
}

TEST(ArquivoConfiguracaoLeitura, FileNameReplacesTheExtension) {
  const QString pasta = dadoTeste("config/valid/utf-8");
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta, "Kovrinta")).getNomeArquivo(), "Kovrinta.ini");
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta, "Kovrinta.exe")).getNomeArquivo(), "Kovrinta.ini");
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta, "kovrinta.bin.x")).getNomeArquivo(),
            "kovrinta.bin.ini");
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta, ".kovrinta")).getNomeArquivo(), ".kovrinta.ini");
}

TEST(ArquivoConfiguracaoLeitura, DriverOfLettersLeavesDefaultsAndEmptyLanguage) {
  ArquivoConfiguracao configuracao(localEm(dadoTeste("config/invalid/driver-letras")));
  EXPECT_EQ(configuracao.getDriver(), 0);
  EXPECT_EQ(configuracao.getVolume(), 127);
  EXPECT_EQ(configuracao.getIdioma(), "");
}

TEST(ArquivoConfiguracaoLeitura, VolumeOfLettersKeepsDeviceAndLanguage) {
  ArquivoConfiguracao configuracao(localEm(dadoTeste("config/invalid/volume-letras")));
  EXPECT_EQ(configuracao.getDriver(), 3);
  EXPECT_EQ(configuracao.getIdioma(), QString::fromUtf8("Español"));
  EXPECT_EQ(configuracao.getVolume(), 127);
  EXPECT_EQ(configuracao.getVisualizacao(), 0);
}

TEST(ArquivoConfiguracaoLeitura, VisualizacaoOfLettersResetsVolume) {
  ArquivoConfiguracao configuracao(localEm(dadoTeste("config/invalid/visualizacao-letras")));
  EXPECT_EQ(configuracao.getDriver(), 5);
  EXPECT_EQ(configuracao.getIdioma(), QString::fromUtf8("Español"));
  EXPECT_EQ(configuracao.getVolume(), 127);
  EXPECT_EQ(configuracao.getVisualizacao(), 0);
}

TEST_F(ArquivoConfiguracaoTeste, EdgeValues) {
  struct Caso {
    const char *texto;
    int driver;
    const char *idioma;
    int volume;
  };
  const Caso casos[] = {
      {"[geral]\ndriver=-1\nvolume=5\nidioma=English\n", -1, "English", 5},
      // An empty value is not a whole number.
      {"[geral]\ndriver=\nvolume=5\n", 0, "", 127},
      {"[geral]\ndriver=1\nidioma=X\nvolume=99999999999\n", 1, "X", 127},
      // A ";" inside a value is part of it; CR-only line ends.
      {"[geral]\ridioma=Rock; Pop\rdriver=2\r", 2, "Rock; Pop", 127},
  };
  for (const Caso &caso : casos) {
    ASSERT_TRUE(gravar(caminho("Kovrinta.ini"), caso.texto));
    ArquivoConfiguracao configuracao(localEm(pasta.path()));
    EXPECT_EQ(configuracao.getDriver(), caso.driver) << caso.texto;
    EXPECT_EQ(configuracao.getIdioma(), caso.idioma) << caso.texto;
    EXPECT_EQ(configuracao.getVolume(), caso.volume) << caso.texto;
  }
}

// Each value of [entrada] stands alone: a bad one takes its default, a number out of range its
// nearest bound, an unknown map word "gm"; a bad [geral] leaves the section read.
TEST_F(ArquivoConfiguracaoTeste, KitSettingsTakeDefaultsAndBoundsForBadValues) {
  struct Caso {
    const char *texto;
    const char *mapa;
    const char *notas;
    int velocidadeMinima;
    int limiarChimbal;
    bool chimbalInvertido;
  };
  const Caso casos[] = {
      {"[entrada]\nvelocidadeMinima=0\nlimiarChimbal=200\n", "gm", "", 1, 127, false},
      {"[entrada]\nvelocidadeMinima=99999999999\nlimiarChimbal=-5\nmapa=ROLAND\n", "roland", "",
       127, 0, false},
      {"[entrada]\nvelocidadeMinima=alto\nlimiarChimbal=\nchimbalInvertido=sim\nmapa=Casio\n", "gm",
       "", 8, 64, false},
      {"[geral]\ndriver=x\n[ENTRADA]\nMapa=Personalizado\nnotas=36:bumbo lixo 999:caixa\n"
       "chimbalInvertido=1\n",
       "personalizado", "36:bumbo", 8, 64, true},
  };
  for (const Caso &caso : casos) {
    ASSERT_TRUE(gravar(caminho("Kovrinta.ini"), caso.texto));
    const AjustesEntrada lido = ArquivoConfiguracao(localEm(pasta.path())).getAjustesEntrada();
    EXPECT_EQ(lido.mapa, caso.mapa) << caso.texto;
    EXPECT_EQ(lido.notas, caso.notas) << caso.texto;
    EXPECT_EQ(lido.velocidadeMinima, caso.velocidadeMinima) << caso.texto;
    EXPECT_EQ(lido.limiarChimbal, caso.limiarChimbal) << caso.texto;
    EXPECT_EQ(lido.chimbalInvertido, caso.chimbalInvertido) << caso.texto;
  }
}

// --- saving --------------------------------------------------------------------------

TEST_F(ArquivoConfiguracaoTeste, SaveWritesExactlyFourLines) {
  ASSERT_TRUE(gravar(caminho("Kovrinta.ini"),
                     QString::fromUtf8("[outra]\nchave=1\n[geral]\ndriver=3\nvolume=90\n"
                                       "visualizacao=1\nidioma=Português (Brasil)\nextra=x\n")
                         .toUtf8()));
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  configuracao.setDriver(-1);
  configuracao.setVolume(55);
  configuracao.salvar();

  EXPECT_EQ(lerTudo(caminho("Kovrinta.ini")),
            QString::fromUtf8("[geral]\r\ndriver=-1\r\nvolume=55\r\nidioma=Português (Brasil)\r\n")
                .toUtf8());
  EXPECT_EQ(conteudo(pasta.path()), QStringList{"Kovrinta.ini"});

  ArquivoConfiguracao relido(localEm(pasta.path()));
  EXPECT_EQ(relido.getDriver(), -1);
  EXPECT_EQ(relido.getVolume(), 55);
  EXPECT_EQ(relido.getIdioma(), QString::fromUtf8("Português (Brasil)"));
}

// The kit's section follows [geral]; a port name with blanks at its ends and letters beyond
// ASCII reads back as it was.
TEST_F(ArquivoConfiguracaoTeste, KitSettingsSurviveASave) {
  AjustesEntrada ajustes;
  ajustes.dispositivo = QString::fromUtf8(" Módulo Bateria:Porta MIDI 1 20:0 ");
  ajustes.mapa = "personalizado";
  ajustes.notas = "22:chimbalFechado 36:bumbo";
  ajustes.velocidadeMinima = 20;
  ajustes.limiarChimbal = 90;
  ajustes.guardaCruzada = true;
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  configuracao.setAjustesEntrada(ajustes);
  configuracao.salvar();

  EXPECT_EQ(lerTudo(caminho("Kovrinta.ini")),
            QString::fromUtf8("[geral]\r\ndriver=0\r\nvolume=127\r\nidioma=English\r\n"
                              "[entrada]\r\ndispositivo=\" Módulo Bateria:Porta MIDI 1 20:0 \"\r\n"
                              "mapa=personalizado\r\nnotas=22:chimbalFechado 36:bumbo\r\n"
                              "velocidadeMinima=20\r\nlimiarChimbal=90\r\nchimbalInvertido=0\r\n"
                              "guardaCruzada=1\r\n")
                .toUtf8());
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta.path())).getAjustesEntrada(), ajustes);
}

// The practice settings and the songs remembered read back as saved, the most recent song
// first; values out of range are brought back into it, and only the last 50 songs are kept.
TEST_F(ArquivoConfiguracaoTeste, PracticeAndTheSongsRememberedSurviveASave) {
  AjustesPratica pratica;
  pratica.contagem = 2;
  pratica.clique = true;
  pratica.volumeClique = 55;
  pratica.marcasNasLinhas = false;
  pratica.treinador = {true, 60, 10, 3, 95};
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  configuracao.setAjustesPratica(pratica);
  for (int i = 0; i < 52; ++i) {
    LembrancaMusica lembranca;
    lembranca.arquivo = QStringLiteral("/músicas/%1.mid").arg(i);
    lembranca.inicioLoop = i;
    lembranca.fimLoop = i + 768;
    lembranca.velocidade = 50 + i;
    configuracao.getMemoriaMusicas().lembrar(lembranca);
  }
  LembrancaMusica espacos;
  espacos.arquivo = QStringLiteral(" /songs/with blanks.mid ");
  espacos.trilha = 1;
  espacos.clique = true;
  configuracao.getMemoriaMusicas().lembrar(espacos);
  configuracao.salvar();

  ArquivoConfiguracao lida(localEm(pasta.path()));
  EXPECT_EQ(lida.getAjustesPratica(), pratica);
  const auto &lembrancas = lida.getMemoriaMusicas().getLembrancas();
  ASSERT_EQ(lembrancas.size(), 50u);
  EXPECT_EQ(lembrancas.front(), espacos);
  EXPECT_EQ(lembrancas[1], *configuracao.getMemoriaMusicas().buscar("/músicas/51.mid"));
  EXPECT_EQ(lembrancas.back().arquivo, "/músicas/3.mid");
  EXPECT_EQ(lida.getMemoriaMusicas().recentes().size(), 10);

  gravar(caminho("Kovrinta.ini"),
         "[pratica]\ncontagem=7\nvolumeClique=-3\ntreinadorAlvo=900\n"
         "[musica1]\narquivo=/a.mid\nvelocidade=5\n[musica2]\nvelocidade=90\n");
  ArquivoConfiguracao ruim(localEm(pasta.path()));
  EXPECT_EQ(ruim.getAjustesPratica().contagem, 2);
  EXPECT_EQ(ruim.getAjustesPratica().volumeClique, 0);
  EXPECT_EQ(ruim.getAjustesPratica().treinador.alvo, 200);
  ASSERT_EQ(ruim.getMemoriaMusicas().getLembrancas().size(), 1u) << "a song needs its file";
  EXPECT_EQ(ruim.getMemoriaMusicas().getLembrancas()[0].velocidade, 25);
}

// The judging settings: kept across a save to the tenth of a millisecond, brought into range
// or back to their defaults when the file holds what they cannot be.
TEST_F(ArquivoConfiguracaoTeste, TheJudgingSettingsSurviveASaveAndBadValuesTakeBounds) {
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  configuracao.setAjustesJulgamento({Rigor::estrito, -12.3, 40});
  configuracao.salvar();
  ArquivoConfiguracao lida(localEm(pasta.path()));
  EXPECT_EQ(lida.getAjustesJulgamento(), (AjustesJulgamento{Rigor::estrito, -12.3, 40}));

  gravar(caminho("Kovrinta.ini"),
         "[julgamento]\nrigor=severo\nlatenciaEntrada=9999\natrasoVisual=-5\n");
  const AjustesJulgamento ruins = ArquivoConfiguracao(localEm(pasta.path())).getAjustesJulgamento();
  EXPECT_EQ(ruins.rigor, Rigor::normal);
  EXPECT_EQ(ruins.latenciaEntradaMs, AjustesJulgamento::latenciaMaximaMs);
  EXPECT_EQ(ruins.atrasoVisualMs, 0);
  gravar(caminho("Kovrinta.ini"), "[julgamento]\nlatenciaEntrada=nan\n");
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta.path())).getAjustesJulgamento().latenciaEntradaMs, 0);
}

TEST_F(ArquivoConfiguracaoTeste, TheZoomSurvivesASaveAndAnotherIsTakenAsNoneChosen) {
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  configuracao.setZoom(150);
  ASSERT_TRUE(configuracao.salvar());
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta.path())).getZoom(), 150);
  gravar(caminho("Kovrinta.ini"), "[janela]\nzoom=125\n");
  EXPECT_EQ(ArquivoConfiguracao(localEm(pasta.path())).getZoom(), 0);
}

// Reading strips blanks around a value, then one pair of enclosing quotes: a name read from
// quotes keeps its own quotes and blanks across a save.
TEST_F(ArquivoConfiguracaoTeste, ALanguageNameReadFromQuotesStaysTheSameAcrossASave) {
  for (const char *nome :
       {"\"Pirata\"", "'Pirata'", "\"", "\"Pirata'", " Pirata", "Pirata\t", " \"Pirata\" "}) {
    ASSERT_TRUE(gravar(caminho("Kovrinta.ini"), "[geral]\nidioma='" + QByteArray(nome) + "'\n"));
    ArquivoConfiguracao configuracao(localEm(pasta.path()));
    ASSERT_EQ(configuracao.getIdioma(), QString(nome));
    configuracao.salvar();
    EXPECT_EQ(ArquivoConfiguracao(localEm(pasta.path())).getIdioma(), QString(nome));
  }
}

TEST_F(ArquivoConfiguracaoTeste, SaveWhereNothingCanBeWrittenChangesNothing) {
  // A path below a regular file cannot become a folder, not even for root.
  const QByteArray bloqueio = "not a folder";
  ASSERT_TRUE(gravar(caminho("bloqueio"), bloqueio));
  const ArquivoConfiguracao::Local local{caminho("bloqueio/programa"), "Kovrinta",
                                         caminho("bloqueio/usuario")};
  ArquivoConfiguracao configuracao(local);
  configuracao.setDriver(6);
  configuracao.setVolume(12);

  EXPECT_NO_THROW(configuracao.salvar());
  EXPECT_EQ(configuracao.getDriver(), 6);
  EXPECT_EQ(configuracao.getVolume(), 12);
  EXPECT_EQ(configuracao.getIdioma(), "English");
  EXPECT_EQ(lerTudo(caminho("bloqueio")), bloqueio);
  EXPECT_EQ(conteudo(pasta.path()), QStringList{"bloqueio"});
}

// A small file system of its own on pasta, which a test may fill or make read-only; montado
// is false where this process may not mount one.
struct Tmpfs {
  explicit Tmpfs(const QString &pasta) : pasta(pasta.toLocal8Bit()) {
    montado = QDir().mkpath(pasta) &&
              ::mount("tmpfs", this->pasta.constData(), "tmpfs", 0, "size=64k") == 0;
  }
  ~Tmpfs() {
    if (montado) ::umount2(pasta.constData(), MNT_DETACH);
  }
  bool somenteLeitura() {
    return ::mount(nullptr, pasta.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  QByteArray pasta;
  bool montado = false;
};

// Root writes into a read-only folder's permissions, not into a read-only file system.
TEST_F(ArquivoConfiguracaoTeste, ASaveOnAFullDiskOrAReadOnlyFileSystemKeepsTheOldFile) {
  const QByteArray antigo = "[geral]\r\ndriver=3\r\nvolume=90\r\nidioma=English\r\n";
  Tmpfs cheio(caminho("cheio"));
  if (!cheio.montado) GTEST_SKIP() << "no file system can be mounted here";
  ASSERT_TRUE(gravar(caminho("cheio/Kovrinta.ini"), antigo));
  {
    QFile enchimento(caminho("cheio/enchimento"));
    ASSERT_TRUE(enchimento.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray bloco(1024, 'x');
    while (enchimento.write(bloco) == bloco.size()) {
    }
  }
  ArquivoConfiguracao noCheio(localEm(caminho("cheio")));
  noCheio.setDriver(4);
  EXPECT_FALSE(noCheio.salvar());
  EXPECT_EQ(lerTudo(caminho("cheio/Kovrinta.ini")), antigo);
  EXPECT_EQ(conteudo(caminho("cheio")), (QStringList{"Kovrinta.ini", "enchimento"}));

  Tmpfs leitura(caminho("leitura"));
  ASSERT_TRUE(leitura.montado);
  ASSERT_TRUE(gravar(caminho("leitura/Kovrinta.ini"), antigo));
  ASSERT_TRUE(leitura.somenteLeitura());
  ArquivoConfiguracao naLeitura(localEm(caminho("leitura")));
  naLeitura.setDriver(4);
  EXPECT_FALSE(naLeitura.salvar());
  EXPECT_EQ(lerTudo(caminho("leitura/Kovrinta.ini")), antigo);
}

TEST_F(ArquivoConfiguracaoTeste, SaveInterruptedBeforeReplacingKeepsOldFile) {
  const QByteArray antigo = "[geral]\r\ndriver=3\r\nvolume=90\r\nidioma=English\r\nextra=1\r\n";
  ASSERT_TRUE(gravar(caminho("Kovrinta.ini"), antigo));
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  configuracao.setDriver(4);
  int chamadas = 0;
  configuracao.setAntesDeSubstituirParaTestes([&] {
    ++chamadas;
    return false;
  });

  configuracao.salvar();
  EXPECT_EQ(chamadas, 1);
  EXPECT_EQ(lerTudo(caminho("Kovrinta.ini")), antigo);
  EXPECT_EQ(conteudo(pasta.path()), QStringList{"Kovrinta.ini"});

  // The same save, let through, does replace the file.
  configuracao.setAntesDeSubstituirParaTestes([] { return true; });
  configuracao.salvar();
  EXPECT_EQ(lerTudo(caminho("Kovrinta.ini")),
            QByteArray("[geral]\r\ndriver=4\r\nvolume=90\r\nidioma=English\r\n"));
}

TEST_F(ArquivoConfiguracaoTeste, UnwritableProgramFolderUsesUserFolder) {
  ASSERT_TRUE(gravar(caminho("bloqueio"), "x"));
  const ArquivoConfiguracao::Local local{caminho("bloqueio/programa"), "Kovrinta",
                                         caminho("config/Kovrinta")};
  {
    ArquivoConfiguracao configuracao(local);
    EXPECT_EQ(configuracao.getCaminhoArquivo(), caminho("config/Kovrinta/Kovrinta.ini"));
    configuracao.setDriver(7);
    configuracao.salvar();
  }
  EXPECT_EQ(lerTudo(caminho("config/Kovrinta/Kovrinta.ini")),
            QByteArray("[geral]\r\ndriver=7\r\nvolume=127\r\nidioma=English\r\n"));
  ArquivoConfiguracao relido(local);
  EXPECT_EQ(relido.getDriver(), 7);
}

// An installed program in a folder the user may write (a prefix of their own) still keeps
// each user's settings in their own folder; a file shipped beside it gives the first ones.
TEST_F(ArquivoConfiguracaoTeste, AnInstalledProgramKeepsItsSettingsInTheUsersFolder) {
  ASSERT_TRUE(gravar(caminho("instalado/Kovrinta.ini"), "[geral]\ndriver=3\n"));
  const ArquivoConfiguracao::Local local{caminho("instalado"), "Kovrinta",
                                         caminho("config/Kovrinta"), true};
  {
    ArquivoConfiguracao configuracao(local);
    EXPECT_EQ(configuracao.getCaminhoArquivo(), caminho("config/Kovrinta/Kovrinta.ini"));
    EXPECT_EQ(configuracao.getDriver(), 3);
    configuracao.setDriver(5);
    configuracao.salvar();
  }
  EXPECT_EQ(lerTudo(caminho("instalado/Kovrinta.ini")), QByteArray("[geral]\ndriver=3\n"));
  EXPECT_EQ(ArquivoConfiguracao(local).getDriver(), 5);
}

// --- run-time state ------------------------------------------------------------------

TEST_F(ArquivoConfiguracaoTeste, TrackFlagsCoverSixteenTracksOnly) {
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  for (int i = 0; i < 16; i += 2) configuracao.setTrilhaAtiva(i, true);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(configuracao.isTrilhaAtiva(i), i % 2 == 0) << i;

  for (int i = 0; i < 16; ++i) configuracao.setTrilhaAtiva(i, true);
  for (int fora : {-1, 16, 17, 1000, INT_MIN, INT_MAX}) {
    configuracao.setTrilhaAtiva(fora, false);
    EXPECT_FALSE(configuracao.isTrilhaAtiva(fora)) << fora;
  }
  for (int i = 0; i < 16; ++i) EXPECT_TRUE(configuracao.isTrilhaAtiva(i)) << i;
}

TEST_F(ArquivoConfiguracaoTeste, SetInstrumentoMakesADrumKitWhateverTheKind) {
  PainelInstrumento painel;
  ArquivoConfiguracao configuracao(localEm(pasta.path()));
  configuracao.setInstrumento(0);
  Instrumento *primeiro = configuracao.getInstrumento();
  EXPECT_NE(dynamic_cast<Bateria *>(primeiro), nullptr);
  EXPECT_EQ(configuracao.getTipoInstrumento(), 0);

  configuracao.setInstrumento(3, &painel);
  Instrumento *segundo = configuracao.getInstrumento();
  EXPECT_NE(dynamic_cast<Bateria *>(segundo), nullptr);
  EXPECT_EQ(configuracao.getTipoInstrumento(), 3);

  // A test's own instrument stands in and gives the kit back.
  Instrumento gravador;
  configuracao.instrumentoParaTestes(&gravador);
  EXPECT_EQ(configuracao.getInstrumento(), &gravador);
  configuracao.instrumentoParaTestes(segundo);
  EXPECT_EQ(configuracao.getInstrumento(), segundo);
}

TEST_F(ArquivoConfiguracaoTeste, SingleInstanceReadsOnceUntilReset) {
  ASSERT_TRUE(gravar(caminho("Kovrinta.ini"), "[geral]\ndriver=9\n"));
  ArquivoConfiguracao::configurarParaTestes(localEm(pasta.path()));
  ArquivoConfiguracao::reiniciarParaTestes();
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  EXPECT_EQ(configuracao.getDriver(), 9);

  ASSERT_TRUE(gravar(caminho("Kovrinta.ini"), "[geral]\ndriver=2\n"));
  EXPECT_EQ(&ArquivoConfiguracao::instancia(), &configuracao);
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 9);

  ArquivoConfiguracao::reiniciarParaTestes();
  EXPECT_EQ(ArquivoConfiguracao::instancia().getDriver(), 2);
  ArquivoConfiguracao::reiniciarParaTestes();
}
