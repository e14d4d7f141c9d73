// One language file: the flattened text lookup and the pictures it points to.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

#include "ArquivosTeste.h"
#include "config/Idioma.h"
#include "config/ImagemJpeg.h"

using kovrinta::test::dadoTeste;
using kovrinta::test::fazerJpeg;
using kovrinta::test::gravar;

namespace {

struct Mensagem {
  QString texto;
  QString titulo;
};

class IdiomaTeste : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pasta.isValid()); }

  // A language made of the text file texto and the picture file imagens.
  std::unique_ptr<Idioma> criar(const QByteArray &texto, const QByteArray &imagens = {}) {
    EXPECT_TRUE(gravar(pasta.filePath("L.idm"), texto));
    if (!imagens.isNull()) {
      EXPECT_TRUE(gravar(pasta.filePath("L.dat"), imagens));
    }
    return std::make_unique<Idioma>(pasta.path(), "L.idm", "L.dat", registrar());
  }

  Mensageiro registrar() {
    return [this](const QString &texto, const QString &titulo) {
      mensagens.push_back({texto, titulo});
    };
  }

  QTemporaryDir pasta;
  std::vector<Mensagem> mensagens;
};

}  // namespace

// --- text lookup ---------------------------------------------------------------------

TEST_F(IdiomaTeste, HashIsALineBreak) {
  auto idioma = criar("[s]\nduas=primeira#segunda\nvazia=##\n");
  EXPECT_EQ(idioma->getTexto("s", "duas"), "primeira\r\nsegunda");
  EXPECT_EQ(idioma->getTexto("s", "vazia"), "\r\n\r\n");
}

TEST_F(IdiomaTeste, KeyIsTakenAsItStandsBeforeTheFirstEquals) {
  auto idioma = criar("[s]\nchave =com branco\noutra= valor\nigual=a=b\n");
  EXPECT_EQ(idioma->getTexto("s", "chave"), "");
  EXPECT_EQ(idioma->getTexto("s", "chave "), "com branco");
  EXPECT_EQ(idioma->getTexto("s", "outra"), " valor");
  EXPECT_EQ(idioma->getTexto("s", "igual"), "a=b");
}

TEST_F(IdiomaTeste, EntryAboveTheFirstSectionIsNeverFound) {
  auto idioma = criar("antes=perdida\n[s]\ndepois=achada\n");
  EXPECT_EQ(idioma->getTexto("s", "antes"), "");
  EXPECT_EQ(idioma->getTexto("", "antes"), "");
  EXPECT_EQ(idioma->getTexto("s", "depois"), "achada");
}

TEST_F(IdiomaTeste, FirstOfDuplicateSectionsAndKeysWins) {
  auto idioma = criar("[s]\nk=1\nk=2\n[t]\nk=3\n[s]\nk=4\nso=5\n");
  EXPECT_EQ(idioma->getTexto("s", "k"), "1");
  EXPECT_EQ(idioma->getTexto("t", "k"), "3");
  EXPECT_EQ(idioma->getTexto("s", "so"), "");
}

TEST_F(IdiomaTeste, BlanksAndControlCharactersAroundALineAreDropped) {
  auto idioma = criar("  [s] \t\r\n\tk=valor \t \r\n\r\n   \r\nk2=x\x01\r\n");
  EXPECT_EQ(idioma->getTexto("s", "k"), "valor");
  EXPECT_EQ(idioma->getTexto("s", "k2"), "x");
}

TEST_F(IdiomaTeste, NamesMatchWithExactCase) {
  auto idioma = criar("[Geral]\nChave=1\n");
  EXPECT_EQ(idioma->getTexto("Geral", "Chave"), "1");
  EXPECT_EQ(idioma->getTexto("geral", "Chave"), "");
  EXPECT_EQ(idioma->getTexto("Geral", "chave"), "");
}

TEST_F(IdiomaTeste, MissingSectionOrKeyIsEmpty) {
  auto idioma = criar("[a]\nk=1\n[b]\nk=2\n");
  EXPECT_EQ(idioma->getTexto("c", "k"), "");
  EXPECT_EQ(idioma->getTexto("a", "falta"), "");
  // Without a section code the key itself is looked up, which a section name matches.
  EXPECT_EQ(idioma->getTexto("c", "b"), "CS2");
}

