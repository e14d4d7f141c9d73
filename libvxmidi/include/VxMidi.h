/* VxMidi: MIDI devices, a beat timer and Standard MIDI Files behind a plain C interface. */
#ifndef VXMIDI_H
#define VXMIDI_H

#include <stdint.h>

#if defined(VXMIDI_BUILDING)
#define VX_API __attribute__((visibility("default")))
#else
#define VX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Version of this library: major in the high byte, minor in the low byte. */
#define VX_VERSION 0x0100

/** Device and timer handles of this value or below mean the open failed. */
#define VX_HANDLE_FAILED_MAX 32u
/** A failed OpenSMF answers this handle. */
#define VX_SMF_FAILED 0u

/** Why OpenMidiOut or OpenMidiIn failed: they answer one of these instead of a handle. */
#define VX_OPEN_FAILED 0u       /**< refused for a reason not listed below */
#define VX_OPEN_NO_DEVICE 1u    /**< no device of that number: the system's devices changed */
#define VX_OPEN_NO_AUDIO 2u     /**< the built-in synthesizer found no audio output */
#define VX_OPEN_NO_SOUNDFONT 3u /**< the built-in synthesizer cannot load its soundfont */
#define VX_OPEN_PORT_GONE 4u    /**< the MIDI port is no longer offered by its program */
#define VX_OPEN_PORT_REFUSED 5u /**< the MIDI port did not accept the connection */

/** The English text that tells a user why an open failed with code, and what to do. */
static inline const char *VxOpenFailureText(uint32_t code) {
  switch (code) {
    case VX_OPEN_NO_DEVICE:
      return "There is no output device with this number; the devices of the system have "
             "changed since the list was made. Restart the program to see them again.";
    case VX_OPEN_NO_AUDIO:
      return "The built-in synthesizer found no audio output. It tried a JACK server (none is "
             "running), a PipeWire or PulseAudio server (none answers) and ALSA (no sound card "
             "could be opened). Start PipeWire, PulseAudio or JACK (for example: "
             "jackd -d alsa), or connect a sound card, then choose the device again.";
    case VX_OPEN_NO_SOUNDFONT:
      return "The built-in synthesizer cannot load its soundfont. Install a General MIDI "
             "soundfont (for example the package fluid-soundfont-gm) and try again.";
    case VX_OPEN_PORT_GONE:
      return "The MIDI port is no longer there: the program or the device that offered it has "
             "closed it. Start it again, or choose another device.";
    case VX_OPEN_PORT_REFUSED:
      return "The MIDI port did not accept the connection. Check the program or the device "
             "that offers it, or choose another device.";
    default:
      return "The output device cannot be opened.";
  }
}

/** Notification codes passed to a sink. */
#define VX_NOTIFY_MIDI_IN_DATA 0x3C3u /**< an input device has received events */
#define VX_NOTIFY_BEAT 0x5452u        /**< a running timer has reached its next beat */
#define VX_NOTIFY_OUT_ROOM 0x5453u    /**< an output has room in its queue */
#define VX_NOTIFY_SYNC_DONE 0x5457u   /**< a timer has stopped */
#define VX_NOTIFY_DEVICE_LOST                                                \
  0x5458u /**< a device went away (its sound server stopped, or its port was \
             closed or unplugged): nothing more passes through it; close it */

/** Results of the calls that answer a 16-bit status. */
#define VX_OK 0u
#define VX_NO_ROOM 1u
#define VX_REFUSED 2u
#define VX_OUT_OF_RANGE 3u /**< a value the call cannot carry out, such as too short a period */

/** The shortest period a timer beats at, in microseconds; shorter ones are refused with
 *  VX_OUT_OF_RANGE (4000 beats a second already flood any program that handles them). */
#define VX_MIN_PERIOD_US 250u

/** Result of ReadMetaEvent when the track holds no such meta event. */
#define VX_META_ABSENT (-1)

/** Size of the buffer GetMidiOutDescription and GetMidiInDescription fill, NUL included. */
#define VX_DESCRIPTION_SIZE 32

/** Records of a file's track that are no MIDI message; outputs take them and send nothing. */
/** A Set Tempo; data1..3: microseconds per quarter note. */
#define VX_RECORD_TEMPO 0x00u
/** A Time Signature; data1: beats per bar, data2: log2 of the beat's note value. */
#define VX_RECORD_TIME_SIGNATURE 0x58u

/** One MIDI event: a delta time and up to three bytes. */
typedef struct VxMidiEvent {
  uint32_t time;  /**< ticks since the previous event of its stream */
  uint8_t status; /**< status byte, 0x80..0xEF for channel messages, or a VX_RECORD_ kind */
  uint8_t data1;
  uint8_t data2;
  uint8_t data3; /**< not interpreted by outputs */
} VxMidiEvent;

