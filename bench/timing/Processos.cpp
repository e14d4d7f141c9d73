#include "Processos.h"

#include <QString>
#include <QStringList>

namespace bench {

void encerrar(QProcess &p) {
  if (p.state() == QProcess::NotRunning) return;
  p.terminate();
  if (!p.waitForFinished(5000)) {
    p.kill();
    p.waitForFinished(5000);
  }
}

bool temComando(const char *nome) {
  return QProcess::execute("sh", {"-c", QStringLiteral("command -v %1 >/dev/null").arg(nome)}) == 0;
}

}  // namespace bench
