// Renders the main window in each language of the program folder, one PNG per state, so that
// a person can look at them:
//
//   render-janela OUTPUT_FOLDER [--docs DOCS_FOLDER]
//
// The states: at rest (no song), counting in, a song just opened, playing with the kit lit, paused,
// at a marked loop start, looping, fast-forwarding, stopped, with the keyboard help open, and with
// each picture button held down; and the practice window. The window runs over the fake MIDI
// library (which lists three devices and plays nothing) with the rhythm folder's rock groove, whose
// beats are handed to the sequencer one by one, so every picture shows the same moment of the song.
// It runs offscreen unless a platform is named (QT_QPA_PLATFORM=xcb under Xvfb:
// tests/janela/com-xvfb.sh). It fails when a label's text needs more room than its place in
// the bottom bar has, or a text of the drum-track list more than the list shows.
//
// --docs also writes the screenshots of the tutorial and the help into
// DOCS_FOLDER/<language>/img/, under the names the pages use (docs/README.md).
#include <dlfcn.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <cstdio>
#include <cstring>

#include "TVxMidi.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "julgamento/MarcasJulgamento.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "pratica/PainelPratica.h"
#include "pratica/TformPratica.h"
#include "setup/TFormSetup.h"
#include "ui/Bateria.h"
#include "ui/Imagem.h"
#include "ui/TFormPrincipal.h"

