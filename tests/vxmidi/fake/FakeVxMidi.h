// Controls of the fake VxMidi library: a stand-in that records every call, for testing the
// toolkit's rules without devices. The test reaches these through dlsym on the loaded fake.
#pragma once

#include <cstdint>

#include "VxMidi.h"

extern "C" {
// Every call so far, one line each: the entry's name and its arguments in decimal.
typedef const char *(*FakeCallsFn)(void);
// Forgets the calls and the programmed answers (a timer's beat sink and its run stay, as the
// real library keeps them for as long as the timer is open).
typedef void (*FakeResetFn)(void);
// The handle that the next OpenMidiOut, OpenMidiIn and OpenSync answer (default 100).
typedef void (*FakeSetOpenResultFn)(uint32_t handle);
// What PutMidiOut answers (default VX_OK).
typedef void (*FakeSetPutResultFn)(uint16_t result);
// Queues an event for GetMidiIn.
typedef void (*FakeQueueInputFn)(VxMidiEvent event);
// Makes OpenSMF of a non-empty name answer a file of tracks tracks, whose ReadSMF serves
// events events in all (note-ons of delta 1), counted across tracks until RewindSMF.
typedef void (*FakeSetFileFn)(uint32_t tracks, uint32_t events);
// Sends the file entries to the real library of that file (nullptr: back to scripted files).
typedef void (*FakeForwardFilesFn)(const char *realLibraryFile);
// Calls the sink given at the last open with message, from a thread of the library's own,
// and waits for that thread.
typedef void (*FakeNotifyFn)(uint32_t message);
// Calls the beat sink given to VxSetBeatSink with a beat, from a thread of the library's own,
// and waits for that thread.
typedef void (*FakeBeatFn)(uint32_t run, uint32_t position, int64_t idealNs);
// The run VxGetSyncRun answers now; StartSync, StopSync and VxSetSyncPeriod change it.
typedef uint32_t (*FakeSyncRunFn)(void);
}
