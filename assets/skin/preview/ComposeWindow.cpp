// Writes the windows' artwork as PNG for a person to look at, in place:
//
//   compose-window OUTPUT_FOLDER LANGUAGE_PICTURES_PREFIX ICON_SVG
//
// OUTPUT_FOLDER gets every picture of the resources ":/skin", ":/teclado", ":/assistente" and
// ":/icone" in a folder of its prefix; the scalable icon rendered at 16, 32, 48 and 256
// pixels (and a sheet of them enlarged); the main window composed of its pictures at rest,
// with every button held down, with the transport disabled (as the window shows it before a
// song is open) and with the keyboard help open; and the wizard's page. The language's
// pictures are read from LANGUAGE_PICTURES_PREFIX-<key>.png, as mkidioma --previa writes
// them. It fails when a picture the windows use cannot be loaded.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QSvgRenderer>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

QPixmap carregar(const QString &arquivo) {
  QPixmap figura(arquivo);
  if (figura.isNull()) throw std::runtime_error(qPrintable(arquivo + ": cannot load"));
  return figura;
}

void salvar(const QImage &imagem, const QString &arquivo) {
  if (!imagem.save(arquivo)) throw std::runtime_error(qPrintable(arquivo + ": cannot write"));
}

QLabel *figura(QWidget *pai, const QPixmap &pixmap, int esquerda, int topo) {
  auto *rotulo = new QLabel(pai);
  rotulo->setPixmap(pixmap);
  rotulo->setGeometry(esquerda, topo, pixmap.width(), pixmap.height());
  return rotulo;
}

// A caption of the bottom bar: bold 9-pixel white text on no background.
QLabel *legenda(QWidget *pai, const QString &texto, int esquerda, int topo) {
  auto *rotulo = new QLabel(texto, pai);
  QFont fonte(QStringLiteral("Verdana"));
  fonte.setPixelSize(9);
  fonte.setBold(true);
  rotulo->setFont(fonte);
  QPalette cores = rotulo->palette();
  cores.setColor(QPalette::WindowText, Qt::white);
  rotulo->setPalette(cores);
  rotulo->move(esquerda, topo);
  rotulo->adjustSize();
  return rotulo;
}

// A picture button: the picture at rest and the one held down, at the same place.
struct Botao {
  QLabel *solto;
  QLabel *pressionado;
};

