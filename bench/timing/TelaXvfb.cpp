#include "TelaXvfb.h"

#include <QByteArray>
#include <QThread>
#include <chrono>

#include "Processos.h"

namespace bench {

TelaXvfb::TelaXvfb(const QString &tela) {
  xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", tela, "-nolisten", "tcp"});
  if (!xvfb.waitForStarted(5000)) return;
  QByteArray saida;
  const auto prazo = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!saida.contains('\n') && std::chrono::steady_clock::now() < prazo &&
         xvfb.state() == QProcess::Running) {
    xvfb.waitForReadyRead(200);
    saida += xvfb.readAllStandardOutput();
  }
  bool numero = false;
  const int n = saida.trimmed().toInt(&numero);
  if (numero) display = QStringLiteral(":%1").arg(n);
}

TelaXvfb::~TelaXvfb() {
  encerrar(xvfb);
}

QProcessEnvironment TelaXvfb::ambiente() const {
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  e.insert("DISPLAY", display);
  e.insert("QT_QPA_PLATFORM", "xcb");
  e.remove("WAYLAND_DISPLAY");
  return e;
}

std::optional<QString> xdotool(const TelaXvfb &x, const QStringList &argumentos) {
  QProcess p;
  p.setProcessEnvironment(x.ambiente());
  p.start("xdotool", argumentos);
  if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return std::nullopt;
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString janelaPrincipal(const TelaXvfb &x, const QString &nome, const QProcess *programa) {
  const auto fim = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < fim &&
         (!programa || programa->state() == QProcess::Running)) {
    const auto ids = xdotool(x, {"search", "--onlyvisible", "--name", nome});
    for (const QString &id : ids ? ids->split('\n', Qt::SkipEmptyParts) : QStringList()) {
      const auto geometria = xdotool(x, {"getwindowgeometry", "--shell", id.trimmed()});
      if (geometria && geometria->contains("WIDTH=793") && geometria->contains("HEIGHT=527"))
        return id.trimmed();
    }
    QThread::msleep(100);
  }
  return {};
}

void apontarPara(const TelaXvfb &x, const QString &janela) {
  xdotool(x, {"mousemove", "--window", janela, "400", "250"});
}

TecladoX::TecladoX(const TelaXvfb &x) {
  xdotool_.setProcessEnvironment(x.ambiente());
  xdotool_.start("xdotool", {"-"});
  pronto_ = xdotool_.waitForStarted(5000);
}

TecladoX::~TecladoX() {
  fechar();
}

void TecladoX::enviar(const char *comando) {
  xdotool_.write(comando);
  xdotool_.waitForBytesWritten();
}

void TecladoX::fechar() {
  if (xdotool_.state() == QProcess::NotRunning) return;
  xdotool_.closeWriteChannel();
  xdotool_.waitForFinished(5000);
}

}  // namespace bench
