// The library's MIDI ports on a real JACK server, through the C entry points: our output
// into a test client's input, a test client's output into our input, and the device lists
// around them.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "JackServer.h"
#include "JackTestClient.h"
#include "VxMidi.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// Every wait of these tests ends by this time; reaching it is a failure, not a slow pass.
constexpr auto kDeadline = 10s;

using TestClient = kovrinta::test::JackTestClient;

// A notification sink that records its calls.
class SinkRecorder {
 public:
  VxNotifySink sink() { return {&SinkRecorder::notify, this}; }

  bool waitForCalls(std::size_t count) {
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, kDeadline, [&] { return calls_.size() >= count; });
  }

  std::vector<std::pair<uint32_t, uint32_t>> calls() const {
    std::lock_guard guard(lock_);
    return calls_;
  }
  // Calls made from a real-time thread (JACK's process thread runs as one), where the program's
  // sink, which allocates and locks, must never run.
  std::size_t realtimeCalls() const {
    std::lock_guard guard(lock_);
    return realtime_;
  }

 private:
  static void notify(void *context, uint32_t message, uint32_t handle) {
    auto &self = *static_cast<SinkRecorder *>(context);
    const int policy = sched_getscheduler(0);
    {
      std::lock_guard guard(self.lock_);
      self.calls_.emplace_back(message, handle);
      if (policy == SCHED_FIFO || policy == SCHED_RR) ++self.realtime_;
    }
    self.changed_.notify_all();
  }

  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::pair<uint32_t, uint32_t>> calls_;
  std::size_t realtime_ = 0;
};

// Closes an output or input handle at the end of a test, also when an assertion ends it.
template <void (*Close)(uint32_t)>
struct Handle {
  uint32_t value;
  ~Handle() {
    if (value > VX_HANDLE_FAILED_MAX) Close(value);
  }
};
using OutHandle = Handle<CloseMidiOut>;
using InHandle = Handle<CloseMidiIn>;

std::vector<std::string> outputDescriptions() {
  std::vector<std::string> list(GetNumOutDevices());
  for (uint32_t i = 0; i < list.size(); ++i) {
    char text[VX_DESCRIPTION_SIZE];
    GetMidiOutDescription(i, text);
    list[i] = text;
  }
  return list;
}

std::vector<std::string> inputDescriptions() {
  std::vector<std::string> list(GetNumInDevices());
  for (uint32_t i = 0; i < list.size(); ++i) {
    char text[VX_DESCRIPTION_SIZE];
    GetMidiInDescription(i, text);
    list[i] = text;
  }
  return list;
}

std::optional<uint16_t> indexOf(const std::vector<std::string> &list, const std::string &text) {
  const auto it = std::find(list.begin(), list.end(), text);
  if (it == list.end()) return std::nullopt;
  return static_cast<uint16_t>(it - list.begin());
}

bool startsWith(const std::string &text, const std::string &prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string hex(const Bytes &bytes) {
  std::string text;
  char byte[4];
  for (uint8_t b : bytes) {
    std::snprintf(byte, sizeof byte, "%02X ", b);
    text += byte;
  }
  return text;
}

// Reports the first place where two message streams part.
::testing::AssertionResult sameMessages(const std::vector<Bytes> &expected,
                                        const std::vector<Bytes> &actual) {
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common; ++i)
    if (expected[i] != actual[i])
      return ::testing::AssertionFailure()
             << "message " << i << ": expected " << hex(expected[i]) << "got " << hex(actual[i]);
  if (expected.size() != actual.size())
    return ::testing::AssertionFailure()
           << "expected " << expected.size() << " messages, got " << actual.size();
  return ::testing::AssertionSuccess();
}

VxMidiEvent eventOf(const Bytes &message) {
  VxMidiEvent event{};
  event.status = message[0];
  // What a short message does not use carries noise, which must not be sent.
  event.data1 = message.size() > 1 ? message[1] : 0x55;
  event.data2 = message.size() > 2 ? message[2] : 0x55;
  event.data3 = 0x55;
  return event;
}

class JackPortsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<kovrinta::test::JackServer>(); }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override { KOVRINTA_REQUIRE_JACK(*server_); }

  static std::unique_ptr<kovrinta::test::JackServer> server_;
};

std::unique_ptr<kovrinta::test::JackServer> JackPortsTest::server_;

// No pacing: 1,000 three-byte messages take 7,000 bytes of RtMidi's 16 KiB ring (four bytes
// of length before each message), and JACK's MIDI port buffer (32 KiB, 12 bytes an event)
// holds 2,727 of them in one cycle, so all of them fit even if they land in a single one.
TEST_F(JackPortsTest, PutMidiOutDeliversThousandMessagesToJackPortInOrder) {
  TestClient client("vxtest-sink", true, false);
  ASSERT_TRUE(client.ready());
  const auto device = indexOf(outputDescriptions(), "JACK " + client.inputName());
  ASSERT_TRUE(device) << "JACK " << client.inputName() << " is not in the output list";
  OutHandle out{OpenMidiOut(nullptr, *device, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);

  std::mt19937 random(20240611);
  auto below = [&](int n) { return static_cast<uint8_t>(random() % n); };
  std::vector<Bytes> sent;
  std::size_t twoByte = 0;
  for (int i = 0; i < 1000; ++i) {
    const uint8_t channel = below(16);
    switch (below(6)) {
      case 0:
        sent.push_back({static_cast<uint8_t>(0x90 | channel), below(128),
                        static_cast<uint8_t>(1 + below(127))});
        break;
      case 1:
        sent.push_back({static_cast<uint8_t>(0x90 | channel), below(128), 0});
        break;
      case 2:
        sent.push_back({static_cast<uint8_t>(0xB0 | channel), below(120), below(128)});
        break;
      case 3:
        sent.push_back({static_cast<uint8_t>(0xC0 | channel), below(128)});
        break;
      case 4:
        sent.push_back({static_cast<uint8_t>(0xD0 | channel), below(128)});
        break;
      default:
        sent.push_back({static_cast<uint8_t>(0xE0 | channel), below(128), below(128)});
        break;
    }
    if (sent.back().size() == 2) ++twoByte;
    const VxMidiEvent event = eventOf(sent.back());
    ASSERT_EQ(PutMidiOut(out.value, &event), VX_OK) << "message " << i;
  }
  ASSERT_GT(twoByte, 0u);

  EXPECT_TRUE(client.waitForReceived(sent.size()));
  EXPECT_TRUE(sameMessages(sent, client.received()));
}

TEST_F(JackPortsTest, JackPortMessagesReachGetMidiInWithNotifications) {
  TestClient client("vxtest-source", false, true);
  ASSERT_TRUE(client.ready());
  const auto device = indexOf(inputDescriptions(), "JACK " + client.outputName());
  ASSERT_TRUE(device) << "JACK " << client.outputName() << " is not in the input list";
  SinkRecorder recorder;
  const VxNotifySink sink = recorder.sink();
  InHandle in{OpenMidiIn(&sink, *device, 0, 0)};
  ASSERT_GT(in.value, VX_HANDLE_FAILED_MAX);
  StartMidiIn(in.value);
  // A new connection joins the server's graph at the start of a cycle, which a busy server
  // may put off: messages written before it would be lost on the way.
  ASSERT_TRUE(client.waitForCycles(4));

  const std::vector<Bytes> sent = {{0x99, 36, 100},
                                   {0xFE},
                                   {0xF8},
                                   {0xC5, 12},
                                   {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7},
                                   {0xB1, 7, 99},
                                   {0xD2, 64},
                                   {0xF8},
                                   {0xE3, 0x00, 0x40},
                                   {0x89, 36, 0},
                                   {0xFE},
                                   {0x99, 42, 1}};
  // Sysex and timing clock are not delivered; active sensing is.
  std::vector<Bytes> expected;
  for (const Bytes &message : sent) {
    client.send(message);
    if (message[0] != 0xF0 && message[0] != 0xF8) expected.push_back(message);
  }

  ASSERT_TRUE(recorder.waitForCalls(expected.size()));
  std::vector<Bytes> taken;
  std::optional<uint32_t> firstTime;
  while (const VxMidiEvent *event = GetMidiIn(in.value)) {
    if (!firstTime) firstTime = event->time;
    Bytes message = {event->status, event->data1, event->data2};
    // The record carries zeros past the message; compare the bytes the status calls for.
    const std::size_t length = event->status >= 0xF0 ? 1 : (event->status & 0xE0) == 0xC0 ? 2 : 3;
    for (std::size_t i = length; i < 3; ++i) EXPECT_EQ(message[i], 0) << hex(message);
    message.resize(length);
    taken.push_back(message);
  }
  EXPECT_TRUE(sameMessages(expected, taken));
  EXPECT_EQ(firstTime, 0u);

  const auto calls = recorder.calls();
  EXPECT_EQ(calls.size(), expected.size());
  EXPECT_EQ(recorder.realtimeCalls(), 0u) << "the sink ran on JACK's real-time thread";
  for (const auto &[message, handle] : calls) {
    EXPECT_EQ(message, VX_NOTIFY_MIDI_IN_DATA);
    EXPECT_EQ(handle, in.value);
  }
}

// A drummer's module through a JACK port into a sound module on another: every hit is played
// as the map says, whatever the module sends around it, and reaches the program with the note
// it sounded as.
TEST_F(JackPortsTest, HitsOfAJackInputPlayOnAJackPortAsTheMapSays) {
  TestClient kit("vxtest-kit", false, true);
  TestClient module("vxtest-module", true, false);
  ASSERT_TRUE(kit.ready() && module.ready());
  const auto output = indexOf(outputDescriptions(), "JACK " + module.inputName());
  const auto input = indexOf(inputDescriptions(), "JACK " + kit.outputName());
  ASSERT_TRUE(output && input);
  OutHandle out{OpenMidiOut(nullptr, *output, 0, 0)};
  InHandle in{OpenMidiIn(nullptr, *input, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);
  ASSERT_GT(in.value, VX_HANDLE_FAILED_MAX);
  StartMidiIn(in.value);
  VxMidiThru thru{};
  std::fill(std::begin(thru.note), std::end(thru.note), VX_THRU_NONE);
  thru.note[38] = 38;
  thru.note[22] = 42;
  thru.hat[22] = 1;
  thru.closedHatNote = 42;
  thru.openHatNote = 46;
  thru.channel = 9;
  thru.minVelocity = 8;
  thru.closedFrom = 64;
  ASSERT_EQ(VxSetMidiInThru(in.value, out.value, &thru), VX_OK);
  // A second input may not play on the same output.
  InHandle other{OpenMidiIn(nullptr, *input, 0, 0)};
  EXPECT_EQ(VxSetMidiInThru(other.value, out.value, &thru), VX_REFUSED);

  // Packets a cycle or more apart: hits of one pad closer than 10 ms are one hit. Running
  // status goes on across packets until a system common message ends it.
  const std::vector<std::vector<Bytes>> packets = {
      {{0xF0, 0x41, 0x10, 0x42, 0xF7}, {0x90, 22, 100}, {0xF8}},
      {{0xB0, 4, 0}, {0x93, 22, 90}},
      {{0x90, 38, 5}, {0xFE}, {38, 80}},
      {{0xF3, 1}, {0x33, 0x44}}};
  for (const auto &packet : packets) {
    for (const Bytes &message : packet) kit.send(message);
    ASSERT_TRUE(kit.waitForCyclesAfterSend(8));
  }
  ASSERT_TRUE(module.waitForReceived(3));
  EXPECT_TRUE(sameMessages({{0x99, 42, 100}, {0x99, 46, 90}, {0x99, 38, 80}}, module.received()));
  std::vector<Bytes> delivered;
  while (const VxMidiEvent *event = GetMidiIn(in.value))
    if ((event->status & 0xF0) == 0x90) delivered.push_back({event->data1, event->data3});
  EXPECT_EQ(delivered, (std::vector<Bytes>{{22, 42}, {22, 46}, {38, 38}}));
  EXPECT_GT(VxGetMidiInNs(in.value), 0);

  // Closing the output lets the input go: it plays nowhere, and may play on another.
  CloseMidiOut(out.value);
  out.value = 0;
  EXPECT_EQ(VxSetMidiInThru(other.value, 0, &thru), VX_OK);
}

TEST_F(JackPortsTest, JackInputQueuesOnlyBetweenStartAndStop) {
  TestClient client("vxtest-gate", false, true);
  ASSERT_TRUE(client.ready());
  const auto device = indexOf(inputDescriptions(), "JACK " + client.outputName());
  ASSERT_TRUE(device);
  SinkRecorder recorder;
  const VxNotifySink sink = recorder.sink();
  InHandle in{OpenMidiIn(&sink, *device, 0, 0)};
  ASSERT_GT(in.value, VX_HANDLE_FAILED_MAX);

  // Each message that must be ignored is given cycles to arrive before the state changes.
  client.send({0x90, 1, 1});
  ASSERT_TRUE(client.waitForCyclesAfterSend(2));
  StartMidiIn(in.value);
  client.send({0x90, 2, 2});
  ASSERT_TRUE(recorder.waitForCalls(1));
  StopMidiIn(in.value);
  client.send({0x90, 3, 3});
  ASSERT_TRUE(client.waitForCyclesAfterSend(2));
  StartMidiIn(in.value);
  client.send({0x90, 4, 4});
  ASSERT_TRUE(recorder.waitForCalls(2));

  std::vector<Bytes> taken;
  while (const VxMidiEvent *event = GetMidiIn(in.value))
    taken.push_back({event->status, event->data1, event->data2});
  EXPECT_TRUE(sameMessages({{0x90, 2, 2}, {0x90, 4, 4}}, taken));
  EXPECT_EQ(recorder.calls().size(), 2u);
}

TEST_F(JackPortsTest, ResetMidiOutEndsSoundingNotesOnJackPort) {
  TestClient client("vxtest-reset", true, false);
  ASSERT_TRUE(client.ready());
  const auto device = indexOf(outputDescriptions(), "JACK " + client.inputName());
  ASSERT_TRUE(device);
  OutHandle out{OpenMidiOut(nullptr, *device, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);

  // Left sounding: channel 1 keys 36 and 40, channel 10 key 42. Ended before the reset:
  // channel 10 key 38 (note off) and channel 4 key 50 (note on with velocity 0).
  const std::vector<Bytes> played = {{0x90, 36, 100}, {0x99, 42, 90}, {0x99, 38, 80}, {0x89, 38, 0},
                                     {0x93, 50, 70},  {0x93, 50, 0},  {0x90, 40, 10}};
  for (const Bytes &message : played) {
    const VxMidiEvent event = eventOf(message);
    ASSERT_EQ(PutMidiOut(out.value, &event), VX_OK);
  }
  ResetMidiOut(out.value);

  std::vector<Bytes> expected = played;
  expected.insert(expected.end(), {{0x90, 36, 0}, {0x90, 40, 0}, {0x99, 42, 0}});
  for (uint8_t channel = 0; channel < 16; ++channel)
    for (uint8_t controller : {120, 123, 121})
      expected.push_back({static_cast<uint8_t>(0xB0 | channel), controller, 0});
  EXPECT_TRUE(client.waitForReceived(expected.size()));
  EXPECT_TRUE(sameMessages(expected, client.received()));
}

int64_t steadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Messages stamped ahead with the moments of a 120 BPM tick grid (7.8125 ms) arrive in order,
// each at the frame of its own moment within the cycle, not at a cycle's start: the frames
// between them are the stamps' distances. How close (sample-exact here) is a figure of bench/.
TEST_F(JackPortsTest, StampedMessagesArriveInOrderAtTheFramesOfTheirMoments) {
  TestClient client("vxtest-stamps", true, false);
  ASSERT_TRUE(client.ready());
  const auto device = indexOf(outputDescriptions(), "JACK " + client.inputName());
  ASSERT_TRUE(device);
  OutHandle out{OpenMidiOut(nullptr, *device, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);

  constexpr int kTicks = 200;
  constexpr int64_t kTickNs = 7'812'500;
  const int64_t first = steadyNs() + 50'000'000;
  std::vector<Bytes> sent;
  for (int k = 0; k < kTicks; ++k) {
    sent.push_back({0x99, static_cast<uint8_t>(35 + k % 20), static_cast<uint8_t>(1 + k % 127)});
    const VxMidiEvent event = eventOf(sent.back());
    ASSERT_EQ(VxPutMidiOutAt(out.value, &event, first + k * kTickNs), VX_OK);
  }
  ASSERT_TRUE(client.waitForReceived(sent.size()));
  const auto received = client.receivedWithFrames();
  std::vector<Bytes> bytes;
  for (const auto &r : received) bytes.push_back(r.bytes);
  EXPECT_TRUE(sameMessages(sent, bytes));
  // Each message arrives its stamp plus one constant delay later: the spread of the delays
  // stays within a period (a cycle that wakes late moves its messages by that much).
  std::vector<double> delays;
  std::size_t offCycleStart = 0;
  for (std::size_t k = 0; k < received.size(); ++k) {
    delays.push_back((received[k].wallNs - (first + int64_t(k) * kTickNs)) / 1e6);
    if (received[k].offset != 0) ++offCycleStart;
  }
  std::sort(delays.begin(), delays.end());
  const double periodMs = client.period() * 1e3 / client.sampleRate();
  EXPECT_LT(delays[delays.size() * 9 / 10] - delays[delays.size() / 10], periodMs)
      << "delays from " << delays.front() << " to " << delays.back() << " ms";
  EXPECT_GT(offCycleStart, received.size() / 2) << "messages were written at cycle starts";
  // Only a cycle that runs late (an xrun of a loaded machine) comes after a moment.
  EXPECT_LT(VxGetMidiOutLate(out.value), sent.size() / 4);
}

// While stamped messages wait for their moments, one put at once leaves at once, a note-off
// put at once keeps a stamped note-on of its key from sounding after it, a stamp already past
// leaves at once and is counted, and a reset drops what still waits.
TEST_F(JackPortsTest, ImmediateMessagesGoAheadOfStampedOnesAndAResetDropsTheWaitingOnes) {
  TestClient client("vxtest-mixed", true, false);
  ASSERT_TRUE(client.ready());
  const auto device = indexOf(outputDescriptions(), "JACK " + client.inputName());
  ASSERT_TRUE(device);
  OutHandle out{OpenMidiOut(nullptr, *device, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);
  const auto put = [&](const Bytes &message, int64_t due) {
    const VxMidiEvent event = eventOf(message);
    return VxPutMidiOutAt(out.value, &event, due);
  };
  const int64_t soon = steadyNs() + 2'000'000'000;
  ASSERT_EQ(put({0x92, 60, 90}, soon), VX_OK);  // a song's note, stamped
  ASSERT_EQ(put({0x99, 38, 127}, 0), VX_OK);    // the keyboard: at once
  ASSERT_EQ(put({0x92, 60, 0}, 0), VX_OK);      // its track switched off: at once
  ASSERT_EQ(put({0x99, 36, 127}, steadyNs() - 5'000'000), VX_OK);  // already past
  ASSERT_TRUE(client.waitForReceived(3, std::chrono::milliseconds(1500)))
      << "the immediate messages waited for the stamped one";
  EXPECT_TRUE(sameMessages({{0x99, 38, 127}, {0x92, 60, 0}, {0x99, 36, 127}}, client.received()));
  EXPECT_EQ(VxGetMidiOutLate(out.value), 1u);

  ASSERT_EQ(put({0x93, 64, 90}, steadyNs() + 200'000'000), VX_OK);
  ResetMidiOut(out.value);
  // The reset ends the notes left on (and the stamped one, which might have gone out).
  ASSERT_TRUE(client.waitForReceived(3 + 3 + 48));
  std::this_thread::sleep_until(
      std::chrono::steady_clock::time_point(std::chrono::nanoseconds(soon)) + 200ms);
  const auto all = client.received();
  EXPECT_EQ(all.size(), 3u + 3 + 48) << "a stamped message sounded after the reset";
  EXPECT_EQ(all[3], (Bytes{0x93, 64, 0}));
  EXPECT_EQ(std::count(all.begin(), all.end(), Bytes{0x92, 60, 90}), 0);
  EXPECT_EQ(std::count(all.begin(), all.end(), Bytes{0x93, 64, 90}), 0);
}

TEST_F(JackPortsTest, AFlushRightAfterOpeningKeepsWhatWasPutAtOnceAndDropsTheStampedOnes) {
  TestClient client("vxtest-flush", true, false);
  ASSERT_TRUE(client.ready());
  const auto device = indexOf(outputDescriptions(), "JACK " + client.inputName());
  ASSERT_TRUE(device);
  OutHandle out{OpenMidiOut(nullptr, *device, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);
  // The window's volume on every channel, then a song loads: its reset and flush come before
  // any cycle may have taken the volumes.
  std::vector<Bytes> volumes;
  for (uint8_t channel = 0; channel < 16; ++channel) {
    volumes.push_back({static_cast<uint8_t>(0xB0 | channel), 7, 101});
    const VxMidiEvent event = eventOf(volumes.back());
    ASSERT_EQ(PutMidiOut(out.value, &event), VX_OK);
  }
  const VxMidiEvent stamped = eventOf({0x99, 38, 127});
  ASSERT_EQ(VxPutMidiOutAt(out.value, &stamped, steadyNs() + 300'000'000), VX_OK);
  FlushMidiOut(out.value);
  ASSERT_TRUE(client.waitForReceived(16, std::chrono::milliseconds(1500)))
      << "the volumes were lost";
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(sameMessages(volumes, client.received()));
}

TEST_F(JackPortsTest, JackDeviceListsLeaveOutOwnPortsAndFitDescriptions) {
  TestClient client("vxtest-lists", true, true);
  ASSERT_TRUE(client.ready());
  // Names that do not fit: one cut in ASCII, one where the cut would split a two-byte
  // character (the "é" takes bytes 30 and 31 of "JACK " + name).
  const std::string longName = "vxtest-a-client-with-a-long-name";
  const std::string accentName = std::string(25, 'a') + "\xC3\xA9x";
  TestClient longClient(longName, true, false);
  TestClient accentClient(accentName, true, false);
  ASSERT_TRUE(longClient.ready());
  ASSERT_TRUE(accentClient.ready());

  auto outputs = outputDescriptions();
  auto inputs = inputDescriptions();
  const auto outDevice = indexOf(outputs, "JACK " + client.inputName());
  const auto inDevice = indexOf(inputs, "JACK " + client.outputName());
  ASSERT_TRUE(outDevice);
  ASSERT_TRUE(inDevice);
  EXPECT_TRUE(indexOf(outputs, ("JACK " + longClient.inputName()).substr(0, 31)));
  EXPECT_TRUE(indexOf(outputs, "JACK " + std::string(25, 'a')));

  // With our own output and input open, the graph holds ports of the library's clients.
  OutHandle out{OpenMidiOut(nullptr, *outDevice, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);
  SinkRecorder recorder;
  const VxNotifySink sink = recorder.sink();
  InHandle in{OpenMidiIn(&sink, *inDevice, 0, 0)};
  ASSERT_GT(in.value, VX_HANDLE_FAILED_MAX);
  const char **own = jack_get_ports(client.handle(), "^Kovrinta", JACK_DEFAULT_MIDI_TYPE, 0);
  std::size_t ownCount = 0;
  while (own && own[ownCount]) ++ownCount;
  jack_free(own);
  ASSERT_GE(ownCount, 2u);

  outputs = outputDescriptions();
  inputs = inputDescriptions();
  for (const std::string &text : outputs) EXPECT_FALSE(startsWith(text, "JACK Kovrinta")) << text;
  for (const std::string &text : inputs) EXPECT_FALSE(startsWith(text, "JACK Kovrinta")) << text;
  EXPECT_TRUE(indexOf(outputs, "JACK " + client.inputName()));
  EXPECT_TRUE(indexOf(inputs, "JACK " + client.outputName()));

  // Every description ends within the 32-byte buffer, and nothing is written past it.
  auto checkBuffers = [](uint32_t count, void (*describe)(uint32_t, char *)) {
    for (uint32_t device = 0; device < count; ++device) {
      char buffer[2 * VX_DESCRIPTION_SIZE];
      std::memset(buffer, 0x7F, sizeof buffer);
      describe(device, buffer);
      EXPECT_NE(std::memchr(buffer, '\0', VX_DESCRIPTION_SIZE), nullptr) << "device " << device;
      for (std::size_t i = VX_DESCRIPTION_SIZE; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], 0x7F) << "device " << device << " wrote byte " << i;
    }
  };
  checkBuffers(static_cast<uint32_t>(outputs.size()), GetMidiOutDescription);
  checkBuffers(static_cast<uint32_t>(inputs.size()), GetMidiInDescription);
}

// The module's program quits while an output plays on its input and an input reads its
// output: each handle is told once, from a thread that is not JACK's real-time one.
TEST_F(JackPortsTest, APortWhoseClientQuitsIsToldToTheOutputAndTheInputOnce) {
  auto client = std::make_unique<TestClient>("vxtest-module", true, true);
  ASSERT_TRUE(client->ready());
  const auto outDevice = indexOf(outputDescriptions(), "JACK " + client->inputName());
  const auto inDevice = indexOf(inputDescriptions(), "JACK " + client->outputName());
  ASSERT_TRUE(outDevice && inDevice);
  SinkRecorder recorder;
  const VxNotifySink sink = recorder.sink();
  OutHandle out{OpenMidiOut(&sink, *outDevice, 0, 0)};
  InHandle in{OpenMidiIn(&sink, *inDevice, 0, 0)};
  ASSERT_GT(out.value, VX_HANDLE_FAILED_MAX);
  ASSERT_GT(in.value, VX_HANDLE_FAILED_MAX);
  client.reset();
  ASSERT_TRUE(recorder.waitForCalls(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto calls = recorder.calls();
  std::sort(calls.begin(), calls.end());
  std::vector<std::pair<uint32_t, uint32_t>> expected = {{VX_NOTIFY_DEVICE_LOST, out.value},
                                                         {VX_NOTIFY_DEVICE_LOST, in.value}};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(recorder.realtimeCalls(), 0u);
}

TEST_F(JackPortsTest, JackDeviceOpenFailsForUnknownIndexAndVanishedPort) {
  SinkRecorder recorder;
  const VxNotifySink sink = recorder.sink();
  const auto outCount = static_cast<uint16_t>(GetNumOutDevices());
  const auto inCount = static_cast<uint16_t>(GetNumInDevices());
  EXPECT_EQ(OpenMidiOut(nullptr, outCount, 0, 0), VX_OPEN_NO_DEVICE);
  EXPECT_EQ(OpenMidiOut(nullptr, 0xFFFF, 0, 0), VX_OPEN_NO_DEVICE);
  EXPECT_EQ(OpenMidiIn(&sink, inCount, 0, 0), VX_OPEN_NO_DEVICE);
  EXPECT_EQ(OpenMidiIn(&sink, 0xFFFF, 0, 0), VX_OPEN_NO_DEVICE);

  TestClient client("vxtest-vanish", true, true);
  ASSERT_TRUE(client.ready());
  const auto outDevice = indexOf(outputDescriptions(), "JACK " + client.inputName());
  const auto inDevice = indexOf(inputDescriptions(), "JACK " + client.outputName());
  ASSERT_TRUE(outDevice);
  ASSERT_TRUE(inDevice);
  client.close();
  // The lists still hold the ports; opening them finds them gone.
  OutHandle out{OpenMidiOut(nullptr, *outDevice, 0, 0)};
  InHandle in{OpenMidiIn(&sink, *inDevice, 0, 0)};
  EXPECT_EQ(out.value, VX_OPEN_PORT_GONE);
  EXPECT_EQ(in.value, VX_OPEN_PORT_GONE);
  EXPECT_TRUE(recorder.calls().empty());
}

// Sets an environment variable (or removes it, for nullptr) for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_.c_str(), old_->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Where no JACK server runs, the lists hold no JACK port, nothing is printed, and no server
// is started: libjack would start the one named in ~/.jackdrc, here a script that only
// leaves a mark.
TEST(DeviceCatalogTest, DeviceListsWithoutJackServerStartNoneAndPrintNothing) {
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("vxmidi-nojack-" + std::to_string(getpid()));
  std::filesystem::create_directories(home);
  const std::filesystem::path mark = home / "server-started";
  const std::filesystem::path fakeServer = home / "jackd";
  {
    std::ofstream script(fakeServer);
    script << "#!/bin/sh\ntouch '" << mark.string() << "'\nexit 1\n";
  }
  std::filesystem::permissions(fakeServer, std::filesystem::perms::owner_all);
  std::ofstream(home / ".jackdrc") << fakeServer.string() << " -d dummy\n";

  std::vector<std::string> outputs, inputs;
  std::string printed;
  {
    ScopedEnv homeEnv("HOME", home.c_str());
    ScopedEnv serverEnv("JACK_DEFAULT_SERVER",
                        ("vxmidi-absent-" + std::to_string(getpid())).c_str());
    ScopedEnv noStartEnv("JACK_NO_START_SERVER", nullptr);
    ::testing::internal::CaptureStderr();
    outputs = outputDescriptions();
    inputs = inputDescriptions();
    printed = ::testing::internal::GetCapturedStderr();
  }
  EXPECT_EQ(printed, "");
  EXPECT_FALSE(std::filesystem::exists(mark)) << "a JACK server was started";
  // With no JACK server, the built-in synthesizer plays through PipeWire, PulseAudio or ALSA;
  // on a machine with none of them (CI) it says so, and the text says what was tried.
  if (!outputs.empty() && startsWith(outputs[0], "Kovrinta Synth")) {
    ScopedEnv serverEnv("JACK_DEFAULT_SERVER",
                        ("vxmidi-absent-" + std::to_string(getpid())).c_str());
    const uint32_t synth = OpenMidiOut(nullptr, 0, 0, 0);
    if (synth > VX_HANDLE_FAILED_MAX) {
      CloseMidiOut(synth);
    } else {
      EXPECT_EQ(synth, VX_OPEN_NO_AUDIO);
      const std::string text = VxOpenFailureText(synth);
      for (const char *tried : {"JACK", "PipeWire", "PulseAudio", "ALSA"})
        EXPECT_NE(text.find(tried), std::string::npos) << text;
    }
  }
  for (const std::string &text : outputs) EXPECT_FALSE(startsWith(text, "JACK ")) << text;
  for (const std::string &text : inputs) EXPECT_FALSE(startsWith(text, "JACK ")) << text;
  std::filesystem::remove_all(home);
}

}  // namespace
