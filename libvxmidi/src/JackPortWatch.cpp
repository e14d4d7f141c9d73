#include "JackPortWatch.h"

namespace vx {

JackPortWatch::JackPortWatch(std::string portName, std::function<void()> gone)
    : portName_(std::move(portName)),
      clientName_(portName_.substr(0, portName_.find(':'))),
      gone_(std::move(gone)) {}

void JackPortWatch::attach(jack_client_t *client) {
  client_ = client;
  jack_set_port_registration_callback(client, &JackPortWatch::portRegistration, this);
  jack_set_client_registration_callback(client, &JackPortWatch::clientRegistration, this);
}

// A port whose owner unregisters it alone is known by its name while JACK still has it; a
// client that quits is told by its own unregistration below.
void JackPortWatch::portRegistration(jack_port_id_t id, int registered, void *data) {
  auto &self = *static_cast<JackPortWatch *>(data);
  if (registered) return;
  const jack_port_t *port = jack_port_by_id(self.client_, id);
  if (port && self.portName_ == jack_port_name(port)) self.fire();
}

void JackPortWatch::clientRegistration(const char *name, int registered, void *data) {
  auto &self = *static_cast<JackPortWatch *>(data);
  if (!registered && name && self.clientName_ == name) self.fire();
}

void JackPortWatch::fire() {
  if (!fired_.exchange(true) && gone_) gone_();
}

}  // namespace vx
