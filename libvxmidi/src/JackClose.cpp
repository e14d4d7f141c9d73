#include "JackClose.h"

#include <dlfcn.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vx {

namespace {

// A server that let one close hang will let the next ones hang as well.
std::atomic<bool> servidorTravado{false};

struct Fechamento {
  std::mutex lock;
  std::condition_variable feito;
  bool terminou = false;
};

}  // namespace

bool closeJackClient(jack_client_t *client) {
  if (!client) return true;
  auto fechamento = std::make_shared<Fechamento>();
  std::thread fechador([client, fechamento] {
    jack_client_close(client);
    {
      std::lock_guard guard(fechamento->lock);
      fechamento->terminou = true;
    }
    fechamento->feito.notify_all();
  });
  if (!servidorTravado.load(std::memory_order_acquire)) {
    std::unique_lock guard(fechamento->lock);
    if (fechamento->feito.wait_for(guard, jackCloseDeadline,
                                   [&] { return fechamento->terminou; })) {
      guard.unlock();
      // The thread still runs this library's code after its notice (its own teardown): it
      // must end before the program may unload the library.
      fechador.join();
      return true;
    }
  }
  fechador.detach();
  // The hung client's threads, and the one closing it, may still run this library's code
  // after the program unloads it: it stays mapped to the end of the process.
  Dl_info biblioteca{};
  if (dladdr(reinterpret_cast<void *>(&closeJackClient), &biblioteca) && biblioteca.dli_fname)
    dlopen(biblioteca.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  servidorTravado.store(true, std::memory_order_release);
  return false;
}

void abandonar(void *estado) {
  static std::mutex lock;
  static auto *abandonados = new std::vector<void *>;
  std::lock_guard guard(lock);
  abandonados->push_back(estado);
}

}  // namespace vx
