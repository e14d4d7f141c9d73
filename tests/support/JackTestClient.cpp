#include "JackTestClient.h"

#include <jack/midiport.h>

#include <algorithm>
#include <iterator>

namespace kovrinta::test {

JackTestClient::JackTestClient(const std::string &name, bool withInput, bool withOutput) {
  jack_status_t status{};
  client_ = jack_client_open(
      name.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
  if (!client_) return;
  if (withInput)
    input_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (withOutput)
    output_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_set_process_callback(client_, &JackTestClient::process, this);
  jack_set_xrun_callback(client_, &JackTestClient::xrun, this);
  if ((withInput && !input_) || (withOutput && !output_) || jack_activate(client_) != 0) {
    jack_client_close(client_);
    client_ = nullptr;
  }
}

JackTestClient::~JackTestClient() {
  close();
}

std::string JackTestClient::inputName() const {
  return input_ ? jack_port_name(input_) : "";
}

std::string JackTestClient::outputName() const {
  return output_ ? jack_port_name(output_) : "";
}

uint32_t JackTestClient::sampleRate() const {
  return client_ ? jack_get_sample_rate(client_) : 0;
}

uint32_t JackTestClient::period() const {
  return client_ ? jack_get_buffer_size(client_) : 0;
}

void JackTestClient::close() {
  if (client_) jack_client_close(client_);
  client_ = nullptr;
}

void JackTestClient::send(Bytes message) {
  std::lock_guard guard(lock_);
  pending_.push_back(std::move(message));
}

bool JackTestClient::waitForReceived(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock guard(lock_);
  return changed_.wait_for(guard, timeout, [&] { return received_.size() >= count; });
}

bool JackTestClient::waitForCyclesAfterSend(uint64_t cycles) {
  std::unique_lock guard(lock_);
  return changed_.wait_for(guard, std::chrono::seconds(10),
                           [&] { return pending_.empty() && cycle_ > lastWriteCycle_ + cycles; });
}

bool JackTestClient::waitForCycles(uint64_t cycles) {
  std::unique_lock guard(lock_);
  const uint64_t until = cycle_ + cycles;
  return changed_.wait_for(guard, std::chrono::seconds(10), [&] { return cycle_ >= until; });
}

std::vector<JackTestClient::Bytes> JackTestClient::received() const {
  std::lock_guard guard(lock_);
  std::vector<Bytes> bytes;
  bytes.reserve(received_.size());
  for (const Received &r : received_) bytes.push_back(r.bytes);
  return bytes;
}

std::vector<JackTestClient::Received> JackTestClient::receivedWithFrames() const {
  std::lock_guard guard(lock_);
  return received_;
}

void JackTestClient::sendAtFrame(Bytes message, uint64_t frame) {
  std::lock_guard guard(lock_);
  auto depois = timed_.end();
  while (depois != timed_.begin() && std::prev(depois)->first > frame) --depois;
  timed_.insert(depois, {frame, std::move(message)});
}

int JackTestClient::xrun(void *data) {
  static_cast<JackTestClient *>(data)->xruns_.fetch_add(1);
  return 0;
}

int JackTestClient::process(jack_nframes_t frames, void *data) {
  auto &self = *static_cast<JackTestClient *>(data);
  const int64_t wakeNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count();
  const uint64_t first = jack_last_frame_time(self.client_);
  const double nsPerFrame = 1e9 / jack_get_sample_rate(self.client_);
  {
    std::lock_guard guard(self.lock_);
    if (self.input_) {
      void *buffer = jack_port_get_buffer(self.input_, frames);
      const uint32_t count = jack_midi_get_event_count(buffer);
      for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0)
          self.received_.push_back(
              {Bytes(event.buffer, event.buffer + event.size), first + event.time,
               wakeNs + static_cast<int64_t>(event.time * nsPerFrame), event.time});
      }
    }
    if (self.output_) {
      void *buffer = jack_port_get_buffer(self.output_, frames);
      jack_midi_clear_buffer(buffer);
      // A few per cycle, each at its own frame, so that a cycle never runs out of room.
      jack_nframes_t frame = 0;
      for (; frame < 32 && !self.pending_.empty(); ++frame) {
        const Bytes &message = self.pending_.front();
        if (jack_midi_event_write(buffer, frame, message.data(), message.size()) != 0) break;
        self.pending_.pop_front();
        self.lastWriteCycle_ = self.cycle_;
      }
      // Events of a cycle go in frame order, after those written above.
      uint64_t ultimo = frame;
      while (!self.timed_.empty() && self.timed_.front().first < first + frames) {
        const auto &[frame, message] = self.timed_.front();
        if (frame < first) self.lateTimed_.fetch_add(1);
        const uint64_t offset = std::max(frame < first ? 0 : frame - first, ultimo);
        if (jack_midi_event_write(buffer, static_cast<jack_nframes_t>(offset), message.data(),
                                  message.size()) != 0)
          break;
        ultimo = offset;
        self.timed_.pop_front();
        self.lastWriteCycle_ = self.cycle_;
      }
    }
    ++self.cycle_;
  }
  self.changed_.notify_all();
  return 0;
}

}  // namespace kovrinta::test
