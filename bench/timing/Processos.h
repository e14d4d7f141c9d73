// The other programs a benchmark runs (players, servers, tools): waiting on them from outside,
// ending them, and whether a command is there at all.
#pragma once

#include <QProcess>
#include <QThread>
#include <chrono>

namespace bench {

// Waits up to ms for condicao, asking it every passoMs and pumping nothing: what it waits on
// is another process or a JACK client's thread. False when the time ran out.
template <typename Condicao>
bool esperar(int ms, Condicao condicao, int passoMs = 10) {
  const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condicao()) {
    if (std::chrono::steady_clock::now() > limite) return false;
    QThread::msleep(static_cast<unsigned long>(passoMs));
  }
  return true;
}

// Ends p if it still runs: asked first, killed when it has not ended within 5 seconds.
void encerrar(QProcess &p);

// Whether the shell finds the command nome.
bool temComando(const char *nome);

}  // namespace bench