/**
 * Receives the library's notifications. notify is called from the library's own threads
 * (timer, audio and MIDI port threads), never from inside an entry point's caller; it must
 * copy what it needs and return at once. The library keeps a copy of the sink, so the
 * struct itself may go away after the open call, but context must stay valid until the
 * matching close call returns: no call is in flight or made after that.
 */
typedef void (*VxNotifyFn)(void *context, uint32_t message, uint32_t handle);
typedef struct VxNotifySink {
  VxNotifyFn notify;
  void *context;
} VxNotifySink;

/** One beat of a timer, as a beat sink receives it. */
typedef struct VxBeat {
  uint32_t run;      /**< the timer's run when it was announced (see VxGetSyncRun) */
  uint32_t position; /**< beats since StartSync, this one included */
  int64_t idealNs;   /**< when the beat was due on CLOCK_MONOTONIC, in nanoseconds */
} VxBeat;

/**
 * Receives each beat of a timer with its details, in place of VX_NOTIFY_BEAT. Called from the
 * timer's thread, with the same rules as VxNotifyFn; beat is valid only during the call.
 */
typedef void (*VxBeatFn)(void *context, uint32_t handle, const VxBeat *beat);
typedef struct VxBeatSink {
  VxBeatFn beat;
  void *context;
} VxBeatSink;

/** Answers VX_VERSION. */
VX_API uint16_t GetVxMidiVersion(void);

/** Number of output devices: the built-in synthesizers first, then the system's MIDI ports.
 *  Each call looks at the system again, so the numbering follows the last call. */
VX_API uint32_t GetNumOutDevices(void);
/** Copies the description of output device `device` into a VX_DESCRIPTION_SIZE buffer;
 *  an unknown device gives the empty text. */
VX_API void GetMidiOutDescription(uint32_t device, char *description);
/** Opens output `device`. sync must be 0 (outputs paced by a timer are not provided): every
 *  put event sounds at once, its time ignored. The sink is not used by outputs.
 *  Answers a handle above VX_HANDLE_FAILED_MAX, or one of the VX_OPEN_ failure codes. */
VX_API uint32_t OpenMidiOut(const VxNotifySink *sink, uint16_t device, uint32_t sync,
                            uint32_t openParameter);
/** Ends every sounding note and resets every controller on all channels. */
VX_API void ResetMidiOut(uint32_t handle);
/** Drops anything queued and not yet sent. */
VX_API void FlushMidiOut(uint32_t handle);
/** Resets and closes the output; the handle is invalid afterwards. */
VX_API void CloseMidiOut(uint32_t handle);
/** Sends one event: as many bytes as its status byte calls for. A record that is no short
 *  message (status below 0x80, system exclusive) is taken and not sent. Answers VX_OK when
 *  taken, VX_NO_ROOM when the queue is full, VX_REFUSED for an unknown handle. */
VX_API uint16_t PutMidiOut(uint32_t handle, const VxMidiEvent *event);

/** Sends one event as PutMidiOut does, at the moment dueNs on CLOCK_MONOTONIC (nanoseconds)
 *  instead of at once: the output plays it exactly as it would play an event put at that
 *  moment, so that a program may stamp the events of a song with their ideal times, ahead of
 *  them, and nothing its own thread does moves them. The built-in synthesizers and JACK ports
 *  place each event at its sample or frame; ALSA sequencer ports send it at once. A moment
 *  already past (or 0) sends it at once; a past one is counted (VxGetMidiOutLate). Answers
 *  as PutMidiOut. */
VX_API uint16_t VxPutMidiOutAt(uint32_t handle, const VxMidiEvent *event, int64_t dueNs);
/** How many events of the output could not go out at their moment: stamped with a moment
 *  already past, or reached too late by the device. 0 for an unknown handle. */
VX_API uint32_t VxGetMidiOutLate(uint32_t handle);
/** How long after its moment an event sent with VxPutMidiOutAt leaves the output, in
 *  nanoseconds (one period of a JACK port or of the synthesizer's audio, with its margin);
 *  0 for an output that sends at once, and for an unknown handle. */
VX_API uint32_t VxGetMidiOutDelay(uint32_t handle);

/** Number of input devices, the system's MIDI ports; looks at the system again. */
VX_API uint32_t GetNumInDevices(void);
VX_API void GetMidiInDescription(uint32_t device, char *description);
/** Opens input `device`; received events are queued once StartMidiIn has been called,
 *  and every arrival is announced with VX_NOTIFY_MIDI_IN_DATA. Answers a handle, or one of
 *  the VX_OPEN_ failure codes. */
