// kovrinta-song judges hits that a drum module writes into a JACK port at known offsets from
// the song's notes as they leave its JACK output, and the tap test measures a constant delay.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "ProgramaFalso.h"

using namespace kovrinta::test;

namespace {

constexpr uint8_t noteOn = 0x99;
// The module's strikes, which kovrinta-song also plays on its output: the song's notes and
// the clicks are told from them by their velocity.
constexpr uint8_t forcaGolpe = 100;

QString ferramenta() {
  return QString(KOVRINTA_PROGRAM_DIR) + "/kovrinta-song";
}

// kovrinta-song's number of the output device named porta; -1 when it does not list it.
int dispositivo(const char *porta) {
  QProcess listar;
  listar.start(ferramenta(), {"--devices"});
  if (!listar.waitForFinished(20000)) return -1;
  for (const QByteArray &linha : listar.readAllStandardOutput().split('\n'))
    if (linha.contains(porta)) return linha.split(' ').first().toInt();
  return -1;
}

// A private server with the song's output captured and a module writing into its input.
struct Bancada {
  JackServer servidor;
  JackTestClient captura{"capture", true, false};
  JackTestClient modulo{"drums", false, true};
  QTemporaryDir pasta;
};

// Plays the drummer while kovrinta-song runs: when the song's note k (a note-on of one of
// notas) leaves its port, the strikes of plano(k + 1) are written at the offsets it gives, in
// ms, from the moment note k + 1 will leave, a beat of intervaloFrames later. Answers
// kovrinta-song's standard output.
QByteArray tocarJunto(Bancada &b, QProcess &programa, std::vector<int> notas,
                      uint64_t intervaloFrames, std::function<std::vector<double>(int)> plano) {
  const double framesPorMs = b.captura.sampleRate() / 1000.0;
  // What an earlier run left in the capture is not this run's.
  std::size_t vistos = b.captura.receivedWithFrames().size();
  int nota = 0;
  while (programa.state() != QProcess::NotRunning) {
    programa.waitForFinished(2);
    const auto recebidos = b.captura.receivedWithFrames();
    for (; vistos < recebidos.size(); ++vistos) {
      const auto &m = recebidos[vistos].bytes;
      if (m.size() != 3 || m[0] != noteOn || m[2] == 0 || m[2] == forcaGolpe) continue;
      if (std::find(notas.begin(), notas.end(), m[1]) == notas.end()) continue;
      const uint64_t proxima = recebidos[vistos].frame + intervaloFrames;
      for (const double ms : plano(++nota)) {
        const auto frame = static_cast<uint64_t>(static_cast<double>(proxima) + ms * framesPorMs);
        b.modulo.sendAtFrame({noteOn, 38, forcaGolpe}, frame);
        b.modulo.sendAtFrame({0x89, 38, 0}, frame + 480);
      }
    }
  }
  return programa.readAllStandardOutput();
}

bool gravarConfiguracao(const QTemporaryDir &pasta, const char *texto) {
  QFile arquivo(pasta.filePath("kovrinta.ini"));
  return arquivo.open(QIODevice::WriteOnly) && arquivo.write(texto) > 0;
}

// A snare on each of beats beats at 120 BPM (96 ticks per quarter).
QString gravarCaixas(const QTemporaryDir &pasta, int beats) {
  std::vector<uint8_t> eventos;
  for (int i = 0; i < beats; ++i) {
    const auto on = ev(i == 0 ? 0 : 48, {noteOn, 38, 90});
    const auto off = ev(48, {0x89, 38, 0});
    eventos.insert(eventos.end(), on.begin(), on.end());
    eventos.insert(eventos.end(), off.begin(), off.end());
  }
  const std::vector<uint8_t> bytes = smf(96, {eventos}, 0);
  const QString caminho = pasta.filePath("caixas.mid");
  QFile arquivo(caminho);
  if (!arquivo.open(QIODevice::WriteOnly)) return {};
  arquivo.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
  return caminho;
}

struct Linhas {
  std::vector<std::pair<std::string, double>> golpes;  // class, offset
  std::string passe;
};

Linhas lerJulgamento(const QByteArray &saida) {
  Linhas linhas;
  const std::regex julgado(R"(judge piece=(\w+) (?:offset=([-+0-9.]+) )?([a-z-]+) tick=\d+)");
  for (const QByteArray &linha : saida.split('\n')) {
    std::smatch m;
    const std::string texto = linha.toStdString();
    if (std::regex_match(texto, m, julgado))
      linhas.golpes.emplace_back(m[3], m[2].matched ? std::stod(m[2]) : 0.0);
    else if (texto.rfind("pass ", 0) == 0)
      linhas.passe = texto;
  }
  return linhas;
}

constexpr uint64_t batida120 = 24000;  // frames of a beat at 120 BPM and 48 kHz

// A loaded machine can spoil a run: a cycle the server runs late moves its frames against the
// clock the program reads, and a strike the test writes after its frame goes out late. A run
// that fails (rodada answers what went wrong, nothing when all went right) in either way is
// played again, up to four times. The last run's failure, and whether it was spoilt so: then
// nothing was measured.
struct Rodadas {
  std::string falha;
  bool estragada = false;
};

template <typename Rodada>
Rodadas repetirSeEstragar(Bancada &b, Rodada rodada) {
  Rodadas r;
  for (int tentativa = 1; tentativa <= 4; ++tentativa) {
    const uint64_t xruns = b.captura.xruns() + b.modulo.xruns();
    const uint64_t tardias = b.modulo.lateTimed();
    r.falha = rodada();
    const bool servidorAtrasou = b.captura.xruns() + b.modulo.xruns() != xruns;
    const bool testeAtrasou = b.modulo.lateTimed() != tardias;
    r.estragada = servidorAtrasou || testeAtrasou;
    if (r.falha.empty() && testeAtrasou) r.falha = "the test wrote strikes after their frames";
    if (r.falha.empty() || !r.estragada) break;
    std::printf("run %d spoilt (%s%s): %s\n", tentativa, servidorAtrasou ? "server late" : "",
                testeAtrasou ? " test late" : "", r.falha.c_str());
  }
  return r;
}

// What a finished player run says of itself when it failed; nothing when it went well.
std::string falhaDoPrograma(QProcess &programa) {
  if (programa.exitCode() == 0) return {};
  return "the program failed: " + programa.readAllStandardError().toStdString();
}

}  // namespace

