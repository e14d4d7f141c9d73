// The output and input components' rules, against the fake library that records calls.
#include <gtest/gtest.h>

#include <QThread>

#include "FakeLibrary.h"
#include "QtWait.h"
#include "TVxMidiIn.h"
#include "TVxMidiOut.h"
#include "TVxMidiTrack.h"

using kovrinta::test::FakeLibrary;
using kovrinta::test::waitFor;

namespace {

class Output : public ::testing::Test {
 protected:
  FakeLibrary fake;
  TVxMidiOut out;
  void SetUp() override { out.VxMidi = fake.vxMidi.get(); }
};

TEST_F(Output, RefusedOpenReturnsFalseWithHandleZero) {
  for (uint32_t refused : {0u, 1u, 32u}) {
    fake.setOpenResult(refused);
    EXPECT_FALSE(out.Open(7, 78624));
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(out.Handle(), 0u);
  }
  fake.setOpenResult(33);
  EXPECT_TRUE(out.Open(7, 78624));
  EXPECT_EQ(out.Handle(), 33u);
}

TEST_F(Output, OpenFetchesTheDescriptionThenOpensWithoutSync) {
  ASSERT_TRUE(out.Open(2, 78624));
  EXPECT_EQ(fake.calls(), "GetMidiOutDescription 2\nOpenMidiOut 2 0 78624\n");
  EXPECT_EQ(out.Description(), "Fake output 2");
  EXPECT_EQ(out.DeviceId(), 2);
  EXPECT_EQ(out.OpenParameter(), 78624u);
}

TEST_F(Output, MisuseRaisesTheToolkitMessages) {
  TVxMidiOut unbound;
  EXPECT_THROW(
      try { unbound.Open(0, 0); } catch (const EVxMidiException &e) {
        EXPECT_STREQ(e.what(), "No VxMidi");
        throw;
      },
      EVxMidiException);
  for (auto call : {&TVxMidiOut::Close, &TVxMidiOut::Reset, &TVxMidiOut::Flush}) {
    try {
      (out.*call)();
      ADD_FAILURE() << "a closed output accepted the call";
    } catch (const EVxMidiException &e) {
      EXPECT_STREQ(e.what(), "midiOut not open");
    }
  }
  ASSERT_TRUE(out.Open(0, 78624));
  try {
    out.Open(1, 78624);
    ADD_FAILURE() << "a second open succeeded";
  } catch (const EVxMidiException &e) {
    EXPECT_STREQ(e.what(), "already open");
  }
  EXPECT_EQ(out.DeviceId(), 0) << "a misused output must stay as it was";
}

TEST_F(Output, PutOnAClosedOutputIsTakenAndSendsNothing) {
  EXPECT_TRUE(out.Put({0, 0x99, 38, 100, 0}));
  EXPECT_EQ(fake.calls(), "");
}

TEST_F(Output, PutAnswersWhetherTheLibraryHadRoom) {
  ASSERT_TRUE(out.Open(0, 78624));
  fake.reset();
  EXPECT_TRUE(out.Put({5, 0x99, 38, 100, 0}));
  fake.setPutResult(VX_NO_ROOM);
  EXPECT_FALSE(out.Put({0, 0x89, 38, 0, 0}));
  EXPECT_EQ(fake.calls(), "PutMidiOut 100 5 153 38 100\nPutMidiOut 100 0 137 38 0\n");
}

TEST_F(Output, CloseResetsThenClosesAndKeepsTheHandle) {
  ASSERT_TRUE(out.Open(1, 78624));
  fake.reset();
  out.Close();
  EXPECT_EQ(fake.calls(), "ResetMidiOut 100\nCloseMidiOut 100\n");
  EXPECT_FALSE(out.IsOpen());
  EXPECT_TRUE(out.Description().isEmpty());
  EXPECT_EQ(out.Handle(), 100u);
  EXPECT_TRUE(out.Open(1, 78624)) << "a closed output opens again";
}

TEST_F(Output, DestroyingAnOpenOutputClosesIt) {
  {
    TVxMidiOut scoped;
    scoped.VxMidi = fake.vxMidi.get();
    ASSERT_TRUE(scoped.Open(3, 1));
    fake.reset();
  }
  EXPECT_EQ(fake.calls(), "ResetMidiOut 100\nCloseMidiOut 100\n");
}

TEST_F(Output, RoomNotificationRunsOutBufferReadyOnTheUserInterfaceThread) {
  ASSERT_TRUE(out.Open(0, 78624));
  int calls = 0;
  bool onOwnThread = false;
  out.OutBufferReady = [&](QObject *sender) {
    ++calls;
    onOwnThread = QThread::currentThread() == out.thread();
    EXPECT_EQ(sender, &out);
  };
  fake.notify(VX_NOTIFY_OUT_ROOM);
  fake.notify(VX_NOTIFY_BEAT);  // not an output's notification: ignored
  fake.notify(VX_NOTIFY_OUT_ROOM);
  EXPECT_EQ(calls, 0) << "handlers must not run on the library's thread";
  EXPECT_TRUE(waitFor([&] { return calls == 2; }));
  EXPECT_TRUE(onOwnThread);
}

class Input : public ::testing::Test {
 protected:
  FakeLibrary fake;
  TVxMidiIn in;
  void SetUp() override {
    in.VxMidi = fake.vxMidi.get();
    ASSERT_TRUE(in.Open(0, 0));
    in.Start();
  }
  void receive(std::initializer_list<VxMidiEvent> events) {
    for (const auto &e : events) fake.queueInput(e);
    fake.notify(VX_NOTIFY_MIDI_IN_DATA);
  }
};

TEST_F(Input, ActiveSensingIsDroppedAndItsDelayGoesToTheNextEvent) {
  std::vector<VxMidiEvent> seen;
  in.OnMidiData = [&](VxMidiEvent *e, bool *) { seen.push_back(*e); };
  receive({{10, 0xFE, 0, 0, 0}, {5, 0x99, 38, 90, 0}, {3, 0x89, 38, 0, 0}});
  ASSERT_TRUE(waitFor([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen[0].status, 0x99);
  EXPECT_EQ(seen[0].time, 15u);
  EXPECT_EQ(seen[1].time, 3u);
  EXPECT_EQ(in.PendingTime(), 0u);
}

TEST_F(Input, RejectedEventsCarryTheirDelayAndAreNotRecorded) {
  TVxMidiTrack track;
  track.Recording = true;
  in.AttachTrack(&track);
  std::vector<VxMidiEvent> seen;
  in.OnMidiData = [&](VxMidiEvent *e, bool *accept) {
    seen.push_back(*e);
    *accept = e->status != 0xB9;
  };
  receive({{4, 0xB9, 4, 64, 0}, {6, 0xB9, 4, 90, 0}, {1, 0x99, 46, 70, 0}});
  ASSERT_TRUE(waitFor([&] { return seen.size() == 3; }));
  EXPECT_EQ(seen[1].time, 10u) << "the first rejected delay goes into the second";
  EXPECT_EQ(seen[2].time, 11u);
  ASSERT_EQ(track.GetNumEvents(), 1u);
  EXPECT_EQ(track.GetEvent(0)->status, 0x99);
  EXPECT_EQ(track.GetEvent(0)->time, 11u);
  // A rejection at the end leaves its delay pending for what comes next.
  receive({{7, 0xB9, 1, 1, 0}});
  ASSERT_TRUE(waitFor([&] { return seen.size() == 4; }));
  EXPECT_EQ(in.PendingTime(), 7u);
  in.DetachTrack(&track);
}

TEST_F(Input, CloseStopsThenClosesAndMisuseRaises) {
  fake.reset();
  in.Close();
  EXPECT_EQ(fake.calls(), "StopMidiIn 100\nCloseMidiIn 100\n");
  EXPECT_FALSE(in.Started());
  EXPECT_TRUE(in.Description().isEmpty());
  for (auto call : {&TVxMidiIn::Close, &TVxMidiIn::Stop}) {
    try {
      (in.*call)();
      ADD_FAILURE() << "a closed input accepted the call";
    } catch (const EVxMidiException &e) {
      EXPECT_STREQ(e.what(), "midiIn not open");
    }
  }
}

TEST_F(Input, DetachingAnotherTrackRaisesAndADestroyedTrackDetachesItself) {
  TVxMidiTrack other;
  try {
    in.DetachTrack(&other);
    ADD_FAILURE() << "detached a track that was never bound";
  } catch (const EVxMidiException &e) {
    EXPECT_STREQ(e.what(), "track not found");
  }
  {
    TVxMidiTrack bound;
    in.AttachTrack(&bound);
    EXPECT_EQ(bound.Input, &in);
  }
  EXPECT_EQ(in.RecordingTrack(), nullptr);
}

TEST_F(Input, ATrackMovedToAnotherInputIsLetGoByTheFirstAndDiesQuietly) {
  TVxMidiIn second;
  second.VxMidi = fake.vxMidi.get();
  auto track = std::make_unique<TVxMidiTrack>();
  track->Recording = true;
  in.AttachTrack(track.get());
  second.AttachTrack(track.get());
  EXPECT_EQ(in.RecordingTrack(), nullptr) << "the first input would drain into it";
  EXPECT_EQ(second.RecordingTrack(), track.get());
  EXPECT_EQ(track->Input, &second);
  receive({{1, 0x99, 38, 90, 0}});
  waitFor([] { return false; }, std::chrono::milliseconds(20));
  EXPECT_EQ(track->GetNumEvents(), 0u) << "recorded through an input that let it go";
  // A track whose input no longer holds it is destroyed without raising.
  second.DetachTrack(track.get());
  track->Input = &in;
  EXPECT_NO_THROW(track.reset());
}

}  // namespace
