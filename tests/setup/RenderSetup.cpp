// Renders every page of the sound-card test wizard (A, B, C, D) and both pages of the setup
// dialog in each language of the program folder, at 96 DPI (offscreen, or under Xvfb with
// QT_QPA_PLATFORM=xcb), one PNG per page, so that a person can look at them:
//
//   render-setup OUTPUT_FOLDER
//
// The windows run over the fake MIDI library, which lists three devices and plays nothing.
// It fails when a text does not fit its control or two texts overlap.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

#include "QtWait.h"
#include "TVxMidi.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "midi/SaidaMIDI.h"
#include "setup/TFormSetup.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"

namespace {

using namespace std::chrono_literals;

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
  std::fprintf(stderr, "render-setup: %s\n", qPrintable(texto));
  ++falhas;
}

QString nomeDe(const QWidget *w) {
  return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                   : w->objectName();
}

// The part of a label that its text covers.
QRect areaUsada(const QLabel *rotulo) {
  const int altura =
      rotulo->wordWrap() ? rotulo->heightForWidth(rotulo->width()) : rotulo->sizeHint().height();
  const int largura =
      rotulo->wordWrap() ? rotulo->width() : std::min(rotulo->width(), rotulo->sizeHint().width());
  return QRect(rotulo->mapTo(rotulo->window(), QPoint()), QSize(largura, altura));
}

// Every visible text of janela fits its control, and no two labels' texts overlap. The
// names of tracks are the song's and may be cut, as the designed boxes are narrow.
void verificar(QWidget *janela, const QString &pagina) {
  std::vector<std::pair<QString, QRect>> usadas;
  for (QLabel *rotulo : janela->findChildren<QLabel *>()) {
    if (!rotulo->isVisible() || rotulo->text().isEmpty()) continue;
    const QRect area = areaUsada(rotulo);
    if (area.height() > rotulo->height())
      falhar(QStringLiteral("%1: %2 needs %3 pixels of height, has %4")
                 .arg(pagina, nomeDe(rotulo))
                 .arg(area.height())
                 .arg(rotulo->height()));
    if (!rotulo->wordWrap() && rotulo->sizeHint().width() > rotulo->width())
      falhar(QStringLiteral("%1: %2 needs %3 pixels of width, has %4")
                 .arg(pagina, nomeDe(rotulo))
                 .arg(rotulo->sizeHint().width())
                 .arg(rotulo->width()));
    for (const auto &[outro, areaOutro] : usadas)
      if (area.intersects(areaOutro))
        falhar(QStringLiteral("%1: %2 overlaps %3").arg(pagina, nomeDe(rotulo), outro));
    usadas.emplace_back(nomeDe(rotulo), area);
  }
  for (QPushButton *botao : janela->findChildren<QPushButton *>()) {
    if (!botao->isVisible()) continue;
    const int largura = botao->fontMetrics().horizontalAdvance(botao->text()) + 12;
    if (largura > botao->width())
      falhar(QStringLiteral("%1: %2 needs %3 pixels of width, has %4")
                 .arg(pagina, nomeDe(botao))
                 .arg(largura)
                 .arg(botao->width()));
  }
  for (QCheckBox *caixa : janela->findChildren<QCheckBox *>()) {
    if (!caixa->isVisible() || caixa->objectName() != QLatin1String("CheckBoxSel")) continue;
    if (caixa->sizeHint().width() > caixa->width())
      falhar(QStringLiteral("%1: %2 needs %3 pixels of width")
                 .arg(pagina, nomeDe(caixa))
                 .arg(caixa->sizeHint().width()));
  }
  for (QGroupBox *grupo : janela->findChildren<QGroupBox *>()) {
    if (!grupo->isVisible()) continue;
    if (grupo->fontMetrics().horizontalAdvance(grupo->title()) + 16 > grupo->width())
      falhar(QStringLiteral("%1: the title of %2 does not fit").arg(pagina, nomeDe(grupo)));
  }
  for (QTabWidget *paginas : janela->findChildren<QTabWidget *>()) {
    const QTabBar *barra = paginas->tabBar();
    const QRect ultima = barra->tabRect(barra->count() - 1);
    if (ultima.right() >= paginas->width())
      falhar(QStringLiteral("%1: the tabs of %2 do not fit").arg(pagina, nomeDe(paginas)));
    for (int i = 0; i < barra->count(); ++i)
      if (barra->tabRect(i).width() < barra->fontMetrics().horizontalAdvance(barra->tabText(i)) + 8)
        falhar(QStringLiteral("%1: the tab \"%2\" is cut").arg(pagina, barra->tabText(i)));
  }
}

