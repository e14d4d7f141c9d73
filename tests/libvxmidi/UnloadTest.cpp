// The library loaded and unloaded at run time, as the program does: nothing of it may stay
// in use once it is gone.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <jack/jack.h>

#include <fstream>
#include <string>

#include "JackServer.h"

namespace {

bool mapped(const std::string &file) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find(file) != std::string::npos) return true;
  return false;
}

// Listing the devices silences libjack's messages, which this test's own libjack keeps after
// the library is gone: an error libjack reports then must not call into unloaded code.
TEST(Unload, JackGetsItsOwnMessagesBackWhenTheLibraryIsUnloaded) {
  void *library = dlopen(VXMIDI_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto count = reinterpret_cast<uint32_t (*)()>(dlsym(library, "GetNumOutDevices"));
  ASSERT_NE(count, nullptr);
  count();
  dlclose(library);
  ASSERT_FALSE(mapped(VXMIDI_LIBRARY_FILE)) << "the library stayed loaded";
  jack_status_t status{};
  jack_client_t *client = jack_client_open(
      "unload-test", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
      "kovrinta-no-such-server");
  EXPECT_EQ(client, nullptr);
}

// Listing the devices opens a JACK client and closes it on a thread of its own; the program
// may unload the library as soon as the list is back, while that thread is still ending.
TEST(Unload, TheLibraryGoesRightAfterAListThatClosedAJackClient) {
  kovrinta::test::JackServer server;
  KOVRINTA_REQUIRE_JACK(server);
  for (int i = 0; i < 60; ++i) {
    void *library = dlopen(VXMIDI_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto count = reinterpret_cast<uint32_t (*)()>(dlsym(library, "GetNumOutDevices"));
    ASSERT_NE(count, nullptr);
    ASSERT_GT(count(), 0u);
    dlclose(library);
    ASSERT_FALSE(mapped(VXMIDI_LIBRARY_FILE)) << "the library stayed loaded";
  }
}

}  // namespace
