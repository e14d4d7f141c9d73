// The language manager: discovery, selection by name, the chooser flow, loading, and the
// corrupted-file message per loaded language.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "ArquivosTeste.h"
#include "OperadorDialogo.h"
#include "config/GerenciadorIdiomas.h"
#include "config/TformListaIdiomas.h"

using kovrinta::test::dadoTeste;
using kovrinta::test::fazerJpeg;
using kovrinta::test::gravar;
using kovrinta::test::OperadorDialogo;

namespace {

const QString semArquivos = "No language files were found. Please, reinstall your software.";
const QString naoEncontrado =
    "The language you have selected was not found. Please, select another one.";
const QString nenhumEscolhido =
    "The application could not be initialized because no language was selected.";

class GerenciadorIdiomasTeste : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pasta.isValid()); }

  // A language file whose "geral/nomeAplicacao" names the file, to tell loads apart.
  void idioma(const QString &arquivo, const QString &nome, const QString &codigo = "Kovrinta",
              const QByteArray &resto = {}) {
    ASSERT_TRUE(gravar(pasta.filePath(arquivo),
                       "[EspecificacaoIdioma]\nnomeIdioma=" + nome.toUtf8() +
                           "\ncodAplicacao=" + codigo.toUtf8() +
                           "\n[geral]\nnomeAplicacao=" + arquivo.toUtf8() + "\n" + resto));
  }

  std::unique_ptr<GerenciadorIdiomas> criar() {
    return std::make_unique<GerenciadorIdiomas>(
        pasta.path(), [this](const QString &texto, const QString &titulo) {
          textos.push_back(texto);
          EXPECT_EQ(titulo, "Internationalization");
        });
  }

  QTemporaryDir pasta;
  std::vector<QString> textos;
};

}  // namespace

// --- discovery -----------------------------------------------------------------------

TEST_F(GerenciadorIdiomasTeste, DiscoveryAcceptsOnlyThisProgramsNamedFiles) {
  idioma("a.idm", "Alfa");
  idioma("b.idm", "Beta", "kovrinta");  // application code in another letter case
  idioma("c.idm", "");                  // empty display name
  ASSERT_TRUE(gravar(pasta.filePath("d.idm"), "[EspecificacaoIdioma]\ncodAplicacao=Kovrinta\n"));
  ASSERT_TRUE(gravar(pasta.filePath("e.idm"),
                     "[especificacaoidioma]\nNOMEIDIOMA = Epsilon \nCodAplicacao=Kovrinta\n"));
  idioma(".f.idm", "Oculto");  // hidden
  ASSERT_TRUE(QDir(pasta.path()).mkdir("g.idm"));
  idioma("h.txt", "Texto");
  idioma("Zeta.IDM", "Zeta");

  auto gerenciador = criar();
  EXPECT_EQ(gerenciador->getNomesIdiomas(), (QStringList{"Alfa", "Epsilon", "Zeta"}));
  EXPECT_EQ(gerenciador->getArquivosIdiomas(), (QStringList{"a", "e", "Zeta"}));
  EXPECT_TRUE(textos.empty());
  EXPECT_FALSE(gerenciador->isTerminacaoSolicitada());
  EXPECT_FALSE(gerenciador->temIdioma());
  EXPECT_EQ(gerenciador->getIndiceAtual(), -1);
  EXPECT_EQ(gerenciador->getTexto("geral", "nomeAplicacao"), "");
  EXPECT_TRUE(gerenciador->getImagem("frmEntrada", "imgEntrada").isNull());
}

TEST_F(GerenciadorIdiomasTeste, NoUsableFileSaysSoAndAsksToEnd) {
  idioma("b.idm", "Beta", "Kovrinta2");
  idioma("c.idm", "");
  auto gerenciador = criar();
  EXPECT_TRUE(gerenciador->getNomesIdiomas().isEmpty());
  EXPECT_EQ(textos, std::vector<QString>{semArquivos});
  EXPECT_TRUE(gerenciador->isTerminacaoSolicitada());
}

