#include "SmfFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "SmfParser.h"
#include "SmfWriter.h"

namespace vx {

namespace {

// The whole file is read at open; anything larger is no song and is refused unread.
constexpr std::uintmax_t kMaxFileSize = 64u << 20;
constexpr uint16_t kDefaultDivision = 96;

struct FileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads the whole of a regular file; answers false with why set otherwise. Only regular
// files are read, so a FIFO or a device cannot make the open hang or read forever.
bool readWhole(const std::string &path, std::vector<uint8_t> *bytes, std::string *why) {
  std::error_code error;
  const std::filesystem::path name(path);
  if (!std::filesystem::is_regular_file(name, error)) {
    *why = error ? "cannot be read: " + error.message() : "is not a regular file";
    return false;
  }
  const std::uintmax_t size = std::filesystem::file_size(name, error);
  if (error) {
    *why = "cannot be read: " + error.message();
    return false;
  }
  if (size > kMaxFileSize) {
    *why = "is larger than " + std::to_string(kMaxFileSize >> 20) + " MiB";
    return false;
  }
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *why = "cannot be opened";
    return false;
  }
  bytes->resize(static_cast<size_t>(size));
  // One byte more than expected is asked for, so a file that grew since is noticed.
  uint8_t probe = 0;
  const size_t got = size ? std::fread(bytes->data(), 1, bytes->size(), file.get()) : 0;
  if (got != size || std::fread(&probe, 1, 1, file.get()) != 0) {
    *why = "changed while it was read";
    return false;
  }
  return true;
}

std::string joinLines(const std::string &path, const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines) {
    if (!text.empty()) text += '\n';
    text += path + ": " + line;
  }
  return text;
}

}  // namespace

struct SmfFile::Impl {
  bool writing = false;

  // Reading: the file's bytes stay for the meta-event data handed out by readMeta.
  std::vector<uint8_t> bytes;
  size_t smfBegin = 0;
  SmfContent content;
  std::vector<size_t> cursors;  // per track: records already delivered

  // Writing: the file is created at open and filled by finish().
  FilePtr out;
  SmfWriter writer;
  uint16_t division = kDefaultDivision;
  bool finished = false;
  bool finishResult = false;
};

SmfFile::SmfFile() : impl_(std::make_unique<Impl>()) {}

SmfFile::~SmfFile() {
  // A file opened for writing and never finished is still written, so no score is lost.
  if (impl_->writing && !impl_->finished) finish();
}

std::unique_ptr<SmfFile> SmfFile::openForReading(const std::string &path, std::string *diagnostic) {
  std::unique_ptr<SmfFile> file(new SmfFile);
  Impl &d = *file->impl_;
  std::string why;
  std::vector<std::string> problems;
  if (diagnostic) diagnostic->clear();
  if (!readWhole(path, &d.bytes, &why)) {
    if (diagnostic) *diagnostic = path + ": refused: the file " + why;
    return nullptr;
  }
  size_t smfSize = 0;
  bool sound = locateSmf(d.bytes.data(), d.bytes.size(), &d.smfBegin, &smfSize, &why);
  if (!sound) {
    problems.push_back("not a Standard MIDI File: " + why);
  } else {
    sound = parseSmf(d.bytes.data() + d.smfBegin, smfSize, d.smfBegin, &d.content,
                     diagnostic ? &problems : nullptr);
  }
  if (diagnostic) {
    *diagnostic = joinLines(path, problems);
    if (!sound) *diagnostic = path + ": refused\n" + *diagnostic;
  }
  if (!sound) return nullptr;
  d.cursors.assign(d.content.tracks.size(), 0);
  return file;
}

std::unique_ptr<SmfFile> SmfFile::openForWriting(const std::string &path) {
  FilePtr out(std::fopen(path.c_str(), "wb"));
  if (!out) return nullptr;
  std::unique_ptr<SmfFile> file(new SmfFile);
  file->impl_->writing = true;
  file->impl_->out = std::move(out);
  return file;
}

bool SmfFile::isWriting() const {
  return impl_->writing;
}

uint32_t SmfFile::trackCount() const {
  return impl_->writing ? impl_->writer.trackCount()
                        : static_cast<uint32_t>(impl_->content.tracks.size());
}

uint16_t SmfFile::resolution() const {
  return impl_->writing ? impl_->division : impl_->content.division;
}

bool SmfFile::setResolution(uint16_t ticksPerQuarter) {
  if (!impl_->writing || impl_->finished || ticksPerQuarter == 0) return false;
  impl_->division = ticksPerQuarter;
  return true;
}

void SmfFile::rewind() {
  std::fill(impl_->cursors.begin(), impl_->cursors.end(), 0);
}

uint32_t SmfFile::read(uint32_t track, VxMidiEvent *events, uint32_t room) {
  Impl &d = *impl_;
  if (d.writing || track >= d.content.tracks.size()) return 0;
  const SmfTrack &t = d.content.tracks[track];
  size_t &cursor = d.cursors[track];
  const size_t count = std::min<size_t>(room, t.eventCount - cursor);
  std::copy_n(d.content.events.begin() + static_cast<std::ptrdiff_t>(t.firstEvent + cursor), count,
              events);
  cursor += count;
  return static_cast<uint32_t>(count);
}

bool SmfFile::readMeta(uint32_t track, uint8_t type, const uint8_t **data, uint32_t *length) const {
  const Impl &d = *impl_;
  if (d.writing || track >= d.content.tracks.size()) return false;
  for (const SmfMetaRef &meta : d.content.tracks[track].metas) {
    if (meta.type != type) continue;
    *data = d.bytes.data() + d.smfBegin + meta.offset;
    *length = meta.length;
    return true;
  }
  return false;
}

uint32_t SmfFile::write(uint32_t track, const VxMidiEvent *events, uint32_t count) {
  if (!impl_->writing || impl_->finished) return 0;
  return impl_->writer.appendRecords(track, events, count);
}

bool SmfFile::writeMeta(uint32_t track, uint8_t type, const uint8_t *data, uint32_t length) {
  if (!impl_->writing || impl_->finished) return false;
  // A length of 0 stands for a NUL-terminated text; the NUL is not written.
  if (length == 0)
    length = static_cast<uint32_t>(std::strlen(reinterpret_cast<const char *>(data)));
  return impl_->writer.appendMeta(track, type, data, length);
}

bool SmfFile::finish() {
  Impl &d = *impl_;
  if (!d.writing) return true;
  if (d.finished) return d.finishResult;
  d.finished = true;
  const std::vector<uint8_t> bytes = d.writer.build(d.division);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), d.out.get()) == bytes.size();
  ok = std::fflush(d.out.get()) == 0 && ok;
  ok = std::fclose(d.out.release()) == 0 && ok;
  d.finishResult = ok;
  return ok;
}

}  // namespace vx
