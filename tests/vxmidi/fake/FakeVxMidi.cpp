// A VxMidi library that records calls instead of driving devices.
#include "FakeVxMidi.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {

std::mutex lock;
std::string calls;
uint32_t openResult = 100;
uint16_t putResult = VX_OK;
VxNotifySink sink{};
// The sink of the last output opened, and its handle.
VxNotifySink saidaSink{};
uint32_t saidaHandle = 0;
// The sink and handle of the last input opened.
VxNotifySink entradaSink{};
uint32_t entradaHandle = 0;
VxBeatSink beatSink{};
uint32_t syncRun = 1;
std::deque<VxMidiEvent> input;
VxMidiEvent delivered{};
// When set, the file entries go to the real library, so that tests of the program read
// real files while devices and the timer stay recorded.
void *realLibrary = nullptr;
template <class F>
F real(const char *name) {
  return reinterpret_cast<F>(dlsym(realLibrary, name));
}
uint32_t smfTracks = 0;
uint32_t smfEvents = 0;
uint32_t smfServed = 0;
// The program's static objects made before this library was loaded close their devices at
// exit after this library's statics are destroyed; from then on nothing is recorded. Set by
// the object below, which is destroyed before the ones above.
bool finished = false;
struct Finish {
  ~Finish() { finished = true; }
} finish;

template <class... Args>
void record(const char *name, Args... args) {
  std::ostringstream line;
  line << name;
  ((line << ' ' << static_cast<long long>(args)), ...);
  std::lock_guard guard(lock);
  if (finished) return;
  calls += line.str() + "\n";
}

uint32_t opened(const VxNotifySink *given) {
  std::lock_guard guard(lock);
  if (given) sink = *given;
  return openResult;
}

}  // namespace

FAKE_API const char *FakeCalls(void) {
  return calls.c_str();
}
FAKE_API void FakeReset(void) {
  std::lock_guard guard(lock);
  calls.clear();
  openResult = 100;
  putResult = VX_OK;
  sink = {};
  input.clear();
  smfTracks = 0;
  smfEvents = 0;
  smfServed = 0;
}
FAKE_API void FakeForwardFiles(const char *realLibraryFile) {
  realLibrary = realLibraryFile ? dlopen(realLibraryFile, RTLD_NOW | RTLD_LOCAL) : nullptr;
}
FAKE_API void FakeSetFile(uint32_t tracks, uint32_t events) {
  smfTracks = tracks;
  smfEvents = events;
  smfServed = 0;
}
FAKE_API void FakeSetOpenResult(uint32_t handle) {
  openResult = handle;
}
FAKE_API void FakeSetPutResult(uint16_t result) {
  putResult = result;
}
FAKE_API void FakeQueueInput(VxMidiEvent event) {
  input.push_back(event);
}
FAKE_API void FakeNotify(uint32_t message) {
  std::thread([message] {
    if (sink.notify) sink.notify(sink.context, message, openResult);
  }).join();
}

FAKE_API void FakeNotifyOutput(uint32_t message) {
  std::thread([message] {
    if (saidaSink.notify) saidaSink.notify(saidaSink.context, message, saidaHandle);
  }).join();
}

FAKE_API void FakeNotifyInput(uint32_t message) {
  std::thread([message] {
    if (entradaSink.notify) entradaSink.notify(entradaSink.context, message, entradaHandle);
  }).join();
}

FAKE_API void FakeBeat(uint32_t run, uint32_t position, int64_t idealNs) {
  std::thread([=] {
    const VxBeat beat{run, position, idealNs};
    if (beatSink.beat) beatSink.beat(beatSink.context, openResult, &beat);
  }).join();
}
FAKE_API uint32_t FakeSyncRun(void) {
  return syncRun;
}

