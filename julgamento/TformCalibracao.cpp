#include "julgamento/TformCalibracao.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "config/GerenciadorIdiomas.h"
#include "julgamento/SessaoJulgamento.h"
#include "setup/Fontes.h"

namespace {

const QString secao = QStringLiteral("frmCalibracao");

QString texto(const char *chave) {
  return GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
}

template <typename T>
T *criar(QWidget *pai, const char *nome) {
  auto *w = new T(pai);
  w->setObjectName(QLatin1String(nome));
  return w;
}

QLabel *criarTexto(QWidget *pai, const char *nome) {
  auto *rotulo = criar<QLabel>(pai, nome);
  rotulo->setWordWrap(true);
  rotulo->setTextFormat(Qt::PlainText);
  // The page keeps room for the longest texts (reservarEspaco); a shorter one sits at the top.
  rotulo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return rotulo;
}

// A page of the stack, filled top to bottom with espaco pixels between its texts.
QVBoxLayout *criarPagina(QStackedWidget *paginas, QWidget *&pagina, const char *nome, int espaco) {
  pagina = criar<QWidget>(paginas, nome);
  auto *coluna = new QVBoxLayout(pagina);
  coluna->setContentsMargins(0, 0, 0, 0);
  coluna->setSpacing(espaco);
  paginas->addWidget(pagina);
  return coluna;
}

// The width the texts wrap at, unless the buttons need more: the explanation in three or four
// lines.
constexpr int larguraTexto = 480;

// Buttons are at least this wide, so that short words such as "Start" are easy to hit.
constexpr int larguraMinimaBotao = 88;

// Milliseconds with one decimal, in the language's way of writing it, without a sign: the
// words around it say whether it is before or after.
QString decimal(double ms) {
  QString s = QString::number(std::abs(ms), 'f', 1);
  const QString separador = texto("separadorDecimal");
  if (!separador.isEmpty()) s.replace(u'.', separador);
  return s;
}

// Tenths of a millisecond, as the window shows them, so that -0.04 counts as no offset.
double emDecimos(double ms) {
  return std::round(ms * 10) / 10;
}

// A count of strikes: the language's singular for one, its plural otherwise.
QString contagemToques(int toques) {
  return toques == 1 ? texto("toque1") : texto("toques").arg(toques);
}

QString textoExplicacao() {
  return texto("explicacao")
      .arg(SessaoJulgamento::batidasCalibracao)
      .arg(SessaoJulgamento::bpmCalibracao);
}

// The latency in force, which may be below zero when an earlier test found the strikes early.
QString textoLatencia(double ms) {
  const double latencia = emDecimos(ms);
  return texto("latenciaAtual")
      .arg((latencia < 0 ? QStringLiteral("−") : QString()) + decimal(latencia));
}

// What the running page says: the clicks and the strikes so far, or, before the first click,
// that it is coming.
QString textoProgresso(int cliques, int total, int toques) {
  if (cliques <= 0) return texto("aguardando");
  return texto("progresso").arg(cliques).arg(total).arg(contagemToques(toques));
}

// The result's headline: how late the strikes arrive, or that there were too few of them.
QString textoResultado(const Calibracao::Resultado &r) {
  if (r.valido) {
    const double latencia = emDecimos(r.latenciaMs);
    return texto(latencia < 0 ? "resultadoAntes" : "resultadoDepois").arg(decimal(latencia));
  }
  if (r.usados == 0) return texto("nenhumToque");
  return texto("poucosToques").arg(r.usados).arg(Calibracao::toquesMinimos);
}

// Under the headline: the strikes the latency was taken from and those left out, or what to
// do about too few.
QString textoDetalhes(const Calibracao::Resultado &r) {
  if (!r.valido) return texto("conferir");
  if (r.descartados == 0) return texto("usados").arg(r.usados);
  if (r.descartados == 1) return texto("usadosDescartado1").arg(r.usados);
  return texto("usadosDescartados").arg(r.usados).arg(r.descartados);
}

// A result for measuring the texts it gives.
Calibracao::Resultado exemplo(bool valido, double latenciaMs, int usados, int descartados) {
  Calibracao::Resultado r;
  r.valido = valido;
  r.latenciaMs = latenciaMs;
  r.usados = usados;
  r.descartados = descartados;
  return r;
}

// The height rotulo needs to show the tallest of textos wrapped at largura pixels.
int alturaPara(const QLabel *rotulo, int largura, const QStringList &textos) {
  const QFontMetrics medidas(rotulo->font());
  int altura = 0;
  for (const QString &t : textos)
    altura = std::max(
        altura, medidas.boundingRect(QRect(0, 0, largura, 10000), Qt::TextWordWrap, t).height());
  return altura;
}

}  // namespace

