// The beat timer component: its states against the fake library, and real beats from the
// real library arriving on the user-interface thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <string>
#include <thread>
#include <vector>

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
  EXPECT_EQ(fake.calls(), "OpenSync 0 0 2\nVxSetBeatSink 100\n");
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

TEST(SyncStates, WithoutALoaderEveryCallThatReachesTheLibraryRaises) {
  TVxMidiSync sync;
  EXPECT_EQ(raised([&] { sync.SetTempo(7812); }), "No VxMidi");
  EXPECT_EQ(raised([&] { sync.SetResolution(96); }), "No VxMidi");
  EXPECT_EQ(raised([&] { sync.SetPeriod(937500, 120); }), "No VxMidi");
}

// Beats keep their place among the other messages of the window's thread: one posted after
// an event is handled after it.
TEST(SyncStates, ABeatIsHandledInOrderWithWhatWasPostedBeforeIt) {
  FakeLibrary fake;
  TVxMidiSync sync;
  sync.VxMidi = fake.vxMidi.get();
  ASSERT_TRUE(sync.Open(0, 2));
  sync.Start();
  std::vector<std::string> order;
  sync.OnMidiBeat = [&](QObject *) { order.push_back("beat"); };
  struct Registro : QObject {
    std::vector<std::string> *ordem;
    bool event(QEvent *e) override {
      if (e->type() == QEvent::User) ordem->push_back("posted");
      return QObject::event(e);
    }
  } registro;
  registro.ordem = &order;
  QCoreApplication::postEvent(&registro, new QEvent(QEvent::User));
  fake.beat(fake.syncRun(), 1, 0);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(order, (std::vector<std::string>{"posted", "beat"}));
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
            "OpenSync 0 0 2\nVxSetBeatSink 100\nStartSync 100\nStopSync 100\nStartSync 100\n"
            "CloseSync 100\nOpenSync 0 0 2\nVxSetBeatSink 100\nStopSync 100\nCloseSync 100\n");
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
  sync.Start();
  fake.beat(fake.syncRun(), 1, 0);
  fake.notify(VX_NOTIFY_SYNC_DONE);
  EXPECT_TRUE(waitFor([&] { return done == 1; }));
}

TEST(SyncStates, BeatsOfAnEarlierRunAreLeftOutAndTheLastOneDeliveredIsKnown) {
  FakeLibrary fake;
  TVxMidiSync sync;
  sync.VxMidi = fake.vxMidi.get();
  ASSERT_TRUE(sync.Open(0, 2));
  std::vector<uint32_t> delivered;
  sync.OnMidiBeat = [&](QObject *) { delivered.push_back(sync.BeatPosition()); };
  const auto beat = [&](uint32_t run, uint32_t position) {
    fake.beat(run, position, 1000 * position);
    QCoreApplication::sendPostedEvents();
  };
  beat(fake.syncRun(), 1);  // not started yet
  sync.Start();
  const uint32_t first = fake.syncRun();
  beat(first, 1);
  beat(first, 2);
  EXPECT_EQ(sync.BeatIdealNs(), 2000);
  fake.reset();
  EXPECT_TRUE(sync.SetPeriod(937500, 120));
  beat(first, 3);  // announced under the old period
  beat(fake.syncRun(), 3);
  sync.Stop();
  beat(fake.syncRun(), 4);
  EXPECT_EQ(delivered, (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(fake.calls(), "VxSetSyncPeriod 100 937500 120 2\nStopSync 100\n")
      << "the period goes on from the last beat delivered";
  EXPECT_FALSE(sync.SetPeriod(100, 1)) << "shorter than the library's shortest period";
  EXPECT_FALSE(sync.SetPeriod(7812, 0));
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
  // Beats queue up while the user-interface thread is busy; once Stop returns none of them
  // is delivered.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  sync.Stop();
  const int stoppedAt = beats;
  waitFor([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(beats, stoppedAt) << "beats went on after Stop";
  sync.Start();
  EXPECT_TRUE(waitFor([&] { return beats >= stoppedAt + 20; })) << "no beats after Start";
  sync.Stop();
  EXPECT_TRUE(allOnOwnThread);
}

// The real timer's grid: a change of period made while a beat is handled late takes
// effect from that beat's ideal time, beats of the old period queued meanwhile are never
// delivered, and every ideal time is exact to the nanosecond against the tempo map.
TEST(SyncBeats, APeriodChangeContinuesTheGridFromTheBeatItWasMadeIn) {
  TVxMidi vxMidi{QString(VXMIDI_REAL_LIBRARY)};
  TVxMidiSync sync;
  sync.VxMidi = &vxMidi;
  ASSERT_TRUE(sync.Open(0, 2));
  ASSERT_TRUE(sync.SetPeriod(937500, 240));  // 3906.25 us
  std::vector<std::pair<uint32_t, int64_t>> beats;
  sync.OnMidiBeat = [&](QObject *) {
    beats.emplace_back(sync.BeatPosition(), sync.BeatIdealNs());
    if (beats.size() == 10) {
      // The window's thread is late at the change: old beats pile up meanwhile.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      sync.SetPeriod(434783, 64);  // 138 BPM from a file: 6793.484375 us
    }
  };
  sync.Start();
  ASSERT_TRUE(waitFor([&] { return beats.size() >= 40; }));
  sync.Stop();
  for (std::size_t i = 1; i < beats.size(); ++i)
    ASSERT_EQ(beats[i].first, beats[i - 1].first + 1) << "beat " << i << " repeated or lost";
  const int64_t start = beats[0].second - 3'906'250;
  for (std::size_t i = 0; i < 10; ++i)
    EXPECT_EQ(beats[i].second, start + int64_t(beats[i].first) * 3'906'250);
  const int64_t change = beats[9].second;
  for (std::size_t i = 10; i < beats.size(); ++i) {
    const int64_t after = int64_t(beats[i].first) - beats[9].first;
    EXPECT_EQ(beats[i].second, change + after * 434'783'000 / 64) << "beat " << i;
  }
}

}  // namespace
