// The language chooser: what each way of closing it answers.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "ArquivosTeste.h"
#include "OperadorDialogo.h"
#include "config/TformListaIdiomas.h"

using kovrinta::test::OperadorDialogo;

namespace {

const QStringList nomes{"English", QString::fromUtf8("Português (Brasil)"),
                        QString::fromUtf8("Español")};

class TformListaIdiomasTeste : public ::testing::Test {
 protected:
  // escolher(lista, indice) with acao run on the shown window.
  int escolherCom(const QStringList &lista, int indice, std::function<void()> acao) {
    OperadorDialogo operador(seletor, std::move(acao));
    const int resposta = seletor.escolher(lista, indice);
    EXPECT_TRUE(operador.agiu());
    EXPECT_FALSE(operador.estourou()) << "the action did not close the chooser";
    EXPECT_FALSE(seletor.isVisible());
    return resposta;
  }

  QListWidget *lista() const { return seletor.getListaIdiomas(); }

  TformListaIdiomas seletor;
};

}  // namespace

TEST_F(TformListaIdiomasTeste, OkWithoutSelectionAnswersMinusOne) {
  EXPECT_EQ(escolherCom(nomes, -1, [&] { QTest::mouseClick(seletor.getBtnOk(), Qt::LeftButton); }),
            -1);
}

TEST_F(TformListaIdiomasTeste, EnterAnswersTheSelectedName) {
  QStringList mostrados;
  const int resposta = escolherCom(nomes, 2, [&] {
    for (int i = 0; i < lista()->count(); ++i) mostrados << lista()->item(i)->text();
    QTest::keyClick(lista(), Qt::Key_Return);
  });
  EXPECT_EQ(resposta, 2);
  EXPECT_EQ(mostrados, nomes);
}

TEST_F(TformListaIdiomasTeste, OkAnswersTheNameTheUserPicked) {
  const int resposta = escolherCom(nomes, 0, [&] {
    QTest::mouseClick(lista()->viewport(), Qt::LeftButton, {},
                      lista()->visualItemRect(lista()->item(1)).center());
    QTest::mouseClick(seletor.getBtnOk(), Qt::LeftButton);
  });
  EXPECT_EQ(resposta, 1);
}

TEST_F(TformListaIdiomasTeste, EscapeCancelButtonAndCloseBoxAnswerMinusOne) {
  EXPECT_EQ(escolherCom(nomes, 1, [&] { QTest::keyClick(lista(), Qt::Key_Escape); }), -1);
  EXPECT_EQ(
      escolherCom(nomes, 1, [&] { QTest::mouseClick(seletor.getBtnCancelar(), Qt::LeftButton); }),
      -1);
  // The close box asks the window system to close the window.
  EXPECT_EQ(escolherCom(nomes, 1, [&] { seletor.windowHandle()->close(); }), -1);
}

TEST_F(TformListaIdiomasTeste, DoubleClickAnswersThatName) {
  const int resposta = escolherCom(nomes, -1, [&] {
    // The sequence a window system delivers: the first click, then the double-click.
    QWidget *area = lista()->viewport();
    const QPoint ponto = lista()->visualItemRect(lista()->item(2)).center();
    QTest::mousePress(area, Qt::LeftButton, {}, ponto);
    QTest::mouseRelease(area, Qt::LeftButton, {}, ponto);
    QTest::mouseDClick(area, Qt::LeftButton, {}, ponto);
    QTest::mouseRelease(area, Qt::LeftButton, {}, ponto);
  });
  EXPECT_EQ(resposta, 2);
}

TEST_F(TformListaIdiomasTeste, EmptyListOnlyAnswersMinusOne) {
  EXPECT_EQ(escolherCom({}, 0, [&] { QTest::keyClick(lista(), Qt::Key_Return); }), -1);
  EXPECT_EQ(escolherCom({}, -1, [&] { QTest::mouseClick(seletor.getBtnOk(), Qt::LeftButton); }),
            -1);
}

TEST_F(TformListaIdiomasTeste, ReusedWindowShowsOnlyTheNewNames) {
  EXPECT_EQ(escolherCom(nomes, 2, [&] { seletor.reject(); }), -1);
  int itens = -1;
  bool semSelecao = false;
  const int resposta = escolherCom({"A", "B"}, -1, [&] {
    itens = lista()->count();
    semSelecao = lista()->selectedItems().isEmpty();
    QTest::mouseClick(seletor.getBtnOk(), Qt::LeftButton);
  });
  EXPECT_EQ(itens, 2);
  EXPECT_TRUE(semSelecao);
  EXPECT_EQ(resposta, -1);
}

TEST_F(TformListaIdiomasTeste, ShownWithoutTextsOkDefaultAndListFocused) {
  bool padrao = false;
  QWidget *foco = nullptr;
  escolherCom(nomes, 0, [&] {
    padrao = seletor.getBtnOk()->isDefault();
    foco = seletor.focusWidget();
    seletor.reject();
  });
  EXPECT_TRUE(padrao);
  EXPECT_EQ(foco, lista());
  EXPECT_EQ(seletor.windowTitle(), "");
  EXPECT_EQ(seletor.size(), QSize(236, 252));
  EXPECT_TRUE(seletor.windowFlags().testFlag(Qt::Tool));
  for (QPushButton *botao : {seletor.getBtnOk(), seletor.getBtnCancelar()}) {
    EXPECT_TRUE(botao->text().isEmpty());
    EXPECT_FALSE(botao->icon().isNull());
    EXPECT_EQ(botao->cursor().shape(), Qt::PointingHandCursor);
  }
}