TformCalibracao::TformCalibracao(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmCalibracao"));
  setFont(fonteJanela(pixelsTexto));
  // The main window's song and transport would mix with the clicks.
  setWindowModality(Qt::WindowModal);
  auto *coluna = new QVBoxLayout(this);
  coluna->setSizeConstraint(QLayout::SetFixedSize);
  coluna->setContentsMargins(16, 16, 16, 12);
  coluna->setSpacing(14);
  paginas = criar<QStackedWidget>(this, "paginas");
  paginas->setMinimumWidth(larguraTexto);
  coluna->addWidget(paginas, 1);

  QVBoxLayout *inicio = criarPagina(paginas, pagInicio, "pagInicio", 12);
  lblExplicacao = criarTexto(pagInicio, "lblExplicacao");
  lblLatenciaAtual = criarTexto(pagInicio, "lblLatenciaAtual");
  inicio->addWidget(lblExplicacao);
  inicio->addWidget(lblLatenciaAtual);
  inicio->addStretch(1);

  QVBoxLayout *progresso = criarPagina(paginas, pagProgresso, "pagProgresso", 10);
  lblProgresso = criarTexto(pagProgresso, "lblProgresso");
  lblProgresso->setFont(fonteJanela(14, true));
  barProgresso = criar<QProgressBar>(pagProgresso, "barProgresso");
  // The label above says the figures.
  barProgresso->setTextVisible(false);
  progresso->addStretch(1);
  progresso->addWidget(lblProgresso);
  progresso->addWidget(barProgresso);
  progresso->addStretch(1);

  QVBoxLayout *resultadoLayout = criarPagina(paginas, pagResultado, "pagResultado", 12);
  lblResultado = criarTexto(pagResultado, "lblResultado");
  lblResultado->setFont(fonteJanela(14, true));
  lblDetalhes = criarTexto(pagResultado, "lblDetalhes");
  resultadoLayout->addWidget(lblResultado);
  resultadoLayout->addWidget(lblDetalhes);
  resultadoLayout->addStretch(1);

  linhaBotoes = new QHBoxLayout;
  linhaBotoes->addStretch(1);
  btnIniciar = criar<QPushButton>(this, "btnIniciar");
  btnUsar = criar<QPushButton>(this, "btnUsar");
  btnRepetir = criar<QPushButton>(this, "btnRepetir");
  btnCancelar = criar<QPushButton>(this, "btnCancelar");
  for (QPushButton *botao : {btnIniciar, btnUsar, btnRepetir, btnCancelar}) {
    // Enter presses the button mostrarBotoes makes the default, whatever has the focus.
    botao->setAutoDefault(false);
    linhaBotoes->addWidget(botao);
  }
  coluna->addLayout(linhaBotoes);

  connect(btnIniciar, &QPushButton::clicked, this, &TformCalibracao::pedirInicio);
  connect(btnRepetir, &QPushButton::clicked, this, &TformCalibracao::pedirInicio);
  connect(btnUsar, &QPushButton::clicked, this, [this] {
    emit aceita(resultado.latenciaMs);
    accept();
  });
  connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
  mostrarEstado();
}

void TformCalibracao::aplicarIdioma() {
  setWindowTitle(texto("Caption"));
  btnIniciar->setText(texto("btnIniciar"));
  btnUsar->setText(texto("btnUsar"));
  btnRepetir->setText(texto("btnRepetir"));
  btnCancelar->setText(texto("btnCancelar"));
  // The style's padding leaves a long word such as "Usar este valor" touching the frame.
  for (QPushButton *botao : {btnIniciar, btnUsar, btnRepetir, btnCancelar})
    botao->setMinimumWidth(
        std::max(larguraMinimaBotao, botao->fontMetrics().horizontalAdvance(botao->text()) + 24));
  reservarEspaco();
  mostrarEstado();
  adjustSize();
}

