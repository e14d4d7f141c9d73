// The sound-card test wizard over the fake library, driven through its visible buttons:
// its pages, the transitions between them, what each run answers, the scale it sends and
// the mixer link.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <memory>
#include <vector>

#include "Ambiente.h"
#include "JanelasTeste.h"
#include "ProgramaFalso.h"
#include "setup/EscalaTeste.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

// The 26 messages of the test scale as the fake records them: bank 0 and program 0 on
// channel index 1, then 24 notes from 60, each struck at 127 and released.
std::string escalaEsperada() {
  std::string s = "PutMidiOut 100 0 177 0 0\nPutMidiOut 100 0 193 0 0\n";
  for (int nota = 60; nota < 84; ++nota) {
    s += "PutMidiOut 100 0 145 " + std::to_string(nota) + " 127\n";
    s += "PutMidiOut 100 0 145 " + std::to_string(nota) + " 0\n";
  }
  return s;
}

// Closing the open device and opening device n.
std::string abertura(int n) {
  return "ResetMidiOut 100\nCloseMidiOut 100\nGetMidiOutDescription " + std::to_string(n) +
         "\nOpenMidiOut " + std::to_string(n) + " 0 78624\n";
}

class Assistente : public ProgramaFalso {
 protected:
  void SetUp() override {
    ProgramaFalso::SetUp();
    ambiente = std::make_unique<AmbienteJanelas>();
    ASSERT_TRUE(ambiente->carregou);
    janela = std::make_unique<TformAssistenteConfiguracaoDriver>();
    janela->setMensageiro([this](const QString &texto, const QString &titulo) {
      mensagens.push_back({texto, titulo});
    });
    fake->reset();
  }
  void TearDown() override {
    janela.reset();
    ambiente.reset();
    ProgramaFalso::TearDown();
  }

  int executar(std::function<void()> acao) {
    return executarCom(
        *janela, [this] { return janela->executar(); }, std::move(acao));
  }

  // On page A: plays the scale and waits for page B.
  void testarDispositivo() {
    ASSERT_TRUE(clicar(janela->getBtnProsseguir()));
    ASSERT_TRUE(waitFor([this] { return janela->getBtnEscutando()->isVisible(); }, 10s))
        << "page B did not follow the scale";
  }

  // The visible buttons, left spot first, each with "!" when disabled and "*" when it is
  // the default button.
  std::string botoes() const {
    std::string s;
    for (QPushButton *b :
         {janela->getBtnEscutando(), janela->getBtnProsseguir(), janela->getBtnFinalizar(),
          janela->getBtnNaoEscutando(), janela->getBtnCancelar()}) {
      if (!b->isVisible()) continue;
      if (!s.empty()) s += ' ';
      s += b->objectName().toStdString();
      if (!b->isEnabled()) s += '!';
      if (b->isDefault()) s += '*';
    }
    return s;
  }

  std::string titulo2() const { return janela->getLblTitulo2()->text().toStdString(); }

  std::unique_ptr<AmbienteJanelas> ambiente;
  std::unique_ptr<TformAssistenteConfiguracaoDriver> janela;
  std::vector<Mensagem> mensagens;
};

}  // namespace

TEST_F(Assistente, ThreeDevicesRefusedInTurnEndOnPageDAndAnswerZero) {
  ASSERT_EQ(janela->getDrivers(), (QStringList{"Fake output 0", "Fake output 1", "Fake output 2"}));
  std::vector<std::string> titulos;
  std::vector<QString> explicacoes;
  const int resposta = executar([&] {
    for (int i = 0; i < 3; ++i) {
      titulos.push_back(titulo2());
      explicacoes.push_back(janela->getLblExplicacao2()->text());
      testarDispositivo();
      ASSERT_TRUE(clicar(janela->getBtnNaoEscutando()));
    }
    titulos.push_back(titulo2());
    EXPECT_EQ(botoes(), "btnFinalizar* btnCancelar!");
    EXPECT_EQ(janela->getResultado(), 0);
    ASSERT_TRUE(clicar(janela->getBtnFinalizar()));
  });
  EXPECT_EQ(resposta, 0);
  EXPECT_EQ(titulos,
            (std::vector<std::string>{"Step 1:", "Step 2:", "Step 3:", "No device was confirmed"}));
  ASSERT_EQ(explicacoes.size(), 3u);
  EXPECT_EQ(explicacoes[2],
            "Kovrinta will now play a short scale on the device \"Fake output 2\". \n\n"
            "Turn up your speakers or headphones, then click “Play scale”.");
  EXPECT_EQ(calls(), abertura(0) + escalaEsperada() + abertura(1) + escalaEsperada() + abertura(2) +
                         escalaEsperada());
}

