// Renders every page of the sound-card test wizard (A, B, C, D) and the pages of the setup
// dialog in each language of the program folder, at 96 DPI (offscreen, or under Xvfb with
// QT_QPA_PLATFORM=xcb), one PNG per state, so that a person can look at them:
//
//   render-setup OUTPUT_FOLDER          the windows over the fake MIDI library, which lists
//                                       three output devices and no input that can be chosen
//   render-setup OUTPUT_FOLDER --kit    the electronic kit's page with a module plugged in
//                                       (at rest, its device list open, learning, after a
//                                       taught pad), over the real library and a private
//                                       JACK server
//
// It fails when a text does not fit its control, two texts overlap, a control sticks out of
// its page or a text of the kit's page is missing.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "QtWait.h"
#include "TVxMidi.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "entrada/KitEletronico.h"
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
  static const QRegularExpression caixaTrilha(QStringLiteral("^CheckBox[0-9]+$"));
  for (QCheckBox *caixa : janela->findChildren<QCheckBox *>()) {
    if (!caixa->isVisible() || caixaTrilha.match(caixa->objectName()).hasMatch()) continue;
    if (caixa->sizeHint().width() > caixa->width())
      falhar(QStringLiteral("%1: %2 needs %3 pixels of width")
                 .arg(pagina, nomeDe(caixa))
                 .arg(caixa->sizeHint().width()));
  }
  // Every item of a drop-down can be read when it is the one chosen.
  for (QComboBox *lista : janela->findChildren<QComboBox *>()) {
    if (!lista->isVisible()) continue;
    QStyleOptionComboBox opcao;
    opcao.initFrom(lista);
    const int campo =
        lista->style()
            ->subControlRect(QStyle::CC_ComboBox, &opcao, QStyle::SC_ComboBoxEditField, lista)
            .width();
    // The input ports' names are the system's and may be cut, as track names; the texts
    // around them must not.
    const bool portas = lista->objectName() == QLatin1String("CmbDispositivoEntrada");
    for (int i = 0; i < (portas ? 1 : lista->count()); ++i)
      if (lista->fontMetrics().horizontalAdvance(lista->itemText(i)) > campo)
        falhar(QStringLiteral("%1: \"%2\" of %3 needs %4 pixels of width, has %5")
                   .arg(pagina, lista->itemText(i), nomeDe(lista))
                   .arg(lista->fontMetrics().horizontalAdvance(lista->itemText(i)))
                   .arg(campo));
  }
  // The pages' controls lie inside their page.
  for (QTabWidget *paginas : janela->findChildren<QTabWidget *>()) {
    QWidget *atual = paginas->currentWidget();
    for (QWidget *controle : atual->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
      if (controle->isVisible() && !atual->rect().contains(controle->geometry()))
        falhar(
            QStringLiteral("%1: %2 sticks out of %3").arg(pagina, nomeDe(controle), nomeDe(atual)));
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

// The kit's page names every control in the language: a missing key shows an empty text.
void verificarTextosKit(PaginaEntrada *pagina, const QString &arquivo) {
  for (QWidget *controle : pagina->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
    QString texto;
    if (auto *rotulo = qobject_cast<QLabel *>(controle)) texto = rotulo->text();
    if (auto *botao = qobject_cast<QAbstractButton *>(controle)) texto = botao->text();
    if (auto *lista = qobject_cast<QComboBox *>(controle)) texto = lista->currentText();
    if (qobject_cast<QSpinBox *>(controle)) texto = controle->toolTip();
    if (texto.isEmpty())
      falhar(QStringLiteral("%1: %2 has no text").arg(arquivo, nomeDe(controle)));
  }
  for (int i = 0; i < pagina->getCmbPecaAprender()->count(); ++i)
    if (pagina->getCmbPecaAprender()->itemText(i).isEmpty())
      falhar(QStringLiteral("%1: piece %2 has no name").arg(arquivo).arg(i));
}

// The window with a drop-down's open list drawn over it where it stands.
void fotografarLista(QWidget *janela, QComboBox *lista, const QDir &pasta, const QString &arquivo) {
  verificar(janela, arquivo);
  lista->showPopup();
  QWidget *popup = lista->view()->window();
  if (!kovrinta::test::waitFor([&] { return popup->isVisible(); }, 2s))
    return falhar(QStringLiteral("%1: the list did not open").arg(arquivo));
  const QPoint onde = popup->mapToGlobal(QPoint()) - janela->mapToGlobal(QPoint());
  const QRect tudo = janela->rect().united(QRect(onde, popup->size()));
  QImage imagem(tudo.size(), QImage::Format_ARGB32);
  imagem.fill(Qt::transparent);
  QPainter pintor(&imagem);
  pintor.drawPixmap(-tudo.topLeft(), janela->grab());
  pintor.drawPixmap(onde - tudo.topLeft(), popup->grab());
  pintor.end();
  lista->hidePopup();
  const QString caminho = pasta.filePath(arquivo + QStringLiteral(".png"));
  if (!imagem.save(caminho, "PNG")) return falhar(QStringLiteral("cannot write %1").arg(caminho));
  std::printf("%s  (%s)\n", qPrintable(caminho), qPrintable(janela->windowTitle()));
}

// Shows the dialog on the kit's page, as the drummer opens it.
void mostrarKit(TFormSetup &setup, KitEletronico &kit) {
  setup.setKitEletronico(&kit);
  setup.show();
  setup.getPagCtrlSetup()->setCurrentWidget(setup.getTabEntrada());
}

// The kit's page without any input to choose, as the fake library leaves it.
void renderizarKitSemEntrada(const QDir &pasta, const QString &codigo, KitEletronico &kit) {
  TFormSetup setup;
  mostrarKit(setup, kit);
  verificarTextosKit(setup.getTabEntrada(), codigo + QStringLiteral("-setup-kit-no-input"));
  fotografar(&setup, pasta, codigo + QStringLiteral("-setup-kit-no-input"));
  setup.reject();
}

// The kit's page with modulo's port as the drummer's module: at rest, learning the closed
// hi-hat, after the hit that taught it; then its device list with a stored module that is not
// plugged in.
void renderizarKit(const QDir &pasta, const QString &codigo, KitEletronico &kit,
                   kovrinta::test::JackTestClient &modulo) {
  AjustesEntrada ajustes;
  for (const QString &nome : kit.listarDispositivos())
    if (nome.contains(QStringLiteral("TD-17:"))) ajustes.dispositivo = nome;
  ArquivoConfiguracao::instancia().setAjustesEntrada(ajustes);
  if (!kit.aplicar(ajustes))
    return falhar(QStringLiteral("%1: the module's port does not open").arg(codigo));
  {
    TFormSetup setup;
    mostrarKit(setup, kit);
    PaginaEntrada *pagina = setup.getTabEntrada();
    verificarTextosKit(pagina, codigo + QStringLiteral("-setup-kit"));
    fotografar(&setup, pasta, codigo + QStringLiteral("-setup-kit"));
    pagina->getCmbPecaAprender()->setCurrentIndex(static_cast<int>(PecaBateria::chimbalFechado));
    pagina->getBtnAprender()->click();
    fotografar(&setup, pasta, codigo + QStringLiteral("-setup-kit-learning"));
    // The edge of a module's hi-hat pad: note 22, struck hard.
    modulo.send({0x99, 22, 100});
    if (!kovrinta::test::waitFor([&] { return !pagina->isAprendendo(); }, 10s))
      falhar(QStringLiteral("%1: the hit taught nothing").arg(codigo));
    fotografar(&setup, pasta, codigo + QStringLiteral("-setup-kit-taught"));
    setup.reject();
  }
  ajustes.dispositivo = QStringLiteral("TD-27 MIDI 1");
  ArquivoConfiguracao::instancia().setAjustesEntrada(ajustes);
  TFormSetup setup;
  mostrarKit(setup, kit);
  fotografarLista(&setup, setup.getTabEntrada()->getCmbDispositivoEntrada(), pasta,
                  codigo + QStringLiteral("-setup-kit-devices"));
  setup.reject();
  kit.aplicar(AjustesEntrada{});
}

bool selecionar(const IdiomaPrevia &idioma) {
  if (GerenciadorIdiomas::instancia().selecionarIdioma(QString::fromUtf8(idioma.nome))) return true;
  falhar(QStringLiteral("the language %1 is not in the program folder")
             .arg(QString::fromUtf8(idioma.nome)));
  return false;
}

// --kit: the kit's page over the real library, a private JACK server and a JACK client of our
// own whose output port stands for the drummer's module. 77 (a skip for ctest) when no JACK
// server can start outside CI.
int renderizarKitJack(const QDir &pasta) {
  kovrinta::test::JackServer servidor;
  if (!servidor.running()) {
    std::fprintf(stderr, "render-setup: no JACK server: %s\n", servidor.failure().c_str());
    return kovrinta::test::inCi() ? 1 : 77;
  }
  kovrinta::test::JackTestClient modulo("TD-17", false, true);
  if (!modulo.ready()) {
    std::fprintf(stderr, "render-setup: the module's JACK client did not open\n");
    return 1;
  }
  TVxMidi::setLibraryFile(QStringLiteral(VXMIDI_REAL_LIBRARY));
  // The output plays nothing here: the hits are only shown.
  SaidaMIDI::setDispositivoInicial(-1);
  SaidaMIDI::instancia();
  KitEletronico kit;
  for (const IdiomaPrevia &idioma : idiomas)
    if (selecionar(idioma)) renderizarKit(pasta, QLatin1String(idioma.codigo), kit, modulo);
  return falhas == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  // Offscreen unless a platform is named (QT_QPA_PLATFORM=xcb under Xvfb).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const bool kit = argc == 3 && QLatin1String(argv[2]) == QLatin1String("--kit");
  if (argc != 2 && !kit) {
    std::fprintf(stderr, "usage: render-setup OUTPUT_FOLDER [--kit]\n");
    return 2;
  }
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "render-setup: cannot create %s\n", argv[1]);
    return 1;
  }
  const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  if (dpi != 96) falhar(QStringLiteral("the screen has %1 DPI, not 96").arg(dpi));

  QTemporaryDir configuracao;
  ArquivoConfiguracao::configurarParaTestes({configuracao.path(), QStringLiteral("Kovrinta"), {}});
  GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
  if (kit) return renderizarKitJack(pasta);

  TVxMidi::setLibraryFile(QStringLiteral(VXMIDI_FAKE_LIBRARY));
  SaidaMIDI::instancia();
  KitEletronico semEntrada;
  for (const IdiomaPrevia &idioma : idiomas) {
    if (!selecionar(idioma)) continue;
    renderizarAssistente(pasta, QLatin1String(idioma.codigo));
    renderizarSetup(pasta, QLatin1String(idioma.codigo));
    renderizarKitSemEntrada(pasta, QLatin1String(idioma.codigo), semEntrada);
  }
  return falhas == 0 ? 0 : 1;
}
