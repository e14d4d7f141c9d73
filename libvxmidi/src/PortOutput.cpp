#include "PortOutput.h"

#include <stdexcept>

namespace vx {

struct PortOutput::Impl {};

PortOutput::PortOutput(const DeviceInfo &) { throw std::runtime_error("not built yet"); }
PortOutput::~PortOutput() = default;
void PortOutput::send(const uint8_t *, std::size_t) {}

}  // namespace vx
