#include "CycleClock.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vx {

CycleClock::CycleClock(double sampleRate, double bandwidthHz)
    : nominalNsPerFrame_(1e9 / sampleRate),
      bandwidthHz_(bandwidthHz),
      nsPerFrame_(nominalNsPerFrame_) {}

// A second-order delay-locked loop over the buffer start times: each wake-up is compared
// with the predicted start (previous start plus the previous buffer's length); a part of
// the error moves the start (phase), a smaller part the frame length (rate). Wake-ups are
// late by a random amount, so the estimate settles at their mean lateness and moves by far
// less than any single one; a single very late one is taken at a quarter period at most.
// A wake-up more than a period late, or more than half a period early (wake-ups are not
// early by chance), is no jitter: the driver lost time (an xrun) or a sound server is
// filling its buffer, so the estimate restarts from that wake-up and its timeline.
void CycleClock::cycle(int64_t wakeNs, uint32_t frames) {
  if (frames == 0) return;
  if (!started_) {
    started_ = true;
    base_ = wakeNs;
    start_ = 0;
    lastFrames_ = frames;
    return;
  }
  const double wake = static_cast<double>(wakeNs - base_);
  const double predicted = start_ + lastFrames_ * nsPerFrame_;
  const double error = wake - predicted;
  const double periodNs = lastFrames_ * nominalNsPerFrame_;
  if (error > periodNs || error < -periodNs / 2) {
    start_ = wake;
    ++reanchors_;
  } else {
    // Loop gains for a critically damped loop of the given bandwidth at this update rate.
    const double omega = 2 * std::numbers::pi * bandwidthHz_ * periodNs * 1e-9;
    const double taken = std::min(error, periodNs / 4);
    start_ = predicted + std::numbers::sqrt2 * omega * taken;
    nsPerFrame_ += omega * omega * taken / lastFrames_;
    // Audio clocks are off by parts per million; keep a disturbed estimate near nominal.
    nsPerFrame_ = std::clamp(nsPerFrame_, nominalNsPerFrame_ * 0.995, nominalNsPerFrame_ * 1.005);
  }
  lastFrames_ = frames;
}

double CycleClock::frameOffset(int64_t ns) const {
  return (static_cast<double>(ns - base_) - start_) / nsPerFrame_;
}

}  // namespace vx
