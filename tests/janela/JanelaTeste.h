// The main window in a test: over the fake library (devices and the timer recorded, files
// read by the real library), with a loaded language, a configuration of its own, the setup
// dialog it fills, and helpers that press its pictures with mouse events through its window.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <array>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "JanelasTeste.h"
#include "ProgramaFalso.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "playback/Sequenciador.h"
#include "setup/TFormSetup.h"
#include "ui/Imagem.h"
#include "ui/TFormPrincipal.h"

namespace kovrinta::test {

// A message of the output as the fake library recorded it.
using Mensagem3 = std::array<int, 3>;

class JanelaPrincipal : public ProgramaFalso {
 protected:
  void SetUp() override {
    ProgramaFalso::SetUp();
    ambiente = std::make_unique<AmbienteJanelas>();
    ASSERT_TRUE(ambiente->carregou);
    Sequenciador &sequenciador = Sequenciador::instancia();
    sequenciador.parar();
    sequenciador.limparLoop();
    sequenciador.setBateriaMuda(false);
    sequenciador.setAndamento(120);
    // The song from its first tick, and loop marks where they are pressed, unless a test
    // asks for the count-in or for marks on bar lines.
    AjustesPratica pratica;
    pratica.contagem = 0;
    pratica.marcasNasLinhas = false;
    ArquivoConfiguracao::instancia().setAjustesPratica(pratica);
    setup = std::make_unique<TFormSetup>();
    FormSetup = setup.get();
    setup->setMensageiro([this](const QString &texto, const QString &) { mensagens << texto; });
  }

  void TearDown() override {
    janela.reset();
    FormSetup = nullptr;
    setup.reset();
    Sequenciador::instancia().parar();
    ambiente.reset();
    ProgramaFalso::TearDown();
  }

  // Builds the window, shows it and waits until its first show has prepared the output.
  void mostrarJanela() {
    janela = std::make_unique<TFormPrincipal>();
    janela->setMensageiro([this](const QString &texto, const QString &titulo) {
      mensagens << texto;
      titulos << titulo;
    });
    janela->setPergunta([this](const QString &texto) {
      perguntas << texto;
      return resposta;
    });
    janela->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(janela.get()));
    // prepararSaida runs from the event loop once the window stands.
    QTest::qWait(20);
    fake->reset();
  }

  // A song file of the test's folder: one drum track, hits on the given ticks (96 per
  // quarter note, so a file tick is 2/3 of a Kovrinta tick).
  QString musica(const std::vector<uint8_t> &trilha, const QString &nome = "song.mid") {
    return arquivo(smf(96, {trilha}), nome);
  }

