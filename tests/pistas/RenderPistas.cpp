// Renders the drum lane view in each language of the program folder, one PNG per state, so
// that a person can look at them:
//
//   render-pistas OUTPUT_FOLDER
//
// The states: a groove playing with the drummer's hits marked, at the window's first size and
// at full HD; a song at rest with its count-in ahead; a view stopped and looked back over. The
// groove and the hits are made here, the hits' offsets from a seeded generator, so every run
// shows the same. It runs offscreen unless a platform is named (QT_QPA_PLATFORM=xcb under Xvfb:
// tests/janela/com-xvfb.sh). It fails when a text of the window does not fit, or a frame shows
// no note or no hit.
#include <QDir>
#include <QTest>
#include <cmath>
#include <random>

#include "Previa.h"
#include "pistas/LinhaTempoPistas.h"
#include "pistas/PainelPistas.h"
#include "pistas/TformPistas.h"

namespace {

using previa::falhar;

// 100 BPM.
constexpr double tickNs = 600'000'000.0 / 64;
constexpr int64_t t0 = 5'000'000'000'000;

int64_t som(double ticks) {
  return t0 + static_cast<int64_t>(std::llround(ticks * tickNs));
}

// Eight bars of a rock groove: eighths on the hi-hat opened at the end of every second bar,
// the snare on 2 and 4 with ghost notes, the kick on 1, 3 and the "and" of 3, a crash on every
// fourth bar, a fill over the toms in bar 4, the pedal on the offbeats of bar 8.
PartituraPistas groove() {
  PartituraPistas p;
  const auto nota = [&](int tick, int gm, int velocidade) {
    p.notas.push_back({tick, static_cast<std::uint8_t>(gm), static_cast<std::uint8_t>(velocidade)});
  };
  for (int compasso = 0; compasso < 8; ++compasso) {
    const int c = compasso * 256;
    if (compasso % 4 == 0) nota(c, 49, 120);
    if (compasso == 3) {
      for (int i = 0; i < 8; ++i) nota(c + 128 + i * 16, i < 3 ? 48 : i < 5 ? 45 : 43, 100);
      nota(c, 36, 110);
      nota(c + 64, 38, 115);
      continue;
    }
    for (int i = 0; i < 8; ++i) {
      const bool aberto = compasso % 2 == 1 && i == 7;
      nota(c + i * 32, compasso == 7 && i % 2 ? 44 : aberto ? 46 : 42, i % 2 ? 70 : 100);
    }
    nota(c + 64, 38, 120);
    nota(c + 192, 38, 124);
    nota(c + 112, 38, 35);
    nota(c + 240, 38, 30);
    nota(c, 36, 115);
    nota(c + 128, 36, 105);
    nota(c + 160, 36, 90);
  }
  std::stable_sort(p.notas.begin(), p.notas.end(),
                   [](const NotaPartitura &a, const NotaPartitura &b) { return a.tick < b.tick; });
  p.fim = 8 * 256;
  return p;
}

// The first bars played, and a hit on almost every note: a little late on the snare, rushed on
// the kick's "and", a note missed now and then, an extra hit.
void tocar(LinhaTempoPistas &linha, int ate) {
  for (int tick = 0; tick < ate; ++tick) linha.tickSoado(tick, som(tick));
  std::mt19937 sorte(23);
  std::normal_distribution<double> espalhado(4, 26);
  int indice = 0;
  for (const NotaPartitura &n : linha.getPartitura().notas) {
    if (n.tick >= ate - 24) break;
    Julgamento j;
    const PecaBateria peca = pecaDaNota(n.nota);
    j.peca = peca == PecaBateria::nenhuma ? PecaBateria::caixa : peca;
    j.pecaGolpe = j.peca;
    j.velocidade = n.velocidade;
    if (++indice % 11 == 0) {
      j.classe = ClasseGolpe::perdido;
      j.somNs = som(n.tick);
    } else {
      j.desvioMs = espalhado(sorte) + (n.nota == 38 ? 18 : 0) - (n.tick % 256 == 160 ? 45 : 0);
      j.classe = std::abs(j.desvioMs) <= 35 ? ClasseGolpe::noTempo
                 : j.desvioMs < 0           ? ClasseGolpe::adiantado
                                            : ClasseGolpe::atrasado;
      j.somNs = som(n.tick) + static_cast<int64_t>(j.desvioMs * 1e6);
    }
    linha.julgado(j);
  }
  Julgamento extra;
  extra.peca = PecaBateria::ton2;
  extra.classe = ClasseGolpe::extra;
  extra.somNs = som(ate - 120);
  linha.julgado(extra);
}

void renderizar(const QDir &pasta, const QString &codigo) {
  LinhaTempoPistas linha;
  linha.setPartitura(groove());
  constexpr int tocado = 4 * 256 + 100;
  tocar(linha, tocado);

  EstadoTransporte estado;
  estado.tocando = true;
  estado.posicao = tocado;
  estado.nsPorTick = tickNs;
  estado.loopAtivo = true;
  estado.inicioLoop = 4 * 256;
  estado.fimLoop = 6 * 256;
  estado.loopNaLinha = true;
  int64_t agora = som(tocado - 4);
  TformPistas janela(linha, [&] { return estado; });
  janela.setRelogio([&] { return agora; });
  janela.aplicarIdioma();
  janela.novaPartitura();
  janela.show();
  if (!QTest::qWaitForWindowExposed(&janela)) falhar(QStringLiteral("the window was not shown"));

  const auto foto = [&](const QString &nome, bool comGolpes) {
    janela.atualizar();
    const QuadroPistas &q = janela.getPainel()->getQuadro();
    if (q.notas.empty()) falhar(QStringLiteral("%1-%2: no note is drawn").arg(codigo, nome));
    if (comGolpes && q.golpes.empty())
      falhar(QStringLiteral("%1-%2: no hit is drawn").arg(codigo, nome));
    previa::fotografar(janela, pasta, codigo + QLatin1Char('-') + nome);
  };
  foto(QStringLiteral("playing"), true);
  janela.resize(1920, 1080);
  foto(QStringLiteral("full-hd"), true);
  janela.resize(1000, 520);

  // Stopped: the view stands where it stopped; looked back over two seconds.
  estado.tocando = false;
  linha.interrompido(agora);
  janela.atualizar();
  janela.rolar(-2'000'000'000);
  foto(QStringLiteral("looking-back"), true);

  // Another song at rest from its start, a bar of count-in before it.
  linha.setPartitura(groove());
  estado.posicao = 0;
  estado.loopAtivo = false;
  estado.compassosContagem = 1;
  agora = som(10'000);
  janela.novaPartitura();
  foto(QStringLiteral("count-in"), false);
}

}  // namespace

int main(int argc, char **argv) {
  return previa::executarPrevia(argc, argv, "render-pistas", renderizar);
}