TEST_F(IdiomaTeste, EveryLineEndIsALineEnd) {
  auto idioma = criar("[s]\rcr=1\nlf=2\r\ncrlf=3\n\rdepois=4");
  EXPECT_EQ(idioma->getTexto("s", "cr"), "1");
  EXPECT_EQ(idioma->getTexto("s", "lf"), "2");
  EXPECT_EQ(idioma->getTexto("s", "crlf"), "3");
  EXPECT_EQ(idioma->getTexto("s", "depois"), "4");
}

TEST_F(IdiomaTeste, UnreadableTextFileThrows) {
  try {
    Idioma idioma(pasta.path(), "falta.idm", "falta.dat", registrar());
    FAIL() << "no error";
  } catch (const EFOpenError &erro) {
    EXPECT_NE(QString::fromLocal8Bit(erro.what()).indexOf("falta.idm"), -1) << erro.what();
  }
  EXPECT_TRUE(mensagens.empty());
}

TEST(IdiomaArquivos, Windows1252FileReadsAccentedTexts) {
  Idioma idioma(dadoTeste("idiomas/valid/windows-1252"), "Espanol.idm", "Espanol.dat",
                [](const QString &, const QString &) {});
  EXPECT_EQ(idioma.getTexto("EspecificacaoIdioma", "nomeIdioma"), QString::fromUtf8("Español"));
  EXPECT_EQ(idioma.getTexto("geral", "tituloGeral"),
            QString::fromUtf8("Kovrinta – Batería Virtual"));
  EXPECT_EQ(
      idioma.getTexto("geral", "erroPPP"),
      QString::fromUtf8("¿La resolución de la pantalla no es 96 PPP?\r\nCámbiela, por favor."));
  EXPECT_EQ(idioma.getTexto("frmPrincipal", "Pausa"), QString::fromUtf8("Pausa “€ 5”"));
}

TEST(IdiomaArquivos, Utf8FileWithAccentedName) {
  Idioma idioma(dadoTeste("idiomas/valid/utf-8"), QString::fromUtf8("Português.idm"),
                QString::fromUtf8("Português.dat"), [](const QString &, const QString &) {});
  EXPECT_EQ(idioma.getTexto("EspecificacaoIdioma", "nomeIdioma"),
            QString::fromUtf8("Português (Brasil)"));
  EXPECT_EQ(
      idioma.getTexto("geral", "erroPPP"),
      QString::fromUtf8("A resolução da tela deve ser 96 PPP.\r\nAjuste-a e reinicie o programa."));
}

// --- pictures ------------------------------------------------------------------------

TEST(IdiomaArquivos, PicturesComeFromTheirOffsets) {
  int avisos = 0;
  Idioma idioma(dadoTeste("idiomas/valid/utf-8"), QString::fromUtf8("Português.idm"),
                QString::fromUtf8("Português.dat"),
                [&](const QString &, const QString &) { ++avisos; });
  const QImage entrada = idioma.getImagem("frmEntrada", "imgEntrada");
  ASSERT_FALSE(entrada.isNull());
  EXPECT_EQ(entrada.size(), QSize(8, 4));
  EXPECT_GT(qRed(entrada.pixel(2, 2)), 180);
  EXPECT_LT(qBlue(entrada.pixel(2, 2)), 80);

  const QImage logo = idioma.getImagem("frmPrincipal", "imgKovrintaLogo");
  ASSERT_FALSE(logo.isNull());
  EXPECT_EQ(logo.size(), QSize(3, 5));
  EXPECT_GT(qBlue(logo.pixel(1, 1)), 180);
  EXPECT_EQ(avisos, 0);
}

TEST(IdiomaArquivos, UnusablePictureValuesShowTheMessageOnce) {
  const char *ruins[] = {"imgSemVirgula", "imgNaoNumero", "imgAlemDoFim", "imgNaoJpeg"};
  auto abrir = [](std::vector<Mensagem> &mensagens) {
    return Idioma(dadoTeste("idiomas/valid/utf-8"), QString::fromUtf8("Português.idm"),
                  QString::fromUtf8("Português.dat"),
                  [&mensagens](const QString &texto, const QString &titulo) {
                    mensagens.push_back({texto, titulo});
                  });
  };
  // Each defect on its own is detected...
  for (const char *chave : ruins) {
    std::vector<Mensagem> mensagens;
    Idioma idioma = abrir(mensagens);
    EXPECT_TRUE(idioma.getImagem("frmPrincipal", chave).isNull()) << chave;
    ASSERT_EQ(mensagens.size(), 1u) << chave;
    EXPECT_TRUE(mensagens[0].texto.startsWith(
        "The file of the language you have selected is corrupted. Try to reinstall your "
        "software.\nIf the problem persist, please contact us: "));
    EXPECT_TRUE(mensagens[0].texto.endsWith('.'));
    EXPECT_EQ(mensagens[0].titulo, "Internationalization");
  }
  // ...and all of them in one language say so once; a missing key says nothing.
  std::vector<Mensagem> mensagens;
  Idioma idioma = abrir(mensagens);
  EXPECT_TRUE(idioma.getImagem("frmPrincipal", "imgFalta").isNull());
  EXPECT_TRUE(mensagens.empty());
  for (const char *chave : ruins) EXPECT_TRUE(idioma.getImagem("frmPrincipal", chave).isNull());
  EXPECT_EQ(mensagens.size(), 1u);
  // The good pictures still come after the message.
  EXPECT_FALSE(idioma.getImagem("frmEntrada", "imgEntrada").isNull());
}

