// Entry points of the beat timer.
#include "Sealed.h"
#include "SyncTimer.h"
#include "VxMidi.h"

using vx::existing;
using vx::registerWith;
using vx::Registry;
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

namespace {

// The answer for a period the timer did not take.
uint16_t periodRefusal(const vx::BeatPeriod &period) {
  return period.numeratorUs == 0 || period.denominator == 0 ? VX_REFUSED : VX_OUT_OF_RANGE;
}

}  // namespace

VX_API uint16_t SetTempo(uint32_t handle, uint32_t periodUs) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    auto &timer = existing<vx::SyncTimer>(handle);
    const vx::BeatPeriod period{periodUs, 1};
    return timer.setPeriod(period) ? VX_OK : periodRefusal(period);
  });
}

VX_API uint16_t SetResolution(uint32_t handle, uint16_t ticksPerQuarter) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    existing<vx::SyncTimer>(handle).setResolution(ticksPerQuarter);
    return VX_OK;
  });
}

VX_API uint32_t GetTempo(uint32_t handle) {
  return sealed(0u, [&] { return existing<vx::SyncTimer>(handle).period().wholeMicroseconds(); });
}

VX_API uint16_t GetResolution(uint32_t handle) {
  return sealed(uint16_t{0}, [&] { return existing<vx::SyncTimer>(handle).resolution(); });
}

VX_API uint32_t GetPosition(uint32_t handle) {
  return sealed(0u, [&] { return existing<vx::SyncTimer>(handle).position(); });
}

VX_API uint16_t VxSetBeatSink(uint32_t handle, const VxBeatSink *sink) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    existing<vx::SyncTimer>(handle).setBeatSink(sink);
    return VX_OK;
  });
}

VX_API uint16_t VxSetSyncPeriod(uint32_t handle, uint32_t numeratorUs, uint32_t denominator,
                                uint32_t fromPosition) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    auto &timer = existing<vx::SyncTimer>(handle);
    const vx::BeatPeriod period{numeratorUs, denominator};
    return timer.setPeriodFrom(period, fromPosition) ? VX_OK : periodRefusal(period);
  });
}

VX_API uint32_t VxGetSyncRun(uint32_t handle) {
  return sealed(0u, [&] { return existing<vx::SyncTimer>(handle).run(); });
}

}  // extern "C"
