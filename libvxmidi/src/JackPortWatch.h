// Notices when a port of another JACK client goes away: the port is unregistered, or its
// client quits (a program closed, a USB module unplugged under a bridge).
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <functional>
#include <string>

namespace vx {

class JackPortWatch {
 public:
  // gone runs once, on JACK's notification thread, when portName goes away.
  JackPortWatch(std::string portName, std::function<void()> gone);

  // Registers the watch's callbacks on client; call before jack_activate. The watch must
  // outlive the client.
  void attach(jack_client_t *client);
  // From now on gone is not run: its owner is going.
  void disarm() { fired_.store(true); }

 private:
  static void portRegistration(jack_port_id_t id, int registered, void *data);
  static void clientRegistration(const char *name, int registered, void *data);
  void fire();

  std::string portName_;
  std::string clientName_;  // the part of portName_ before its colon
  std::function<void()> gone_;
  jack_client_t *client_ = nullptr;
  std::atomic<bool> fired_{false};
};

}  // namespace vx
