#include "SystemQuiet.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <atomic>

namespace vx {

namespace {

void quiet(const char *) {}
void quietAlsa(const char *, int, const char *, int, const char *, ...) {}

std::atomic<bool> jackSilenced{false};
std::atomic<bool> alsaSilenced{false};

// Runs when the library is unloaded (or the process ends): libjack and libasound must not be
// left calling into code that is gone. A null function gives back their own printing.
struct Restorer {
  ~Restorer() {
    if (jackSilenced.exchange(false)) {
      jack_set_error_function(nullptr);
      jack_set_info_function(nullptr);
    }
    if (alsaSilenced.exchange(false)) snd_lib_error_set_handler(nullptr);
  }
} restorer;

}  // namespace

void silenceJack() {
  jack_set_error_function(quiet);
  jack_set_info_function(quiet);
  jackSilenced.store(true);
}

void silenceAlsa() {
  snd_lib_error_set_handler(quietAlsa);
  alsaSilenced.store(true);
}

}  // namespace vx
