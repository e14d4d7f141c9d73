// The devices of this system as the library numbers them.
#pragma once

#include <string>
#include <vector>

namespace vx {

struct DeviceInfo {
  enum class Kind { Synth, Port };
  Kind kind = Kind::Port;
  // Shown to the user; cut to the description buffer by the entry points.
  std::string description;
  // Kind::Synth: the soundfont file the synthesizer plays.
  std::string soundfont;
  // Kind::Port: the RtMidi API (RtMidi::Api) and the port's name as RtMidi reports it.
  int api = 0;
  // The RtMidi API numbers of the two kinds of port (RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK),
  // for code that does not include RtMidi.
  static constexpr int alsaApi = 2;
  static constexpr int jackApi = 3;
  std::string portName;
};

class DeviceCatalog {
 public:
  // Output devices, looked up now: one built-in synthesizer per General MIDI soundfont
  // (the system default first), then every MIDI output port of the ALSA sequencer and of
  // JACK. Never throws; an API that is not available here adds nothing.
  static std::vector<DeviceInfo> outputs();

  // Input devices, looked up now: every MIDI input port of the ALSA sequencer and of JACK.
  static std::vector<DeviceInfo> inputs();

  // The name to find an input port by again: its port name, less the ALSA address (" 20:0")
  // that changes when devices are plugged in.
  static std::string stableName(const DeviceInfo &device);

  // The General MIDI soundfonts of the system, the default first, each file once.
  static std::vector<std::string> soundfonts();
};

}  // namespace vx
