// Loading the library: the real one, a missing one, and one that lacks an entry.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "TVxMidi.h"
#include "VxMidi.h"

namespace {

bool isLoaded(const char *file) {
  void *module = dlopen(file, RTLD_NOW | RTLD_NOLOAD);
  if (module) dlclose(module);
  return module != nullptr;
}

TEST(Loader, MissingLibraryRaisesAndLeavesNothingLoaded) {
  const char *missing = "/nonexistent/libVxMidi.so";
  try {
    TVxMidi vxMidi{QString(missing)};
    FAIL() << "loading a missing library succeeded";
  } catch (const EVxMidiException &e) {
    EXPECT_STREQ(e.what(), "Load of VxMidi library failed");
  }
  EXPECT_FALSE(isLoaded(missing));
}

TEST(Loader, MissingEntryNamesItsDecoratedNameAndReleasesTheLibrary) {
  ASSERT_FALSE(isLoaded(VXMIDI_FAKE_NO_PAUSE_LIBRARY));
  try {
    TVxMidi vxMidi{QString(VXMIDI_FAKE_NO_PAUSE_LIBRARY)};
    FAIL() << "a library without PauseSync loaded";
  } catch (const EVxMidiException &e) {
    EXPECT_STREQ(e.what(), "Failed to loadproc:_PauseSync@8");
  }
  EXPECT_FALSE(isLoaded(VXMIDI_FAKE_NO_PAUSE_LIBRARY));
}

TEST(Loader, DecoratedNamesCountFourBytesPerArgument) {
  EXPECT_EQ(TVxMidi::decoratedName(0), "_GetVxMidiVersion@0");
  EXPECT_EQ(TVxMidi::decoratedName(3), "_OpenMidiOut@16");
  EXPECT_EQ(TVxMidi::decoratedName(34), "_WriteMetaEvent@20");
}

TEST(Loader, RealLibraryExportsEveryEntry) {
  void *module = dlopen(VXMIDI_REAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  for (const auto &entry : vxMidiEntryNames)
    EXPECT_NE(dlsym(module, entry.name), nullptr) << entry.name;
  dlclose(module);

  TVxMidi vxMidi{QString(VXMIDI_REAL_LIBRARY)};
  EXPECT_EQ(vxMidi.Version(), VX_VERSION);
  const auto *entryAddresses = reinterpret_cast<void *const *>(&vxMidi.entries());
  for (std::size_t i = 0; i < vxMidiEntryNames.size(); ++i)
    EXPECT_NE(entryAddresses[i], nullptr) << vxMidiEntryNames[i].name;
}

TEST(Loader, DefaultSearchFindsTheLibraryOfTheProgramFolderOrTheOverride) {
  TVxMidi::setLibraryFile(VXMIDI_REAL_LIBRARY);
  TVxMidi vxMidi;
  TVxMidi::setLibraryFile({});
  EXPECT_EQ(vxMidi.Version(), VX_VERSION);
}

}  // namespace
