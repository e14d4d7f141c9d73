// Entry points of the beat timer.
#include "Sealed.h"
#include "SyncTimer.h"
#include "VxMidi.h"

using vx::existing;
using vx::Registry;
using vx::registerWith;
using vx::sealed;

extern "C" {

VX_API uint32_t OpenSync(uint32_t reserved, const VxNotifySink *sink, uint16_t, uint16_t) {
  return sealed(0u, [&]() -> uint32_t {
    if (reserved != 0) return 0;
    auto notifier = std::make_unique<vx::Notifier>(sink);
    vx::Notifier *announcer = notifier.get();
    return registerWith(std::make_unique<vx::SyncTimer>(std::move(notifier)), announcer);
  });
}

VX_API void CloseSync(uint32_t handle) {
  sealed([&] {
    if (Registry::instance().find<vx::SyncTimer>(handle)) Registry::instance().remove(handle);
  });
}

VX_API void StopSync(uint32_t handle) {
  sealed([&] { existing<vx::SyncTimer>(handle).stop(); });
}

VX_API void StartSync(uint32_t handle) {
  sealed([&] { existing<vx::SyncTimer>(handle).start(); });
}

VX_API void PauseSync(uint32_t handle, uint32_t keepPhase) {
  sealed([&] { existing<vx::SyncTimer>(handle).pause(keepPhase != 0); });
}

VX_API void ReStartSync(uint32_t handle) {
  sealed([&] { existing<vx::SyncTimer>(handle).restart(); });
}

VX_API uint16_t SetTempo(uint32_t handle, uint32_t periodUs) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    return existing<vx::SyncTimer>(handle).setPeriod(std::chrono::microseconds(periodUs))
               ? VX_OK
               : VX_REFUSED;
  });
}

VX_API uint16_t SetResolution(uint32_t handle, uint16_t ticksPerQuarter) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    existing<vx::SyncTimer>(handle).setResolution(ticksPerQuarter);
    return VX_OK;
  });
}

VX_API uint32_t GetTempo(uint32_t handle) {
  return sealed(0u, [&] {
    return static_cast<uint32_t>(existing<vx::SyncTimer>(handle).period().count());
  });
}

VX_API uint16_t GetResolution(uint32_t handle) {
  return sealed(uint16_t{0}, [&] { return existing<vx::SyncTimer>(handle).resolution(); });
}

VX_API uint32_t GetPosition(uint32_t handle) {
  return sealed(0u, [&] { return existing<vx::SyncTimer>(handle).position(); });
}

}  // extern "C"