FAKE_API uint16_t GetVxMidiVersion(void) {
  return 0x0100;
}
FAKE_API uint32_t GetNumOutDevices(void) {
  record("GetNumOutDevices");
  return 3;
}
FAKE_API void GetMidiOutDescription(uint32_t device, char *description) {
  record("GetMidiOutDescription", device);
  std::snprintf(description, VX_DESCRIPTION_SIZE, "Fake output %u", device);
}
FAKE_API uint32_t OpenMidiOut(const VxNotifySink *s, uint16_t device, uint32_t sync,
                              uint32_t parameter) {
  record("OpenMidiOut", device, sync, parameter);
  if (s) saidaSink = *s;
  saidaHandle = openResult;
  return opened(s);
}
FAKE_API void ResetMidiOut(uint32_t handle) {
  record("ResetMidiOut", handle);
}
FAKE_API void FlushMidiOut(uint32_t handle) {
  record("FlushMidiOut", handle);
}
FAKE_API void CloseMidiOut(uint32_t handle) {
  record("CloseMidiOut", handle);
}
FAKE_API uint16_t PutMidiOut(uint32_t handle, const VxMidiEvent *e) {
  record("PutMidiOut", handle, e->time, e->status, e->data1, e->data2);
  return putResult;
}
FAKE_API uint32_t GetNumInDevices(void) {
  record("GetNumInDevices");
  return 1;
}
FAKE_API void GetMidiInDescription(uint32_t device, char *description) {
  record("GetMidiInDescription", device);
  std::snprintf(description, VX_DESCRIPTION_SIZE, "Fake input %u", device);
}
FAKE_API uint32_t OpenMidiIn(const VxNotifySink *s, uint16_t device, uint32_t sync,
                             uint32_t parameter) {
  record("OpenMidiIn", device, sync, parameter);
  if (s) entradaSink = *s;
  entradaHandle = openResult;
  return opened(s);
}
FAKE_API void StartMidiIn(uint32_t handle) {
  record("StartMidiIn", handle);
}
FAKE_API void StopMidiIn(uint32_t handle) {
  record("StopMidiIn", handle);
}
FAKE_API void CloseMidiIn(uint32_t handle) {
  record("CloseMidiIn", handle);
}
FAKE_API const VxMidiEvent *GetMidiIn(uint32_t handle) {
  record("GetMidiIn", handle);
  if (input.empty()) return nullptr;
  delivered = input.front();
  input.pop_front();
  return &delivered;
}
FAKE_API uint32_t OpenSync(uint32_t reserved, const VxNotifySink *s, uint16_t o1, uint16_t o2) {
  record("OpenSync", reserved, o1, o2);
  return opened(s);
}
FAKE_API void CloseSync(uint32_t handle) {
  record("CloseSync", handle);
}
FAKE_API void StopSync(uint32_t handle) {
  record("StopSync", handle);
  ++syncRun;
}
FAKE_API void StartSync(uint32_t handle) {
  record("StartSync", handle);
  ++syncRun;
}
#ifndef FAKE_WITHOUT_PAUSESYNC
FAKE_API void PauseSync(uint32_t handle, uint32_t keep) {
  record("PauseSync", handle, keep);
}
#endif
FAKE_API void ReStartSync(uint32_t handle) {
  record("ReStartSync", handle);
}
FAKE_API uint16_t SetTempo(uint32_t handle, uint32_t us) {
  record("SetTempo", handle, us);
  return us == 0 ? VX_REFUSED : VX_OK;
}
FAKE_API uint16_t SetResolution(uint32_t handle, uint16_t r) {
  record("SetResolution", handle, r);
  return 7;
}
FAKE_API uint32_t GetTempo(uint32_t) {
  return 0;
}
FAKE_API uint16_t GetResolution(uint32_t) {
  return 0;
}
FAKE_API uint32_t GetPosition(uint32_t) {
  return 0;
}
FAKE_API uint16_t VxSetBeatSink(uint32_t handle, const VxBeatSink *s) {
  record("VxSetBeatSink", handle);
  beatSink = s ? *s : VxBeatSink{};
  return VX_OK;
}
FAKE_API uint16_t VxSetSyncPeriod(uint32_t handle, uint32_t numerator, uint32_t denominator,
                                  uint32_t from) {
  record("VxSetSyncPeriod", handle, numerator, denominator, from);
  if (numerator == 0 || denominator == 0) return VX_REFUSED;
  if (numerator < uint64_t{VX_MIN_PERIOD_US} * denominator) return VX_OUT_OF_RANGE;
  ++syncRun;
  return VX_OK;
}
FAKE_API uint32_t VxGetSyncRun(uint32_t) {
  return syncRun;
}
FAKE_API uint16_t VxPutMidiOutAt(uint32_t handle, const VxMidiEvent *e, int64_t due) {
  record("PutMidiOutAt", handle, e->time, e->status, e->data1, e->data2, due);
  return putResult;
}
FAKE_API uint32_t VxGetMidiOutLate(uint32_t handle) {
  record("GetMidiOutLate", handle);
  return 0;
}
FAKE_API uint32_t VxGetMidiOutDelay(uint32_t handle) {
  record("GetMidiOutDelay", handle);
  return 0;
}
FAKE_API uint16_t VxSetMidiInThru(uint32_t input, uint32_t output, const VxMidiThru *) {
  record("SetMidiInThru", input, output);
  return VX_OK;
}
FAKE_API int64_t VxGetMidiInNs(uint32_t) {
  return 0;
}
FAKE_API void VxGetMidiInName(uint32_t device, char *name, uint32_t size) {
  if (size > 0) std::snprintf(name, size, "Fake input %u", device);
}
FAKE_API uint32_t OpenSMF(const char *name, uint32_t *parameter, uint8_t mode,
                          uint32_t *trackCount) {
  if (realLibrary) return real<decltype(&OpenSMF)>("OpenSMF")(name, parameter, mode, trackCount);
  record("OpenSMF", *parameter, mode);
  if (std::string(name).empty()) return 0;
  *trackCount = smfTracks;
  return openResult;
}
FAKE_API void CloseSMF(uint32_t handle) {
  if (realLibrary) return real<decltype(&CloseSMF)>("CloseSMF")(handle);
  record("CloseSMF", handle);
}
FAKE_API uint32_t RewindSMF(uint32_t handle) {
  if (realLibrary) return real<decltype(&RewindSMF)>("RewindSMF")(handle);
  record("RewindSMF", handle);
  smfServed = 0;
  return 0;
}
FAKE_API uint32_t ReadSMF(uint32_t handle, uint32_t track, VxMidiEvent *events, uint32_t room) {
  if (realLibrary) return real<decltype(&ReadSMF)>("ReadSMF")(handle, track, events, room);
  const uint32_t n = std::min(room, smfEvents - smfServed);
  for (uint32_t i = 0; i < n; ++i)
    events[i] = {1, 0x99, static_cast<uint8_t>(smfServed++ % 128), 1, 0};
  record("ReadSMF", handle, track, room, n);
  return n;
}
FAKE_API uint32_t WriteSMF(uint32_t handle, uint32_t track, const VxMidiEvent *events,
                           uint32_t count) {
  if (realLibrary) return real<decltype(&WriteSMF)>("WriteSMF")(handle, track, events, count);
  record("WriteSMF", handle, track, count);
  return count;
}
FAKE_API uint16_t GetSMFResolution(uint32_t handle) {
  if (realLibrary) return real<decltype(&GetSMFResolution)>("GetSMFResolution")(handle);
  return 480;
}
FAKE_API uint16_t SetSMFResolution(uint32_t, uint16_t) {
  return 0;
}
FAKE_API int32_t ReadMetaEvent(uint32_t handle, uint32_t track, uint8_t type, const uint8_t **data,
                               uint32_t *length) {
  if (realLibrary)
    return real<decltype(&ReadMetaEvent)>("ReadMetaEvent")(handle, track, type, data, length);

  record("ReadMetaEvent", handle, track, type);
  static const uint8_t name[] = {'K', 'i', 't'};
  if (type != 3) return -1;
  *data = name;
  *length = sizeof name;
  return 0;
}
FAKE_API int32_t WriteMetaEvent(uint32_t handle, uint32_t track, uint8_t type, const uint8_t *data,
                                uint32_t length) {
  if (realLibrary)
    return real<decltype(&WriteMetaEvent)>("WriteMetaEvent")(handle, track, type, data, length);

  record("WriteMetaEvent", handle, track, type, length);
  if (length == 0) record(reinterpret_cast<const char *>(data));
  return 0;
}
