// A JACK client of the tests with a MIDI input port, a MIDI output port, or both: it records
// every message that reaches its input with the frame it arrived at, and writes what the
// test queues to its output. Shared by every test that sees what a JACK port carries.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace kovrinta::test {

class JackTestClient {
 public:
  using Bytes = std::vector<uint8_t>;
  struct Received {
    Bytes bytes;
    // Frames since the server started: the cycle's first frame plus the message's offset.
    uint64_t frame;
    // When the cycle woke on the monotonic clock, plus the message's offset at the sample
    // rate, in nanoseconds: the frame counter of a dummy server loses the time of every cycle
    // it ran late, this does not.
    int64_t wallNs;
    // Offset of the message within its cycle.
    uint32_t offset;
  };

  // Opens client name exactly on the server JACK_DEFAULT_SERVER names (never starts one),
  // with ports "in" and "out" as asked. ready() tells whether it worked.
  JackTestClient(const std::string &name, bool withInput, bool withOutput);
  ~JackTestClient();

  bool ready() const { return client_ != nullptr; }
  jack_client_t *handle() const { return client_; }
  std::string inputName() const;
  std::string outputName() const;
  uint32_t sampleRate() const;
  uint32_t period() const;

  // Ends the client; its ports vanish from the graph.
  void close();

  // Queues a message for the output port; it goes out in one of the next cycles.
  void send(Bytes message);
  // Queues a message for the output port at frame on the server's counter, which must lie
  // ahead; messages go out in frame order. One whose frame had passed goes out at the start
  // of the next cycle and is counted in lateTimed().
  void sendAtFrame(Bytes message, uint64_t frame);
  uint64_t lateTimed() const { return lateTimed_; }

  // Waits up to timeout until count messages have arrived.
  bool waitForReceived(std::size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Waits until everything queued has been written and `cycles` more cycles have run, so
  // that every client downstream has processed it (the server runs synchronously).
  bool waitForCyclesAfterSend(uint64_t cycles);
  // Waits until `cycles` more cycles have run.
  bool waitForCycles(uint64_t cycles);

  std::vector<Bytes> received() const;
  // Cycles the server ran late (xruns) since the client opened.
  uint64_t xruns() const { return xruns_; }
  std::vector<Received> receivedWithFrames() const;

 private:
  static int process(jack_nframes_t frames, void *data);
  static int xrun(void *data);

  jack_client_t *client_ = nullptr;
  jack_port_t *input_ = nullptr;
  jack_port_t *output_ = nullptr;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Received> received_;
  std::deque<Bytes> pending_;
  std::deque<std::pair<uint64_t, Bytes>> timed_;
  std::atomic<uint64_t> lateTimed_{0};
  uint64_t cycle_ = 0;
  uint64_t lastWriteCycle_ = 0;
  std::atomic<uint64_t> xruns_{0};
};

}  // namespace kovrinta::test