namespace {

struct IdiomaPrevia {
  const char *codigo;
  const char *nome;
};

// The documents' screenshots: the page's name and the state it shows.
struct FotoDocumento {
  const char *nome;
  const char *estado;
};

const FotoDocumento fotosDocumentos[] = {
    {"sem-musica", "rest"}, {"janela", "song-open"},      {"tocando", "playing"},
    {"loop", "looping"},    {"teclado", "keyboard-help"}, {"contagem", "count-in"},
};

const IdiomaPrevia idiomas[] = {
    {"en", "English"},
    {"pt-BR", "Português (Brasil)"},
    {"es", "Español"},
};

// Each label of the bottom bar and the x where its room ends: the next label or control, or
// the edge of its box in the bar's artwork. A label with a fixed width centres its text in
// it and must fit that width.
struct Lugar {
  const char *nome;
  int fim;
};

const Lugar lugares[] = {
    {"lblPlayer", 193},    {"lblTempo", 234},  {"lblTime", 0},         {"lblTotal", 294},
    {"lblTimeTotal", 0},   {"lblVolume", 377}, {"lblVelocidade", 449}, {"lblBPM", 0},
    {"lblPlayAlong", 536}, {"lblTracks", 774},
};

int falhas = 0;

void falhar(const QString &texto) {
  std::fprintf(stderr, "render-janela: %s\n", qPrintable(texto));
  ++falhas;
}

void verificar(const TFormPrincipal &janela, const QString &foto) {
  for (const Lugar &lugar : lugares) {
    const auto *rotulo = janela.findChild<QLabel *>(QLatin1String(lugar.nome));
    if (!rotulo) {
      falhar(QStringLiteral("%1: no %2").arg(foto, QLatin1String(lugar.nome)));
      continue;
    }
    const int largura = rotulo->fontMetrics().horizontalAdvance(rotulo->text());
    const int fim = lugar.fim > 0 ? lugar.fim : rotulo->x() + rotulo->width();
    if (rotulo->x() + largura > fim)
      falhar(QStringLiteral("%1: %2 \"%3\" needs %4 pixels, has %5")
                 .arg(foto, QLatin1String(lugar.nome), rotulo->text())
                 .arg(largura)
                 .arg(fim - rotulo->x()));
    if (rotulo->height() < rotulo->fontMetrics().height())
      falhar(QStringLiteral("%1: %2 is cut at the bottom").arg(foto, QLatin1String(lugar.nome)));
  }
  // Every text the drum-track list can show: its placeholder, the all-tracks item and the
  // widest numbered item.
  const auto *lista = janela.findChild<QComboBox *>(QStringLiteral("CmbTracks"));
  QStyleOptionComboBox opcao;
  opcao.initFrom(lista);
  const int campo =
      lista->style()
          ->subControlRect(QStyle::CC_ComboBox, &opcao, QStyle::SC_ComboBoxEditField, lista)
          .width();
  GerenciadorIdiomas &idioma = GerenciadorIdiomas::instancia();
  const QString secao = QStringLiteral("frmPrincipal");
  for (const QString &texto :
       {idioma.getTexto(secao, QStringLiteral("CmbTracksText")),
        idioma.getTexto(secao, QStringLiteral("BateriaTodas")),
        idioma.getTexto(secao, QStringLiteral("Bateria")) + QStringLiteral("16")}) {
    const int largura = lista->fontMetrics().horizontalAdvance(texto);
    if (largura > campo)
      falhar(QStringLiteral("%1: CmbTracks \"%2\" needs %3 pixels, has %4")
                 .arg(foto, texto)
                 .arg(largura)
                 .arg(campo));
  }
}

// Where the documents' screenshots go: DOCS_FOLDER/<language>/img; empty without --docs.
QString pastaDocumentos;

void salvar(const QImage &foto, const QString &caminho) {
  if (!foto.save(caminho, "PNG"))
    falhar(QStringLiteral("cannot write %1").arg(caminho));
  else
    std::printf("%s\n", qPrintable(caminho));
}

// With --docs: foto as the documents' picture nome of the language codigo.
void salvarDocumento(const QImage &foto, const QString &codigo, const QString &nome) {
  if (pastaDocumentos.isEmpty()) return;
  const QDir img(QDir(pastaDocumentos).filePath(codigo + QStringLiteral("/img")));
  if (!QDir().mkpath(img.path())) falhar(QStringLiteral("cannot create %1").arg(img.path()));
  salvar(foto, img.filePath(nome + QStringLiteral(".png")));
}

void fotografar(TFormPrincipal &janela, const QDir &pasta, const QString &codigo,
                const QString &estado) {
  QCoreApplication::processEvents();
  const QString arquivo = codigo + u'-' + estado;
  verificar(janela, arquivo);
  const QImage foto = janela.grab().toImage();
  salvar(foto, pasta.filePath(arquivo + QStringLiteral(".png")));
  for (const FotoDocumento &d : fotosDocumentos)
    if (estado == QLatin1String(d.estado)) salvarDocumento(foto, codigo, QLatin1String(d.nome));
}

void clicar(TFormPrincipal &janela, int tag) {
  const QPoint ponto = janela.getImagemBotao(tag)->geometry().center();
  QTest::mouseClick(janela.windowHandle(), Qt::LeftButton, {}, ponto);
}

// Ticks until at least `pecas` pictures of the kit besides its background are lit.
void tocarAteAcender(int pecas) {
  auto *kit = dynamic_cast<Bateria *>(ArquivoConfiguracao::instancia().getInstrumento());
  for (int i = 0; i < 64 * 64; ++i) {
    Sequenciador::instancia().processarTick();
    if (kit && static_cast<int>(kit->getMapa().figurasVisiveis().size()) > pecas) return;
  }
  falhar(QStringLiteral("the kit never lit %1 pieces").arg(pecas));
}

void renderizar(const QDir &pasta, const QString &codigo) {
  // Every language starts from the settings of a new user.
  ArquivoConfiguracao::instancia().setAjustesPratica({});
  ArquivoConfiguracao::instancia().getMemoriaMusicas() = MemoriaMusicas();
  TFormSetup setup;
  FormSetup = &setup;
  TFormPrincipal janela;
  janela.setMensageiro([](const QString &texto, const QString &) {
    falhar(QStringLiteral("a message: %1").arg(texto));
  });
  janela.setPergunta([](const QString &) { return false; });
  janela.show();
  if (!QTest::qWaitForWindowExposed(&janela)) falhar(QStringLiteral("the window was not shown"));
  QTest::qWait(50);
  fotografar(janela, pasta, codigo, QStringLiteral("rest"));

  if (!janela.abrirMusica(QStringLiteral(KOVRINTA_PROGRAM_DIR "/ritmos/rock-110.mid")))
    falhar(QStringLiteral("the groove did not open"));
  // The count-in's second beat, then the song's first tick.
  Sequenciador &sequenciador = Sequenciador::instancia();
  for (int i = 0; i < 64 + 1; ++i) sequenciador.processarTick();
  fotografar(janela, pasta, codigo, QStringLiteral("count-in"));
  while (sequenciador.getContagemRestante() > 0) sequenciador.processarTick();
  sequenciador.processarTick();
  fotografar(janela, pasta, codigo, QStringLiteral("song-open"));
  for (int i = 0; i < 64 * 8; ++i) Sequenciador::instancia().processarTick();
  tocarAteAcender(4);
  fotografar(janela, pasta, codigo, QStringLiteral("playing"));
  clicar(janela, TFormPrincipal::tagPause);
  fotografar(janela, pasta, codigo, QStringLiteral("paused"));
  clicar(janela, TFormPrincipal::tagPause);
  clicar(janela, TFormPrincipal::tagRepeat);
  fotografar(janela, pasta, codigo, QStringLiteral("loop-start"));
  for (int i = 0; i < 64 * 4; ++i) Sequenciador::instancia().processarTick();
  clicar(janela, TFormPrincipal::tagRepeat);
  tocarAteAcender(3);
  fotografar(janela, pasta, codigo, QStringLiteral("looping"));
  // Hits judged on the kit as the drummer plays along, with the pass's readout.
  MarcasJulgamento *marcas = janela.getMarcasJulgamento();
  ResumoPasse passe;
  const Julgamento julgados[] = {{PecaBateria::bumbo, ClasseGolpe::noTempo, 4},
                                 {PecaBateria::caixa, ClasseGolpe::atrasado, 41},
                                 {PecaBateria::chimbalFechado, ClasseGolpe::adiantado, -38},
                                 {PecaBateria::ataque1, ClasseGolpe::perdido},
                                 {PecaBateria::ton1, ClasseGolpe::extra}};
  for (const Julgamento &j : julgados) {
    marcas->mostrar(j);
    passe.somar(j);
  }
  marcas->setNumeroPasse(2);
  marcas->mostrarPasse(passe);
  fotografar(janela, pasta, codigo, QStringLiteral("judging"));
  marcas->limpar();
  clicar(janela, TFormPrincipal::tagPlay);

  // The practice window beside the main window, with the click and the trainer on.
  QTest::mouseClick(janela.getPainelPratica()->getCkClique(), Qt::LeftButton);
  QTest::mouseClick(janela.getPainelPratica()->getBtnPratica(), Qt::LeftButton);
  TformPratica *pratica = janela.getFormPratica();
  if (!QTest::qWaitForWindowExposed(pratica)) falhar(QStringLiteral("no practice window"));
  pratica->getCkTreinador()->setChecked(true);
  QCoreApplication::processEvents();
  const QImage fotoPratica = pratica->grab().toImage();
  salvar(fotoPratica, pasta.filePath(codigo + QStringLiteral("-practice.png")));
  salvarDocumento(fotoPratica, codigo, QStringLiteral("pratica"));
  pratica->close();

  // Held down: fast-forward with its status, then every button in turn, each released
  // away from it so that it does nothing.
  const QPoint fora(400, 300);
  QTest::mousePress(janela.windowHandle(), Qt::LeftButton, {},
                    janela.getImagemBotao(TFormPrincipal::tagFF)->geometry().center());
  QTest::qWait(250);
  fotografar(janela, pasta, codigo, QStringLiteral("fast-forward"));
  QTest::mouseRelease(janela.windowHandle(), Qt::LeftButton, {}, fora);
  clicar(janela, TFormPrincipal::tagPause);
  for (int tag = 0; tag < TFormPrincipal::numImagensBotoes; tag += 2) {
    Imagem *botao = janela.getImagemBotao(tag);
    QTest::mousePress(janela.windowHandle(), Qt::LeftButton, {}, botao->geometry().center());
    fotografar(janela, pasta, codigo, QStringLiteral("held-") + botao->objectName().mid(3));
    QTest::mouseRelease(janela.windowHandle(), Qt::LeftButton, {}, fora);
  }
  clicar(janela, TFormPrincipal::tagStop);
  fotografar(janela, pasta, codigo, QStringLiteral("stopped"));

  // The keyboard help, opened and closed with the mouse as a user would.
  const auto *pequeno = janela.findChild<QWidget *>(QStringLiteral("panelTecladoPequeno"));
  const auto *fechar = janela.findChild<QWidget *>(QStringLiteral("btnFecharAjudaAtalhos"));
  QTest::mouseClick(janela.windowHandle(), Qt::LeftButton, {}, pequeno->geometry().center());
  if (pequeno->isVisible()) falhar(QStringLiteral("the small keyboard did not open the help"));
  fotografar(janela, pasta, codigo, QStringLiteral("keyboard-help"));
  QTest::mouseClick(janela.windowHandle(), Qt::LeftButton, {},
                    fechar->mapTo(&janela, fechar->rect().center()));
  if (!pequeno->isVisible()) falhar(QStringLiteral("the close button did not close the help"));
  FormSetup = nullptr;

  // The messages of a device that goes away, as the program's message box shows them.
  GerenciadorIdiomas &idioma = GerenciadorIdiomas::instancia();
  for (const auto &[chave, nome] : {std::pair{"msgDispositivoPerdido", "message-device-lost"},
                                    std::pair{"msgEntradaPerdida", "message-input-lost"}}) {
    QString texto = idioma.getTexto(QStringLiteral("frmPrincipal"), QLatin1String(chave));
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(QLatin1String("%1"), QLatin1String("TD-17 MIDI 1"));
    QMessageBox caixa(QMessageBox::NoIcon, QStringLiteral("Kovrinta"), texto, QMessageBox::Ok);
    caixa.show();
    if (!QTest::qWaitForWindowExposed(&caixa)) falhar(QStringLiteral("no message box"));
    salvar(caixa.grab().toImage(), pasta.filePath(codigo + QStringLiteral("-") +
                                                  QLatin1String(nome) + QStringLiteral(".png")));
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);
  const bool comDocumentos = argc == 4 && std::strcmp(argv[2], "--docs") == 0;
  if (argc != 2 && !comDocumentos) {
    std::fprintf(stderr, "usage: render-janela OUTPUT_FOLDER [--docs DOCS_FOLDER]\n");
    return 2;
  }
  if (comDocumentos) pastaDocumentos = QString::fromLocal8Bit(argv[3]);
  const QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(pasta.path())) {
    std::fprintf(stderr, "render-janela: cannot create %s\n", argv[1]);
    return 1;
  }
  const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  if (dpi != 96) falhar(QStringLiteral("the screen has %1 DPI, not 96").arg(dpi));

  TVxMidi::setLibraryFile(QStringLiteral(VXMIDI_FAKE_LIBRARY));
  QTemporaryDir configuracao;
  ArquivoConfiguracao::configurarParaTestes({configuracao.path(), QStringLiteral("Kovrinta"), {}});
  GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
  SaidaMIDI::instancia();
  // The fake library reads files through the real one.
  void *falsa = dlopen(VXMIDI_FAKE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  auto encaminhar =
      falsa ? reinterpret_cast<void (*)(const char *)>(dlsym(falsa, "FakeForwardFiles")) : nullptr;
  if (!encaminhar) {
    std::fprintf(stderr, "render-janela: the fake library is not loaded\n");
    return 1;
  }
  encaminhar(VXMIDI_REAL_LIBRARY);
  for (const IdiomaPrevia &idioma : idiomas) {
    if (!GerenciadorIdiomas::instancia().selecionarIdioma(QString::fromUtf8(idioma.nome))) {
      falhar(QStringLiteral("the language %1 is not in the program folder")
                 .arg(QString::fromUtf8(idioma.nome)));
      continue;
    }
    renderizar(pasta, QLatin1String(idioma.codigo));
  }
  encaminhar(nullptr);
  return falhas == 0 ? 0 : 1;
}
