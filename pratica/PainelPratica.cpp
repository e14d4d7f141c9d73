#include "pratica/PainelPratica.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/GerenciadorIdiomas.h"
#include "setup/Fontes.h"

namespace {

const QString secao = QStringLiteral("frmPratica");

QString texto(const char *chave) {
  return GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
}

QLabel *rotulo(QWidget *pai, const char *nome, int pixels, bool negrito) {
  auto *r = new QLabel(pai);
  r->setObjectName(QLatin1String(nome));
  r->setFont(fonteJanela(pixels, negrito));
  r->setAlignment(Qt::AlignHCenter);
  r->setWordWrap(true);
  return r;
}

}  // namespace

PainelPratica::PainelPratica(QWidget *janela, const QRect &lugar, QWidget *palco)
    : QWidget(janela) {
  setObjectName(QStringLiteral("pnPratica"));
  setGeometry(lugar);
  // White text on the window's blue, as the bottom bar's captions.
  setStyleSheet(QStringLiteral(
      "QLabel, QCheckBox { color: white; }"
      "QPushButton { color: white; font-weight: bold; border: 1px solid #9fb4e0;"
      " border-radius: 4px; padding: 4px 2px;"
      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3d5f9f, stop:1 #1d3466); }"
      "QPushButton:pressed { background: #1d3466; }"));
  auto *coluna = new QVBoxLayout(this);
  coluna->setContentsMargins(2, 4, 2, 4);
  coluna->setSpacing(3);

  lblCompassoTitulo = rotulo(this, "lblCompassoTitulo", pixelsTexto, true);
  lblCompasso = rotulo(this, "lblCompasso", 22, true);
  lblVelocidadeTitulo = rotulo(this, "lblVelocidadeTitulo", pixelsTexto, true);
  lblVelocidadePct = rotulo(this, "lblVelocidadePct", 16, true);
  ckClique = new QCheckBox(this);
  ckClique->setObjectName(QStringLiteral("ckClique"));
  ckClique->setFont(fonteJanela(pixelsTexto, true));
  btnPratica = new QPushButton(this);
  btnPratica->setObjectName(QStringLiteral("btnPratica"));
  btnPratica->setFont(fonteJanela(pixelsTexto, true));
  btnPratica->setFocusPolicy(Qt::NoFocus);
  btnPistas = new QPushButton(this);
  btnPistas->setObjectName(QStringLiteral("btnPistas"));
  btnPistas->setFont(fonteJanela(pixelsTexto, true));
  btnPistas->setFocusPolicy(Qt::NoFocus);
  ckClique->setFocusPolicy(Qt::NoFocus);

  coluna->addWidget(lblCompassoTitulo);
  coluna->addWidget(lblCompasso);
  coluna->addSpacing(8);
  coluna->addWidget(lblVelocidadeTitulo);
  coluna->addWidget(lblVelocidadePct);
  coluna->addSpacing(8);
  coluna->addWidget(ckClique, 0, Qt::AlignHCenter);
  coluna->addSpacing(4);
  coluna->addWidget(btnPratica);
  coluna->addWidget(btnPistas);
  coluna->addStretch();

  lblContagem = new QLabel(palco);
  lblContagem->setObjectName(QStringLiteral("lblContagem"));
  lblContagem->setFont(fonteJanela(96, true));
  lblContagem->setAlignment(Qt::AlignCenter);
  lblContagem->setAttribute(Qt::WA_TransparentForMouseEvents);
  lblContagem->setStyleSheet(QStringLiteral(
      "QLabel { color: white; background: rgba(20, 30, 60, 170); border-radius: 24px; }"));
  const QSize tamanho(160, 160);
  lblContagem->setGeometry(QRect(
      QPoint((palco->width() - tamanho.width()) / 2, (palco->height() - tamanho.height()) / 2),
      tamanho));
  lblContagem->hide();

  connect(ckClique, &QCheckBox::toggled, this, &PainelPratica::cliqueAlterado);
  connect(btnPratica, &QPushButton::clicked, this, &PainelPratica::praticaPedida);
  connect(btnPistas, &QPushButton::clicked, this, &PainelPratica::pistasPedidas);
  mostrarCompasso(0, 0);
}

void PainelPratica::aplicarIdioma() {
  lblCompassoTitulo->setText(texto("lblCompasso"));
  lblVelocidadeTitulo->setText(texto("lblVelocidade"));
  ckClique->setText(texto("ckClique"));
  ckClique->setToolTip(texto("ckCliqueDica"));
  btnPratica->setText(texto("btnPratica"));
  btnPratica->setToolTip(texto("btnPraticaDica"));
  btnPistas->setText(texto("btnPistas"));
  btnPistas->setToolTip(texto("btnPistasDica"));
}

void PainelPratica::mostrarCompasso(int compasso, int tempo) {
  lblCompasso->setText(compasso > 0 ? QStringLiteral("%1 · %2").arg(compasso).arg(tempo)
                                    : QStringLiteral("– · –"));
}

void PainelPratica::mostrarVelocidade(int percentual, int bpm) {
  lblVelocidadePct->setText(QStringLiteral("%1 %").arg(percentual));
  lblVelocidadePct->setToolTip(QStringLiteral("%1 BPM").arg(bpm));
}

void PainelPratica::mostrarContagem(int tempo) {
  if (tempo <= 0) {
    lblContagem->hide();
    return;
  }
  lblContagem->setText(QString::number(tempo));
  lblContagem->show();
  lblContagem->raise();
}

void PainelPratica::setClique(bool ligado) {
  const QSignalBlocker bloqueio(ckClique);
  ckClique->setChecked(ligado);
}
