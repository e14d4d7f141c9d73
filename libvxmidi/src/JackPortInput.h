// An input from a JACK MIDI port. Its port is read by a client of the library's own, or, while
// its hits play on a built-in synthesizer that renders through JACK, by the synthesizer's
// client at the start of the same process call that renders them.
#pragma once

#include <jack/jack.h>

#include <memory>

#include "CycleClock.h"
#include "DeviceCatalog.h"
#include "InputDevice.h"
#include "JackAudioClient.h"
#include "JackPortWatch.h"

namespace vx {

class SynthOutput;

class JackPortInput : public InputDevice, public JackTap {
 public:
  // Opens a client "Kovrinta" with the port "midi_in" connected from the port of device.
  // Throws OpenFailure when no server answers, or the port is gone or refuses.
  JackPortInput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier);
  // Leaves the synthesizer's client, then closes its own.
  ~JackPortInput() override;

  // Moves the port to the synthesizer's client when target is a built-in synthesizer on JACK,
  // and back to its own client otherwise. Entry lock.
  void setThru(const VxMidiThru *thru, OutputDevice *target) override;

  bool playsOn(const OutputDevice *output) const override;

  // The process thread of whichever client hosts the port.
  void readCycle(jack_nframes_t frames, double startNs, double nsPerFrame, HitSink &sink) override;

 private:
  static int process(jack_nframes_t frames, void *data);
  // Connects the source to port; false when it is gone or refuses.
  bool connectFrom(jack_client_t *client, jack_port_t *port);
  // Gives the port back from the synthesizer's client; its own client takes it again unless
  // it is about to close.
  void leaveSynth(bool takeBack = true);
  void readPort(jack_client_t *client, jack_port_t *port, jack_nframes_t frames, double startNs,
                double nsPerFrame, HitSink *sink);

  std::string source_;
  // On the heap: a client whose close hung may still call it.
  std::unique_ptr<JackPortWatch> watch_;
  jack_client_t *own_ = nullptr;
  jack_port_t *ownPort_ = nullptr;
  bool ownReading_ = false;
  // Its own client's process thread: its cycles on the monotonic clock.
  CycleClock ownClock_{48000};
  // While the synthesizer's client reads the port.
  SynthOutput *synth_ = nullptr;
  jack_client_t *hostClient_ = nullptr;
  jack_port_t *hostPort_ = nullptr;
};

}  // namespace vx
