#include "JackPortInput.h"

#include <jack/midiport.h>

#include <cerrno>
#include <chrono>

#include "JackClose.h"
#include "OpenFailure.h"
#include "SynthOutput.h"
#include "SystemQuiet.h"

namespace vx {

namespace {

constexpr const char *kClientName = "Kovrinta";
constexpr const char *kPortName = "midi_in";

int64_t monotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

JackPortInput::JackPortInput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier)
    : InputDevice(std::move(notifier)),
      source_(device.portName),
      watch_(std::make_unique<JackPortWatch>(device.portName, [this] { deviceLost(); })) {
  silenceJack();
  jack_status_t status{};
  own_ = jack_client_open(kClientName, JackNoStartServer, &status);
  if (!own_) throw OpenFailure(VX_OPEN_PORT_GONE, "no JACK server answers");
  auto fail = [&](uint32_t code, const std::string &why) {
    closeJackClient(own_);
    own_ = nullptr;
    throw OpenFailure(code, why);
  };
  if (!jack_port_by_name(own_, source_.c_str()))
    fail(VX_OPEN_PORT_GONE, "MIDI port is gone: " + source_);
  ownPort_ = jack_port_register(own_, kPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (!ownPort_) fail(VX_OPEN_PORT_REFUSED, "cannot make a JACK MIDI port");
  ownClock_ = CycleClock(jack_get_sample_rate(own_));
  jack_set_process_callback(own_, &JackPortInput::process, this);
  watch_->attach(own_);
  jack_on_shutdown(
      own_, [](void *self) { static_cast<JackPortInput *>(self)->deviceLost(); }, this);
  if (jack_activate(own_) != 0) fail(VX_OPEN_PORT_REFUSED, "cannot start the client");
  ownReading_ = true;
  if (!connectFrom(own_, ownPort_))
    fail(VX_OPEN_PORT_REFUSED, "cannot connect from MIDI port " + source_);
}

JackPortInput::~JackPortInput() {
  disarm();
  watch_->disarm();
  leaveSynth(false);
  InputDevice::setThru(nullptr, nullptr);
  if (!closeJackClient(own_)) abandonar(watch_.release());
}

bool JackPortInput::connectFrom(jack_client_t *client, jack_port_t *port) {
  const int result = jack_connect(client, source_.c_str(), jack_port_name(port));
  return result == 0 || result == EEXIST;
}

void JackPortInput::setThru(const VxMidiThru *thru, OutputDevice *target) {
  auto *synth = dynamic_cast<SynthOutput *>(target);
  JackAudioClient *host = synth ? synth->jackClient() : nullptr;
  if (synth_ && synth_ != synth) leaveSynth();
  if (host && synth_ != synth) {
    // Read by the synthesizer's client from now on: a port of its own there, then our port
    // lets go of the source. Our client stays active: JACK tells only active clients that
    // the source went away.
    jack_port_t *port =
        jack_port_register(host->client(), kPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port && connectFrom(host->client(), port)) {
      jack_disconnect(own_, source_.c_str(), jack_port_name(ownPort_));
      ownReading_ = false;
      synth_ = synth;
      hostClient_ = host->client();
      hostPort_ = port;
      InputDevice::setThru(thru, nullptr);
      host->setTap(this);
      return;
    }
    if (port) jack_port_unregister(host->client(), port);
  }
  InputDevice::setThru(thru, synth_ ? nullptr : target);
}

bool JackPortInput::playsOn(const OutputDevice *output) const {
  return output != nullptr &&
         (InputDevice::playsOn(output) || static_cast<const OutputDevice *>(synth_) == output);
}

void JackPortInput::leaveSynth(bool takeBack) {
  if (!synth_) return;
  if (JackAudioClient *host = synth_->jackClient()) host->setTap(nullptr);
  jack_port_unregister(hostClient_, hostPort_);
  synth_ = nullptr;
  hostClient_ = nullptr;
  hostPort_ = nullptr;
  if (takeBack && own_ && !ownReading_) ownReading_ = connectFrom(own_, ownPort_);
}

int JackPortInput::process(jack_nframes_t frames, void *data) {
  auto &self = *static_cast<JackPortInput *>(data);
  self.ownClock_.cycle(monotonicNs(), frames);
  self.readPort(self.own_, self.ownPort_, frames, self.ownClock_.bufferStartNs(),
                self.ownClock_.nsPerFrame(), nullptr);
  return 0;
}

void JackPortInput::readCycle(jack_nframes_t frames, double startNs, double nsPerFrame,
                              HitSink &sink) {
  readPort(hostClient_, hostPort_, frames, startNs, nsPerFrame, &sink);
}

// Each event's moment is its frame on the cycle's timeline as the clients of the library map it
// from their wake-ups (JACK's own cycle times stray by up to hundreds of milliseconds after the
// host stalls the server), and its frame on the server's counter, which JACK outputs place it by.
void JackPortInput::readPort(jack_client_t *client, jack_port_t *port, jack_nframes_t frames,
                             double startNs, double nsPerFrame, HitSink *sink) {
  void *buffer = jack_port_get_buffer(port, frames);
  const uint32_t count = jack_midi_get_event_count(buffer);
  if (count == 0) return;
  const auto cycleFrame = static_cast<int64_t>(jack_last_frame_time(client));
  for (uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    const auto ns = static_cast<int64_t>(startNs + event.time * nsPerFrame);
    receive(event.buffer, event.size, ns, cycleFrame + event.time, sink, event.time);
  }
}

}  // namespace vx
