// The libFuzzer entry of one fuzz target; the build names the target's function in
// KOVRINTA_ALVO_FUZZ.
#include <cstddef>
#include <cstdint>

#include "fuzz/AlvosFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  return kovrinta::fuzz::KOVRINTA_ALVO_FUZZ(data, size);
}
