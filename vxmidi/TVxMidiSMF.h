// A Standard MIDI File opened through the library, moving whole tracks between the file and
// a bound score: track i of the score is track i of the file.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

#include "VxMidi.h"

class TVxMidi;
class TVxMidiScore;
class TVxMidiSync;
class TVxMidiTrack;

// A meta event's data bytes, owned by the caller; result -1 when none was found.
struct TVxMidiMeta {
  int32_t result = -1;
  std::vector<uint8_t> data;
  bool found() const { return result != -1; }
};

class TVxMidiSMF : public QObject {
 public:
  explicit TVxMidiSMF(QObject *owner = nullptr);
  // Closes an open file.
  ~TVxMidiSMF() override;

  // The loader; assigned by the owner.
  TVxMidi *VxMidi = nullptr;

  uint32_t Handle() const { return handle_; }
  bool IsOpen() const { return open_; }
  char Mode() const { return mode_; }
  uint32_t OpenParameter() const { return openParameter_; }
  // Tracks of the open file; 0 before the first open and after Close.
  uint32_t GetNumTracks() const { return trackCount_; }
  TVxMidiScore *Score() const { return score_; }

  // Opens fileName for reading ('r') or writing ('w'), closing an open file first (which
  // also forgets the score); true when open. Throws "No VxMidi" without a loader.
  bool Open(const QString &fileName, char Mode, uint32_t OpenParameter);
  // Closes the file and forgets the score. Throws "SMF not open".
  void Close();
  void SetScore(TVxMidiScore *score) { score_ = score; }
  // Restarts the reading of every track; true when the library did. No open check.
  bool Rewind();
  // Ticks per quarter note: the file's division word.
  uint16_t GetResolution();

  // Reads the file track of track's place in the score into track, growing its slots as
  // needed; true when it read any event. Throws "SMF not open", then "SMF cant read" (not
  // read mode, or no score), then "SMF bad track".
  virtual bool ReadTrack(TVxMidiTrack *track);
  // Writes track (its name first, as a track-name meta event) as the file track of its
  // place in the score; true when every event was written. Throws "SMF cant write", then
  // "SMF bad track".
  virtual bool WriteTrack(TVxMidiTrack *track);
  // Clears and reads every track of the score in order, then gives timer (if any) the
  // file's resolution; true. Throws "SMF cant read".
  bool ReadScore(TVxMidiSync *timer);
  // A copy of the data of the first meta event of type in track. Throws "SMF cant read".
  TVxMidiMeta ReadMeta(TVxMidiTrack *track, uint8_t type);
  // Writes a meta event of type into track; a length of 0 takes data as a zero-terminated
  // text. True when written. Throws "SMF cant write".
  bool WriteMeta(TVxMidiTrack *track, uint8_t type, const uint8_t *data, uint32_t length);

 private:
  uint32_t handle_ = 0;
  bool open_ = false;
  char mode_ = 0;
  uint32_t openParameter_ = 0;
  uint32_t trackCount_ = 0;
  TVxMidiScore *score_ = nullptr;
  // Where the library puts each block of events read.
  std::vector<VxMidiEvent> block_;
};
