#include "SynthOutput.h"

#include <stdexcept>

namespace vx {

struct SynthOutput::Impl {};

SynthOutput::SynthOutput(const std::string &) { throw std::runtime_error("not built yet"); }
SynthOutput::~SynthOutput() = default;
void SynthOutput::reset() {}
void SynthOutput::flush() {}
void SynthOutput::send(const uint8_t *, std::size_t) {}

}  // namespace vx
