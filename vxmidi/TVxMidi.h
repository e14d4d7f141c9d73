// The loader: loads libVxMidi at run time and holds its entry points.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

#include "EVxMidiException.h"
#include "VxMidiEntries.h"

class TVxMidi : public QObject {
 public:
  // Loads the library: libVxMidi.so in the program's folder first, then on the system's
  // library path (or the file set with setLibraryFile). Throws EVxMidiException with
  // "Load of VxMidi library failed", or "Failed to loadproc:<decorated name>" for the first
  // missing entry, after releasing the library again.
  explicit TVxMidi(QObject *owner = nullptr);
  // Loads the given library file instead, with the same rules.
  explicit TVxMidi(const QString &libraryFile, QObject *owner = nullptr);
  // Releases the library; a failed release is reported as "FreeLibrary failed" on standard
  // error (a destructor cannot raise it).
  ~TVxMidi() override;

  TVxMidi(const TVxMidi &) = delete;
  TVxMidi &operator=(const TVxMidi &) = delete;

  // The entry points; valid while this object lives.
  const VxMidiEntries &entries() const { return entries_; }
  // GetVxMidiVersion, taken right after loading.
  uint16_t Version() const { return version_; }

  // The decorated name of entry i of the table, e.g. "_PauseSync@8".
  static std::string decoratedName(std::size_t i);

  // Makes every later default construction load file instead (tests; empty restores the
  // normal search).
  static void setLibraryFile(const QString &file);

 private:
  void load(const QString &file);

  void *module_ = nullptr;
  VxMidiEntries entries_{};
  uint16_t version_ = 0;
};
