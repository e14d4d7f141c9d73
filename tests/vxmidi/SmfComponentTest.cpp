// The MIDI file component's reading in blocks, its checks in order, and its meta events.
#include <gtest/gtest.h>

#include "FakeLibrary.h"
#include "Raised.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"
#include "TVxMidiSync.h"
#include "TVxMidiTrack.h"

using kovrinta::test::FakeLibrary;
using kovrinta::test::raised;

namespace {

class SmfComponent : public ::testing::Test {
 protected:
  FakeLibrary fake;
  TVxMidiSMF smf;
  void SetUp() override { smf.VxMidi = fake.vxMidi.get(); }
};

TEST_F(SmfComponent, A20000EventTrackIsReadInBlocksAndEndsWithCapacity32768) {
  fake.setFile(1, 20000);
  ASSERT_TRUE(smf.Open("song.mid", 'r', 1));
  TVxMidiScore score(1);
  smf.SetScore(&score);
  fake.reset();
  fake.setFile(1, 20000);
  EXPECT_TRUE(smf.ReadTrack(score.GetTrack(0)));
  EXPECT_EQ(fake.calls(),
            "ReadSMF 100 0 8192 8192\nReadSMF 100 0 8192 8192\nReadSMF 100 0 8192 3616\n"
            "ReadSMF 100 0 8192 0\n");
  EXPECT_EQ(score.GetTrack(0)->GetNumEvents(), 20000u);
  EXPECT_EQ(score.GetTrack(0)->Capacity(), 32768u);
  EXPECT_EQ(score.GetTrack(0)->GetEvent(19999)->data1, 19999 % 128);
}

TEST_F(SmfComponent, ChecksComeInTheirOrder) {
  TVxMidiTrack stranger;
  EXPECT_EQ(raised([&] { smf.ReadTrack(&stranger); }), "SMF not open")
      << "a closed component is reported before the missing score";
  EXPECT_EQ(raised([&] { smf.Close(); }), "SMF not open");
  fake.setFile(2, 0);
  ASSERT_TRUE(smf.Open("song.mid", 'r', 1));
  EXPECT_EQ(raised([&] { smf.ReadTrack(&stranger); }), "SMF cant read");
  EXPECT_EQ(raised([&] { smf.ReadScore(nullptr); }), "SMF cant read");
  EXPECT_EQ(raised([&] { smf.ReadMeta(&stranger, 3); }), "SMF cant read");
  TVxMidiScore score(2);
  smf.SetScore(&score);
  EXPECT_EQ(raised([&] { smf.ReadTrack(&stranger); }), "SMF bad track");
  EXPECT_EQ(raised([&] { smf.WriteTrack(score.GetTrack(0)); }), "SMF cant write");
  EXPECT_EQ(raised([&] { smf.WriteMeta(score.GetTrack(0), 3, nullptr, 0); }), "SMF cant write");
  EXPECT_FALSE(smf.ReadMeta(&stranger, 3).found()) << "a track outside the score has no meta";

  TVxMidiSMF unbound;
  EXPECT_EQ(raised([&] { unbound.Open("x.mid", 'r', 1); }), "No VxMidi");
}

TEST_F(SmfComponent, OpenOfAnotherFileClosesTheFirstAndForgetsTheScore) {
  fake.setFile(1, 0);
  ASSERT_TRUE(smf.Open("a.mid", 'r', 1));
  TVxMidiScore score(1);
  smf.SetScore(&score);
  fake.reset();
  fake.setFile(3, 0);
  ASSERT_TRUE(smf.Open("b.mid", 'r', 1));
  EXPECT_EQ(fake.calls(), "CloseSMF 100\nOpenSMF 1 114\n");
  EXPECT_EQ(smf.GetNumTracks(), 3u);
  EXPECT_EQ(raised([&] { smf.ReadScore(nullptr); }), "SMF cant read");
}

TEST_F(SmfComponent, AFailedOpenLeavesTheComponentClosed) {
  EXPECT_FALSE(smf.Open("", 'r', 1));
  EXPECT_FALSE(smf.IsOpen());
  EXPECT_EQ(smf.GetNumTracks(), 0u);
}

TEST_F(SmfComponent, ReadScoreRewindsClearsReadsAndSetsTheTimersResolution) {
  fake.setFile(2, 3);
  ASSERT_TRUE(smf.Open("song.mid", 'r', 1));
  TVxMidiScore score(2);
  score.GetTrack(1)->InsertEvent({1, 0x90, 1, 1, 0}, -1);
  smf.SetScore(&score);
  TVxMidiSync timer;
  timer.VxMidi = fake.vxMidi.get();
  fake.reset();
  fake.setFile(2, 3);
  EXPECT_TRUE(smf.ReadScore(&timer));
  EXPECT_EQ(fake.calls(),
            "RewindSMF 100\nReadSMF 100 0 8192 3\nReadSMF 100 0 8192 0\nReadSMF 100 1 8192 0\n"
            "SetResolution 0 480\n");
  EXPECT_EQ(score.GetTrack(0)->GetNumEvents(), 3u);
  EXPECT_EQ(score.GetTrack(1)->GetNumEvents(), 0u) << "the old content was cleared";

  TVxMidiScore empty;
  smf.SetScore(&empty);
  fake.reset();
  EXPECT_TRUE(smf.ReadScore(nullptr));
  EXPECT_EQ(fake.calls(), "RewindSMF 100\n");
}

TEST_F(SmfComponent, ReadMetaHandsOverACopyOfExactlyTheBytes) {
  fake.setFile(1, 0);
  ASSERT_TRUE(smf.Open("song.mid", 'r', 1));
  TVxMidiScore score(1);
  smf.SetScore(&score);
  const TVxMidiMeta name = smf.ReadMeta(score.GetTrack(0), 3);
  ASSERT_TRUE(name.found());
  EXPECT_EQ(std::string(name.data.begin(), name.data.end()), "Kit");
  const TVxMidiMeta tempo = smf.ReadMeta(score.GetTrack(0), 0x51);
  EXPECT_EQ(tempo.result, -1);
  EXPECT_TRUE(tempo.data.empty());
}

TEST_F(SmfComponent, WriteTrackWritesTheNameAsAZeroTerminatedTextThenTheEvents) {
  ASSERT_TRUE(smf.Open("out.mid", 'w', 0));
  TVxMidiScore score(2);
  smf.SetScore(&score);
  score.GetTrack(1)->Name = "Bateria";
  score.GetTrack(1)->InsertEvent({0, 0x99, 36, 100, 0}, -1);
  fake.reset();
  EXPECT_TRUE(smf.WriteTrack(score.GetTrack(1)));
  EXPECT_EQ(fake.calls(), "WriteMetaEvent 100 1 3 0\nBateria\nWriteSMF 100 1 1\n");
}

}  // namespace
