// The beat timer component: its states against the fake library, and real beats from the
// real library arriving on the user-interface thread.
#include <gtest/gtest.h>

#include <QThread>

#include "FakeLibrary.h"
#include "QtWait.h"
#include "Raised.h"
#include "TVxMidiSync.h"

using kovrinta::test::FakeLibrary;
using kovrinta::test::raised;
using kovrinta::test::waitFor;

namespace {

TEST(SyncStates, OpenTwiceRecordsTheNewOptionsWithoutASecondLibraryCall) {
  FakeLibrary fake;
  TVxMidiSync sync;
  sync.VxMidi = fake.vxMidi.get();
  EXPECT_TRUE(sync.Open(0, 2));
  EXPECT_TRUE(sync.Open(5, 7));
  EXPECT_EQ(fake.calls(), "OpenSync 0 0 2\n");
  EXPECT_EQ(sync.Option1(), 5);
  EXPECT_EQ(sync.Option2(), 7);
  EXPECT_FALSE(sync.IsRunning());
}

TEST(SyncStates, MisuseBeforeOpen) {
  FakeLibrary fake;
  TVxMidiSync sync;
  EXPECT_EQ(raised([&] { sync.Open(0, 2); }), "No VxMidi");
  sync.VxMidi = fake.vxMidi.get();
  EXPECT_EQ(raised([&] { sync.Start(); }), "sync not open");
  EXPECT_EQ(raised([&] { sync.Close(); }), "sync not open");
  EXPECT_EQ(raised([&] { sync.Stop(); }), "") << "Stop on a closed timer is silent";
  EXPECT_EQ(fake.calls(), "");
}

TEST(SyncStates, RefusedOpenLeavesHandleZeroAndTempoStillReachesTheLibrary) {
  FakeLibrary fake;
  fake.setOpenResult(32);
  TVxMidiSync sync;
  sync.VxMidi = fake.vxMidi.get();
  EXPECT_FALSE(sync.Open(0, 2));
  EXPECT_EQ(sync.Handle(), 0u);
  EXPECT_TRUE(sync.SetTempo(7812));
  EXPECT_FALSE(sync.SetTempo(0));
  EXPECT_EQ(sync.SetResolution(96), 7) << "the library's answer passes through";
  EXPECT_EQ(fake.calls(), "OpenSync 0 0 2\nSetTempo 0 7812\nSetTempo 0 0\nSetResolution 0 96\n");
}

TEST(SyncStates, StartStopCloseAndDestruction) {
  FakeLibrary fake;
  {
    TVxMidiSync sync;
    sync.VxMidi = fake.vxMidi.get();
    ASSERT_TRUE(sync.Open(0, 2));
    sync.Start();
    EXPECT_TRUE(sync.IsRunning());
    sync.Stop();
    EXPECT_FALSE(sync.IsRunning());
    sync.Start();
    sync.Close();
    EXPECT_FALSE(sync.IsOpen());
    EXPECT_FALSE(sync.IsRunning());
    EXPECT_EQ(sync.Handle(), 100u);
    ASSERT_TRUE(sync.Open(0, 2));
  }
  EXPECT_EQ(fake.calls(),
            "OpenSync 0 0 2\nStartSync 100\nStopSync 100\nStartSync 100\nCloseSync 100\n"
            "OpenSync 0 0 2\nStopSync 100\nCloseSync 100\n");
}

TEST(SyncStates, BeatWithoutHandlerIsConsumedAndSyncDoneReachesItsHandler) {
  FakeLibrary fake;
  TVxMidiSync sync;
  sync.VxMidi = fake.vxMidi.get();
  ASSERT_TRUE(sync.Open(0, 2));
  int done = 0;
  sync.OnSyncDone = [&](QObject *sender) {
    EXPECT_EQ(sender, &sync);
    ++done;
  };
  fake.notify(VX_NOTIFY_BEAT);
  fake.notify(VX_NOTIFY_SYNC_DONE);
  EXPECT_TRUE(waitFor([&] { return done == 1; }));
}

// The real library's timer: beats come on the user-interface thread, stop with Stop and
// come back with Start.
TEST(SyncBeats, RealBeatsArriveOnTheUserInterfaceThreadAndFollowStopAndStart) {
  TVxMidi vxMidi{QString(VXMIDI_REAL_LIBRARY)};
  TVxMidiSync sync;
  sync.VxMidi = &vxMidi;
  ASSERT_TRUE(sync.Open(0, 2));
  ASSERT_TRUE(sync.SetTempo(2000));
  int beats = 0;
  bool allOnOwnThread = true;
  sync.OnMidiBeat = [&](QObject *) {
    ++beats;
    allOnOwnThread = allOnOwnThread && QThread::currentThread() == sync.thread();
  };
  sync.Start();
  ASSERT_TRUE(waitFor([&] { return beats >= 20; }));
  sync.Stop();
  // Beats announced before Stop may still wait in the queue; let them in, then none more.
  waitFor([] { return false; }, std::chrono::milliseconds(50));
  const int stoppedAt = beats;
  waitFor([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(beats, stoppedAt) << "beats went on after Stop";
  sync.Start();
  EXPECT_TRUE(waitFor([&] { return beats >= stoppedAt + 20; })) << "no beats after Start";
  sync.Stop();
  EXPECT_TRUE(allOnOwnThread);
}

}  // namespace
