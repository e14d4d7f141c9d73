// A Standard MIDI File opened for reading (parsed whole at open) or for writing
// (written at close).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Registry.h"
#include "VxMidi.h"

namespace vx {

class SmfFile : public Object {
 public:
  // Reads and parses path. Answers nullptr for a file that cannot be read or whose header
  // is not sound; a track that is damaged further on is kept as far as it is sound.
  // When diagnostic is given it receives why the file was refused or cut, naming the track
  // and the byte offset.
  static std::unique_ptr<SmfFile> openForReading(const std::string &path,
                                                 std::string *diagnostic = nullptr);
  // Creates (truncates) path; answers nullptr when it cannot be created.
  static std::unique_ptr<SmfFile> openForWriting(const std::string &path);
  ~SmfFile() override;

  bool isWriting() const;
  // Tracks of the file read, or tracks written so far.
  uint32_t trackCount() const;
  // Ticks per quarter note: the division word.
  uint16_t resolution() const;
  bool setResolution(uint16_t ticksPerQuarter);

  // Makes every track's read() start from its first record again.
  void rewind();
  // Copies up to room records of track, continuing where the last call ended. Records are
  // the channel messages (0x80..0xEF, data2 0 for two-byte messages, data3 0) and, in
  // track 0 only, one status-0 record per Set Tempo whose data bytes are the tempo's
  // three bytes; the delta of every event left out is carried into the next record.
  uint32_t read(uint32_t track, VxMidiEvent *events, uint32_t room);
  // The first meta event of type in track; false when there is none.
  bool readMeta(uint32_t track, uint8_t type, const uint8_t **data, uint32_t *length) const;

  // Appends records to track (creating tracks up to it); status-0 records become Set
  // Tempo meta events. Answers the number taken.
  uint32_t write(uint32_t track, const VxMidiEvent *events, uint32_t count);
  // Adds a meta event at time 0 of track, before its records. false when refused.
  bool writeMeta(uint32_t track, uint8_t type, const uint8_t *data, uint32_t length);
  // Writes the file (format 0 for one track, else 1). false when writing failed.
  bool finish();

 private:
  SmfFile();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx
