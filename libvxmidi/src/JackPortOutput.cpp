#include "JackPortOutput.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "Agenda.h"
#include "CycleClock.h"
#include "JackClose.h"
#include "JackPortWatch.h"
#include "NotifyRelay.h"
#include "OpenFailure.h"
#include "SpscQueue.h"
#include "SystemQuiet.h"

namespace vx {

namespace {

constexpr const char *kClientName = "Kovrinta";
constexpr const char *kPortName = "midi_out";

// Puts the process thread has not taken yet, and messages it holds for a later cycle: a
// burst of a whole song's start fits, and a full queue is reported, not lost.
constexpr std::size_t kQueueSize = 4096;

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

// A hit of a JACK input: its frame on the server's frame counter and its bytes.
struct FrameHit {
  jack_nframes_t frame = 0;
  uint8_t length = 0;
  uint8_t bytes[3] = {};
};

struct JackPortOutput::Impl {
  explicit Impl(std::unique_ptr<Notifier> given)
      : notifier(given ? std::move(given) : std::make_unique<Notifier>(nullptr)),
        relay(*notifier, VX_NOTIFY_OUT_ROOM) {}

  static int process(jack_nframes_t frames, void *data) {
    static_cast<Impl *>(data)->cycle(frames);
    return 0;
  }
  void cycle(jack_nframes_t frames);

  std::unique_ptr<Notifier> notifier;
  // The destination port, watched so that its going away is told to the program.
  std::unique_ptr<JackPortWatch> watch;
  NotifyRelay relay;
  jack_client_t *client = nullptr;
  jack_port_t *port = nullptr;

  // Producer side: the entry lock's holder.
  SpscQueue<Scheduled, kQueueSize> queue;
  // Hits of the input that plays here, from its own thread: a second producer. Those of a
  // JACK input go by their frame on the server's counter, the others by their moment.
  SpscQueue<Scheduled, 256> hits;
  SpscQueue<FrameHit, 256> frameHits;
  uint64_t sequence = 0;
  uint32_t generation = 0;
  std::atomic<uint32_t> flushes{0};
  std::atomic<bool> foundFull{false};
  // Messages put and not yet written or dropped, in the queue or in the agenda; and cycles
  // run, so that a close can wait for both.
  std::atomic<int64_t> unsent{0};
  std::atomic<uint64_t> cycles{0};
  // Set by the first cycle whose graph holds the port's connection: written before it, a
  // message would go nowhere.
  std::atomic<bool> linked{false};
  // Stamped messages put up to this sequence number are dropped (a reset).
  std::atomic<uint64_t> stampedDropped{0};

