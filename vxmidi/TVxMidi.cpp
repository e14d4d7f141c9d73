#include "TVxMidi.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

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

  // Entries resolve in table order into the slots of the entry struct, which holds one
  // function pointer per name in the same order; the first missing one names itself and
  // releases the library.
  auto *table = reinterpret_cast<void (**)()>(&entries_);
  for (std::size_t i = 0; i < vxMidiEntryNames.size(); ++i) {
    void *address = dlsym(module_, vxMidiEntryNames[i].name);
    if (!address) {
      dlclose(module_);
      module_ = nullptr;
      entries_ = {};
      throw EVxMidiException("Failed to loadproc:" + decoratedName(i));
    }
    table[i] = reinterpret_cast<void (*)()>(address);
  }
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