VX_API uint32_t OpenMidiIn(const VxNotifySink *sink, uint16_t device, uint32_t sync,
                           uint32_t openParameter);
VX_API void StartMidiIn(uint32_t handle);
VX_API void StopMidiIn(uint32_t handle);
VX_API void CloseMidiIn(uint32_t handle);
/** Takes the oldest received event, or answers NULL when none waits. Its time is the delta
 *  in milliseconds since the previous received event. The record stays valid until the
 *  next GetMidiIn or CloseMidiIn on this handle. */
VX_API const VxMidiEvent *GetMidiIn(uint32_t handle);

/** A note of VxMidiThru that is not sounded. */
#define VX_THRU_NONE 0xFFu
/** Hits of one note closer together than this are one hit (a flood, a stuck pad): the later
 *  ones are neither sounded nor delivered. */
#define VX_RETRIGGER_NS 10000000
/** The cross-talk guard's window: a hit this soon after a hit on another note at least
 *  VX_CROSSTALK_RATIO times as loud is taken for that pad's vibration. */
#define VX_CROSSTALK_NS 5000000
#define VX_CROSSTALK_RATIO 2

/** How an input plays the hits of a drummer's module on an output (see VxSetMidiInThru). */
typedef struct VxMidiThru {
  uint8_t note[128]; /**< the note each received note sounds as, or VX_THRU_NONE */
  uint8_t hat[128];  /**< non-zero: a hi-hat note, sounded as closedHatNote or openHatNote by
                          the pedal (controller 4) once the pedal has been heard */
  uint8_t closedHatNote;
  uint8_t openHatNote;
  uint8_t channel;       /**< the channel index the hits sound on, 0..15 */
  uint8_t minVelocity;   /**< a note-on softer than this is no hit: neither sounded nor delivered */
  uint8_t closedFrom;    /**< controller 4 at or above this value: the hi-hat is closed */
  uint8_t pedalInverted; /**< non-zero: below closedFrom it is closed */
  uint8_t crossTalkGuard; /**< non-zero: drop cross-talk hits (VX_CROSSTALK_NS) */
} VxMidiThru;

/** Makes input play every hit it receives on output, from its own thread at the hit's own
 *  moment: a JACK input on a built-in synthesizer that plays through JACK is rendered at the
 *  hit's frame in the same cycle; on a JACK port it is written one period later at its frame;
 *  elsewhere it sounds at once. Hits are thinned (VX_RETRIGGER_NS) and judged by thru; every
 *  event that passes is delivered by GetMidiIn with data3 = the note it sounded as (0 for
 *  none). output 0 or thru NULL ends the playing (thru NULL also ends the judging: every event
 *  is delivered as received). One input plays on an output at a time. Answers VX_OK, or
 *  VX_REFUSED for an unknown handle, an output played by another input, or an output that
 *  cannot take hits from another thread (an ALSA sequencer port: the program sends them). */
VX_API uint16_t VxSetMidiInThru(uint32_t input, uint32_t output, const VxMidiThru *thru);
/** When the event GetMidiIn last answered arrived, on CLOCK_MONOTONIC in nanoseconds (a JACK
 *  input's event at its own frame); 0 before the first or for an unknown handle. */
VX_API int64_t VxGetMidiInNs(uint32_t input);
/** Copies the full name of input device `device` (no longer than size - 1 bytes, cut at a
 *  character) into name: the name to find the port by again, without the ALSA address that
 *  changes when devices are plugged in. An unknown device gives the empty text. */
VX_API void VxGetMidiInName(uint32_t device, char *name, uint32_t size);

/** Opens a beat timer, stopped, at 500000 us per beat and 96 ticks per quarter note.
 *  reserved must be 0; option1 and option2 are kept and not interpreted. */
VX_API uint32_t OpenSync(uint32_t reserved, const VxNotifySink *sink, uint16_t option1,
                         uint16_t option2);
/** Stops the timer and releases it; no beat is announced after this returns. */
VX_API void CloseSync(uint32_t handle);
/** Stops the beats; VX_NOTIFY_SYNC_DONE follows. */
VX_API void StopSync(uint32_t handle);
/** Starts the beats from position 0: the first comes one period after this call. */
VX_API void StartSync(uint32_t handle);
/** Holds the beats where they are. keepPhase non-zero makes ReStartSync continue the beat
 *  in progress; 0 makes the next beat come one whole period after ReStartSync. */
VX_API void PauseSync(uint32_t handle, uint32_t keepPhase);
/** Continues a paused timer without resetting its position. */
VX_API void ReStartSync(uint32_t handle);
/** Sets the period between beats, in microseconds, taking effect from the next beat.
 *  Answers VX_OK, VX_OUT_OF_RANGE below VX_MIN_PERIOD_US, or VX_REFUSED for 0 or an unknown
 *  handle. */
