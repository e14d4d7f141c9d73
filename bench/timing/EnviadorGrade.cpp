#include "EnviadorGrade.h"

#include <RtMidi.h>
#include <jack/jack.h>
#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <memory>
#include <thread>

#include "Relogio.h"

namespace bench {

bool enviarGrade(const std::string &port, const std::vector<int64_t> &ideaisNs, int note,
                 int64_t leadNs) {
  std::unique_ptr<RtMidiOut> out;
  try {
    out = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "gridsend");
    out->openVirtualPort("out");
  } catch (const RtMidiError &) {
    return false;
  }
  // The timer of a player: real-time priority where the system grants it.
  bool ok = true;
  std::thread sender([&] {
    sched_param param{};
    param.sched_priority = 70;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    const int64_t start = agoraNs() + leadNs;
    for (int64_t ideal : ideaisNs) {
      dormirAte(start + ideal);
      const unsigned char on[3] = {0x99, static_cast<unsigned char>(note), 100};
      out->sendMessage(on, 3);
      const unsigned char off[3] = {0x99, static_cast<unsigned char>(note), 0};
      out->sendMessage(off, 3);
    }
  });
  // The recorder's input is connected once the virtual port exists.
  const std::string self = "gridsend:out";
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  try {
    jack_client_t *probe = jack_client_open("gridsend-connect", JackNoStartServer, nullptr);
    if (probe) {
      ok = jack_connect(probe, self.c_str(), port.c_str()) == 0;
      jack_client_close(probe);
    }
  } catch (...) {
    ok = false;
  }
  sender.join();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return ok;
}

}  // namespace bench