  // A drum track at 120 BPM: eight closed hi-hats an eighth apart (ticks 0, 32, ..., 224),
  // each released a sixteenth later, and a crash on the next beat, tick 256, the song's
  // last event and its length: 5 beats in all.
  static std::vector<uint8_t> grooveDeUmCompasso() {
    std::vector<uint8_t> t = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};  // 120 BPM
    for (int i = 0; i < 8; ++i) {
      const auto on = ev(i == 0 ? 0 : 24, {0x99, 42, 90});
      const auto off = ev(24, {0x89, 42, 0});
      t.insert(t.end(), on.begin(), on.end());
      t.insert(t.end(), off.begin(), off.end());
    }
    const auto crash = ev(24, {0x99, 49, 110});
    t.insert(t.end(), crash.begin(), crash.end());
    return t;
  }

  // A song of `tempos` beats: a hi-hat struck on every beat and released half a beat later.
  static std::vector<uint8_t> seminimas(int tempos) {
    std::vector<uint8_t> t;
    for (int i = 0; i < tempos; ++i) {
      const auto on = ev(i == 0 ? 0 : 48, {0x99, 42, 80});
      const auto off = ev(48, {0x89, 42, 0});
      t.insert(t.end(), on.begin(), on.end());
      t.insert(t.end(), off.begin(), off.end());
    }
    return t;
  }

  Imagem *imagem(int tag) const { return janela->getImagemBotao(tag); }
  template <class T = QWidget>
  T *controle(const char *nome) const {
    T *c = janela->findChild<T *>(QLatin1String(nome));
    EXPECT_NE(c, nullptr) << nome;
    return c;
  }
  QString status() const { return controle<QLabel>("lblPlayer")->text(); }
  QString textoIdioma(const char *chave) const {
    return GerenciadorIdiomas::instancia().getTexto("frmPrincipal", chave);
  }
  QSlider *posicao() const { return controle<QSlider>("tkbAndamento"); }

  // The transport pictures usable now, by name, in the bar's order.
  std::string habilitadas() const {
    std::string nomes;
    for (int tag : {TFormPrincipal::tagRew, TFormPrincipal::tagPlay, TFormPrincipal::tagStop,
                    TFormPrincipal::tagPause, TFormPrincipal::tagRepeat, TFormPrincipal::tagFF})
      if (imagem(tag)->isEnabled())
        nomes += (nomes.empty() ? "" : " ") + imagem(tag)->objectName().mid(3).toStdString();
    return nomes;
  }

  // Where the pointer goes on picture tag, in the window's coordinates.
  QPoint centro(int tag) const { return imagem(tag)->geometry().center(); }

  // Presses and releases the left button over the normal picture of tag, through the
  // window as the window system delivers it. A hidden or disabled picture fails.
  ::testing::AssertionResult clicar(int tag) {
    Imagem *normal = imagem(tag);
    if (!normal->isVisible())
      return ::testing::AssertionFailure() << normal->objectName().toStdString() << " is hidden";
    if (!normal->isEnabled())
      return ::testing::AssertionFailure() << normal->objectName().toStdString() << " is disabled";
    QTest::mousePress(janela->windowHandle(), Qt::LeftButton, {}, centro(tag));
    QTest::mouseRelease(janela->windowHandle(), Qt::LeftButton, {}, centro(tag));
    return ::testing::AssertionSuccess();
  }
  void pressionar(int tag) {
    QTest::mousePress(janela->windowHandle(), Qt::LeftButton, {}, centro(tag));
  }
  void soltar(int tag) {
    QTest::mouseRelease(janela->windowHandle(), Qt::LeftButton, {}, centro(tag));
  }

  // Holds fast-forward or rewind until the shown beat has moved by `tempos` beats or reached
  // its end (0 or totalTempos), then releases it.
  void segurar(int tag, int tempos) {
    pressionar(tag);
    const int inicio = janela->getTempoAtual();
    const int alvo = tag == TFormPrincipal::tagRew
                         ? std::max(0, inicio - tempos)
                         : std::min(janela->getTotalTempos(), inicio + tempos);
    EXPECT_TRUE(waitFor([&] { return janela->getTempoAtual() == alvo; }, std::chrono::seconds(20)))
        << "the gesture stood at beat " << janela->getTempoAtual() << ", not " << alvo;
    soltar(tag);
  }

  // n beats of the timer: the sequencer's tick handler, as the library's beats run it.
  static void ticks(int n) {
    for (int i = 0; i < n; ++i) Sequenciador::instancia().processarTick();
  }
  static bool tocando() { return Sequenciador::instancia().getSincronismo()->IsRunning(); }
  static int posicaoSequenciador() { return Sequenciador::instancia().getPosicao(); }

  // The short messages sent since the last reset, in order.
  std::vector<Mensagem3> enviadas() const {
    std::vector<Mensagem3> m;
    std::istringstream linhas(calls());
    std::string nome;
    for (std::string linha; std::getline(linhas, linha);) {
      std::istringstream campos(linha);
      long long handle = 0, tempo = 0;
      Mensagem3 bytes{};
      campos >> nome;
      if (nome != "PutMidiOut" && nome != "PutMidiOutAt") continue;
      campos >> handle >> tempo >> bytes[0] >> bytes[1] >> bytes[2];
      m.push_back(bytes);
    }
    return m;
  }

  std::unique_ptr<AmbienteJanelas> ambiente;
  std::unique_ptr<TFormSetup> setup;
  std::unique_ptr<TFormPrincipal> janela;
  QStringList mensagens;
  QStringList titulos;
  QStringList perguntas;
  bool resposta = false;
};

}  // namespace kovrinta::test
