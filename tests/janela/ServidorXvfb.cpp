#include "ServidorXvfb.h"

#include <QThread>

namespace kovrinta::test {

using namespace std::chrono_literals;

// Xvfb writes the display number it took to the descriptor -displayfd names, here its
// standard output, once it accepts clients. -noreset: the server would otherwise reset each
// time its last client leaves (the probe below, an xdotool call), and refuse a program that
// connects meanwhile.
ServidorXvfb::ServidorXvfb() {
  servidor.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp"), QStringLiteral("-noreset")});
  if (!servidor.waitForStarted(5000)) {
    falha = QStringLiteral("Xvfb did not start: ") + servidor.errorString();
    return;
  }
  QByteArray saida;
  const auto prazo = std::chrono::steady_clock::now() + 15s;
  while (!saida.contains('\n') && std::chrono::steady_clock::now() < prazo &&
         servidor.state() == QProcess::Running) {
    servidor.waitForReadyRead(200);
    saida += servidor.readAllStandardOutput();
  }
  bool numero = false;
  const int n = saida.trimmed().toInt(&numero);
  if (!numero) {
    falha = QStringLiteral("Xvfb gave no display number: ") +
            QString::fromLocal8Bit(servidor.readAllStandardError());
    return;
  }
  display = QStringLiteral(":%1").arg(n);
  // A client may still be refused right after the number is written (seen now and then when
  // the display of a server that just ended is taken again): the display is ready once a
  // client gets in.
  const auto prazoCliente = std::chrono::steady_clock::now() + 15s;
  while (!xdotool({QStringLiteral("getdisplaygeometry")})) {
    if (std::chrono::steady_clock::now() >= prazoCliente || servidor.state() != QProcess::Running) {
      falha = QStringLiteral("Xvfb took display %1 but lets no client in").arg(display);
      display.clear();
      return;
    }
    QThread::msleep(50);
  }
}

ServidorXvfb::~ServidorXvfb() {
  if (servidor.state() == QProcess::NotRunning) return;
  servidor.terminate();
  if (!servidor.waitForFinished(5000)) {
    servidor.kill();
    servidor.waitForFinished(5000);
  }
}

QProcessEnvironment ServidorXvfb::ambiente(QProcessEnvironment base) const {
  base.insert(QStringLiteral("DISPLAY"), display);
  base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  base.remove(QStringLiteral("WAYLAND_DISPLAY"));
  return base;
}

bool ServidorXvfb::xdotool(const QStringList &argumentos, QString *saida) const {
  QProcess processo;
  processo.setProcessEnvironment(ambiente());
  processo.start(QStringLiteral("xdotool"), argumentos);
  if (!processo.waitForFinished(10000)) {
    processo.kill();
    processo.waitForFinished();
    return false;
  }
  if (saida) *saida = QString::fromLocal8Bit(processo.readAllStandardOutput());
  return processo.exitStatus() == QProcess::NormalExit && processo.exitCode() == 0;
}

// "xdotool search --onlyvisible" lists the mapped windows; the name and geometry of each
// come from getwindowname and getwindowgeometry --shell.
QList<ServidorXvfb::Janela> ServidorXvfb::janelas() const {
  QList<Janela> lista;
  QString ids;
  xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
           QStringLiteral(".*")},
          &ids);
  for (const QString &id : ids.split(u'\n', Qt::SkipEmptyParts)) {
    Janela janela{id.trimmed(), {}, {}};
    QString nome;
    xdotool({QStringLiteral("getwindowname"), janela.id}, &nome);
    janela.nome = nome.trimmed();
    QString geometria;
    xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), janela.id},
            &geometria);
    int x = 0, y = 0, w = 0, h = 0;
    for (const QString &linha : geometria.split(u'\n', Qt::SkipEmptyParts)) {
      const int valor = linha.section(u'=', 1).toInt();
      if (linha.startsWith(QLatin1String("X="))) x = valor;
      if (linha.startsWith(QLatin1String("Y="))) y = valor;
      if (linha.startsWith(QLatin1String("WIDTH="))) w = valor;
      if (linha.startsWith(QLatin1String("HEIGHT="))) h = valor;
    }
    janela.geometria = QRect(x, y, w, h);
    lista << janela;
  }
  return lista;
}

std::optional<ServidorXvfb::Janela> ServidorXvfb::esperarJanela(
    const std::function<bool(const Janela &)> &aceita, std::chrono::milliseconds prazo) const {
  const auto fim = std::chrono::steady_clock::now() + prazo;
  do {
    for (const Janela &janela : janelas())
      if (aceita(janela)) return janela;
    QThread::msleep(100);
  } while (std::chrono::steady_clock::now() < fim);
  return std::nullopt;
}

}  // namespace kovrinta::test