TEST(GerenciadorIdiomasArquivos, AccentedAndWindows1252FilesAreDiscovered) {
  GerenciadorIdiomas portugues(dadoTeste("idiomas/valid/utf-8"),
                               [](const QString &, const QString &) {});
  EXPECT_EQ(portugues.getNomesIdiomas(), QStringList{QString::fromUtf8("Português (Brasil)")});
  EXPECT_EQ(portugues.getArquivosIdiomas(), QStringList{QString::fromUtf8("Português")});
  ASSERT_NE(portugues.selecionarIdioma(QString::fromUtf8("PORTUGUÊS (BRASIL)")), nullptr);
  EXPECT_EQ(portugues.getTexto("geral", "tituloGeral"), "Kovrinta - Bateria Virtual");
  EXPECT_EQ(portugues.getImagem("frmEntrada", "imgEntrada").size(), QSize(8, 4));

  GerenciadorIdiomas espanhol(dadoTeste("idiomas/valid/windows-1252"),
                              [](const QString &, const QString &) {});
  EXPECT_EQ(espanhol.getNomesIdiomas(), QStringList{QString::fromUtf8("Español")});
  ASSERT_NE(espanhol.selecionarIdioma(QString::fromUtf8("español")), nullptr);
  EXPECT_EQ(espanhol.getTexto("frmPrincipal", "Pausa"), QString::fromUtf8("Pausa “€ 5”"));
}

// --- selection -----------------------------------------------------------------------

TEST_F(GerenciadorIdiomasTeste, SelectionByNameIgnoresLetterCase) {
  idioma("en.idm", "English");
  idioma("pt.idm", QString::fromUtf8("Português"));
  auto gerenciador = criar();
  Idioma *carregado = gerenciador->selecionarIdioma(QString::fromUtf8("PORTUGUÊS"));
  ASSERT_NE(carregado, nullptr);
  EXPECT_TRUE(gerenciador->temIdioma());
  EXPECT_EQ(gerenciador->getIndiceAtual(), 1);
  EXPECT_EQ(gerenciador->getTexto("geral", "nomeAplicacao"), "pt.idm");
  EXPECT_EQ(carregado->getTexto("geral", "nomeAplicacao"), "pt.idm");
  EXPECT_TRUE(textos.empty());
}

TEST_F(GerenciadorIdiomasTeste, SameDisplayNameTwiceLoadsTheFirstAndListsBoth) {
  idioma("a.idm", "English");
  idioma("b.idm", "english");
  auto gerenciador = criar();
  ASSERT_NE(gerenciador->selecionarIdioma("English"), nullptr);
  EXPECT_EQ(gerenciador->getTexto("geral", "nomeAplicacao"), "a.idm");

  TformListaIdiomas &seletor = gerenciador->getSeletor();
  int itens = -1;
  OperadorDialogo operador(seletor, [&] {
    itens = seletor.getListaIdiomas()->count();
    seletor.reject();
  });
  EXPECT_FALSE(gerenciador->escolherIdioma());
  EXPECT_TRUE(operador.agiu());
  EXPECT_EQ(itens, 2);
  EXPECT_EQ(gerenciador->getIndiceAtual(), 0);
}

TEST_F(GerenciadorIdiomasTeste, UnknownNameLetsTheUserChoose) {
  idioma("a.idm", "Alfa");
  idioma("b.idm", "Beta");
  auto gerenciador = criar();
  TformListaIdiomas &seletor = gerenciador->getSeletor();
  QStringList mostrados;
  bool semSelecao = false;
  OperadorDialogo operador(seletor, [&] {
    QListWidget *lista = seletor.getListaIdiomas();
    for (int i = 0; i < lista->count(); ++i) mostrados << lista->item(i)->text();
    semSelecao = lista->selectedItems().isEmpty();
    lista->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    seletor.getBtnOk()->click();
  });

  Idioma *carregado = gerenciador->selecionarIdioma("Gama");
  EXPECT_TRUE(operador.agiu());
  EXPECT_FALSE(operador.estourou());
  EXPECT_EQ(mostrados, (QStringList{"Alfa", "Beta"}));
  EXPECT_TRUE(semSelecao);
  ASSERT_NE(carregado, nullptr);
  EXPECT_EQ(gerenciador->getIndiceAtual(), 1);
  EXPECT_EQ(gerenciador->getTexto("geral", "nomeAplicacao"), "b.idm");
  EXPECT_EQ(textos, std::vector<QString>{naoEncontrado});
  EXPECT_FALSE(gerenciador->isTerminacaoSolicitada());
}

