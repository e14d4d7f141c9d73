// Renders the tap test's window in each language of the program folder, one PNG per state, so
// that a person can look at them:
//
//   render-calibracao OUTPUT_FOLDER
//
// The states: the explanation before the clicks (start), the clicks going on (running), a
// result that can be used (result-valid) and one with too few strikes (result-invalid). It
// runs offscreen unless a platform is named (QT_QPA_PLATFORM=xcb under Xvfb:
// tests/janela/com-xvfb.sh). It fails when a text needs more room than its control has, or
// when the window changes size from one state to the next.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>
#include <functional>

#include "config/GerenciadorIdiomas.h"
#include "julgamento/SessaoJulgamento.h"
#include "julgamento/TformCalibracao.h"

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
  std::fprintf(stderr, "render-calibracao: %s\n", qPrintable(texto));
  ++falhas;
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
  for (QPushButton *botao : janela->findChildren<QPushButton *>()) {
    if (!botao->isVisible()) continue;
    if (botao->fontMetrics().horizontalAdvance(botao->text()) + 12 > botao->width())
      falhar(QStringLiteral("%1: %2 does not fit its text").arg(foto, nomeDe(botao)));
  }
}

void fotografar(TformCalibracao &janela, const QDir &pasta, const QString &arquivo) {
  QCoreApplication::processEvents();
  verificar(&janela, arquivo);
  const QString caminho = pasta.filePath(arquivo + QStringLiteral(".png"));
  if (!janela.grab().toImage().save(caminho, "PNG"))
    falhar(QStringLiteral("cannot write %1").arg(caminho));
  else
    std::printf("%s  (%dx%d, %s)\n", qPrintable(caminho), janela.width(), janela.height(),
                qPrintable(janela.windowTitle()));
}

Calibracao::Resultado resultado(bool valido, double latenciaMs, int usados, int semToque,
                                int descartados) {
  Calibracao::Resultado r;
  r.valido = valido;
  r.latenciaMs = latenciaMs;
  r.usados = usados;
  r.semToque = semToque;
  r.descartados = descartados;
  return r;
}

void renderizar(const QDir &pasta, const QString &codigo) {
  TformCalibracao janela;
  janela.aplicarIdioma();
  janela.mostrarInicio(12.34);
  janela.show();
  if (!QTest::qWaitForWindowExposed(&janela)) falhar(QStringLiteral("the window was not shown"));
  const QSize tamanho = janela.size();
  const std::pair<const char *, std::function<void()>> estados[] = {
      {"start", [] {}},
      {"running", [&] { janela.mostrarProgresso(5, SessaoJulgamento::batidasCalibracao, 4); }},
      // 24 clicks, the first one only heard; two strikes left out.
      {"result-valid", [&] { janela.mostrarResultado(resultado(true, 18.64, 21, 1, 2)); }},
      {"result-invalid", [&] { janela.mostrarResultado(resultado(false, 0, 5, 18, 1)); }},
  };
  for (const auto &[estado, mostrar] : estados) {
    mostrar();
    const QString arquivo = codigo + QLatin1Char('-') + QLatin1String(estado);
    fotografar(janela, pasta, arquivo);
    if (janela.size() != tamanho)
      falhar(QStringLiteral("%1: the window is %2x%3, not %4x%5 as it opened")
                 .arg(arquivo)
                 .arg(janela.width())
                 .arg(janela.height())
                 .arg(tamanho.width())
                 .arg(tamanho.height()));
  }
  janela.close();
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render-calibracao OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "render-calibracao: cannot create %s\n", argv[1]);
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
