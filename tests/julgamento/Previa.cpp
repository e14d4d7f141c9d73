#include "Previa.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTableWidget>
#include <cstdio>

#include "config/GerenciadorIdiomas.h"

namespace previa {

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

const char *nomePrograma = "";
int falhas = 0;

}  // namespace

void falhar(const QString &texto) {
  std::fprintf(stderr, "%s: %s\n", nomePrograma, qPrintable(texto));
  ++falhas;
}

QString nomeDe(const QWidget *w) {
  return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                   : w->objectName();
}

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

QString fotografar(QWidget &janela, const QDir &pasta, const QString &foto) {
  QCoreApplication::processEvents();
  verificar(&janela, foto);
  const QString caminho = pasta.filePath(foto + QStringLiteral(".png"));
  if (janela.grab().toImage().save(caminho, "PNG")) return caminho;
  falhar(QStringLiteral("cannot write %1").arg(caminho));
  return {};
}

int executarPrevia(
    int argc, char **argv, const char *programa,
    const std::function<void(const QDir &pasta, const QString &codigo)> &renderizar) {
  nomePrograma = programa;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", programa);
    return 2;
  }
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "%s: cannot create %s\n", programa, argv[1]);
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

}  // namespace previa
