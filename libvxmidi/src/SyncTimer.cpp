#include "SyncTimer.h"

namespace vx {

struct SyncTimer::Impl {};

SyncTimer::SyncTimer(std::unique_ptr<Notifier>) {}
SyncTimer::~SyncTimer() = default;
void SyncTimer::start() {}
void SyncTimer::stop() {}
void SyncTimer::pause(bool) {}
void SyncTimer::restart() {}
bool SyncTimer::setPeriod(std::chrono::microseconds) { return false; }
std::chrono::microseconds SyncTimer::period() const { return {}; }
void SyncTimer::setResolution(uint16_t) {}
uint16_t SyncTimer::resolution() const { return 0; }
uint32_t SyncTimer::position() const { return 0; }

}  // namespace vx