TEST_F(Assistente, ConfirmingTheSecondDeviceAnswersOne) {
  const int resposta = executar([&] {
    testarDispositivo();
    ASSERT_TRUE(clicar(janela->getBtnNaoEscutando()));
    testarDispositivo();
    ASSERT_TRUE(clicar(janela->getBtnEscutando()));
    EXPECT_EQ(titulo2(), "Your sound device is ready");
    EXPECT_EQ(janela->getResultado(), 1);
    ASSERT_TRUE(clicar(janela->getBtnFinalizar()));
  });
  EXPECT_EQ(resposta, 1);
}

TEST_F(Assistente, CancelOnPageAAnswersMinusOneAndOpensNothing) {
  const int resposta = executar([&] { ASSERT_TRUE(clicar(janela->getBtnCancelar())); });
  EXPECT_EQ(resposta, -1);
  EXPECT_EQ(calls(), "");
}

TEST_F(Assistente, EachPageShowsItsOwnButtons) {
  std::string paginaA, tocando, paginaB, paginaC;
  executar([&] {
    paginaA = botoes();
    EXPECT_EQ(janela->focusWidget(), janela->getBtnProsseguir());
    ASSERT_TRUE(clicar(janela->getBtnProsseguir()));
    tocando = botoes();
    EXPECT_TRUE(janela->isTocandoTeste());
    ASSERT_TRUE(waitFor([this] { return janela->getBtnEscutando()->isVisible(); }, 10s));
    paginaB = botoes();
    ASSERT_TRUE(clicar(janela->getBtnEscutando()));
    paginaC = botoes();
    ASSERT_TRUE(clicar(janela->getBtnFinalizar()));
  });
  EXPECT_EQ(paginaA, "btnProsseguir* btnCancelar");
  EXPECT_EQ(tocando, "btnProsseguir!* btnCancelar!") << "nothing can be pressed while it plays";
  EXPECT_EQ(paginaB, "btnEscutando btnNaoEscutando");
  EXPECT_EQ(paginaC, "btnFinalizar* btnCancelar!");
}

TEST_F(Assistente, ASecondRunStartsAgainAtTheFirstDevice) {
  EXPECT_EQ(executar([&] {
              testarDispositivo();
              ASSERT_TRUE(clicar(janela->getBtnNaoEscutando()));
              testarDispositivo();
              ASSERT_TRUE(clicar(janela->getBtnEscutando()));
              ASSERT_TRUE(clicar(janela->getBtnFinalizar()));
            }),
            1);
  std::string titulo, pagina;
  const int resposta = executar([&] {
    titulo = titulo2();
    pagina = botoes();
    ASSERT_TRUE(clicar(janela->getBtnCancelar()));
  });
  EXPECT_EQ(titulo, "Step 1:");
  EXPECT_EQ(pagina, "btnProsseguir* btnCancelar") << "the finish button is hidden again";
  EXPECT_EQ(resposta, -1);
}

TEST_F(Assistente, TheCloseBoxAnswersTheCurrentResult) {
  EXPECT_EQ(executar([&] { janela->windowHandle()->close(); }), 0) << "on page A";
  EXPECT_EQ(executar([&] {
              testarDispositivo();
              ASSERT_TRUE(clicar(janela->getBtnNaoEscutando()));
              testarDispositivo();
              ASSERT_TRUE(clicar(janela->getBtnEscutando()));
              janela->windowHandle()->close();
            }),
            1)
      << "on page C, the device heard";
}

TEST_F(Assistente, ClosingWhileTheScalePlaysReleasesItsNoteAndStopsIt) {
  std::string tocado;
  const int resposta = executar([&] {
    ASSERT_TRUE(clicar(janela->getBtnProsseguir()));
    // Until the third note sounds.
    ASSERT_TRUE(waitFor([this] { return calls().find(" 145 62 127\n") != std::string::npos; }));
    janela->windowHandle()->close();
  });
  EXPECT_EQ(resposta, 0);
  EXPECT_FALSE(janela->isTocandoTeste());
  tocado = calls();
  // The released note is the one that sounded last, and nothing follows it.
  const std::string fim = tocado.substr(tocado.rfind("PutMidiOut 100 0 145 62 127\n"));
  EXPECT_EQ(fim, "PutMidiOut 100 0 145 62 127\nPutMidiOut 100 0 145 62 0\n");
  EXPECT_FALSE(waitFor([&] { return calls() != tocado; }, 300ms)) << "the scale went on";
}

