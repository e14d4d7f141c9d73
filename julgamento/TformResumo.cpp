#include "julgamento/TformResumo.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "config/GerenciadorIdiomas.h"
#include "entrada/PecaBateria.h"
#include "setup/Fontes.h"

namespace {

const QString secao = QStringLiteral("frmResumo");

QString texto(const char *chave) {
  return GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
}

// The piece's name as the setup window shows it: "caixa" is "pecaCaixa" of "frmSetup".
QString nomePeca(const DescricaoPeca &descricao) {
  QString chave = QString::fromLatin1(descricao.chave);
  chave[0] = chave[0].toUpper();
  return GerenciadorIdiomas::instancia().getTexto(QStringLiteral("frmSetup"),
                                                  QStringLiteral("peca") + chave);
}

template <typename T>
T *criar(QWidget *pai, const char *nome) {
  auto *w = new T(pai);
  w->setObjectName(QLatin1String(nome));
  return w;
}

// Shown where a figure has nothing to be taken from, such as a mean with no hit on a note.
const QString semValor = QStringLiteral("–");

// A figure with one decimal, in the language's way of writing it.
QString decimal(double valor) {
  QString s = QString::number(valor, 'f', 1);
  const QString separador = texto("separadorDecimal");
  if (!separador.isEmpty()) s.replace(u'.', separador);
  return s;
}

QString percentual(double parte) {
  return QString::number(std::lround(parte * 100)) + QStringLiteral(" %");
}

// Hits that took a note: those the mean and the spread are taken from.
int golpesNaNota(const ResumoPasse &p) {
  return p.noTempo + p.adiantados + p.atrasados;
}

QTableWidget *criarTabela(QWidget *pai, const char *nome, int colunas) {
  auto *tabela = criar<QTableWidget>(pai, nome);
  tabela->setColumnCount(colunas);
  tabela->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tabela->setSelectionMode(QAbstractItemView::NoSelection);
  tabela->setFocusPolicy(Qt::NoFocus);
  tabela->setShowGrid(false);
  tabela->setWordWrap(false);
  tabela->verticalHeader()->hide();
  tabela->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return tabela;
}

QTableWidgetItem *item(const QString &valor, Qt::Alignment alinhamento = Qt::AlignRight) {
  auto *celula = new QTableWidgetItem(valor);
  celula->setTextAlignment(alinhamento | Qt::AlignVCenter);
  return celula;
}

// A column of the passes table: room for "−125.0 ms" in bold, the widest of the judge's mean
// offsets, and the cell's padding.
int larguraColunaPasse(QFont fonte) {
  fonte.setBold(true);
  return QFontMetrics(fonte).horizontalAdvance(QStringLiteral("−125.0 ms")) + 12;
}

// The rows of the passes table, one figure per pass in each.
enum LinhaPasses { linhaNumero, linhaNoTempo, linhaMedia, numLinhasPasses };

// Rows of the pieces table shown without scrolling; a song seldom has more pieces.
constexpr int linhasPecasVisiveis = 8;

// Bars of the histogram: inside the on-time window, and outside it (early or late).
const QColor corBarraNoTempo(46, 139, 87);
const QColor corBarraFora(222, 132, 40);
const QColor corJanelaNoTempo(46, 139, 87, 45);

}  // namespace

