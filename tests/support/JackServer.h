// A private JACK server with the dummy backend for tests that need real MIDI and audio
// ports. Every JACK client of the process (RtMidi, FluidSynth, the test's own) reaches it
// through JACK_DEFAULT_SERVER.
#pragma once

#include <sys/types.h>
#include <string>

namespace kovrinta::test {

class JackServer {
 public:
  // Starts "jackd -n <unique name> -d dummy" (synchronous mode, period 128 at 48 kHz) and
  // waits up to five seconds until clients can connect. running() tells whether it did.
  JackServer();
  // Stops the server and waits for it to end.
  ~JackServer();

  bool running() const { return running_; }
  // Holds the server still (no cycle runs, so no client drains anything) until resume();
  // for tests that must fill an output's queue however fast its client would empty it.
  void pause();
  void resume();
  // Stops the server under its clients (SIGTERM, as a user or the session would) and waits
  // for it to end. SIGKILL would leave its entry in JACK's registry of servers, which counts
  // it against the eight a machine may run.
  void parar();
  // Starts the server again under its name after parar(); answers running().
  bool iniciar();
  const std::string &name() const { return name_; }
  // What went wrong when it is not running.
  const std::string &failure() const { return failure_; }

 private:
  std::string name_;
  std::string failure_;
  pid_t pid_ = -1;
  bool running_ = false;
};

// True when the tests run in CI, where a missing service is a failure, not a skip.
bool inCi();

}  // namespace kovrinta::test

// Skips the test when jack does not run, except in CI where it fails.
#define KOVRINTA_REQUIRE_JACK(server)                                                   \
  do {                                                                                  \
    if (!(server).running()) {                                                          \
      if (::kovrinta::test::inCi()) FAIL() << "no JACK server: " << (server).failure(); \
      GTEST_SKIP() << "no JACK server: " << (server).failure();                         \
    }                                                                                   \
  } while (0)
