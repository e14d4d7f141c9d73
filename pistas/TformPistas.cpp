#include "pistas/TformPistas.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "TVxMidiStamp.h"
#include "config/GerenciadorIdiomas.h"
#include "pistas/AjustesPistas.h"
#include "pistas/PainelPistas.h"

namespace {

const QString secao = QStringLiteral("frmPistas");

QString texto(const char *chave) {
  return GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
}

// Frames while the song plays, at a 60 Hz display's rate; a still view only follows the
// transport's moves (a jump, a new song).
constexpr int intervaloTocandoMs = 16;
constexpr int intervaloParadoMs = 100;
// A notch of the wheel or a press of an arrow key.
constexpr int64_t passoNs = 500'000'000;
constexpr int64_t minutoNs = 60'000'000'000;
// A frame that took longer was held up by something else; it does not move the estimate.
constexpr int64_t duracaoQuadroMaximaNs = 20'000'000;

}  // namespace

TformPistas::TformPistas(const LinhaTempoPistas &linha,
                         std::function<EstadoTransporte()> transporte, QWidget *parent)
    : QWidget(parent, Qt::Window),
      linha(linha),
      transporte(std::move(transporte)),
      relogio([] { return TVxMidiStamp::agora(); }) {
  setObjectName(QStringLiteral("frmPistas"));
  resize(1000, 520);
  setMinimumSize(480, 260);

  auto *barra = new QHBoxLayout;
  lblAntecipacao = new QLabel(this);
  spnAntecipacao = new QSpinBox(this);
  spnAntecipacao->setObjectName(QStringLiteral("spnAntecipacao"));
  spnAntecipacao->setRange(AjustesPistas::antecipacaoMinima, AjustesPistas::antecipacaoMaxima);
  spnAntecipacao->setValue(AjustesPistas{}.antecipacao);
  lblAntecipacao->setBuddy(spnAntecipacao);
  btnTelaCheia = new QPushButton(this);
  btnTelaCheia->setObjectName(QStringLiteral("btnTelaCheia"));
  // Keys belong to the view (F11, the arrows), not to the controls.
  spnAntecipacao->setFocusPolicy(Qt::ClickFocus);
  btnTelaCheia->setFocusPolicy(Qt::NoFocus);
  barra->addWidget(lblAntecipacao);
  barra->addWidget(spnAntecipacao);
  barra->addStretch();
  barra->addWidget(btnTelaCheia);

  painel = new PainelPistas(this);
  painel->installEventFilter(this);
  auto *coluna = new QVBoxLayout(this);
  coluna->setContentsMargins(0, 4, 0, 0);
  coluna->setSpacing(4);
  barra->setContentsMargins(8, 0, 8, 0);
  coluna->addLayout(barra);
  coluna->addWidget(painel, 1);
  setFocusPolicy(Qt::StrongFocus);

  timerQuadros = new QTimer(this);
  timerQuadros->setTimerType(Qt::PreciseTimer);
  connect(timerQuadros, &QTimer::timeout, this, &TformPistas::atualizar);
  connect(spnAntecipacao, &QSpinBox::valueChanged, this, [this](int segundos) {
    painel->setAntecipacao(segundos);
    atualizar();
    emit antecipacaoAlterada(segundos);
  });
  connect(btnTelaCheia, &QPushButton::clicked, this, &TformPistas::alternarTelaCheia);
}

void TformPistas::aplicarIdioma() {
  setWindowTitle(texto("Caption"));
  lblAntecipacao->setText(texto("lblAntecipacao"));
  spnAntecipacao->setSuffix(QLatin1Char(' ') + texto("segundos"));
  btnTelaCheia->setText(texto("btnTelaCheia"));
  btnTelaCheia->setMinimumWidth(
      btnTelaCheia->fontMetrics().horizontalAdvance(btnTelaCheia->text()) + 24);
  std::array<QString, numPistas> nomes;
  for (int i = 0; i < numPistas; ++i) nomes[i] = texto(chavePista(static_cast<Pista>(i)));
  // Indexed by ClasseGolpe.
  const std::array<QString, 5> classes = {texto("noTempo"), texto("adiantado"), texto("atrasado"),
                                          texto("extra"), texto("perdido")};
  painel->setTextos(nomes, classes, texto("contagem"), texto("dicaRolar"));
}

void TformPistas::setAntecipacao(int segundos) {
  const QSignalBlocker bloqueio(spnAntecipacao);
  spnAntecipacao->setValue(segundos);
  painel->setAntecipacao(spnAntecipacao->value());
}

void TformPistas::novaPartitura() {
  painel->setPistas(linha.getPartitura().pistasUsadas());
  paradoEm = relogio() + adiantamentoNs;
  deslocamento = 0;
  atualizar();
}