TEST_F(Assistente, ADeviceThatCannotBeOpenedIsAskedAboutAnyway) {
  fake->setOpenResult(VX_OPEN_PORT_GONE);
  std::string pagina;
  const int resposta = executar([&] {
    testarDispositivo();
    pagina = botoes();
    ASSERT_TRUE(clicar(janela->getBtnNaoEscutando()));
    EXPECT_EQ(titulo2(), "Step 2:");
    ASSERT_TRUE(clicar(janela->getBtnCancelar()));
  });
  EXPECT_EQ(pagina, "btnEscutando btnNaoEscutando");
  EXPECT_EQ(resposta, -1);
  EXPECT_TRUE(mensagens.empty());
}

TEST_F(Assistente, TheMixerLinkSaysWhenNoMixerCanBeStarted) {
  QTemporaryDir vazio;
  Ambiente path("PATH", QFile::encodeName(vazio.path()));
  executar([&] {
    QLabel *link = janela->getLblLinkVolumeWindows();
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    ASSERT_TRUE(clicar(janela->getBtnCancelar()));
  });
  ASSERT_EQ(mensagens.size(), 1u);
  EXPECT_EQ(mensagens[0].texto,
            "The volume mixer could not be opened. Please adjust the volume in your system's "
            "sound settings.");
  EXPECT_EQ(mensagens[0].titulo, "Sound device test");
}

TEST_F(Assistente, TheMixerLinkStartsTheMixer) {
  QTemporaryDir programas;
  QTemporaryDir sessao;
  Ambiente path("PATH", QFile::encodeName(programas.path()));
  Ambiente runtime("XDG_RUNTIME_DIR", QFile::encodeName(sessao.path()));
  Ambiente pulse("PULSE_SERVER", {});
  const QString marca = QDir(sessao.path()).filePath("iniciado");
  for (const char *nome : {"x-terminal-emulator", "alsamixer"}) {
    QFile script(QDir(programas.path()).filePath(nome));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$0 $*\" > \"%1\"\n").arg(marca).toUtf8());
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  executar([&] {
    QLabel *link = janela->getLblLinkVolumeWindows();
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    ASSERT_TRUE(clicar(janela->getBtnCancelar()));
  });
  EXPECT_TRUE(mensagens.empty());
  ASSERT_TRUE(waitFor([&] { return QFileInfo(marca).size() > 0; }));
  QFile lido(marca);
  ASSERT_TRUE(lido.open(QIODevice::ReadOnly));
  EXPECT_TRUE(lido.readAll().endsWith("x-terminal-emulator -e alsamixer\n"));
}

TEST_F(Assistente, IsBuiltAsDesigned) {
  EXPECT_EQ(janela->size(), QSize(643, 255));
  EXPECT_EQ(janela->minimumSize(), janela->maximumSize()) << "not resizable";
  EXPECT_EQ(janela->windowTitle(), "Kovrinta - Sound device test");
  EXPECT_EQ(janela->getLblTitulo1()->text(), "Let's find the device that plays your songs");
  EXPECT_EQ(janela->getBtnProsseguir()->text(), "Play scale");
  EXPECT_EQ(janela->getBtnEscutando()->text(), "I heard it");
  EXPECT_EQ(janela->getBtnNaoEscutando()->text(), "I heard nothing");
  EXPECT_EQ(janela->getBtnCancelar()->text(), "Cancel");
  EXPECT_EQ(janela->getBtnFinalizar()->text(), "Finish");
  EXPECT_EQ(janela->getLblLinkVolumeWindows()->text(), "Open the volume mixer");
  for (QPushButton *b :
       {janela->getBtnEscutando(), janela->getBtnProsseguir(), janela->getBtnFinalizar(),
        janela->getBtnNaoEscutando(), janela->getBtnCancelar()})
    EXPECT_EQ(b->size(), QSize(105, 25)) << b->objectName().toStdString();
  const QLabel *imagem = janela->getImage1();
  EXPECT_EQ(imagem->geometry(), QRect(0, 0, 139, 210));
  // The picture is the program's artwork when it carries it; the place is empty otherwise.
  const QPixmap artwork(":/assistente/Image1.png");
  EXPECT_EQ(imagem->pixmap().isNull(), artwork.isNull());
  if (!artwork.isNull()) {
    EXPECT_EQ(imagem->pixmap().size(), QSize(139, 210));
  }
}
