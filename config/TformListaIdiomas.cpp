#include "config/TformListaIdiomas.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr QSize tamanhoJanela(236, 252);
constexpr QSize tamanhoIcone(18, 18);

// The two button pictures are drawn here: the chooser must work before any language (and
// so any language picture) is available.
QPixmap desenharIcone(bool confirmar) {
  QPixmap pixmap(tamanhoIcone);
  pixmap.fill(Qt::transparent);
  QPainter pintor(&pixmap);
  pintor.setRenderHint(QPainter::Antialiasing);
  QPen caneta(confirmar ? QColor(0x2e, 0x8b, 0x32) : QColor(0xc6, 0x28, 0x28), 3.0);
  caneta.setCapStyle(Qt::RoundCap);
  caneta.setJoinStyle(Qt::RoundJoin);
  pintor.setPen(caneta);
  if (confirmar) {
    QPainterPath marca;
    marca.moveTo(3, 9.5);
    marca.lineTo(7.5, 14);
    marca.lineTo(15, 4);
    pintor.drawPath(marca);
  } else {
    pintor.drawLine(QPointF(4, 4), QPointF(14, 14));
    pintor.drawLine(QPointF(14, 4), QPointF(4, 14));
  }
  return pixmap;
}

QPushButton *criarBotao(QWidget *pai, bool confirmar, const QRect &lugar) {
  auto *botao = new QPushButton(pai);
  botao->setGeometry(lugar);
  botao->setIcon(QIcon(desenharIcone(confirmar)));
  botao->setIconSize(tamanhoIcone);
  botao->setCursor(Qt::PointingHandCursor);
  return botao;
}

}  // namespace

TformListaIdiomas::TformListaIdiomas(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint),
      listaIdiomas(new QListWidget(this)),
      btnOk(criarBotao(this, true, QRect(95, 214, 75, 25))),
      btnCancelar(criarBotao(this, false, QRect(175, 214, 48, 25))) {
  setObjectName(QStringLiteral("formListaIdiomas"));
  setWindowTitle(QString());
  setFixedSize(tamanhoJanela);
  setModal(true);
  listaIdiomas->setObjectName(QStringLiteral("listaIdiomas"));
  listaIdiomas->setGeometry(13, 15, 210, 185);
  listaIdiomas->setSelectionMode(QAbstractItemView::SingleSelection);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  // Escape and the close box reject the dialog through QDialog itself.
  connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
  connect(listaIdiomas, &QListWidget::itemDoubleClicked, this,
          &TformListaIdiomas::listaIdiomasDblClick);
}

int TformListaIdiomas::escolher(const QStringList &nomes, int indiceAtual) {
  listaIdiomas->clear();
  listaIdiomas->addItems(nomes);
  listaIdiomas->clearSelection();
  if (indiceAtual >= 0 && indiceAtual < listaIdiomas->count())
    listaIdiomas->setCurrentRow(indiceAtual, QItemSelectionModel::ClearAndSelect);
  else
    listaIdiomas->setCurrentRow(-1);

  if (const QScreen *tela = QGuiApplication::primaryScreen()) {
    QRect area(QPoint(), tamanhoJanela);
    area.moveCenter(tela->availableGeometry().center());
    move(area.topLeft());
  }
  if (exec() != QDialog::Accepted) return -1;
  const QList<QListWidgetItem *> selecionados = listaIdiomas->selectedItems();
  return selecionados.isEmpty() ? -1 : listaIdiomas->row(selecionados.front());
}

void TformListaIdiomas::showEvent(QShowEvent *evento) {
  QDialog::showEvent(evento);
  btnOk->setDefault(true);
  listaIdiomas->setFocus();
}

void TformListaIdiomas::listaIdiomasDblClick() {
  accept();
}
