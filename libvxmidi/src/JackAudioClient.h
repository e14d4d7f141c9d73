// The built-in synthesizer's own JACK client: two audio outputs connected to the system's
// playback ports, and room for one MIDI input port read at the start of the same process
// call, so that a drummer's hit is rendered at its own frame of the cycle it arrives in.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>

#include "CycleClock.h"
#include "InputDevice.h"
#include "InputStream.h"

namespace vx {

// A hit to render at a frame of the current cycle.
struct CycleHit {
  uint32_t frame;
  ShortMessage message;
};

// What the client reads at the start of each cycle: a JACK input whose port it hosts.
class JackTap {
 public:
  // Process thread: reads this cycle's events and hands each hit to sink. The cycle's first
  // frame is at startNs on the monotonic clock, each frame nsPerFrame long.
  virtual void readCycle(jack_nframes_t frames, double startNs, double nsPerFrame,
                         HitSink &sink) = 0;

 protected:
  ~JackTap() = default;
};

class JackAudioClient {
 public:
  // Renders a cycle of frames into left and right, with the cycle's hits in frame order.
  using Render = void (*)(void *context, jack_nframes_t frames, float *left, float *right,
                          const CycleHit *hits, int count);

  // Opens the client "Kovrinta" on a running server (never starts one); answers false when
  // none answers. start() begins the cycles.
  bool open();
  // Registers the ports, activates the client and connects the outputs to the system's
  // playback ports; false when it cannot.
  bool start(Render render, void *context);
  // Called on a thread of JACK's once the server has gone (stopped or killed); set before
  // start.
  void onShutdown(void (*callback)(void *context), void *context);
  // Closes the client; no cycle runs after this.
  ~JackAudioClient();

  double sampleRate() const;
  uint32_t periodFrames() const;
  jack_client_t *client() const { return client_; }

  // Entry lock: the tap read from the next cycle on (null: none); returns once a cycle that
  // may still read the old one is over.
  void setTap(JackTap *tap);

 private:
  static int process(jack_nframes_t frames, void *data);

  // Gathers the hits of one cycle, in order of frame (a tap hands them in order).
  class Gatherer : public HitSink {
   public:
    void hitAt(const ShortMessage &message, uint32_t frame) override;
    static constexpr int kRoom = 256;
    CycleHit hits[kRoom];
    int count = 0;
  };

  jack_client_t *client_ = nullptr;
  jack_port_t *ports_[2] = {};
  Render render_ = nullptr;
  void *context_ = nullptr;
  std::atomic<JackTap *> tap_{nullptr};
  std::atomic<bool> inCycle_{false};
  Gatherer gatherer_;
  // Process thread: the cycles on the monotonic clock, as the synthesizer maps them.
  CycleClock clock_{48000};
};

}  // namespace vx