void fotografar(QWidget *janela, const QDir &pasta, const QString &arquivo) {
  verificar(janela, arquivo);
  const QString caminho = pasta.filePath(arquivo + QStringLiteral(".png"));
  if (!janela->grab().toImage().save(caminho, "PNG"))
    falhar(QStringLiteral("cannot write %1").arg(caminho));
  else
    std::printf("%s  (%s)\n", qPrintable(caminho), qPrintable(janela->windowTitle()));
}

// On page A of the wizard: plays the scale and waits for page B.
bool testar(TformAssistenteConfiguracaoDriver &assistente) {
  assistente.getBtnProsseguir()->click();
  return kovrinta::test::waitFor([&] { return assistente.getBtnEscutando()->isVisible(); }, 10s);
}

void renderizarAssistente(const QDir &pasta, const QString &codigo) {
  TformAssistenteConfiguracaoDriver assistente;
  // First run: page A, the scale playing, page B, then every device refused: page D.
  assistente.show();
  fotografar(&assistente, pasta, codigo + QStringLiteral("-wizard-A"));
  assistente.getBtnProsseguir()->click();
  fotografar(&assistente, pasta, codigo + QStringLiteral("-wizard-A-playing"));
  if (!kovrinta::test::waitFor([&] { return assistente.getBtnEscutando()->isVisible(); }, 10s))
    return falhar(QStringLiteral("%1: page B did not come").arg(codigo));
  fotografar(&assistente, pasta, codigo + QStringLiteral("-wizard-B"));
  assistente.getBtnNaoEscutando()->click();
  for (int i = 1; i < assistente.getDrivers().size(); ++i) {
    if (!testar(assistente)) return falhar(QStringLiteral("%1: page B did not come").arg(codigo));
    assistente.getBtnNaoEscutando()->click();
  }
  fotografar(&assistente, pasta, codigo + QStringLiteral("-wizard-D"));
  assistente.done(QDialog::Accepted);
  // Second run: the first device heard, page C.
  assistente.show();
  if (!testar(assistente)) return falhar(QStringLiteral("%1: page B did not come").arg(codigo));
  assistente.getBtnEscutando()->click();
  fotografar(&assistente, pasta, codigo + QStringLiteral("-wizard-C"));
  assistente.done(QDialog::Accepted);
}

void renderizarSetup(const QDir &pasta, const QString &codigo) {
  TFormSetup setup;
  setup.show();
  fotografar(&setup, pasta, codigo + QStringLiteral("-setup-drivers"));
  // The boxes as a song of six tracks leaves them, one of them without a name.
  const QStringList nomes{QStringLiteral("Drums"),
                          QStringLiteral("Bass"),
                          QStringLiteral("Acoustic Grand Piano"),
                          QStringLiteral("Strings"),
                          GerenciadorIdiomas::instancia().getTexto(QStringLiteral("frmPrincipal"),
                                                                   QStringLiteral("SemNome")),
                          QStringLiteral("Lead vocal")};
  for (int i = 0; i < nomes.size(); ++i) {
    setup.getCaixa(i).setText(nomes[i]);
    setup.getCaixa(i).setChecked(true);
    setup.getCaixa(i).setEnabled(true);
  }
  setup.getCheckBoxSel().setEnabled(true);
  setup.getCheckBoxSel().setChecked(true);
  setup.getCaixa(3).setChecked(false);
  setup.getPagCtrlSetup()->setCurrentWidget(setup.getTabCanais());
  fotografar(&setup, pasta, codigo + QStringLiteral("-setup-tracks"));
  setup.reject();
}

}  // namespace

int main(int argc, char **argv) {
  // Offscreen unless a platform is named (QT_QPA_PLATFORM=xcb under Xvfb).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render-setup OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "render-setup: cannot create %s\n", argv[1]);
    return 1;
  }
  const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  if (dpi != 96) falhar(QStringLiteral("the screen has %1 DPI, not 96").arg(dpi));

  TVxMidi::setLibraryFile(QStringLiteral(VXMIDI_FAKE_LIBRARY));
  QTemporaryDir configuracao;
  ArquivoConfiguracao::configurarParaTestes({configuracao.path(), QStringLiteral("Kovrinta"), {}});
  GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
  SaidaMIDI::instancia();
  for (const IdiomaPrevia &idioma : idiomas) {
    if (!GerenciadorIdiomas::instancia().selecionarIdioma(QString::fromUtf8(idioma.nome))) {
      falhar(QStringLiteral("the language %1 is not in the program folder")
                 .arg(QString::fromUtf8(idioma.nome)));
      continue;
    }
    renderizarAssistente(pasta, QLatin1String(idioma.codigo));
    renderizarSetup(pasta, QLatin1String(idioma.codigo));
  }
  return falhas == 0 ? 0 : 1;
}