HistogramaDesvios::HistogramaDesvios(QWidget *parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void HistogramaDesvios::mostrar(const std::array<int, ResumoPasse::numClasses> &classes_,
                                double noTempoMs_) {
  classes = classes_;
  noTempoMs = noTempoMs_;
  update();
}

void HistogramaDesvios::setTextosEixo(const QString &adiantado, const QString &atrasado) {
  textoAdiantado = adiantado;
  textoAtrasado = atrasado;
  updateGeometry();
  update();
}

// Three pixels or more per class, and room under the bars for the scale and the axis words.
QSize HistogramaDesvios::sizeHint() const {
  return {ResumoPasse::numClasses * 14, 110 + 2 * fontMetrics().height()};
}

QSize HistogramaDesvios::minimumSizeHint() const {
  const QFontMetrics medidas = fontMetrics();
  const int palavras = medidas.horizontalAdvance(textoAdiantado) +
                       medidas.horizontalAdvance(textoAtrasado) + medidas.averageCharWidth() * 4;
  return {std::max(ResumoPasse::numClasses * 3, palavras), 60 + 2 * medidas.height()};
}

// The scale runs from the left edge of the first class to the right edge of the last: with
// 41 classes of 5 ms, -102.5 ms to +102.5 ms, 0 in the middle. A bar's height is its count
// against the tallest.
void HistogramaDesvios::paintEvent(QPaintEvent *) {
  QPainter pintor(this);
  const QFontMetrics medidas = fontMetrics();
  const int linha = medidas.height();
  const QRect area = rect().adjusted(1, 4, -1, -(2 * linha + 6));
  const double metade = ResumoPasse::numClasses * ResumoPasse::larguraClasseMs / 2.0;
  auto xDe = [&](double ms) {
    const double parte = std::clamp((ms + metade) / (2 * metade), 0.0, 1.0);
    return area.left() + parte * area.width();
  };
  const QPalette &cores = palette();
  pintor.fillRect(rect(), cores.base());

  const QRectF janela(QPointF(xDe(-noTempoMs), area.top()),
                      QPointF(xDe(noTempoMs), area.bottom() + 1));
  pintor.fillRect(janela, corJanelaNoTempo);

  const int maior = *std::max_element(classes.begin(), classes.end());
  const int centro = ResumoPasse::numClasses / 2;
  pintor.setRenderHint(QPainter::Antialiasing, false);
  if (maior > 0) {
    for (int i = 0; i < ResumoPasse::numClasses; ++i) {
      const int contagem = classes[static_cast<std::size_t>(i)];
      if (contagem == 0) continue;
      const double meio = (i - centro) * ResumoPasse::larguraClasseMs;
      const double esquerda = xDe(meio - ResumoPasse::larguraClasseMs / 2.0) + 1;
      const double direita = xDe(meio + ResumoPasse::larguraClasseMs / 2.0) - 1;
      const double altura = std::max(2.0, area.height() * static_cast<double>(contagem) / maior);
      const bool noTempo = std::abs(meio) <= noTempoMs;
      pintor.fillRect(QRectF(esquerda, area.bottom() + 1 - altura, direita - esquerda, altura),
                      noTempo ? corBarraNoTempo : corBarraFora);
    }
  }

  pintor.setPen(cores.color(QPalette::Mid));
  pintor.drawLine(area.bottomLeft(), area.bottomRight());
  pintor.setPen(QPen(cores.color(QPalette::Text), 1));
  const int zero = static_cast<int>(std::lround(xDe(0)));
  pintor.drawLine(zero, area.top(), zero, area.bottom() + 4);

  // The scale at -50, 0 and +50 ms under the bars, then the axis words at the ends.
  pintor.setPen(cores.color(QPalette::Text));
  const int yEscala = area.bottom() + 4;
  for (int ms : {-50, 0, 50}) {
    const QString marca = ms == 0 ? QStringLiteral("0 ms")
                                  : (ms < 0 ? QStringLiteral("−") : QStringLiteral("+")) +
                                        QString::number(std::abs(ms));
    const int x = static_cast<int>(std::lround(xDe(ms)));
    pintor.drawLine(x, area.bottom(), x, area.bottom() + 3);
    const int largura = medidas.horizontalAdvance(marca);
    pintor.drawText(QRect(x - largura / 2 - 2, yEscala, largura + 4, linha), Qt::AlignCenter,
                    marca);
  }
  const QRect palavras(area.left(), yEscala + linha, area.width(), linha);
  pintor.drawText(palavras, Qt::AlignLeft | Qt::AlignVCenter, textoAdiantado);
  pintor.drawText(palavras, Qt::AlignRight | Qt::AlignVCenter, textoAtrasado);
}

TformResumo::TformResumo(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmResumo"));
  setFont(fonteJanela(pixelsTexto));
  auto *coluna = new QVBoxLayout(this);
  paginas = criar<QStackedWidget>(this, "paginas");
  coluna->addWidget(paginas, 1);

  lblSemPasse = criar<QLabel>(paginas, "lblSemPasse");
  lblSemPasse->setWordWrap(true);
  lblSemPasse->setAlignment(Qt::AlignCenter);
  lblSemPasse->setMargin(24);
  lblSemPasse->setFont(fonteJanela(15));
  paginas->addWidget(lblSemPasse);

  auto *conteudo = new QWidget(paginas);
  auto *grade = new QGridLayout(conteudo);
  grade->setContentsMargins(0, 0, 0, 0);
  paginas->addWidget(conteudo);

  grpPasse = criar<QGroupBox>(conteudo, "grpPasse");
  auto *figuras = new QGridLayout(grpPasse);
  lblPrecisao = criar<QLabel>(grpPasse, "lblPrecisao");
  lblPrecisao->setFont(fonteJanela(20, true));
  figuras->addWidget(lblPrecisao, 0, 0, 1, 5);
  struct Par {
    QLabel **rotulo;
    QLabel **valor;
    const char *nomeRotulo;
    const char *nomeValor;
    int linha;
    int coluna;
  };
  const Par pares[] = {
      {&rotGolpes, &lblGolpes, "rotGolpes", "lblGolpes", 1, 0},
      {&rotNoTempo, &lblNoTempo, "rotNoTempo", "lblNoTempo", 2, 0},
      {&rotPerdidos, &lblPerdidos, "rotPerdidos", "lblPerdidos", 3, 0},
      {&rotAdiantados, &lblAdiantados, "rotAdiantados", "lblAdiantados", 1, 3},
      {&rotAtrasados, &lblAtrasados, "rotAtrasados", "lblAtrasados", 2, 3},
      {&rotExtras, &lblExtras, "rotExtras", "lblExtras", 3, 3},
  };
  for (const Par &par : pares) {
    *par.rotulo = criar<QLabel>(grpPasse, par.nomeRotulo);
    *par.valor = criar<QLabel>(grpPasse, par.nomeValor);
    (*par.valor)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    (*par.valor)->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    figuras->addWidget(*par.rotulo, par.linha, par.coluna);
    figuras->addWidget(*par.valor, par.linha, par.coluna + 1);
  }
  // A gap between the two columns of counts.
  figuras->setColumnMinimumWidth(2, 16);
  auto *traco = new QFrame(grpPasse);
  traco->setFrameShape(QFrame::HLine);
  traco->setFrameShadow(QFrame::Sunken);
  figuras->addWidget(traco, 4, 0, 1, 5);
  rotMedia = criar<QLabel>(grpPasse, "rotMedia");
  lblMedia = criar<QLabel>(grpPasse, "lblMedia");
  rotDesvioPadrao = criar<QLabel>(grpPasse, "rotDesvioPadrao");
  lblDesvioPadrao = criar<QLabel>(grpPasse, "lblDesvioPadrao");
  figuras->addWidget(rotMedia, 5, 0);
  figuras->addWidget(lblMedia, 5, 1, 1, 4);
  figuras->addWidget(rotDesvioPadrao, 6, 0);
  figuras->addWidget(lblDesvioPadrao, 6, 1, 1, 4);
  figuras->setRowStretch(7, 1);
  grade->addWidget(grpPasse, 0, 0);

  grpPecas = criar<QGroupBox>(conteudo, "grpPecas");
  auto *pecas = new QVBoxLayout(grpPecas);
  tblPecas = criarTabela(grpPecas, "tblPecas", 3);
  tblPecas->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  tblPecas->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  tblPecas->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  tblPecas->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  tblPecas->setFixedHeight(tblPecas->horizontalHeader()->sizeHint().height() +
                           linhasPecasVisiveis * tblPecas->verticalHeader()->defaultSectionSize() +
                           2 * tblPecas->frameWidth());
  pecas->addWidget(tblPecas);
  grade->addWidget(grpPecas, 0, 1);

  grpHistograma = criar<QGroupBox>(conteudo, "grpHistograma");
  auto *distribuicao = new QVBoxLayout(grpHistograma);
  histograma = new HistogramaDesvios(grpHistograma);
  histograma->setObjectName(QStringLiteral("histograma"));
  lblLegenda = criar<QLabel>(grpHistograma, "lblLegenda");
  lblLegenda->setWordWrap(true);
  distribuicao->addWidget(histograma, 1);
  distribuicao->addWidget(lblLegenda);
  grade->addWidget(grpHistograma, 1, 0, 1, 2);

  grpPasses = criar<QGroupBox>(conteudo, "grpPasses");
  auto *ultimas = new QVBoxLayout(grpPasses);
  tblPasses = criarTabela(grpPasses, "tblPasses", 1);
  tblPasses->horizontalHeader()->hide();
  tblPasses->setRowCount(numLinhasPasses);
  tblPasses->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  tblPasses->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Every pass column is as wide as the widest mean offset the judge can give, in bold, so
  // that the columns line up whatever the figures.
  tblPasses->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tblPasses->horizontalHeader()->setDefaultSectionSize(larguraColunaPasse(tblPasses->font()));
  tblPasses->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tblPasses->setFixedHeight(numLinhasPasses * tblPasses->verticalHeader()->defaultSectionSize() +
                            2 * tblPasses->frameWidth());
  ultimas->addWidget(tblPasses);
  grade->addWidget(grpPasses, 2, 0, 1, 2);
  grade->setColumnStretch(0, 1);
  grade->setColumnStretch(1, 1);
  grade->setRowStretch(1, 1);

  btnFechar = criar<QPushButton>(this, "btnFechar");
  coluna->addWidget(btnFechar, 0, Qt::AlignRight);
  connect(btnFechar, &QPushButton::clicked, this, &QDialog::close);
}

QString TformResumo::formatarDesvio(double ms) {
  const double arredondado = std::round(ms * 10) / 10;
  QString sinal;
  if (arredondado < 0) sinal = QStringLiteral("−");
  if (arredondado > 0) sinal = QStringLiteral("+");
  return sinal + decimal(std::abs(arredondado)) + QStringLiteral(" ms");
}

void TformResumo::aplicarIdioma() {
  setWindowTitle(texto("Caption"));
  lblSemPasse->setText(texto("semPasse"));
  rotGolpes->setText(texto("rotGolpes"));
  rotNoTempo->setText(texto("rotNoTempo"));
  rotAdiantados->setText(texto("rotAdiantados"));
  rotAtrasados->setText(texto("rotAtrasados"));
  rotPerdidos->setText(texto("rotPerdidos"));
  rotExtras->setText(texto("rotExtras"));
  rotMedia->setText(texto("rotMedia"));
  rotDesvioPadrao->setText(texto("rotDesvioPadrao"));
  grpHistograma->setTitle(texto("grpHistograma"));
  histograma->setTextosEixo(texto("eixoAdiantado"), texto("eixoAtrasado"));
  grpPecas->setTitle(texto("grpPecas"));
  tblPecas->setHorizontalHeaderLabels({texto("colPeca"), texto("colNotas"), texto("colNoTempo")});
  tblPecas->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grpPasses->setTitle(texto("grpPasses"));
  btnFechar->setText(texto("btnFechar"));
  mostrar(std::vector<ResumoPasse>(passes), noTempoMs);
  adjustSize();
}

void TformResumo::mostrar(const std::vector<ResumoPasse> &passes_, double noTempoMs_) {
  passes = passes_;
  noTempoMs = noTempoMs_;
  // The windows of the judge are whole milliseconds; a fraction would still show.
  const double inteiro = std::round(noTempoMs);
  lblLegenda->setText(texto("legenda").arg(inteiro == noTempoMs ? QString::number(inteiro, 'f', 0)
                                                                : decimal(noTempoMs)));
  paginas->setCurrentWidget(passes.empty() ? static_cast<QWidget *>(lblSemPasse)
                                           : grpPasse->parentWidget());
  const ResumoPasse vazio;
  const ResumoPasse &ultimo = passes.empty() ? vazio : passes.back();
  mostrarPasse(ultimo);
  mostrarPecas(ultimo);
  mostrarPasses();
}

void TformResumo::mostrarPasse(const ResumoPasse &p) {
  grpPasse->setTitle(texto("grpPasse").arg(p.numero));
  lblPrecisao->setText(texto("precisao").arg(p.notas() == 0 ? semValor : percentual(p.precisao())));
  lblGolpes->setNum(p.golpes);
  lblNoTempo->setNum(p.noTempo);
  lblAdiantados->setNum(p.adiantados);
  lblAtrasados->setNum(p.atrasados);
  lblPerdidos->setNum(p.perdidos);
  lblExtras->setNum(p.extras);
  if (golpesNaNota(p) == 0) {
    lblMedia->setText(semValor);
    lblDesvioPadrao->setText(semValor);
  } else {
    // The sign says it, and so does a word: early is before the note, late after it.
    const QString media = formatarDesvio(p.media);
    if (media.startsWith(u'−'))
      lblMedia->setText(texto("mediaAdiantada").arg(media));
    else if (media.startsWith(u'+'))
      lblMedia->setText(texto("mediaAtrasada").arg(media));
    else
      lblMedia->setText(media);
    lblDesvioPadrao->setText(QStringLiteral("±") + decimal(p.desvioPadrao) + QStringLiteral(" ms"));
  }
  histograma->mostrar(p.histograma, noTempoMs);
}

void TformResumo::mostrarPecas(const ResumoPasse &p) {
  tblPecas->setRowCount(0);
  for (std::size_t i = 0; i < pecasBateria.size(); ++i) {
    const ResumoPasse::Peca &peca = p.pecas[i];
    if (peca.notas == 0) continue;
    const int linha = tblPecas->rowCount();
    tblPecas->insertRow(linha);
    tblPecas->setItem(linha, 0, item(nomePeca(pecasBateria[i]), Qt::AlignLeft));
    tblPecas->setItem(linha, 1, item(QString::number(peca.notas)));
    tblPecas->setItem(linha, 2, item(percentual(static_cast<double>(peca.noTempo) / peca.notas)));
  }
}

// Passes run left to right, the latest at the right, in bold on a tinted column.
void TformResumo::mostrarPasses() {
  const std::size_t mostrados = std::min(passes.size(), std::size_t{maxPassesTabela});
  tblPasses->clearContents();
  tblPasses->setColumnCount(1 + static_cast<int>(mostrados));
  const char *nomes[numLinhasPasses] = {"linhaPasse", "linhaNoTempo", "linhaMedia"};
  QFont negrito = tblPasses->font();
  negrito.setBold(true);
  int larguraNomes = 0;
  for (int linha = 0; linha < numLinhasPasses; ++linha) {
    QTableWidgetItem *nome = item(texto(nomes[linha]), Qt::AlignLeft);
    nome->setFont(negrito);
    tblPasses->setItem(linha, 0, nome);
    larguraNomes = std::max(larguraNomes, QFontMetrics(negrito).horizontalAdvance(nome->text()));
  }
  // Wide enough for the most passes it shows, so that the window does not grow as they come.
  tblPasses->setMinimumWidth(larguraNomes + 16 +
                             maxPassesTabela * tblPasses->horizontalHeader()->defaultSectionSize() +
                             2 * tblPasses->frameWidth());
  const std::size_t primeiro = passes.size() - mostrados;
  QColor destaque = palette().color(QPalette::Highlight);
  destaque.setAlpha(50);
  for (std::size_t i = 0; i < mostrados; ++i) {
    const ResumoPasse &p = passes[primeiro + i];
    const QString figuras[numLinhasPasses] = {
        QString::number(p.numero), p.notas() == 0 ? semValor : percentual(p.precisao()),
        golpesNaNota(p) == 0 ? semValor : formatarDesvio(p.media)};
    const bool ultimo = i + 1 == mostrados;
    for (int linha = 0; linha < numLinhasPasses; ++linha) {
      QTableWidgetItem *celula = item(figuras[linha]);
      if (ultimo) {
        celula->setFont(negrito);
        celula->setBackground(destaque);
      }
      tblPasses->setItem(linha, static_cast<int>(i) + 1, celula);
    }
  }
}
