// Renders the passes window in each language of the program folder, one PNG per state, so that
// a person can look at them:
//
//   render-resumo OUTPUT_FOLDER
//
// The states: one pass of a groove on seven pieces, five passes of it getting better, and no
// pass yet. The passes are made of judgements drawn from a seeded generator and summed as the
// judge sums them, so every run shows the same figures. It runs offscreen unless a platform
// is named (QT_QPA_PLATFORM=xcb under Xvfb: tests/janela/com-xvfb.sh). It fails when a text
// needs more room than its control has, or a table's cells do not fit their columns.
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "config/GerenciadorIdiomas.h"
#include "julgamento/Julgamento.h"
#include "julgamento/ResumoPasse.h"
#include "julgamento/TformResumo.h"

namespace {

struct IdiomaPrevia {
  const char *codigo;
  const char *nome;
};

const IdiomaPrevia idiomas[] = {
    {"en", "English"},
    {"pt-BR", "Português (Brasil)"},
    {"es", "Español"},
};

int falhas = 0;

void falhar(const QString &texto) {
  std::fprintf(stderr, "render-resumo: %s\n", qPrintable(texto));
  ++falhas;
}

// How a drummer plays one pass: the mean and spread of their offsets, in ms, and how many
// notes of every hundred they miss and how many extra hits they add.
struct Jeito {
  double media;
  double desvio;
  int perdidosPorCem;
  int extrasPorCem;
};

// Four bars of a rock groove with a crash at the start and a fill at the end: the pieces and
// how many notes of each.
const std::pair<PecaBateria, int> notasGroove[] = {
    {PecaBateria::chimbalFechado, 28}, {PecaBateria::chimbalAberto, 4}, {PecaBateria::caixa, 10},
    {PecaBateria::bumbo, 12},          {PecaBateria::ton1, 2},          {PecaBateria::surdo1, 2},
    {PecaBateria::prato3, 2},
};

ResumoPasse tocar(int numero, const Jeito &jeito, std::mt19937 &sorte) {
  const JanelasRigor janelas = janelasDe(Rigor::normal);
  std::normal_distribution<double> desvio(jeito.media, jeito.desvio);
  std::uniform_int_distribution<int> cem(0, 99);
  ResumoPasse resumo;
  resumo.numero = numero;
  for (const auto &[peca, notas] : notasGroove) {
    for (int i = 0; i < notas; ++i) {
      Julgamento j;
      j.peca = peca;
      const double d = desvio(sorte);
      if (cem(sorte) < jeito.perdidosPorCem || std::abs(d) > janelas.externaMs) {
        j.classe = ClasseGolpe::perdido;
      } else {
        j.desvioMs = d;
        j.classe = std::abs(d) <= janelas.noTempoMs
                       ? ClasseGolpe::noTempo
                       : (d < 0 ? ClasseGolpe::adiantado : ClasseGolpe::atrasado);
      }
      resumo.somar(j);
      if (cem(sorte) < jeito.extrasPorCem) resumo.somar({peca, ClasseGolpe::extra});
    }
  }
  return resumo;
}

QString nomeDe(const QWidget *w) {
  return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                   : w->objectName();
}

// Every visible text fits its control.
void verificar(QWidget *janela, const QString &foto) {
  for (QLabel *rotulo : janela->findChildren<QLabel *>()) {
    if (!rotulo->isVisible() || rotulo->text().isEmpty()) continue;
    const int altura =
        rotulo->wordWrap() ? rotulo->heightForWidth(rotulo->width()) : rotulo->sizeHint().height();
    if (altura > rotulo->height())
      falhar(QStringLiteral("%1: %2 needs %3 pixels of height, has %4")
                 .arg(foto, nomeDe(rotulo))
                 .arg(altura)
                 .arg(rotulo->height()));
    if (!rotulo->wordWrap() && rotulo->sizeHint().width() > rotulo->width())
      falhar(QStringLiteral("%1: %2 \"%3\" needs %4 pixels of width, has %5")
                 .arg(foto, nomeDe(rotulo), rotulo->text())
                 .arg(rotulo->sizeHint().width())
                 .arg(rotulo->width()));
  }
  for (QGroupBox *grupo : janela->findChildren<QGroupBox *>()) {
    if (!grupo->isVisible()) continue;
    if (grupo->fontMetrics().horizontalAdvance(grupo->title()) + 16 > grupo->width())
      falhar(QStringLiteral("%1: the title of %2 does not fit").arg(foto, nomeDe(grupo)));
  }
  for (QPushButton *botao : janela->findChildren<QPushButton *>()) {
    if (!botao->isVisible()) continue;
    if (botao->fontMetrics().horizontalAdvance(botao->text()) + 12 > botao->width())
      falhar(QStringLiteral("%1: %2 does not fit its text").arg(foto, nomeDe(botao)));
  }
  for (QTableWidget *tabela : janela->findChildren<QTableWidget *>()) {
    if (!tabela->isVisible()) continue;
    const QHeaderView *cabecalho = tabela->horizontalHeader();
    if (cabecalho->length() > tabela->viewport()->width())
      falhar(QStringLiteral("%1: the columns of %2 need %3 pixels, have %4")
                 .arg(foto, nomeDe(tabela))
                 .arg(cabecalho->length())
                 .arg(tabela->viewport()->width()));
    for (int c = 0; c < tabela->columnCount(); ++c) {
      if (cabecalho->isVisible() && tabela->horizontalHeaderItem(c)) {
        const QString titulo = tabela->horizontalHeaderItem(c)->text();
        if (cabecalho->fontMetrics().horizontalAdvance(titulo) + 8 > tabela->columnWidth(c))
          falhar(QStringLiteral("%1: the header \"%2\" of %3 is cut")
                     .arg(foto, titulo, nomeDe(tabela)));
      }
      for (int linha = 0; linha < tabela->rowCount(); ++linha) {
        const QTableWidgetItem *celula = tabela->item(linha, c);
        if (!celula) continue;
        const QFontMetrics medidas(celula->font());
        if (medidas.horizontalAdvance(celula->text()) + 6 > tabela->columnWidth(c))
          falhar(
              QStringLiteral("%1: \"%2\" of %3 is cut").arg(foto, celula->text(), nomeDe(tabela)));
        if (medidas.height() > tabela->rowHeight(linha))
          falhar(QStringLiteral("%1: row %2 of %3 is too low")
                     .arg(foto)
                     .arg(linha)
                     .arg(nomeDe(tabela)));
      }
    }
  }
}

void fotografar(TformResumo &janela, const QDir &pasta, const QString &arquivo) {
  QCoreApplication::processEvents();
  verificar(&janela, arquivo);
  const QString caminho = pasta.filePath(arquivo + QStringLiteral(".png"));
  if (!janela.grab().toImage().save(caminho, "PNG"))
    falhar(QStringLiteral("cannot write %1").arg(caminho));
  else
    std::printf("%s  (%s)\n", qPrintable(caminho), qPrintable(janela.windowTitle()));
}

void renderizar(const QDir &pasta, const QString &codigo) {
  const double noTempoMs = janelasDe(Rigor::normal).noTempoMs;
  std::mt19937 sorte(20240611);
  // A drummer rushing and loose at first, settling in over five passes.
  const Jeito jeitos[] = {
      {-19, 30, 12, 8}, {-14, 24, 8, 6}, {-10, 19, 5, 4}, {-7, 17, 4, 3}, {-5, 15, 2, 2}};
  std::vector<ResumoPasse> passes;
  for (int i = 0; i < 5; ++i) passes.push_back(tocar(i + 1, jeitos[i], sorte));

  TformResumo janela;
  janela.aplicarIdioma();
  janela.show();
  if (!QTest::qWaitForWindowExposed(&janela)) falhar(QStringLiteral("the window was not shown"));
  janela.mostrar({passes.front()}, noTempoMs);
  fotografar(janela, pasta, codigo + QStringLiteral("-one-pass"));
  janela.mostrar(passes, noTempoMs);
  fotografar(janela, pasta, codigo + QStringLiteral("-five-passes"));
  janela.mostrar({}, noTempoMs);
  fotografar(janela, pasta, codigo + QStringLiteral("-empty"));
  janela.close();
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render-resumo OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "render-resumo: cannot create %s\n", argv[1]);
    return 1;
  }
  const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  if (dpi != 96) falhar(QStringLiteral("the screen has %1 DPI, not 96").arg(dpi));

  GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
  for (const IdiomaPrevia &idioma : idiomas) {
    if (!GerenciadorIdiomas::instancia().selecionarIdioma(QString::fromUtf8(idioma.nome))) {
      falhar(QStringLiteral("the language %1 is not in the program folder")
                 .arg(QString::fromUtf8(idioma.nome)));
      continue;
    }
    renderizar(pasta, QLatin1String(idioma.codigo));
  }
  return falhas == 0 ? 0 : 1;
}
