// A private JACK server with the dummy backend for one benchmark run.
#pragma once

#include <QProcess>
#include <string>

namespace bench {

// Starts "jackd -n <unique name> -d dummy" at 48 kHz with period frames per cycle and points
// every JACK client of this process (and of the programs it starts) at it through
// JACK_DEFAULT_SERVER, never starting another. pronto tells whether clients can connect.
// Stopped by the destructor.
class ServidorJack {
 public:
  explicit ServidorJack(int period);
  ~ServidorJack();
  ServidorJack(const ServidorJack &) = delete;
  ServidorJack &operator=(const ServidorJack &) = delete;

  std::string nome;
  QProcess jackd;
  bool pronto = false;
};

}  // namespace bench