TEST_F(GerenciadorIdiomasTeste, UnknownNameAndNoChoiceEnds) {
  idioma("a.idm", "Alfa");
  auto gerenciador = criar();
  TformListaIdiomas &seletor = gerenciador->getSeletor();
  OperadorDialogo operador(seletor, [&] { seletor.getBtnCancelar()->click(); });

  EXPECT_EQ(gerenciador->selecionarIdioma(""), nullptr);
  EXPECT_TRUE(operador.agiu());
  EXPECT_EQ(textos, (std::vector<QString>{naoEncontrado, nenhumEscolhido}));
  EXPECT_TRUE(gerenciador->isTerminacaoSolicitada());
  EXPECT_FALSE(gerenciador->temIdioma());
}

TEST_F(GerenciadorIdiomasTeste, NoFilesThenNoChoiceDoesNotRepeatTheEnd) {
  auto gerenciador = criar();
  TformListaIdiomas &seletor = gerenciador->getSeletor();
  int itens = -1;
  OperadorDialogo operador(seletor, [&] {
    itens = seletor.getListaIdiomas()->count();
    seletor.getBtnOk()->click();
  });

  EXPECT_EQ(gerenciador->selecionarIdioma("English"), nullptr);
  EXPECT_TRUE(operador.agiu());
  EXPECT_EQ(itens, 0);
  EXPECT_EQ(textos, (std::vector<QString>{semArquivos, naoEncontrado}));
  EXPECT_TRUE(gerenciador->isTerminacaoSolicitada());
}

TEST_F(GerenciadorIdiomasTeste, ChooserShowsTheLoadedLanguageSelected) {
  idioma("a.idm", "Alfa");
  idioma("b.idm", "Beta");
  auto gerenciador = criar();
  ASSERT_NE(gerenciador->carregarIdioma(1), nullptr);
  TformListaIdiomas &seletor = gerenciador->getSeletor();
  int selecionado = -2;
  OperadorDialogo operador(seletor, [&] {
    const auto itens = seletor.getListaIdiomas()->selectedItems();
    selecionado = itens.size() == 1 ? seletor.getListaIdiomas()->row(itens[0]) : -1;
    seletor.reject();
  });
  EXPECT_FALSE(gerenciador->escolherIdioma());
  EXPECT_EQ(selecionado, 1);
  EXPECT_EQ(gerenciador->getIndiceAtual(), 1);
}

// --- loading -------------------------------------------------------------------------

TEST_F(GerenciadorIdiomasTeste, IndexOutsideTheListChangesNothing) {
  idioma("a.idm", "Alfa");
  idioma("b.idm", "Beta");
  auto gerenciador = criar();
  EXPECT_EQ(gerenciador->carregarIdioma(2), nullptr);
  EXPECT_EQ(gerenciador->carregarIdioma(-1), nullptr);
  EXPECT_FALSE(gerenciador->temIdioma());
  Idioma *alfa = gerenciador->carregarIdioma(0);
  ASSERT_NE(alfa, nullptr);
  EXPECT_EQ(gerenciador->carregarIdioma(5), nullptr);
  EXPECT_EQ(gerenciador->getIndiceAtual(), 0);
  EXPECT_EQ(gerenciador->getTexto("geral", "nomeAplicacao"), "a.idm");
}

