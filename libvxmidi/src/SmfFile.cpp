#include "SmfFile.h"

namespace vx {

struct SmfFile::Impl {};

SmfFile::SmfFile() = default;
SmfFile::~SmfFile() = default;
std::unique_ptr<SmfFile> SmfFile::openForReading(const std::string &, std::string *) {
  return nullptr;
}
std::unique_ptr<SmfFile> SmfFile::openForWriting(const std::string &) { return nullptr; }
bool SmfFile::isWriting() const { return false; }
uint32_t SmfFile::trackCount() const { return 0; }
uint16_t SmfFile::resolution() const { return 0; }
bool SmfFile::setResolution(uint16_t) { return false; }
void SmfFile::rewind() {}
uint32_t SmfFile::read(uint32_t, VxMidiEvent *, uint32_t) { return 0; }
bool SmfFile::readMeta(uint32_t, uint8_t, const uint8_t **, uint32_t *) const { return false; }
uint32_t SmfFile::write(uint32_t, const VxMidiEvent *, uint32_t) { return 0; }
bool SmfFile::writeMeta(uint32_t, uint8_t, const uint8_t *, uint32_t) { return false; }
bool SmfFile::finish() { return false; }

}  // namespace vx
