// A JACK client of the benchmarks that records what reaches it: MIDI messages at its input
// "in", and the audio of its two inputs, with the moment each cycle woke, into memory reserved
// beforehand. It also counts the cycles the server ran late (xruns).
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

namespace bench {

class JackRecorder {
 public:
  struct Midi {
    uint8_t bytes[3];
    uint8_t length;
    uint64_t frame;  // frames since the recording began
    int64_t wallNs;  // the cycle's wake-up plus the message's offset
  };

  // seconds: the longest recording. Connects to the server JACK_DEFAULT_SERVER names.
  JackRecorder(const std::string &name, double seconds);
  ~JackRecorder();

  bool ready() const { return client_ != nullptr; }
  std::string midiInput() const;
  double rate() const { return rate_; }
  uint32_t period() const { return period_; }
  uint64_t xruns() const { return xruns_.load(); }

  // Connects every audio output port whose name matches pattern to the two inputs, as the
  // ports appear (call it while the player starts); answers how many are connected.
  int connectAudio(const std::regex &pattern);

  // Starts recording from the next cycle on, forgetting what came before.
  void start();
  void stop();

  std::vector<Midi> midi() const;
  // Peak of both channels per frame, from the start.
  const std::vector<float> &peaks() const { return peaks_; }
  std::size_t frames() const { return frames_.load(); }
  // The monotonic time of a recorded frame, from the earliest-waking cycles around it (a
  // cycle wakes at its start plus a random delay).
  double wallOfFrameNs(std::size_t frame) const;

 private:
  static int process(jack_nframes_t frames, void *data);
  static int xrun(void *data);

  struct Cycle {
    std::size_t first;
    uint32_t frames;
    int64_t wakeNs;
  };

  jack_client_t *client_ = nullptr;
  jack_port_t *midiIn_ = nullptr;
  jack_port_t *audioIn_[2] = {nullptr, nullptr};
  double rate_ = 48000;
  uint32_t period_ = 0;
  std::atomic<bool> recording_{false};
  std::atomic<uint64_t> xruns_{0};
  std::vector<float> peaks_;
  std::vector<Cycle> cycles_;
  std::vector<Midi> midi_;
  std::atomic<std::size_t> frames_{0};
  std::atomic<std::size_t> cycleCount_{0};
  std::atomic<std::size_t> midiCount_{0};
};

}  // namespace bench
