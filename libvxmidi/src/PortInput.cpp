#include "PortInput.h"

#include <stdexcept>

namespace vx {

struct PortInput::Impl {};

PortInput::PortInput(const DeviceInfo &, std::unique_ptr<Notifier>) {
  throw std::runtime_error("not built yet");
}
PortInput::~PortInput() = default;
void PortInput::start() {}
void PortInput::stop() {}
const VxMidiEvent *PortInput::next() { return nullptr; }

}  // namespace vx