// The window keeps one size through the states, so that it does not jump as the clicks end:
// the pages are as wide as the widest row of buttons (a valid result's three) and every text
// has the room of the longest it can show in the loaded language.
void TformCalibracao::reservarEspaco() {
  const int espaco = linhaBotoes->spacing();
  int botoes = 0;
  for (QPushButton *botao : {btnUsar, btnRepetir, btnCancelar})
    botoes += std::max(botao->sizeHint().width(), botao->minimumWidth()) + espaco;
  const int largura = std::max(larguraTexto, botoes);
  paginas->setFixedWidth(largura);

  const int batidas = Calibracao::batidasMaximas;
  lblExplicacao->setMinimumHeight(alturaPara(lblExplicacao, largura, {textoExplicacao()}));
  lblLatenciaAtual->setMinimumHeight(
      alturaPara(lblLatenciaAtual, largura, {textoLatencia(-888.8)}));
  lblProgresso->setMinimumHeight(
      alturaPara(lblProgresso, largura,
                 {textoProgresso(0, batidas, 0), textoProgresso(batidas, batidas, 99)}));
  // The result page holds a valid result's headline and counts or an invalid one's headline
  // and advice, whichever pair is taller; each label keeps the height of its own text, and the
  // room left stays under them.
  const int entre = pagResultado->layout()->spacing();
  const int valido = alturaPara(lblResultado, largura,
                                {textoResultado(exemplo(true, 888.8, batidas, 0)),
                                 textoResultado(exemplo(true, -888.8, batidas, 0))}) +
                     entre +
                     alturaPara(lblDetalhes, largura,
                                {textoDetalhes(exemplo(true, 0, batidas, 0)),
                                 textoDetalhes(exemplo(true, 0, batidas, 1)),
                                 textoDetalhes(exemplo(true, 0, batidas, 99))});
  const int invalido =
      alturaPara(lblResultado, largura,
                 {textoResultado(exemplo(false, 0, Calibracao::toquesMinimos - 1, 0)),
                  textoResultado(exemplo(false, 0, 0, 0))}) +
      entre + alturaPara(lblDetalhes, largura, {textoDetalhes(exemplo(false, 0, 0, 0))});
  pagResultado->setMinimumHeight(std::max(valido, invalido));
}

void TformCalibracao::mostrarInicio(double latenciaAtualMs_) {
  estado = Estado::inicio;
  latenciaAtualMs = latenciaAtualMs_;
  mostrarEstado();
}

void TformCalibracao::mostrarProgresso(int cliques_, int total_, int toques_) {
  estado = Estado::rodando;
  cliques = cliques_;
  total = total_;
  toques = toques_;
  mostrarEstado();
}

void TformCalibracao::mostrarResultado(const Calibracao::Resultado &resultado_) {
  estado = Estado::resultado;
  resultado = resultado_;
  mostrarEstado();
}

void TformCalibracao::reject() {
  emit cancelado();
  QDialog::reject();
}

// The progress starts at naught before the request goes out, so that a main window feeding
// mostrarProgresso from its slot is not shown over.
void TformCalibracao::pedirInicio() {
  mostrarProgresso(0, SessaoJulgamento::batidasCalibracao, 0);
  emit iniciarPedido();
}

void TformCalibracao::mostrarEstado() {
  switch (estado) {
    case Estado::inicio:
      lblExplicacao->setText(textoExplicacao());
      lblLatenciaAtual->setText(textoLatencia(latenciaAtualMs));
      paginas->setCurrentWidget(pagInicio);
      break;
    case Estado::rodando:
      lblProgresso->setText(textoProgresso(cliques, total, toques));
      barProgresso->setRange(0, std::max(total, 1));
      barProgresso->setValue(std::clamp(cliques, 0, std::max(total, 1)));
      paginas->setCurrentWidget(pagProgresso);
      break;
    case Estado::resultado:
      lblResultado->setText(textoResultado(resultado));
      lblDetalhes->setText(textoDetalhes(resultado));
      paginas->setCurrentWidget(pagResultado);
      break;
  }
  mostrarBotoes();
}

// A drummer playing on the computer keyboard strikes Space and letters while the clicks sound,
// and again as the result comes: no button may hold the focus then, or a strike would press
// it. Escape still cancels, and Enter presses the state's default button.
void TformCalibracao::mostrarBotoes() {
  const bool resultadoValido = estado == Estado::resultado && resultado.valido;
  btnIniciar->setVisible(estado == Estado::inicio);
  btnUsar->setVisible(resultadoValido);
  btnRepetir->setVisible(estado == Estado::resultado);
  btnIniciar->setDefault(estado == Estado::inicio);
  btnUsar->setDefault(resultadoValido);
  btnRepetir->setDefault(estado == Estado::resultado && !resultado.valido);
  if (estado != Estado::inicio && qobject_cast<QPushButton *>(focusWidget())) setFocus();
}
