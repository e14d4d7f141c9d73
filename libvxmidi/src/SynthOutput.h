// The built-in General MIDI synthesizer: FluidSynth playing one soundfont into the
// system's audio output.
#pragma once

#include <memory>
#include <string>

#include "OutputDevice.h"

namespace vx {

class SynthOutput : public OutputDevice {
 public:
  // Loads soundfont and starts audio (JACK when a server runs, with client name
  // "Kovrinta", else PipeWire/PulseAudio, else ALSA). Throws std::runtime_error when the
  // soundfont cannot be loaded or no audio output can be opened.
  explicit SynthOutput(const std::string &soundfont);
  ~SynthOutput() override;

  void reset() override;
  void flush() override;

 protected:
  void send(const uint8_t *bytes, std::size_t length) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
