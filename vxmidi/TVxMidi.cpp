#include "TVxMidi.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <type_traits>

namespace {

const char *const libraryName = "libVxMidi.so";

QString &libraryFileOverride() {
  static QString file;
  return file;
}

// The folder of the running program, also before a QCoreApplication exists.
QString programFolder() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
  return QFileInfo(QFile::symLinkTarget("/proc/self/exe")).absolutePath();
}

void *openLibrary(const QString &file) {
  if (!file.isEmpty()) return dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
  const QString beside = QDir(programFolder()).filePath(libraryName);
  if (void *module = dlopen(QFile::encodeName(beside).constData(), RTLD_NOW | RTLD_LOCAL))
    return module;
  return dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

TVxMidi::TVxMidi(QObject *owner) : QObject(owner) {
  load(libraryFileOverride());
}

TVxMidi::TVxMidi(const QString &libraryFile, QObject *owner) : QObject(owner) {
  load(libraryFile);
}

void TVxMidi::load(const QString &file) {
  module_ = openLibrary(file);
  if (!module_) throw EVxMidiException("Load of VxMidi library failed");

  // Entries resolve in table order; the first missing one names itself and releases the
  // library.
  std::size_t next = 0;
  auto bind = [&](auto &slot) {
    const std::size_t i = next++;
    void *address = dlsym(module_, vxMidiEntryNames[i].name);
    if (!address) {
      dlclose(module_);
      module_ = nullptr;
      entries_ = {};
      throw EVxMidiException("Failed to loadproc:" + decoratedName(i));
    }
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
  };
  bind(entries_.GetVxMidiVersion);
  bind(entries_.GetNumOutDevices);
  bind(entries_.GetMidiOutDescription);
  bind(entries_.OpenMidiOut);
  bind(entries_.ResetMidiOut);
  bind(entries_.FlushMidiOut);
  bind(entries_.CloseMidiOut);
  bind(entries_.PutMidiOut);
  bind(entries_.GetNumInDevices);
  bind(entries_.GetMidiInDescription);
  bind(entries_.OpenMidiIn);
  bind(entries_.StartMidiIn);
  bind(entries_.StopMidiIn);
  bind(entries_.CloseMidiIn);
  bind(entries_.GetMidiIn);
  bind(entries_.OpenSync);
  bind(entries_.CloseSync);
  bind(entries_.StopSync);
  bind(entries_.StartSync);
  bind(entries_.PauseSync);
  bind(entries_.ReStartSync);
  bind(entries_.SetTempo);
  bind(entries_.SetResolution);
  bind(entries_.GetTempo);
  bind(entries_.GetResolution);
  bind(entries_.GetPosition);
  bind(entries_.OpenSMF);
  bind(entries_.CloseSMF);
  bind(entries_.RewindSMF);
  bind(entries_.ReadSMF);
  bind(entries_.WriteSMF);
  bind(entries_.GetSMFResolution);
  bind(entries_.SetSMFResolution);
  bind(entries_.ReadMetaEvent);
  bind(entries_.WriteMetaEvent);
  version_ = entries_.GetVxMidiVersion();
}

TVxMidi::~TVxMidi() {
  if (module_ && dlclose(module_) != 0) std::fputs("FreeLibrary failed\n", stderr);
}

std::string TVxMidi::decoratedName(std::size_t i) {
  const VxMidiEntryName &entry = vxMidiEntryNames.at(i);
  return "_" + std::string(entry.name) + "@" + std::to_string(4 * entry.arguments);
}

void TVxMidi::setLibraryFile(const QString &file) {
  libraryFileOverride() = file;
}
