#include "ServidorJack.h"

#include <jack/jack.h>
#include <unistd.h>

#include <QThread>

namespace bench {

ServidorJack::ServidorJack(int period) : nome("kovrinta-bench-" + std::to_string(getpid())) {
  qputenv("JACK_DEFAULT_SERVER", QByteArray::fromStdString(nome));
  qputenv("JACK_NO_START_SERVER", "1");
  jackd.setStandardOutputFile(QProcess::nullDevice());
  jackd.setStandardErrorFile(QProcess::nullDevice());
  jackd.start("jackd", {"-n", QString::fromStdString(nome), "-P", "80", "-S", "-d", "dummy", "-r",
                        "48000", "-p", QString::number(period)});
  if (!jackd.waitForStarted(5000)) return;
  for (int i = 0; i < 100 && !pronto; ++i) {
    jack_status_t status{};
    if (jack_client_t *c = jack_client_open("bench-probe", JackNoStartServer, &status)) {
      jack_client_close(c);
      pronto = true;
    } else {
      QThread::msleep(50);
    }
  }
}

ServidorJack::~ServidorJack() {
  jackd.terminate();
  if (!jackd.waitForFinished(5000)) jackd.kill();
}

}  // namespace bench
