// Maps the monotonic clock to the frames a real-time callback (audio, JACK MIDI) handles, from
// the jittery moments at which the callback wakes. Belongs to the callback's thread.
#pragma once

#include <cstdint>

namespace vx {

class CycleClock {
 public:
  // sampleRate: frames per second the driver runs at; bandwidthHz: how fast the estimate
  // follows the wake-ups (lower is smoother, higher settles sooner).
  explicit CycleClock(double sampleRate, double bandwidthHz = 1.0);

  // Audio thread, at the top of every callback: wakeNs is the monotonic time it woke
  // (nanoseconds), frames the length of the buffer it is about to render.
  void cycle(int64_t wakeNs, uint32_t frames);

  // Audio thread: the frame offset, from the first frame of the current buffer, that
  // matches monotonic time ns (negative when it lies before the buffer). Needs cycle().
  double frameOffset(int64_t ns) const;

  // The estimated monotonic time of the first frame of the current buffer, in nanoseconds.
  double bufferStartNs() const { return static_cast<double>(base_) + start_; }
  // The estimated length of one frame in nanoseconds.
  double nsPerFrame() const { return nsPerFrame_; }
  // How often the estimate was dropped and restarted from a wake-up (after an xrun).
  uint64_t reanchors() const { return reanchors_; }

 private:
  double nominalNsPerFrame_;
  double bandwidthHz_;
  bool started_ = false;
  // Times are kept relative to base_ (the first wake-up) so that doubles stay exact.
  int64_t base_ = 0;
  double start_ = 0;
  double nsPerFrame_;
  uint32_t lastFrames_ = 0;
  uint64_t reanchors_ = 0;
};

}  // namespace vx