  // Process thread only.
  Agenda<kQueueSize> agenda;
  CycleClock clock{48000};
  std::atomic<uint64_t> late{0};
  std::atomic<int64_t> periodNs{0};
};

// Takes what was put, drops what was flushed or silenced since, then writes every message
// whose frame falls in this cycle, in order; what falls later waits in the agenda.
void JackPortOutput::Impl::cycle(jack_nframes_t frames) {
  // The cycle's frames on the monotonic clock, from the moments the callback wakes (JACK's
  // own cycle times, filtered from the same wake-ups, stray by milliseconds after a stall).
  clock.cycle(nowNs(), frames);
  void *buffer = jack_port_get_buffer(port, frames);
  jack_midi_clear_buffer(buffer);
  // On the process thread this reads the graph of this cycle without waiting.
  if (!linked.load(std::memory_order_relaxed)) {
    if (jack_port_connected(port) <= 0) {
      cycles.fetch_add(1, std::memory_order_release);
      return;
    }
    linked.store(true, std::memory_order_release);
  }
  const double cycleNs = frames * clock.nsPerFrame();
  periodNs.store(static_cast<int64_t>(cycleNs), std::memory_order_relaxed);

  const uint32_t current = flushes.load(std::memory_order_acquire);
  int64_t done = 0;
  while (!agenda.full()) {
    const Scheduled *entry = queue.front();
    if (!entry) break;
    Scheduled taken = *entry;
    queue.pop();
    if (taken.flushedBy(current)) {
      ++done;
      continue;
    }
    if (taken.noteOffKey() >= 0 && !taken.stamped) done += agenda.cancelNoteOns(taken);
    agenda.insert(taken);
  }
  while (!agenda.full()) {
    const Scheduled *entry = hits.front();
    if (!entry) break;
    agenda.insert(*entry);
    hits.pop();
  }
  done += agenda.dropFlushed(current);
  done += agenda.dropStamped(stampedDropped.load(std::memory_order_acquire));

  // The agenda's messages and the hits of a JACK input, merged by frame.
  const jack_nframes_t cycleStart = jack_last_frame_time(client);
  constexpr int64_t none = std::numeric_limits<int64_t>::max();
  int64_t lastFrame = 0;
  while (true) {
    int64_t agendaFrame = none;
    if (!agenda.empty()) {
      const Scheduled &next = agenda.front();
      // A message put at a moment goes out one period later, in the cycle whose processing
      // follows that moment: every stamped message waits exactly one period behind its moment.
      const int64_t frame =
          next.stamped ? static_cast<int64_t>(std::floor(clock.frameOffset(next.dueNs) + frames))
                       : 0;
      if (frame < static_cast<int64_t>(frames)) agendaFrame = frame;
    }
    int64_t hitFrame = none;
    if (const FrameHit *hit = frameHits.front()) {
      // One period after its frame on the server's counter, whichever of the two clients ran
      // first in its cycle; the counter wraps, the difference does not.
      const auto frame = static_cast<int32_t>(hit->frame + frames - cycleStart);
      if (frame < static_cast<int64_t>(frames)) hitFrame = frame;
    }
    if (agendaFrame == none && hitFrame == none) break;
    const bool isHit = hitFrame < agendaFrame;
    int64_t frame = isHit ? hitFrame : agendaFrame;
    if (frame < 0) {
      late.fetch_add(1, std::memory_order_relaxed);
      frame = 0;
    }
    frame = std::max(frame, lastFrame);
    const uint8_t *bytes = isHit ? frameHits.front()->bytes : agenda.front().bytes;
    const uint8_t length = isHit ? frameHits.front()->length : agenda.front().length;
    if (jack_midi_event_write(buffer, static_cast<jack_nframes_t>(frame), bytes, length) != 0)
      break;  // the port's buffer is full: the rest goes in the next cycle
    lastFrame = frame;
    if (isHit)
      frameHits.pop();
    else
      agenda.popFront();
    ++done;
  }
  unsent.fetch_sub(done, std::memory_order_release);
  cycles.fetch_add(1, std::memory_order_release);

  if (foundFull.load(std::memory_order_acquire) && queue.size() < kQueueSize / 2) {
    foundFull.store(false, std::memory_order_release);
    relay.signal();
  }
}

JackPortOutput::JackPortOutput(const DeviceInfo &device, std::unique_ptr<Notifier> notifier)
    : impl_(std::make_unique<Impl>(std::move(notifier))) {
  silenceJack();
  jack_status_t status{};
  impl_->client = jack_client_open(kClientName, JackNoStartServer, &status);
  if (!impl_->client) throw OpenFailure(VX_OPEN_PORT_GONE, "no JACK server answers");
  auto fail = [&](uint32_t code, const std::string &why) {
    closeJackClient(impl_->client);
    impl_->client = nullptr;
    throw OpenFailure(code, why);
  };
  if (!jack_port_by_name(impl_->client, device.portName.c_str()))
    fail(VX_OPEN_PORT_GONE, "MIDI port is gone: " + device.portName);
  impl_->port =
      jack_port_register(impl_->client, kPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (!impl_->port) fail(VX_OPEN_PORT_REFUSED, "cannot make a JACK MIDI port");
  // Read by the process thread from its first cycle on.
  impl_->clock = CycleClock(jack_get_sample_rate(impl_->client));
  impl_->periodNs.store(static_cast<int64_t>(jack_get_buffer_size(impl_->client) * 1e9 /
                                             jack_get_sample_rate(impl_->client)));
  jack_set_process_callback(impl_->client, &Impl::process, impl_.get());
  // The server stopped or was killed: JACK's own thread says so, and the program is told.
  jack_on_shutdown(
      impl_->client,
      [](void *impl) { static_cast<Impl *>(impl)->notifier->notify(VX_NOTIFY_DEVICE_LOST); },
      impl_.get());
  impl_->watch = std::make_unique<JackPortWatch>(
      device.portName, [impl = impl_.get()] { impl->notifier->notify(VX_NOTIFY_DEVICE_LOST); });
  impl_->watch->attach(impl_->client);
  if (jack_activate(impl_->client) != 0) fail(VX_OPEN_PORT_REFUSED, "cannot start the client");
  const int connected =
      jack_connect(impl_->client, jack_port_name(impl_->port), device.portName.c_str());
  if (connected != 0 && connected != EEXIST)
    fail(VX_OPEN_PORT_REFUSED, "cannot connect to MIDI port " + device.portName);
  // The first messages of a song (its volumes, its programs) must reach the port: the device
  // is open once a cycle runs with the connection, which takes a graph change of the server.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!impl_->linked.load(std::memory_order_acquire) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  // A server that never shows it still gets the messages, rather than a queue that fills.
  impl_->linked.store(true, std::memory_order_release);
}

// The messages not yet written (the reset of a close, the last ones of a song) still go out:
// the client stays until the process thread has written them, two cycles more so that the
// clients downstream have taken them, or a second has passed.
JackPortOutput::~JackPortOutput() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  const auto nap = std::chrono::nanoseconds(std::max<int64_t>(impl_->periodNs.load() / 4, 100000));
  while (impl_->unsent.load(std::memory_order_acquire) > 0 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(nap);
  const uint64_t written = impl_->cycles.load(std::memory_order_acquire);
  while (impl_->cycles.load(std::memory_order_acquire) < written + 2 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(nap);
  impl_->notifier->disarm();
  // A close that hangs may still have the process thread reach what it was given: that is
  // left to it.
  if (!closeJackClient(impl_->client)) abandonar(impl_.release());
}

bool JackPortOutput::send(const uint8_t *bytes, std::size_t length, int64_t dueNs) {
  return queue(bytes, length, dueNs, Scheduled::Kind::Message);
}

void JackPortOutput::sendReset(const uint8_t *bytes, std::size_t length) {
  queue(bytes, length, 0, Scheduled::Kind::Reset);
}

bool JackPortOutput::queue(const uint8_t *bytes, std::size_t length, int64_t dueNs,
                           Scheduled::Kind kind) {
  Scheduled entry;
  entry.kind = kind;
  // A message put at once counts as put now, so that it goes before stamped ones due later.
  entry.stamped = dueNs != 0;
  entry.dueNs = entry.stamped ? dueNs : nowNs();
  entry.sequence = ++impl_->sequence;
  entry.generation = impl_->generation;
  entry.length = static_cast<uint8_t>(std::min<std::size_t>(length, 3));
  std::memcpy(entry.bytes, bytes, entry.length);
  if (impl_->queue.push(entry)) {
    impl_->unsent.fetch_add(1, std::memory_order_release);
    return true;
  }
  impl_->foundFull.store(true, std::memory_order_release);
  return false;
}

// A hit is written at its frame one period after it arrived, as a stamped message is, so that
// every hit waits the same.
bool JackPortOutput::takeHit(const uint8_t *bytes, std::size_t length, int64_t ns,
                             int64_t jackFrame) {
  if (jackFrame >= 0) {
    FrameHit hit;
    hit.frame = static_cast<jack_nframes_t>(jackFrame);
    hit.length = static_cast<uint8_t>(std::min<std::size_t>(length, 3));
    std::memcpy(hit.bytes, bytes, hit.length);
    if (!impl_->frameHits.push(hit)) return false;
    impl_->unsent.fetch_add(1, std::memory_order_release);
    return true;
  }
  Scheduled entry;
  entry.kind = Scheduled::Kind::Message;
  entry.stamped = true;
  entry.dueNs = ns;
  // After every put of the same moment; never dropped by a reset's count of puts.
  entry.sequence = std::numeric_limits<uint64_t>::max();
  entry.generation = impl_->flushes.load(std::memory_order_acquire);
  entry.length = static_cast<uint8_t>(std::min<std::size_t>(length, 3));
  std::memcpy(entry.bytes, bytes, entry.length);
  if (!impl_->hits.push(entry)) return false;
  impl_->unsent.fetch_add(1, std::memory_order_release);
  return true;
}

void JackPortOutput::dropStamped() {
  impl_->stampedDropped.store(impl_->sequence, std::memory_order_release);
}

void JackPortOutput::flush() {
  impl_->generation = impl_->flushes.fetch_add(1, std::memory_order_release) + 1;
}

uint64_t JackPortOutput::lateMessages() const {
  return lateAtPut_ + impl_->late.load(std::memory_order_relaxed);
}

int64_t JackPortOutput::latencyNs() const {
  return impl_->periodNs.load(std::memory_order_relaxed);
}

}  // namespace vx
