// The one place where the library's answers become the toolkit's verdicts.
#pragma once

#include <cstdint>
#include <string>

#include "EVxMidiException.h"
#include "VxMidi.h"

namespace vxresult {

// An open answer of VX_HANDLE_FAILED_MAX or less (unsigned) is a refusal.
inline bool handleOpened(uint32_t handle) {
  return handle > VX_HANDLE_FAILED_MAX;
}

// A 16-bit status answer of 0 means the library took the call.
inline bool accepted(uint16_t status) {
  return status == VX_OK;
}

// Raises the toolkit's error for a misuse unless condition holds.
inline void require(bool condition, const char *message) {
  if (!condition) throw EVxMidiException(message);
}

}  // namespace vxresult
