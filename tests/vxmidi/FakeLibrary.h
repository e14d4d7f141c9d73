// The fake library loaded through the real loader, with its controls at hand.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeVxMidi.h"
#include "TVxMidi.h"

namespace kovrinta::test {

class FakeLibrary {
 public:
  FakeLibrary() : vxMidi(std::make_unique<TVxMidi>(QString(VXMIDI_FAKE_LIBRARY))) {
    module_ = dlopen(VXMIDI_FAKE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    calls_ = control<FakeCallsFn>("FakeCalls");
    reset = control<FakeResetFn>("FakeReset");
    setOpenResult = control<FakeSetOpenResultFn>("FakeSetOpenResult");
    setPutResult = control<FakeSetPutResultFn>("FakeSetPutResult");
    queueInput = control<FakeQueueInputFn>("FakeQueueInput");
    notify = control<FakeNotifyFn>("FakeNotify");
    notifyOutput = control<FakeNotifyFn>("FakeNotifyOutput");
    notifyInput = control<FakeNotifyFn>("FakeNotifyInput");
    setFile = control<FakeSetFileFn>("FakeSetFile");
    forwardFiles = control<FakeForwardFilesFn>("FakeForwardFiles");
    beat = control<FakeBeatFn>("FakeBeat");
    syncRun = control<FakeSyncRunFn>("FakeSyncRun");
    reset();
  }
  ~FakeLibrary() {
    if (module_) dlclose(module_);
  }

  // Every call since the last reset, one line each.
  std::string calls() const { return calls_(); }

  std::unique_ptr<TVxMidi> vxMidi;
  FakeResetFn reset = nullptr;
  FakeSetOpenResultFn setOpenResult = nullptr;
  FakeSetPutResultFn setPutResult = nullptr;
  FakeQueueInputFn queueInput = nullptr;
  FakeNotifyFn notify = nullptr;
  // Announces message through the sink of the last output opened, with its handle.
  FakeNotifyFn notifyOutput = nullptr;
  // Announces message through the sink of the last input opened, with its handle.
  FakeNotifyFn notifyInput = nullptr;
  FakeSetFileFn setFile = nullptr;
  FakeForwardFilesFn forwardFiles = nullptr;
  FakeBeatFn beat = nullptr;
  FakeSyncRunFn syncRun = nullptr;

 private:
  template <class F>
  F control(const char *name) {
    void *address = module_ ? dlsym(module_, name) : nullptr;
    if (!address) throw std::runtime_error(std::string("fake library lacks ") + name);
    return reinterpret_cast<F>(address);
  }

  void *module_ = nullptr;
  FakeCallsFn calls_ = nullptr;
};

}  // namespace kovrinta::test