// Strict windows (on time within +-20 ms, outer 50 ms) read from the player's settings.
TEST(JulgamentoJack, EachHitIsJudgedByItsOffsetFromTheNoteAsItLeftThePort) {
  Bancada b;
  KOVRINTA_REQUIRE_JACK(b.servidor);
  ASSERT_TRUE(b.captura.ready() && b.modulo.ready());
  const int saida = dispositivo("capture:in");
  ASSERT_GE(saida, 0);
  ASSERT_TRUE(gravarConfiguracao(b.pasta, "[julgamento]\r\nrigor=estrito\r\n"));
  const QString musica = gravarCaixas(b.pasta, 9);

  // Note 0 sounds before the drummer comes in: not judged. Note 6 is missed; between 6 and 7
  // an extra hit far from both.
  const std::map<int, std::vector<double>> plano = {{1, {-30}}, {2, {-15}},     {3, {0}}, {4, {15}},
                                                    {5, {30}},  {7, {-250, 5}}, {8, {-5}}};
  const std::vector<std::pair<std::string, double>> esperado = {
      {"early", -30}, {"on-time", -15}, {"on-time", 0}, {"on-time", 15}, {"late", 30},
      {"missed", 0},  {"extra", 0},     {"on-time", 5}, {"on-time", -5}};
  const std::string resumo = "hits=8 on-time=5 early=1 late=1 missed=1 extra=1";

  const Rodadas r = repetirSeEstragar(b, [&] {
    QProcess programa;
    programa.start(ferramenta(), {"--play", QString::number(saida), musica, "--input", "drums:out",
                                  "--judge", "--config", b.pasta.path()});
    const QByteArray saidaTexto = tocarJunto(b, programa, {38}, batida120, [&](int k) {
      const auto p = plano.find(k);
      return p == plano.end() ? std::vector<double>{} : p->second;
    });
    std::string falha = falhaDoPrograma(programa);
    const Linhas linhas = lerJulgamento(saidaTexto);
    if (falha.empty() && linhas.golpes.size() != esperado.size())
      falha = "judgements: " + saidaTexto.toStdString();
    for (std::size_t i = 0; falha.empty() && i < esperado.size(); ++i)
      if (linhas.golpes[i].first != esperado[i].first ||
          std::fabs(linhas.golpes[i].second - esperado[i].second) > 0.5)
        falha = "judgement " + std::to_string(i) + " is " + linhas.golpes[i].first + " " +
                std::to_string(linhas.golpes[i].second) + " ms";
    if (falha.empty() && linhas.passe.find(resumo) == std::string::npos)
      falha = "the pass: " + linhas.passe;
    return falha;
  });
  if (!r.falha.empty() && r.estragada) GTEST_SKIP() << "the machine spoilt every run: " << r.falha;
  EXPECT_EQ(r.falha, "");
}