VX_API uint16_t SetTempo(uint32_t handle, uint32_t periodUs);
/** Records the ticks per quarter note of the music the timer drives; the beat rate does not
 *  change. Answers VX_OK or VX_REFUSED. */
VX_API uint16_t SetResolution(uint32_t handle, uint16_t ticksPerQuarter);
/** The period between beats in microseconds, 0 for an unknown handle. */
VX_API uint32_t GetTempo(uint32_t handle);
VX_API uint16_t GetResolution(uint32_t handle);
/** Beats announced since the last StartSync. */
VX_API uint32_t GetPosition(uint32_t handle);

/** Announces every later beat of the timer through sink, with its run, position and ideal
 *  time, instead of VX_NOTIFY_BEAT through the sink of OpenSync; NULL goes back to that. The
 *  sink's context must stay valid until CloseSync returns. Answers VX_OK or VX_REFUSED. */
VX_API uint16_t VxSetBeatSink(uint32_t handle, const VxBeatSink *sink);
/** Sets the period between beats to numeratorUs / denominator microseconds exactly (937500 /
 *  120 gives 7812.5 us, for instance), so that the beats keep the tempo without drift. On a
 *  running timer the grid goes on from beat fromPosition of the current run: the next beat
 *  is due one new period after that beat's ideal time (at once if that has passed), and
 *  beats of the old period announced after it belong to a finished run. fromPosition is
 *  taken between the start of the current period and the last beat announced. On a stopped
 *  or paused timer only the period changes. Answers VX_OK, VX_OUT_OF_RANGE for a period
 *  below VX_MIN_PERIOD_US, VX_REFUSED for a zero value or an unknown handle. */
VX_API uint16_t VxSetSyncPeriod(uint32_t handle, uint32_t numeratorUs, uint32_t denominator,
                                uint32_t fromPosition);
/** The timer's run: a number that changes at every StartSync, StopSync, PauseSync,
 *  ReStartSync and VxSetSyncPeriod of a running timer. A beat whose run differs from it was
 *  announced before that change. 0 for an unknown handle. */
VX_API uint32_t VxGetSyncRun(uint32_t handle);

/** Opens a Standard MIDI File: mode 'r' reads the whole file, refusing one whose header is
 *  not sound; mode 'w' creates it, its tracks made as they are written, the file written
 *  on CloseSMF. *trackCount receives the number of tracks (0 for writing).
 *  *openParameter is not interpreted. Answers VX_SMF_FAILED on failure. */
VX_API uint32_t OpenSMF(const char *fileName, uint32_t *openParameter, uint8_t mode,
                        uint32_t *trackCount);
/** Writes a file opened with 'w' and releases the handle. */
VX_API void CloseSMF(uint32_t handle);
/** Makes every track's ReadSMF start again from its first event. Answers 0 when done. */
VX_API uint32_t RewindSMF(uint32_t handle);
/** Stores up to room records of track `track` into events, continuing where this track's
 *  last call ended: its channel messages, and in track 0 a record for each Set Tempo and
 *  Time Signature. Answers the number stored; 0 after the track's last record. */
VX_API uint32_t ReadSMF(uint32_t handle, uint32_t track, VxMidiEvent *events, uint32_t room);
/** Appends count records to track `track` of a file opened with 'w'. Tempo and time
 *  signature records are written as their meta events. Answers the number written. */
VX_API uint32_t WriteSMF(uint32_t handle, uint32_t track, const VxMidiEvent *events,
                         uint32_t count);
/** Ticks per quarter note (the file's division word; 0 for an unknown handle). */
VX_API uint16_t GetSMFResolution(uint32_t handle);
/** Sets the division written by a file opened with 'w'. Answers VX_OK or VX_REFUSED. */
VX_API uint16_t SetSMFResolution(uint32_t handle, uint16_t ticksPerQuarter);
/** Finds the first meta event of `type` in `track`: *data points to its bytes (owned by the
 *  library, valid until CloseSMF), *length receives their number. Answers 0, or
 *  VX_META_ABSENT when the track holds none. */
VX_API int32_t ReadMetaEvent(uint32_t handle, uint32_t track, uint8_t type, const uint8_t **data,
                             uint32_t *length);
/** Adds a meta event at the start of `track` of a file opened with 'w'; a length of 0 takes
 *  data as a NUL-terminated text. Answers 0 when written, -1 otherwise. */
VX_API int32_t WriteMetaEvent(uint32_t handle, uint32_t track, uint8_t type, const uint8_t *data,
                              uint32_t length);

#ifdef __cplusplus
}
#endif

#endif
