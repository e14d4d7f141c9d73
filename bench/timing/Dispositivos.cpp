#include "Dispositivos.h"

#include <QByteArray>
#include <QProcess>

namespace bench {

int dispositivo(const QString &programa, const QString &inicio) {
  QProcess listar;
  listar.start(programa + "/kovrinta-song", {"--devices"});
  if (!listar.waitForFinished(20000)) return -1;
  for (const QByteArray &linha : listar.readAllStandardOutput().split('\n')) {
    const int espaco = linha.indexOf(' ');
    if (espaco > 0 && linha.mid(espaco + 1).startsWith(inicio.toUtf8()))
      return linha.left(espaco).toInt();
  }
  return -1;
}

}  // namespace bench