// The main window as the program lays it out, built of the artwork and stand-in controls.
class Janela {
 public:
  Janela(const QString &idioma) : janela_(nullptr) {
    janela_.setFixedSize(793, 527);
    janela_.setAutoFillBackground(true);
    QPalette cores = janela_.palette();
    cores.setColor(QPalette::Window, QColor(72, 113, 192));
    janela_.setPalette(cores);

    figura(&janela_, carregar(QStringLiteral(":/skin/imgCima.png")), 0, 0);
    figura(&janela_, carregar(QStringLiteral(":/skin/imgBaixo.png")), 0, 432);
    figura(&janela_, carregar(QStringLiteral(":/skin/imgFundoVolume.png")), 327, 475);

    kit_ = new QWidget(&janela_);
    kit_->setGeometry(70, 39, 626, 414);
    figura(kit_, carregar(QStringLiteral(":/kit/imgBateria.png")), 0, 0);

    figura(&janela_, carregar(QStringLiteral(":/skin/imgOrv.png")), 0, 0);
    figura(&janela_, carregar(idioma + QStringLiteral("-imgURL.png")), 301, 7);
    figura(&janela_, carregar(idioma + QStringLiteral("-imgKovrintaLogo.png")), 657, 0);

    struct Lugar {
      const char *nome;
      int esquerda, topo;
      bool doIdioma;
    };
    const Lugar lugares[] = {
        {"imgHelp", 572, 6, false},    {"imgMin", 599, 6, false},
        {"imgFechar", 626, 6, false},  {"imgOpen", 8, 471, true},
        {"imgSetup", 8, 494, false},   {"imgRew", 111, 492, false},
        {"imgPlay", 151, 492, false},  {"imgStop", 182, 492, false},
        {"imgPause", 213, 492, false}, {"imgRepeat", 243, 492, false},
        {"imgFF", 273, 492, false},    {"imgTutorial", 545, 471, false},
        {"imgStyles", 545, 494, true},
    };
    for (const Lugar &l : lugares) {
      const QString nome = QLatin1String(l.nome);
      const auto arquivo = [&](const QString &n) {
        return l.doIdioma ? idioma + '-' + n + QStringLiteral(".png")
                          : QStringLiteral(":/skin/") + n + QStringLiteral(".png");
      };
      Botao b{figura(&janela_, carregar(arquivo(nome)), l.esquerda, l.topo),
              figura(&janela_, carregar(arquivo(nome + '2')), l.esquerda, l.topo)};
      b.pressionado->hide();
      botoes_.push_back(b);
      if (nome.startsWith(QLatin1String("imgRew")) || nome == QLatin1String("imgPlay") ||
          nome == QLatin1String("imgStop") || nome == QLatin1String("imgPause") ||
          nome == QLatin1String("imgRepeat") || nome == QLatin1String("imgFF"))
        transporte_.push_back(b.solto);
    }

    legenda(&janela_, QStringLiteral("Fast-forward"), 111, 460);
    legenda(&janela_, QStringLiteral("Beat:"), 195, 461);
    legenda(&janela_, QStringLiteral("128"), 234, 461);
    legenda(&janela_, QStringLiteral("Total:"), 263, 461);
    legenda(&janela_, QStringLiteral("256"), 295, 461);
    legenda(&janela_, QStringLiteral("Volume"), 331, 461);
    legenda(&janela_, QStringLiteral("Tempo:"), 389, 472);
    legenda(&janela_, QStringLiteral("120"), 450, 472);
    legenda(&janela_, QStringLiteral("Play Along"), 477, 472);
    legenda(&janela_, QStringLiteral("Tracks:"), 656, 475);

    auto *posicao = new QSlider(Qt::Horizontal, &janela_);
    posicao->setGeometry(109, 475, 205, 18);
    posicao->setRange(0, 100);
    posicao->setValue(30);
    auto *volume = new QSlider(Qt::Vertical, &janela_);
    volume->setGeometry(339, 476, 20, 48);
    volume->setValue(80);
    auto *andamento = new QSlider(Qt::Horizontal, &janela_);
    andamento->setGeometry(387, 492, 79, 20);
    (new QCheckBox(&janela_))->setGeometry(496, 492, 14, 16);
    auto *trilhas = new QComboBox(&janela_);
    trilhas->addItem(QStringLiteral("Drum track"));
    trilhas->setGeometry(655, 493, 120, 19);

    tecladoPequeno_ = new QWidget(&janela_);
    tecladoPequeno_->setGeometry(688, 397, 97, 48);
    figura(tecladoPequeno_, carregar(QStringLiteral(":/teclado/imgTecladoPequeno.png")), 3, 3);

    esquema_ = new QWidget(&janela_);
    esquema_->setGeometry(460, 306, 329, 137);
    figura(esquema_, carregar(QStringLiteral(":/teclado/imgTecladoEsquema.png")), 3, 0);
    fecharAjuda_ = new QWidget(&janela_);
    fecharAjuda_->setGeometry(725, 281, 58, 24);
    figura(fecharAjuda_, carregar(QStringLiteral(":/teclado/imgFecharAjuda.png")), 32, 0);

    const Lugar teclas[] = {
        {"imgTeclaPedalChimbal", 90, 357, false}, {"imgTecla1Chimbal", 38, 138, false},
        {"imgTecla2Chimbal", 54, 108, false},     {"imgTeclaBombo", 213, 353, false},
        {"imgTecla1Caixa", 154, 207, false},      {"imgTecla2Caixa", 124, 207, false},
        {"imgTeclaAro", 199, 195, false},         {"imgTecla1Tom1", 233, 142, false},
        {"imgTecla2Tom1", 249, 112, false},       {"imgTecla1Tom2", 306, 137, false},
        {"imgTecla2Tom2", 322, 107, false},       {"imgTecla1Surdo1", 383, 200, false},
        {"imgTecla2Surdo1", 399, 170, false},     {"imgTecla1Surdo2", 470, 217, false},
        {"imgTecla2Surdo2", 486, 187, false},     {"imgTeclaPrato1", 113, 23, false},
        {"imgTeclaPrato2", 311, 28, false},       {"imgTeclaPrato3", 482, 59, false},
        {"imgTeclaAtaque1", 216, 35, false},      {"imgTeclaAtaque2", 418, 125, false},
    };
    for (const Lugar &t : teclas)
      rotulosTeclas_.push_back(
          figura(kit_, carregar(QStringLiteral(":/teclado/%1.png").arg(QLatin1String(t.nome))),
                 t.esquerda, t.topo));
    mostrarAjuda(false);
  }

  void mostrarAjuda(bool visivel) {
    esquema_->setVisible(visivel);
    fecharAjuda_->setVisible(visivel);
    tecladoPequeno_->setVisible(!visivel);
    for (QLabel *r : rotulosTeclas_) r->setVisible(visivel);
  }

  void pressionarTudo(bool pressionado) {
    for (const Botao &b : botoes_) {
      b.solto->setVisible(!pressionado);
      b.pressionado->setVisible(pressionado);
    }
  }

  void habilitarTransporte(bool habilitado) {
    for (QLabel *f : transporte_) f->setEnabled(habilitado);
  }

  QImage foto() { return janela_.grab().toImage(); }

 private:
  QWidget janela_;
  QWidget *kit_ = nullptr;
  QWidget *tecladoPequeno_ = nullptr;
  QWidget *esquema_ = nullptr;
  QWidget *fecharAjuda_ = nullptr;
  std::vector<Botao> botoes_;
  std::vector<QLabel *> transporte_;
  std::vector<QLabel *> rotulosTeclas_;
};

