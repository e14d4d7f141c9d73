// Entry points of Standard MIDI Files.
#include "Sealed.h"
#include "SmfFile.h"
#include "VxMidi.h"

using vx::existing;
using vx::registerWith;
using vx::Registry;
using vx::sealed;

extern "C" {

VX_API uint32_t OpenSMF(const char *fileName, uint32_t *, uint8_t mode, uint32_t *trackCount) {
  return sealed(uint32_t{VX_SMF_FAILED}, [&]() -> uint32_t {
    if (!fileName) return VX_SMF_FAILED;
    std::unique_ptr<vx::SmfFile> file;
    if (mode == 'r')
      file = vx::SmfFile::openForReading(fileName);
    else if (mode == 'w')
      file = vx::SmfFile::openForWriting(fileName);
    if (!file) return VX_SMF_FAILED;
    if (trackCount) *trackCount = file->trackCount();
    return registerWith(std::move(file), nullptr);
  });
}

VX_API void CloseSMF(uint32_t handle) {
  sealed([&] {
    if (!Registry::instance().find<vx::SmfFile>(handle)) return;
    auto object = Registry::instance().remove(handle);
    static_cast<vx::SmfFile *>(object.get())->finish();
  });
}

VX_API uint32_t RewindSMF(uint32_t handle) {
  return sealed(1u, [&] {
    existing<vx::SmfFile>(handle).rewind();
    return 0u;
  });
}

VX_API uint32_t ReadSMF(uint32_t handle, uint32_t track, VxMidiEvent *events, uint32_t room) {
  return sealed(0u, [&]() -> uint32_t {
    if (!events) return 0;
    return existing<vx::SmfFile>(handle).read(track, events, room);
  });
}

VX_API uint32_t WriteSMF(uint32_t handle, uint32_t track, const VxMidiEvent *events,
                         uint32_t count) {
  return sealed(0u, [&]() -> uint32_t {
    if (!events) return 0;
    return existing<vx::SmfFile>(handle).write(track, events, count);
  });
}

VX_API uint16_t GetSMFResolution(uint32_t handle) {
  return sealed(uint16_t{0}, [&] { return existing<vx::SmfFile>(handle).resolution(); });
}

VX_API uint16_t SetSMFResolution(uint32_t handle, uint16_t ticksPerQuarter) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    return existing<vx::SmfFile>(handle).setResolution(ticksPerQuarter) ? VX_OK : VX_REFUSED;
  });
}

VX_API int32_t ReadMetaEvent(uint32_t handle, uint32_t track, uint8_t type, const uint8_t **data,
                             uint32_t *length) {
  return sealed(int32_t{VX_META_ABSENT}, [&]() -> int32_t {
    if (!data || !length) return VX_META_ABSENT;
    return existing<vx::SmfFile>(handle).readMeta(track, type, data, length) ? 0 : VX_META_ABSENT;
  });
}

VX_API int32_t WriteMetaEvent(uint32_t handle, uint32_t track, uint8_t type, const uint8_t *data,
                              uint32_t length) {
  return sealed(int32_t{-1}, [&]() -> int32_t {
    if (!data) return -1;
    return existing<vx::SmfFile>(handle).writeMeta(track, type, data, length) ? 0 : -1;
  });
}

}  // extern "C"