TEST_F(IdiomaTeste, DamagedOffsetsAndPictureFile) {
  const QByteArray jpeg = fazerJpeg(6, 6, Qt::green);
  ASSERT_FALSE(jpeg.isEmpty());
  const QByteArray n = QByteArray::number(jpeg.size());
  const QByteArray curto = QByteArray::number(jpeg.size() - 20);
  auto idioma = criar("[p]\nbom=4," + n + "\nnegativo=-1," + n + "\nzero=4,0\ncortado=4," + curto +
                          "\nespacos= 4 , " + n + "\n",
                      "JUNK" + jpeg);
  EXPECT_EQ(idioma->getImagem("p", "bom").size(), QSize(6, 6));
  EXPECT_EQ(idioma->getImagem("p", "espacos").size(), QSize(6, 6));
  EXPECT_TRUE(mensagens.empty());
  for (const char *chave : {"negativo", "zero", "cortado"}) {
    auto outro =
        criar("[p]\nbom=4," + n + "\nnegativo=-1," + n + "\nzero=4,0\ncortado=4," + curto + "\n");
    mensagens.clear();
    EXPECT_TRUE(outro->getImagem("p", chave).isNull()) << chave;
    EXPECT_EQ(mensagens.size(), 1u) << chave;
  }
}

// A header may declare up to 65535 x 65535 pixels; a side beyond what the windows can show is
// refused before the pixels take memory, and the language reports the picture as corrupted.
TEST_F(IdiomaTeste, APictureLargerThanTheProgramCanShowIsCorrupted) {
  // 64000 x 64000 in 25 bytes: the header asks for 16 GB before any data is decoded.
  const QByteArray enorme =
      QByteArray::fromHex("ffd8ffc0000b08fa00fa0001011100ffda0008010100003f00");
  const QByteArray largo = fazerJpeg(ladoMaximoJpeg + 1, 1, Qt::red);
  const QByteArray alto = fazerJpeg(1, ladoMaximoJpeg + 1, Qt::red);
  const QByteArray maior = fazerJpeg(ladoMaximoJpeg, ladoMaximoJpeg, Qt::blue);
  ASSERT_FALSE(largo.isEmpty() || alto.isEmpty() || maior.isEmpty());
  EXPECT_EQ(decodificarJpeg(maior).size(), QSize(ladoMaximoJpeg, ladoMaximoJpeg));

  QByteArray texto = "[p]\n";
  QByteArray imagens;
  for (const auto &[chave, jpeg] : {std::pair{"enorme", enorme}, std::pair{"largo", largo},
                                    std::pair{"alto", alto}, std::pair{"maior", maior}}) {
    texto += QByteArray(chave) + '=' + QByteArray::number(imagens.size()) + ',' +
             QByteArray::number(jpeg.size()) + '\n';
    imagens += jpeg;
  }
  for (const char *chave : {"enorme", "largo", "alto"}) {
    auto idioma = criar(texto, imagens);
    mensagens.clear();
    EXPECT_TRUE(idioma->getImagem("p", chave).isNull()) << chave;
    EXPECT_EQ(mensagens.size(), 1u) << chave;
    EXPECT_EQ(idioma->getImagem("p", "maior").size(), QSize(ladoMaximoJpeg, ladoMaximoJpeg));
    EXPECT_EQ(mensagens.size(), 1u) << chave;
  }
}

TEST_F(IdiomaTeste, MissingPictureFileShowsTheMessage) {
  auto idioma = criar("[p]\nimg=0,100\n");
  EXPECT_TRUE(idioma->getImagem("p", "img").isNull());
  EXPECT_EQ(mensagens.size(), 1u);
}