void TformPistas::atualizar() {
  const EstadoTransporte estado = transporte();
  const int64_t inicio = relogio();
  if (estado.tocando) {
    // The frame is seen once painted: it shows that moment.
    vista = inicio + adiantamentoNs + duracaoQuadroNs;
    parado = false;
    deslocamento = 0;
  } else {
    if (!parado) paradoEm = vista;
    parado = true;
    vista = paradoEm + deslocamento;
  }
  const int intervalo = estado.tocando ? intervaloTocandoMs : intervaloParadoMs;
  if (timerQuadros->isActive() && timerQuadros->interval() != intervalo)
    timerQuadros->setInterval(intervalo);
  painel->mostrar(linha.quadro(painel->inicioEm(vista), painel->fimEm(vista), estado,
                               estado.tocando ? vista : paradoEm),
                  vista, parado);
  // Painted now, so that the frame shows the moment it was made for.
  painel->pintarLinhaTempo();
  if (estado.tocando)
    duracaoQuadroNs =
        std::min((duracaoQuadroNs * 7 + (relogio() - inicio)) / 8, duracaoQuadroMaximaNs);
}

void TformPistas::rolar(int64_t ns) {
  if (!parado) return;
  const int64_t inicio = linha.getInicioPassado();
  const int64_t minimo = inicio == 0 ? 0 : std::min<int64_t>(inicio - paradoEm, 0);
  deslocamento = std::clamp(deslocamento + ns, minimo, minutoNs);
  atualizar();
}

// The whole screen is asked for as well: a desktop without a window manager (a kiosk, a
// bare X server) knows no full-screen state and leaves the window as it was.
void TformPistas::alternarTelaCheia() {
  telaCheia = !telaCheia;
  if (!telaCheia) {
    showNormal();
    setGeometry(geometriaNormal);
    return;
  }
  geometriaNormal = geometry();
  showFullScreen();
  if (const QScreen *tela = screen()) setGeometry(tela->geometry());
}

void TformPistas::restaurar(const QRect &lugar, bool cheia) {
  for (const QScreen *tela : QGuiApplication::screens())
    if (!lugar.isEmpty() && tela->availableGeometry().intersects(lugar)) {
      setGeometry(lugar);
      break;
    }
  telaCheiaAoMostrar = cheia;
}

void TformPistas::keyPressEvent(QKeyEvent *evento) {
  switch (evento->key()) {
    case Qt::Key_F11:
      alternarTelaCheia();
      return;
    case Qt::Key_Escape:
      if (telaCheia) alternarTelaCheia();
      return;
    case Qt::Key_Left:
      rolar(-passoNs);
      return;
    case Qt::Key_Right:
      rolar(passoNs);
      return;
    case Qt::Key_Home:
      rolar(-deslocamento);
      return;
    default:
      QWidget::keyPressEvent(evento);
  }
}

void TformPistas::wheelEvent(QWheelEvent *evento) {
  // Wheel away from the drummer, or to the right: later.
  const QPoint graus = evento->angleDelta();
  const int passos = graus.x() != 0 ? graus.x() : -graus.y();
  rolar(passoNs * passos / 120);
  evento->accept();
}

// A drag on the panel moves a still view with the mouse, as paper is pulled.
bool TformPistas::eventFilter(QObject *objeto, QEvent *evento) {
  if (objeto == painel) {
    if (evento->type() == QEvent::MouseButtonPress) {
      arrastando = true;
      ultimoPonto = static_cast<QMouseEvent *>(evento)->position().toPoint();
    } else if (evento->type() == QEvent::MouseMove && arrastando) {
      const QPoint ponto = static_cast<QMouseEvent *>(evento)->position().toPoint();
      rolar(static_cast<int64_t>((ultimoPonto.x() - ponto.x()) * painel->nsPorPixel()));
      ultimoPonto = ponto;
    } else if (evento->type() == QEvent::MouseButtonRelease) {
      arrastando = false;
    }
  }
  return QWidget::eventFilter(objeto, evento);
}

void TformPistas::showEvent(QShowEvent *evento) {
  QWidget::showEvent(evento);
  if (paradoEm == 0) paradoEm = relogio() + adiantamentoNs;
  if (telaCheiaAoMostrar) {
    telaCheiaAoMostrar = false;
    QTimer::singleShot(0, this, [this] {
      if (!telaCheia) alternarTelaCheia();
    });
  }
  timerQuadros->start(intervaloParadoMs);
  atualizar();
}

void TformPistas::hideEvent(QHideEvent *evento) {
  timerQuadros->stop();
  QWidget::hideEvent(evento);
}
