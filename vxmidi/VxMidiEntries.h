// The library's entry points, in the order the loader resolves them, with their types: the
// 35 of the original interface, then our own additions, whose names begin with "Vx".
#pragma once

#include <array>
#include <cstdint>

#include "VxMidi.h"

struct VxMidiEntries {
  uint16_t (*GetVxMidiVersion)();
  uint32_t (*GetNumOutDevices)();
  void (*GetMidiOutDescription)(uint32_t device, char *description);
  uint32_t (*OpenMidiOut)(const VxNotifySink *sink, uint16_t device, uint32_t sync,
                          uint32_t openParameter);
  void (*ResetMidiOut)(uint32_t handle);
  void (*FlushMidiOut)(uint32_t handle);
  void (*CloseMidiOut)(uint32_t handle);
  uint16_t (*PutMidiOut)(uint32_t handle, const VxMidiEvent *event);
  uint32_t (*GetNumInDevices)();
  void (*GetMidiInDescription)(uint32_t device, char *description);
  uint32_t (*OpenMidiIn)(const VxNotifySink *sink, uint16_t device, uint32_t sync,
                         uint32_t openParameter);
  void (*StartMidiIn)(uint32_t handle);
  void (*StopMidiIn)(uint32_t handle);
  void (*CloseMidiIn)(uint32_t handle);
  const VxMidiEvent *(*GetMidiIn)(uint32_t handle);
  uint32_t (*OpenSync)(uint32_t reserved, const VxNotifySink *sink, uint16_t option1,
                       uint16_t option2);
  void (*CloseSync)(uint32_t handle);
  void (*StopSync)(uint32_t handle);
  void (*StartSync)(uint32_t handle);
  void (*PauseSync)(uint32_t handle, uint32_t keepPhase);
  void (*ReStartSync)(uint32_t handle);
  uint16_t (*SetTempo)(uint32_t handle, uint32_t periodUs);
  uint16_t (*SetResolution)(uint32_t handle, uint16_t ticksPerQuarter);
  uint32_t (*GetTempo)(uint32_t handle);
  uint16_t (*GetResolution)(uint32_t handle);
  uint32_t (*GetPosition)(uint32_t handle);
  uint32_t (*OpenSMF)(const char *fileName, uint32_t *openParameter, uint8_t mode,
                      uint32_t *trackCount);
  void (*CloseSMF)(uint32_t handle);
  uint32_t (*RewindSMF)(uint32_t handle);
  uint32_t (*ReadSMF)(uint32_t handle, uint32_t track, VxMidiEvent *events, uint32_t room);
  uint32_t (*WriteSMF)(uint32_t handle, uint32_t track, const VxMidiEvent *events, uint32_t count);
  uint16_t (*GetSMFResolution)(uint32_t handle);
  uint16_t (*SetSMFResolution)(uint32_t handle, uint16_t ticksPerQuarter);
  int32_t (*ReadMetaEvent)(uint32_t handle, uint32_t track, uint8_t type, const uint8_t **data,
                           uint32_t *length);
  int32_t (*WriteMetaEvent)(uint32_t handle, uint32_t track, uint8_t type, const uint8_t *data,
                            uint32_t length);
  uint16_t (*VxSetBeatSink)(uint32_t handle, const VxBeatSink *sink);
  uint16_t (*VxSetSyncPeriod)(uint32_t handle, uint32_t numeratorUs, uint32_t denominator,
                              uint32_t fromPosition);
  uint32_t (*VxGetSyncRun)(uint32_t handle);
  uint16_t (*VxPutMidiOutAt)(uint32_t handle, const VxMidiEvent *event, int64_t dueNs);
  uint32_t (*VxGetMidiOutLate)(uint32_t handle);
  uint32_t (*VxGetMidiOutDelay)(uint32_t handle);
  uint16_t (*VxSetMidiInThru)(uint32_t input, uint32_t output, const VxMidiThru *thru);
  int64_t (*VxGetMidiInNs)(uint32_t input);
  void (*VxGetMidiInName)(uint32_t device, char *name, uint32_t size);
};

// Name and argument count of each entry, in the order of VxMidiEntries. The exported
// name of the original Windows library was decorated as "_Name@<4 x arguments>"; ELF
// libraries cannot export '@', so ours exports the plain name and the decorated form
// survives in messages.
struct VxMidiEntryName {
  const char *name;
  int arguments;
};

inline constexpr std::array<VxMidiEntryName, 44> vxMidiEntryNames{{
    {"GetVxMidiVersion", 0},
    {"GetNumOutDevices", 0},
    {"GetMidiOutDescription", 2},
    {"OpenMidiOut", 4},
    {"ResetMidiOut", 1},
    {"FlushMidiOut", 1},
    {"CloseMidiOut", 1},
    {"PutMidiOut", 2},
    {"GetNumInDevices", 0},
    {"GetMidiInDescription", 2},
    {"OpenMidiIn", 4},
    {"StartMidiIn", 1},
    {"StopMidiIn", 1},
    {"CloseMidiIn", 1},
    {"GetMidiIn", 1},
    {"OpenSync", 4},
    {"CloseSync", 1},
    {"StopSync", 1},
    {"StartSync", 1},
    {"PauseSync", 2},
    {"ReStartSync", 1},
    {"SetTempo", 2},
    {"SetResolution", 2},
    {"GetTempo", 1},
    {"GetResolution", 1},
    {"GetPosition", 1},
    {"OpenSMF", 4},
    {"CloseSMF", 1},
    {"RewindSMF", 1},
    {"ReadSMF", 4},
    {"WriteSMF", 4},
    {"GetSMFResolution", 1},
    {"SetSMFResolution", 2},
    {"ReadMetaEvent", 5},
    {"WriteMetaEvent", 5},
    {"VxSetBeatSink", 2},
    {"VxSetSyncPeriod", 4},
    {"VxGetSyncRun", 1},
    {"VxPutMidiOutAt", 4},
    {"VxGetMidiOutLate", 1},
    {"VxGetMidiOutDelay", 1},
    {"VxSetMidiInThru", 3},
    {"VxGetMidiInNs", 1},
    {"VxGetMidiInName", 3},
}};

static_assert(sizeof(VxMidiEntries) == vxMidiEntryNames.size() * sizeof(void (*)()),
              "one function pointer per entry name");
