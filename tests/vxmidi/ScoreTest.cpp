// Tracks, merging by time and feeding an output.
#include <gtest/gtest.h>

#include "FakeLibrary.h"
#include "TVxMidiOut.h"
#include "TVxMidiScore.h"
#include "TVxMidiTrack.h"

using kovrinta::test::FakeLibrary;

namespace {

VxMidiEvent ev(uint32_t delta, uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) {
  return {delta, status, data1, data2, 0};
}

std::vector<uint32_t> times(const TVxMidiScore &score) {
  std::vector<uint32_t> t;
  for (uint32_t i = 0; i < score.MergedCount(); ++i) t.push_back(score.Merged()[i].time);
  return t;
}

TEST(Track, NewTrackHasZeroedSlotsUpToItsCapacity) {
  TVxMidiTrack track;
  EXPECT_EQ(track.Capacity(), 8192u);
  ASSERT_NE(track.GetEvent(0), nullptr);
  EXPECT_EQ(track.GetEvent(0)->status, 0);
  EXPECT_EQ(track.GetEvent(8191)->time, 0u);
  EXPECT_EQ(track.GetEvent(8192), nullptr);
  EXPECT_FALSE(track.Allocate(16)) << "a track has its slots already";
}

TEST(Track, SlotsReadBackWhatWasWrittenAndKeepTheirPlaceAsTheTrackGrows) {
  TVxMidiTrack track;
  VxMidiEvent *written = track.GetEvent(5000);
  written->status = 0x99;
  written->data1 = 38;
  for (int i = 0; i < 8192 + 10; ++i) track.InsertEvent(ev(1, 0xB0, 7, 1), -1);
  EXPECT_EQ(track.Capacity(), 16384u);
  EXPECT_EQ(track.GetEvent(5000), written) << "a slot moved";
  EXPECT_EQ(track.GetEvent(8195)->status, 0xB0);
  EXPECT_EQ(track.GetEvent(16383)->status, 0) << "a slot never written reads as zero";
  EXPECT_EQ(track.AbsoluteTime(8199), 8200u);
}

TEST(Track, CopyingNoEventsGivesNothing) {
  TVxMidiTrack track;
  track.InsertEvent(ev(3, 0x90, 60, 1), -1);
  EXPECT_TRUE(track.CopyAbsolute(0, 0).empty());
  EXPECT_EQ(track.CopyAbsolute(0, 5).size(), 1u);
}

TEST(Track, InsertShiftsUpAndAFullTrackGrowsByAStep) {
  TVxMidiTrack track;
  for (uint8_t n : {1, 2, 3}) track.InsertEvent(ev(n, 0x90, n, 1), -1);
  track.InsertEvent(ev(9, 0x80, 9), 0);
  ASSERT_EQ(track.GetNumEvents(), 4u);
  EXPECT_EQ(track.GetEvent(0)->data1, 9);
  EXPECT_EQ(track.GetEvent(1)->data1, 1);
  EXPECT_EQ(track.GetEvent(3)->data1, 3);

  while (track.GetNumEvents() < 8192) track.InsertEvent(ev(0, 0x90), -1);
  EXPECT_EQ(track.Capacity(), 8192u);
  track.InsertEvent(ev(0, 0x91), -1);
  EXPECT_EQ(track.Capacity(), 16384u);
  EXPECT_EQ(track.GetEvent(8192)->status, 0x91);
  EXPECT_EQ(track.GetEvent(8193)->status, 0) << "grown slots are zeroed";
}

TEST(Track, AbsoluteTimesAndCopies) {
  TVxMidiTrack track;
  for (uint32_t d : {5u, 10u, 0u, 7u}) track.InsertEvent(ev(d, 0x90), -1);
  EXPECT_EQ(track.AbsoluteTime(0), 5u);
  EXPECT_EQ(track.AbsoluteTime(3), 22u);
  EXPECT_EQ(track.AbsoluteTime(4), 0u);
  auto copy = track.CopyAbsolute(1, 100);
  ASSERT_EQ(copy.size(), 3u);
  EXPECT_EQ(copy[0].time, 15u);
  EXPECT_EQ(copy[1].time, 15u);
  EXPECT_EQ(copy[2].time, 22u);
  EXPECT_TRUE(track.CopyAbsolute(4, 1).empty());
  track.Muted = true;
  EXPECT_TRUE(track.CopyAbsolute(0, 4).empty());
}

TEST(Merge, EqualTimesGoToTheLowerTrackAndDeltasAreRebuilt) {
  TVxMidiScore score(3);
  score.GetTrack(0)->InsertEvent(ev(10, 0x90, 1), -1);
  score.GetTrack(0)->InsertEvent(ev(10, 0x90, 2), -1);
  score.GetTrack(1)->InsertEvent(ev(10, 0x91, 3), -1);
  score.GetTrack(2)->InsertEvent(ev(5, 0x92, 4), -1);
  score.MergeNextBlock();
  ASSERT_EQ(score.MergedCount(), 4u);
  std::vector<uint8_t> order;
  for (uint32_t i = 0; i < 4; ++i) order.push_back(score.Merged()[i].data1);
  EXPECT_EQ(order, (std::vector<uint8_t>{4, 1, 3, 2}));
  EXPECT_EQ(times(score), (std::vector<uint32_t>{5, 5, 0, 10}));
  EXPECT_EQ(score.PreviousTime(), 20u);
}

TEST(Merge, AnExclusiveRunKeepsItsTrack) {
  TVxMidiScore score(2);
  score.GetTrack(0)->InsertEvent(ev(10, 0xF0, 0xF0), -1);
  score.GetTrack(0)->InsertEvent(ev(20, 0xF7, 0xF7), -1);
  score.GetTrack(1)->InsertEvent(ev(20, 0x90, 0x40), -1);
  score.MergeNextBlock();
  ASSERT_EQ(score.MergedCount(), 3u);
  EXPECT_EQ(score.Merged()[0].data1, 0xF0);
  EXPECT_EQ(score.Merged()[1].data1, 0xF7);
  EXPECT_EQ(score.Merged()[2].data1, 0x40);
  EXPECT_EQ(times(score), (std::vector<uint32_t>{10, 20, 0}));
}

TEST(Merge, MutedAndRecordingTracksAreLeftOut) {
  TVxMidiScore score(3);
  for (int t = 0; t < 3; ++t) score.GetTrack(t)->InsertEvent(ev(t, 0x90, t), -1);
  score.GetTrack(0)->Muted = true;
  score.GetTrack(2)->Recording = true;
  score.MergeNextBlock();
  ASSERT_EQ(score.MergedCount(), 1u);
  EXPECT_EQ(score.Merged()[0].data1, 1);
}

TEST(Merge, BlocksOfAtMost512ContinueWhereThePreviousEnded) {
  TVxMidiScore score(2);
  for (int i = 0; i < 400; ++i) {
    score.GetTrack(0)->InsertEvent(ev(2, 0x90), -1);
    score.GetTrack(1)->InsertEvent(ev(2, 0x91), -1);
  }
  score.MergeNextBlock();
  EXPECT_EQ(score.MergedCount(), 512u);
  uint32_t total = 0;
  for (uint32_t t : times(score)) total += t;
  score.MergeNextBlock();
  EXPECT_EQ(score.MergedCount(), 288u);
  for (uint32_t t : times(score)) total += t;
  EXPECT_EQ(total, 800u) << "the deltas of both blocks add up to the last absolute time";
  score.MergeNextBlock();
  EXPECT_EQ(score.MergedCount(), 0u);
}

TEST(Feed, AClosedOutputDrainsAWholeScoreInOneFeed) {
  FakeLibrary fake;
  TVxMidiOut out;
  out.VxMidi = fake.vxMidi.get();
  TVxMidiScore score(2);
  for (int i = 0; i < 700; ++i) score.GetTrack(i % 2)->InsertEvent(ev(1, 0x90), -1);
  score.FeedOutput(out);
  EXPECT_EQ(score.MergedCount(), 0u) << "everything merged and handed over";
  EXPECT_EQ(score.GetTrack(0)->GetNumEvents(), 350u);
  EXPECT_EQ(fake.calls(), "");
}

TEST(Feed, ARefusedEventIsOfferedAgainAtTheNextFeed) {
  FakeLibrary fake;
  TVxMidiOut out;
  out.VxMidi = fake.vxMidi.get();
  ASSERT_TRUE(out.Open(0, 0));
  TVxMidiScore score(1);
  for (uint8_t n = 1; n <= 3; ++n) score.GetTrack(0)->InsertEvent(ev(1, 0x90, n, 1), -1);
  fake.reset();
  fake.setPutResult(VX_NO_ROOM);
  score.FeedOutput(out);
  EXPECT_EQ(score.PlayIndex(), 0u);
  fake.setPutResult(VX_OK);
  score.FeedOutput(out);
  EXPECT_EQ(fake.calls(),
            "PutMidiOut 100 1 144 1 1\nPutMidiOut 100 1 144 1 1\nPutMidiOut 100 1 144 2 1\n"
            "PutMidiOut 100 1 144 3 1\n");
}

TEST(Feed, AScoreWithoutTracksDoesNothing) {
  FakeLibrary fake;
  TVxMidiOut out;
  out.VxMidi = fake.vxMidi.get();
  ASSERT_TRUE(out.Open(0, 0));
  TVxMidiScore score;
  fake.reset();
  score.FeedOutput(out);
  EXPECT_EQ(score.MergedCount(), 0u);
  EXPECT_TRUE(score.Merged().empty()) << "no merge happened";
  EXPECT_EQ(fake.calls(), "");
}

}  // namespace
