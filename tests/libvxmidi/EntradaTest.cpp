// What the library makes of the bytes a drummer's module sends, before any device: whole
// messages out of a stream, and the judging of hits.
#include <gtest/gtest.h>

#include <vector>

#include "HitFilter.h"
#include "InputStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> messagesOf(vx::InputStream &stream, const Bytes &bytes) {
  std::vector<Bytes> messages;
  vx::ShortMessage message;
  for (uint8_t byte : bytes)
    if (stream.take(byte, &message))
      messages.emplace_back(message.bytes, message.bytes + message.length);
  return messages;
}

TEST(InputStreamTest, ModuleBytesBecomeWholeMessagesWhateverComesBetween) {
  vx::InputStream stream;
  // A note, then running status carried into a later packet, a clock byte inside a message,
  // a long system exclusive (its data bytes are no notes), stray data after it, a program
  // change under running status, and a system common message that ends running status.
  Bytes bytes = {0x99, 38, 100, 42};
  Bytes second = {0xF8, 90, 36, 0xFE, 127, 0xF0};
  for (int i = 0; i < 1000; ++i) second.push_back(static_cast<uint8_t>(i % 128));
  second.insert(second.end(), {0xF7, 38, 100, 0xC9, 5, 6, 0xF3, 1, 38, 100, 0x89, 38, 0});
  bytes.insert(bytes.end(), second.begin(), second.end());
  const std::vector<Bytes> expected = {{0x99, 38, 100}, {0xF8},          {0x99, 42, 90},
                                       {0xFE},          {0x99, 36, 127}, {0xC9, 5},
                                       {0xC9, 6},       {0xF3, 1},       {0x89, 38, 0}};
  EXPECT_EQ(messagesOf(stream, bytes), expected);
}

class HitFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int note = 0; note < 128; ++note) thru_.note[note] = VX_THRU_NONE;
    thru_.note[38] = 38;
    thru_.note[40] = 38;
    thru_.note[22] = 42;  // a hi-hat edge
    thru_.hat[22] = 1;
    thru_.closedHatNote = 42;
    thru_.openHatNote = 46;
    thru_.channel = 9;
    thru_.minVelocity = 10;
    thru_.closedFrom = 64;
    filter_.configure(&thru_);
  }

  vx::HitFilter::Decision take(Bytes bytes, int64_t ms) {
    vx::ShortMessage message;
    message.length = static_cast<uint8_t>(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) message.bytes[i] = bytes[i];
    return filter_.take(message, ms * 1'000'000);
  }
  static Bytes sound(const vx::HitFilter::Decision &d) {
    return Bytes(d.sound.bytes, d.sound.bytes + d.sound.length);
  }

  VxMidiThru thru_{};
  vx::HitFilter filter_;
};

TEST_F(HitFilterTest, AHitSoundsAsItsMappedNoteAndItsNoteOffEndsThatNote) {
  const auto hit = take({0x92, 40, 90}, 0);  // any channel
  EXPECT_TRUE(hit.deliver);
  EXPECT_EQ(hit.soundedNote, 38);
  EXPECT_EQ(sound(hit), (Bytes{0x99, 38, 90}));
  const auto end = take({0x92, 40, 0}, 50);  // velocity 0 is a note-off
  EXPECT_TRUE(end.deliver);
  EXPECT_EQ(end.soundedNote, 0);
  EXPECT_EQ(sound(end), (Bytes{0x99, 38, 0}));
  // An unmapped note reaches the program (for learning) and sounds nothing.
  const auto unmapped = take({0x99, 70, 90}, 100);
  EXPECT_TRUE(unmapped.deliver);
  EXPECT_EQ(unmapped.sound.length, 0);
}

TEST_F(HitFilterTest, SoftHitsAFloodAndCrossTalkAreNoHits) {
  EXPECT_FALSE(take({0x99, 38, 9}, 0).deliver);  // under the threshold
  EXPECT_TRUE(take({0x99, 38, 10}, 0).deliver);
  // A stuck pad at 1,000 hits a second is thinned to one hit every 10 ms.
  int delivered = 0;
  for (int ms = 1; ms <= 100; ++ms) delivered += take({0x99, 38, 100}, ms).deliver ? 1 : 0;
  EXPECT_EQ(delivered, 10);
  // Cross-talk: a soft hit on another pad right after a loud one, once the guard is on.
  EXPECT_TRUE(take({0x99, 40, 40}, 203).deliver);
  thru_.crossTalkGuard = 1;
  filter_.configure(&thru_);
  take({0x99, 38, 120}, 300);
  EXPECT_FALSE(take({0x99, 40, 40}, 303).deliver);
  EXPECT_TRUE(take({0x99, 40, 70}, 320).deliver);  // loud enough, or late enough
}

TEST_F(HitFilterTest, ThePedalTurnsAHiHatNoteClosedOrOpen) {
  EXPECT_EQ(take({0x99, 22, 100}, 0).soundedNote, 42);  // the map's own until the pedal speaks
  EXPECT_TRUE(take({0xB9, 4, 10}, 20).deliver);
  EXPECT_EQ(take({0x99, 22, 100}, 40).soundedNote, 46);
  take({0xB9, 4, 100}, 60);
  EXPECT_EQ(take({0x99, 22, 100}, 80).soundedNote, 42);
  EXPECT_EQ(take({0x99, 38, 100}, 100).soundedNote, 38);  // no hi-hat, no change
  thru_.pedalInverted = 1;
  filter_.configure(&thru_);
  EXPECT_EQ(take({0x99, 22, 100}, 120).soundedNote, 46);
}

}  // namespace
