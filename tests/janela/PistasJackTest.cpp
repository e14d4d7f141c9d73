// The lane view over the real library: the song plays into a JACK port of the test, a drum
// module of the test strikes into the window's kit input 50 ms ahead of a snare note as it
// leaves that port, and the open view draws the hit on the snare's lane at its offset from
// that note, judged early.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "JackServer.h"
#include "JackTestClient.h"
#include "JanelasTeste.h"
#include "QtWait.h"
#include "SmfTeste.h"
#include "TVxMidi.h"
#include "TVxMidiOut.h"
#include "entrada/KitEletronico.h"
#include "midi/SaidaMIDI.h"
#include "pistas/PainelPistas.h"
#include "pistas/TformPistas.h"
#include "setup/TFormSetup.h"
#include "ui/TFormPrincipal.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

// What is wrong with the view's hit: one hit, on the snare's lane, early by about 50 ms, drawn
// at its offset from the nearest snare note; nothing when all is right.
std::string falhaDoGolpe(bool julgado, const QuadroPistas &quadro) {
  if (!julgado) return "no hit reached the lanes";
  if (quadro.golpes.size() != 1) return std::to_string(quadro.golpes.size()) + " hits drawn";
  const QuadroPistas::Golpe &golpe = quadro.golpes[0];
  if (golpe.pista != Pista::caixa || golpe.classe != ClasseGolpe::adiantado ||
      std::abs(golpe.desvioMs + 50) > 8)
    return "the hit is on lane " + std::to_string(static_cast<int>(golpe.pista)) + ", class " +
           palavraDaClasse(golpe.classe) + ", " + std::to_string(golpe.desvioMs) + " ms";
  int64_t maisPerto = INT64_MAX / 2;
  for (const auto &nota : quadro.notas)
    if (nota.pista == Pista::caixa && std::llabs(nota.ns - golpe.ns) < std::llabs(maisPerto))
      maisPerto = nota.ns - golpe.ns;
  const double desenhadoMs = static_cast<double>(-maisPerto) / 1e6;
  if (std::abs(desenhadoMs - golpe.desvioMs) > 1.0)
    return "the hit is drawn " + std::to_string(desenhadoMs) + " ms from its note, judged " +
           std::to_string(golpe.desvioMs);
  return {};
}

TEST(PistasJack, AHitFromTheKitLiesOnItsLaneAtItsOffsetWithItsJudgement) {
  JackServer servidor;
  KOVRINTA_REQUIRE_JACK(servidor);
  JackTestClient captura("captura", true, false);
  JackTestClient modulo("modulo", false, true);
  ASSERT_TRUE(captura.ready() && modulo.ready());
  TVxMidi::setLibraryFile(VXMIDI_REAL_LIBRARY);
  SaidaMIDI::setDispositivoInicial(-1);
  auto ambiente = std::make_unique<AmbienteJanelas>();
  ASSERT_TRUE(ambiente->carregou);
  const int porta = static_cast<int>(
      SaidaMIDI::instancia().listarDispositivos().indexOf(QStringLiteral("JACK captura:in")));
  ASSERT_GE(porta, 0);
  ArquivoConfiguracao::instancia().setDriver(porta);
  AjustesEntrada entrada;
  entrada.dispositivo = QString::fromStdString(modulo.outputName());
  ArquivoConfiguracao::instancia().setAjustesEntrada(entrada);
  // No count-in: the song's first notes come at once.
  AjustesPratica pratica = ArquivoConfiguracao::instancia().getAjustesPratica();
  pratica.contagem = 0;
  ArquivoConfiguracao::instancia().setAjustesPratica(pratica);

  TFormSetup setup;
  FormSetup = &setup;
  KitEletronico kit;
  auto janela = std::make_unique<TFormPrincipal>();
  QStringList mensagens;
  janela->setMensageiro([&](const QString &texto, const QString &) { mensagens << texto; });
  janela->setKitEletronico(&kit);
  janela->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(janela.get()));
  ASSERT_TRUE(waitFor([&] { return kit.isAberto(); })) << mensagens.join(" / ").toStdString();

  // A snare on every beat at 120 BPM, sixteen of them.
  std::vector<uint8_t> trilha;
  for (int i = 0; i < 16; ++i) {
    for (const auto &e : {ev(i == 0 ? 0 : 72, {0x99, 38, 90}), ev(24, {0x89, 38, 0})})
      trilha.insert(trilha.end(), e.begin(), e.end());
  }
  QTemporaryDir pasta;
  const auto bytes = smf(96, {trilha}, 0);
  QFile arquivo(pasta.filePath("caixa.mid"));
  ASSERT_TRUE(arquivo.open(QIODevice::WriteOnly));
  arquivo.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  arquivo.close();

  janela->abrirPistas();
  TformPistas &pistas = *janela->getFormPistas();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pistas));
  // Strikes 50 ms ahead of the snare after the one that has just left the port; a run that
  // fails while the loaded machine spoilt it (a late server cycle, a strike written after its
  // frame) is tried again, up to four times.
  const auto framesPorMs = captura.sampleRate() / 1000.0;
  const auto batida = static_cast<uint64_t>(500 * framesPorMs);
  bool medido = false;
  for (int tentativa = 0; tentativa < 4 && !medido; ++tentativa) {
    const uint64_t xruns = captura.xruns() + modulo.xruns();
    const uint64_t tardias = modulo.lateTimed();
    const std::size_t vistos = captura.receivedWithFrames().size();
    ASSERT_TRUE(janela->abrirMusica(arquivo.fileName()));
    uint64_t frameNota = 0;
    ASSERT_TRUE(waitFor(
        [&] {
          const auto recebidos = captura.receivedWithFrames();
          int caixas = 0;
          for (std::size_t i = vistos; i < recebidos.size(); ++i) {
            const auto &m = recebidos[i].bytes;
            if (m.size() == 3 && m[0] == 0x99 && m[1] == 38 && m[2] > 0 && ++caixas == 3) {
              frameNota = recebidos[i].frame;
              return true;
            }
          }
          return false;
        },
        10s));
    modulo.sendAtFrame({0x99, 38, 100},
                       frameNota + batida - static_cast<uint64_t>(50 * framesPorMs));
    QuadroPistas quadro;
    const bool julgado = waitFor(
        [&] {
          pistas.atualizar();
          quadro = pistas.getPainel()->getQuadro();
          return !quadro.golpes.empty();
        },
        3s);
    const bool estragada =
        captura.xruns() + modulo.xruns() != xruns || modulo.lateTimed() != tardias;
    const std::string falha = falhaDoGolpe(julgado, quadro);
    medido = falha.empty();
    if (!medido && !estragada) ADD_FAILURE() << falha;
    if (medido || !estragada) break;
    std::printf("run %d spoilt by the loaded machine: %s\n", tentativa + 1, falha.c_str());
  }
  janela->setKitEletronico(nullptr);
  janela.reset();
  FormSetup = nullptr;
  if (SaidaMIDI::instancia().getSaida().IsOpen()) SaidaMIDI::instancia().getSaida().Close();
  if (!medido && !::testing::Test::HasFailure())
    GTEST_SKIP() << "every run was spoilt by late server cycles";
  EXPECT_TRUE(mensagens.isEmpty()) << mensagens.join(" / ").toStdString();
}

}  // namespace
