// The built-in General MIDI synthesizer: FluidSynth playing one soundfont into the
// system's audio output, each message placed at the sample that matches the moment it was
// put (or the moment it is stamped with), plus one constant latency.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "Notifier.h"
#include "OutputDevice.h"

namespace vx {

class JackAudioClient;

class SynthOutput : public OutputDevice {
 public:
  // Loads soundfont and starts audio (JACK when a server runs, with client name
  // "Kovrinta" and its ports connected to the system playback ports, else
  // PipeWire/PulseAudio, else ALSA); never starts a JACK server. Throws OpenFailure when the
  // soundfont cannot be loaded or no audio output can be opened. Room in the queue after it
  // was found full is announced through notifier as VX_NOTIFY_OUT_ROOM.
  explicit SynthOutput(const std::string &soundfont, std::unique_ptr<Notifier> notifier = nullptr);
  // Stops audio (the audio thread is joined) and releases the synthesizer.
  ~SynthOutput() override;

  // The delay from a put to the frame its message is placed at: a little over one audio
  // period. FluidSynth then starts a note at its next 64-frame block, up to 63 frames
  // later. Any thread.
  std::chrono::nanoseconds latency() const;
  int64_t stampDelayNs() const override { return latency().count(); }
  // The audio driver in use: "jack", "pulseaudio" or "alsa". Any thread.
  const std::string &audioDriver() const;
  // How many messages were put with a stamp already past, or reached the audio thread after
  // their frame had passed and were played at the start of the buffer instead; stays 0
  // while the latency holds. Any thread.
  uint64_t lateMessages() const override;

  // Drops the stamped messages still waiting, then queues the end of every voice and a reset
  // of the controllers on all 16 channels. Called with the entry lock held.
  void reset() override;
  // Drops every message queued and not yet played; a queued reset still happens. Called
  // with the entry lock held.
  void flush() override;

  bool takesHits() const override { return true; }
  // The input thread of the input that plays here: the hit sounds the latency after ns.
  bool takeHit(const uint8_t *bytes, std::size_t length, int64_t ns, int64_t jackFrame) override;
  // Our own JACK client when the synthesizer plays through JACK, else null: a JACK input that
  // plays here has its port read by it. Entry lock.
  JackAudioClient *jackClient() const;

 protected:
  // Queues the message for the audio thread, due at dueNs, or at the moment of this call for
  // 0. False when the queue is full.
  bool send(const uint8_t *bytes, std::size_t length, int64_t dueNs) override;
  void dropStamped() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