// Every picture of the artwork's resources, each into the folder of its prefix.
void extrairRecursos(const QDir &saida) {
  for (const char *prefixo : {"skin", "teclado", "assistente", "icone"}) {
    const QString pasta = QLatin1String(prefixo);
    if (!saida.mkpath(pasta))
      throw std::runtime_error(qPrintable(saida.filePath(pasta) + ": cannot create"));
    int quantas = 0;
    QDirIterator it(QStringLiteral(":/") + pasta);
    while (it.hasNext()) {
      const QString recurso = it.next();
      salvar(carregar(recurso).toImage(), saida.filePath(pasta + '/' + it.fileName()));
      ++quantas;
    }
    if (quantas == 0) throw std::runtime_error(qPrintable(":/" + pasta + " holds no picture"));
  }
}

// The scalable icon at the sizes a desktop shows it, and a sheet of them enlarged four
// times (pixel for pixel) on a light and a dark ground.
void renderizarIcone(const QString &svg, const QDir &saida) {
  QSvgRenderer desenho(svg);
  if (!desenho.isValid()) throw std::runtime_error(qPrintable(svg + ": not a readable SVG file"));
  const int tamanhos[] = {16, 32, 48, 256};
  // four enlarged sizes and the full one side by side, 12 pixels apart; two grounds
  const int faixa = 256 + 24;
  QImage folha(12 + (64 + 12) + (128 + 12) + (192 + 12) + (256 + 12), 2 * faixa,
               QImage::Format_ARGB32);
  folha.fill(QColor(0xf2, 0xf2, 0xf2));
  QPainter p(&folha);
  p.fillRect(0, faixa, folha.width(), faixa, QColor(0x20, 0x22, 0x28));
  int x = 12;
  for (int tamanho : tamanhos) {
    QImage icone(tamanho, tamanho, QImage::Format_ARGB32_Premultiplied);
    icone.fill(Qt::transparent);
    {
      QPainter pi(&icone);
      pi.setRenderHint(QPainter::Antialiasing);
      desenho.render(&pi);
    }
    salvar(icone, saida.filePath(QStringLiteral("icone/kovrinta-at-%1.png").arg(tamanho)));
    const int escala = tamanho == 256 ? 1 : 4;
    const QImage grande = icone.scaled(tamanho * escala, tamanho * escala);
    for (int chao = 0; chao < 2; ++chao) p.drawImage(x, 12 + chao * faixa, grande);
    x += tamanho * escala + 12;
  }
  p.end();
  salvar(folha, saida.filePath(QStringLiteral("icon-sizes.png")));
}

// The wizard's page: its white panel with the picture along the left edge, a title and the
// strip of buttons below.
void comporAssistente(const QDir &saida) {
  QWidget pagina;
  pagina.setFixedSize(643, 255);
  pagina.setAutoFillBackground(true);
  auto *painel = new QWidget(&pagina);
  painel->setGeometry(0, 0, 643, 210);
  painel->setAutoFillBackground(true);
  QPalette branco = painel->palette();
  branco.setColor(QPalette::Window, Qt::white);
  painel->setPalette(branco);
  figura(painel, carregar(QStringLiteral(":/assistente/Image1.png")), 0, 0);
  auto *titulo = new QLabel(QStringLiteral("<b>Sound card test</b><br><br>Step 1: press Next "
                                           "and listen for a short scale."),
                            painel);
  titulo->setGeometry(155, 12, 470, 80);
  titulo->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  salvar(pagina.grab().toImage(), saida.filePath(QStringLiteral("wizard.png")));
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: compose-window OUTPUT_FOLDER LANGUAGE_PICTURES_PREFIX "
                 "ICON_SVG\n");
    return 2;
  }
  try {
    const QDir saida(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(saida.path()))
      throw std::runtime_error(qPrintable(saida.path() + ": cannot create"));
    extrairRecursos(saida);
    renderizarIcone(QString::fromLocal8Bit(argv[3]), saida);
    comporAssistente(saida);

    Janela janela(QString::fromLocal8Bit(argv[2]));
    salvar(janela.foto(), saida.filePath(QStringLiteral("window-rest.png")));
    janela.pressionarTudo(true);
    salvar(janela.foto(), saida.filePath(QStringLiteral("window-buttons-held.png")));
    janela.pressionarTudo(false);
    janela.habilitarTransporte(false);
    salvar(janela.foto(), saida.filePath(QStringLiteral("window-transport-disabled.png")));
    janela.habilitarTransporte(true);
    janela.mostrarAjuda(true);
    salvar(janela.foto(), saida.filePath(QStringLiteral("window-keyboard-help.png")));
    std::printf("compose-window: wrote the previews into %s\n", argv[1]);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "compose-window: %s\n", e.what());
    return 1;
  }
  return 0;
}
