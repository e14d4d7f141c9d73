#include "shell/TformSplash.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <chrono>

#include "config/GerenciadorIdiomas.h"

TformSplash *formSplash = nullptr;

TformSplash::TformSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), imgEntrada(new QLabel(this)) {
  setObjectName(QStringLiteral("formSplash"));
  setFixedSize(lado, lado);
  setAutoFillBackground(true);
  QPalette cores = palette();
  cores.setColor(QPalette::Window, QColor(33, 100, 173));
  setPalette(cores);
  imgEntrada->setObjectName(QStringLiteral("imgEntrada"));
  imgEntrada->setGeometry(rect());
  imgEntrada->setAlignment(Qt::AlignCenter);
  const QPixmap imagem = GerenciadorIdiomas::instancia().getFigura(QStringLiteral("frmEntrada"),
                                                                   QStringLiteral("imgEntrada"));
  if (!imagem.isNull()) imgEntrada->setPixmap(imagem);
}

void TformSplash::exibir() {
  if (const QScreen *tela = QGuiApplication::primaryScreen())
    move(tela->availableGeometry().center() - rect().center());
  show();
  raise();
  // The window system maps the window a little later; once it is exposed, a paint puts the
  // picture on the screen.
  const auto prazo = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!(windowHandle() && windowHandle()->isExposed()) &&
         std::chrono::steady_clock::now() < prazo)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
  repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TformSplash::exibirPorUmSegundo() {
  exibir();
  QElapsedTimer exibida;
  exibida.start();
  while (!exibida.hasExpired(milissegundosExibida))
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}
