// Why a device could not be opened, carried from the device to the open entry point, which
// answers its code in place of a handle.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "VxMidi.h"

namespace vx {

class OpenFailure : public std::runtime_error {
 public:
  // code: one of the VX_OPEN_ values of VxMidi.h.
  OpenFailure(uint32_t code, const std::string &what) : std::runtime_error(what), code_(code) {}
  uint32_t code() const { return code_; }

 private:
  uint32_t code_;
};

}  // namespace vx