// Strikes 12 ms after every click but the first and the ninth, one struck twice: the tap test
// stores 12 ms, and hits 12 ms behind the notes are then judged on time.
TEST(JulgamentoJack, TheTapTestFindsAConstantDelayAndTheJudgingTakesItOff) {
  Bancada b;
  KOVRINTA_REQUIRE_JACK(b.servidor);
  ASSERT_TRUE(b.captura.ready() && b.modulo.ready());
  const int saida = dispositivo("capture:in");
  ASSERT_GE(saida, 0);

  const Rodadas calibrado = repetirSeEstragar(b, [&] {
    QProcess calibrar;
    calibrar.start(ferramenta(), {"--calibrate", QString::number(saida), "--input", "drums:out",
                                  "--beats", "16", "--config", b.pasta.path()});
    // Clicks at 100 BPM: 28800 frames apart at 48 kHz.
    const QByteArray resultado = tocarJunto(b, calibrar, {76, 77}, 28800, [](int k) {
      if (k == 8 || k >= 16) return std::vector<double>{};
      return k == 4 ? std::vector<double>{12, 90} : std::vector<double>{12};
    });
    std::string falha = falhaDoPrograma(calibrar);
    std::smatch m;
    const std::string texto = resultado.toStdString();
    const std::regex medida(R"(latency=([-0-9.]+) used=(\d+) no-strike=(\d+) dropped=(\d+))");
    if (falha.empty() && !std::regex_search(texto, m, medida)) falha = "no result: " + texto;
    if (falha.empty() &&
        (std::fabs(std::stod(m[1]) - 12) > 1 || m[2] != "14" || m[3] != "2" || m[4] != "1"))
      falha = "measured " + m.str();
    return falha;
  });
  if (!calibrado.falha.empty() && calibrado.estragada)
    GTEST_SKIP() << "the machine spoilt every run: " << calibrado.falha;
  ASSERT_EQ(calibrado.falha, "");

  const QString musica = gravarCaixas(b.pasta, 6);
  const Rodadas julgado = repetirSeEstragar(b, [&] {
    QProcess tocar;
    tocar.start(ferramenta(), {"--play", QString::number(saida), musica, "--input", "drums:out",
                               "--judge", "--config", b.pasta.path()});
    const QByteArray saidaTexto = tocarJunto(b, tocar, {38}, batida120, [](int k) {
      return k < 6 ? std::vector<double>{12} : std::vector<double>{};
    });
    std::string falha = falhaDoPrograma(tocar);
    const Linhas linhas = lerJulgamento(saidaTexto);
    if (falha.empty() && linhas.golpes.size() != 5u)
      falha = "judgements: " + saidaTexto.toStdString();
    for (std::size_t i = 0; falha.empty() && i < linhas.golpes.size(); ++i)
      if (linhas.golpes[i].first != "on-time" || std::fabs(linhas.golpes[i].second) > 1.5)
        falha = "judgement " + std::to_string(i) + " is " + linhas.golpes[i].first + " " +
                std::to_string(linhas.golpes[i].second) + " ms";
    return falha;
  });
  if (!julgado.falha.empty() && julgado.estragada)
    GTEST_SKIP() << "the machine spoilt every run: " << julgado.falha;
  EXPECT_EQ(julgado.falha, "");
}
