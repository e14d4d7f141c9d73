#include "DeviceCatalog.h"

#include <RtMidi.h>
#include <jack/jack.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <string_view>

#include "JackClose.h"
#include "SystemQuiet.h"

namespace vx {

static_assert(DeviceInfo::alsaApi == RtMidi::LINUX_ALSA && DeviceInfo::jackApi == RtMidi::UNIX_JACK,
              "the port kinds follow RtMidi's numbering");

namespace {

// The client name of every MIDI client of the library; JACK makes it "Kovrinta-01" and
// so on when it is taken.
constexpr const char *kClientName = "Kovrinta";

constexpr std::size_t kDescriptionBytes = 31;

void keepQuiet(RtMidiError::Type, const std::string &, void *) {}

// True when the ALSA sequencer can be opened; without this check libasound and RtMidi
// print their failures on machines without /dev/snd.
bool alsaAnswers() {
  return access("/dev/snd/seq", R_OK | W_OK) == 0;
}

// True for "Kovrinta", and "Kovrinta-NN" as JACK renames a second client of that name.
bool isOwnClient(std::string_view client, bool renamed) {
  const std::string_view own = kClientName;
  if (client == own) return true;
  if (!renamed || client.size() <= own.size() + 1 || client.substr(0, own.size()) != own ||
      client[own.size()] != '-')
    return false;
  for (char c : client.substr(own.size() + 1))
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// RtMidi names a JACK port "client:port" and an ALSA port "client:port c:p"; both begin
// with the client's name.
bool isOwnPort(RtMidi::Api api, const std::string &portName) {
  const std::size_t colon = portName.find(':');
  if (colon == std::string::npos) return false;
  return isOwnClient(std::string_view(portName).substr(0, colon), api == RtMidi::UNIX_JACK);
}

// Cuts text to what the description buffer holds, at a character boundary so that the
// shown text stays valid UTF-8.
std::string fitDescription(std::string text) {
  if (text.size() <= kDescriptionBytes) return text;
  std::size_t length = kDescriptionBytes;
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  text.resize(length);
  return text;
}

std::string describePort(RtMidi::Api api, const std::string &portName) {
  if (api == RtMidi::UNIX_JACK) return fitDescription("JACK " + portName);
  // ALSA: "Midi Through:Midi Through Port-0 14:0". When that is too long and the port
  // repeats its client's name, the port's name and address alone still tell it apart.
  const std::size_t colon = portName.find(':');
  if (portName.size() > kDescriptionBytes && colon != std::string::npos) {
    const std::string_view client = std::string_view(portName).substr(0, colon);
    const std::string_view port = std::string_view(portName).substr(colon + 1);
    if (port.substr(0, client.size()) == client) return fitDescription(std::string(port));
  }
  return fitDescription(portName);
}

DeviceInfo portDevice(RtMidi::Api api, const std::string &name) {
  DeviceInfo device;
  device.kind = DeviceInfo::Kind::Port;
  device.description = describePort(api, name);
  device.api = static_cast<int>(api);
  device.portName = name;
  return device;
}

// Appends the ALSA sequencer ports that Midi (RtMidiOut or RtMidiIn) can connect to.
template <class Midi>
void addAlsaPorts(std::vector<DeviceInfo> &devices) {
  if (!alsaAnswers()) return;
  try {
    Midi midi(RtMidi::LINUX_ALSA, kClientName);
    midi.setErrorCallback(keepQuiet);
    const unsigned int count = midi.getPortCount();
    for (unsigned int index = 0; index < count; ++index) {
      const std::string name = midi.getPortName(index);
      if (name.empty() || isOwnPort(RtMidi::LINUX_ALSA, name)) continue;
      devices.push_back(portDevice(RtMidi::LINUX_ALSA, name));
    }
  } catch (...) {
    // An API that fails while we look adds nothing.
  }
}

// Appends the JACK MIDI ports of the given direction (JackPortIsInput: those an output sends
// to), in the server's order. One client lists them and is never activated: a client opened
// and closed while other clients join the graph can leave libjack's close waiting forever on
// a lock its notification thread held, and an activated one (as RtMidi's) makes every client
// of the server handle a graph change. JackNoStartServer: listing never starts a server.
void addJackPorts(unsigned long direction, std::vector<DeviceInfo> &devices) {
  silenceJack();
  jack_status_t status{};
  jack_client_t *client = jack_client_open(kClientName, JackNoStartServer, &status);
  if (!client) return;
  if (const char **ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, direction)) {
    for (const char **port = ports; *port; ++port) {
      const std::string name = *port;
      if (!name.empty() && !isOwnPort(RtMidi::UNIX_JACK, name))
        devices.push_back(portDevice(RtMidi::UNIX_JACK, name));
    }
    jack_free(ports);
  }
  closeJackClient(client);
}

}  // namespace

std::vector<DeviceInfo> DeviceCatalog::outputs() {
  std::vector<DeviceInfo> devices;
  try {
    for (const std::string &soundfont : soundfonts()) {
      DeviceInfo device;
      device.kind = DeviceInfo::Kind::Synth;
      device.soundfont = soundfont;
      device.description =
          fitDescription("Kovrinta Synth " + std::filesystem::path(soundfont).stem().string());
      devices.push_back(std::move(device));
    }
  } catch (...) {
    // Without the soundfont list the ports are still worth listing.
  }
  addAlsaPorts<RtMidiOut>(devices);
  addJackPorts(JackPortIsInput, devices);
  return devices;
}

std::string DeviceCatalog::stableName(const DeviceInfo &device) {
  std::string name = device.portName;
  if (device.api != DeviceInfo::alsaApi) return name;
  // "Midi Through:Midi Through Port-0 14:0": the last word is the client and port numbers.
  const std::size_t blank = name.rfind(' ');
  if (blank == std::string::npos) return name;
  const std::string_view address = std::string_view(name).substr(blank + 1);
  const std::size_t colon = address.find(':');
  const auto digits = [](std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
  };
  if (colon != std::string::npos && digits(address.substr(0, colon)) &&
      digits(address.substr(colon + 1)))
    name.resize(blank);
  return name;
}

std::vector<DeviceInfo> DeviceCatalog::inputs() {
  std::vector<DeviceInfo> devices;
  addAlsaPorts<RtMidiIn>(devices);
  addJackPorts(JackPortIsOutput, devices);
  return devices;
}

}  // namespace vx