TEST_F(GerenciadorIdiomasTeste, LoadedLanguageIsNotReadAgain) {
  idioma("a.idm", "Alfa");
  idioma("b.idm", "Beta");
  auto gerenciador = criar();
  Idioma *alfa = gerenciador->carregarIdioma(0);
  idioma("a.idm", "Alfa", "Kovrinta", "[novo]\nk=1\n");
  EXPECT_EQ(gerenciador->carregarIdioma(0), alfa);
  EXPECT_EQ(gerenciador->getTexto("novo", "k"), "");

  ASSERT_NE(gerenciador->carregarIdioma(1), nullptr);
  ASSERT_NE(gerenciador->carregarIdioma(0), nullptr);
  EXPECT_EQ(gerenciador->getTexto("novo", "k"), "1");
}

TEST_F(GerenciadorIdiomasTeste, UnreadableTextFileThrowsAndKeepsTheCurrentLanguage) {
  idioma("a.idm", "Alfa");
  idioma("b.idm", "Beta");
  auto gerenciador = criar();
  ASSERT_NE(gerenciador->carregarIdioma(0), nullptr);
  ASSERT_TRUE(QFile::remove(pasta.filePath("b.idm")));
  EXPECT_THROW(gerenciador->carregarIdioma(1), EFOpenError);
  EXPECT_EQ(gerenciador->getIndiceAtual(), 0);
  EXPECT_EQ(gerenciador->getTexto("geral", "nomeAplicacao"), "a.idm");
}

TEST_F(GerenciadorIdiomasTeste, CorruptedMessageOncePerLoadedLanguage) {
  idioma("a.idm", "Alfa", "Kovrinta", "[p]\nruim=0,10\npior=x\n");
  idioma("b.idm", "Beta", "Kovrinta", "[p]\nruim=0,10\n");
  auto gerenciador = criar();
  auto corrompidos = [&] {
    return std::count_if(textos.begin(), textos.end(),
                         [](const QString &t) { return t.contains("is corrupted"); });
  };
  gerenciador->carregarIdioma(0);
  EXPECT_TRUE(gerenciador->getImagem("p", "ruim").isNull());
  EXPECT_TRUE(gerenciador->getImagem("p", "pior").isNull());
  EXPECT_EQ(corrompidos(), 1);
  gerenciador->carregarIdioma(1);
  EXPECT_TRUE(gerenciador->getImagem("p", "ruim").isNull());
  EXPECT_EQ(corrompidos(), 2);
  gerenciador->carregarIdioma(0);
  EXPECT_TRUE(gerenciador->getImagem("p", "ruim").isNull());
  EXPECT_EQ(corrompidos(), 3);
}

TEST_F(GerenciadorIdiomasTeste, UpperCaseExtensionPairsWithUpperCasePictureFile) {
  const QByteArray jpeg = fazerJpeg(5, 7, Qt::white);
  idioma("Zeta.IDM", "Zeta", "Kovrinta", "[p]\nimg=0," + QByteArray::number(jpeg.size()) + "\n");
  ASSERT_TRUE(gravar(pasta.filePath("Zeta.DAT"), jpeg));
  auto gerenciador = criar();
  ASSERT_NE(gerenciador->selecionarIdioma("zeta"), nullptr);
  EXPECT_EQ(gerenciador->getImagem("p", "img").size(), QSize(5, 7));
  EXPECT_TRUE(textos.empty());
}

// --- single instance -----------------------------------------------------------------

TEST_F(GerenciadorIdiomasTeste, SingleInstanceUsesTheTestFolderUntilReset) {
  idioma("a.idm", "Alfa");
  GerenciadorIdiomas::configurarParaTestes(pasta.path(), [](const QString &, const QString &) {});
  GerenciadorIdiomas::reiniciarParaTestes();
  GerenciadorIdiomas &gerenciador = GerenciadorIdiomas::instancia();
  EXPECT_EQ(&GerenciadorIdiomas::instancia(), &gerenciador);
  EXPECT_EQ(gerenciador.getNomesIdiomas(), QStringList{"Alfa"});
  idioma("b.idm", "Beta");
  EXPECT_EQ(GerenciadorIdiomas::instancia().getNomesIdiomas().size(), 1);
  GerenciadorIdiomas::reiniciarParaTestes();
  EXPECT_EQ(GerenciadorIdiomas::instancia().getNomesIdiomas().size(), 2);
  GerenciadorIdiomas::reiniciarParaTestes();
}
