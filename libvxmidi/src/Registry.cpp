#include "Registry.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VXMIDI_LEAK_CHECKED 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define VXMIDI_LEAK_CHECKED 1
#endif
#ifdef VXMIDI_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace vx {

namespace {

// Closes every open handle when the library unloads or the process exits, so no thread of
// ours outlives the code. The table itself is never destroyed: a caller whose own static
// objects are torn down after ours still finds a valid, empty table and gets refusals
// instead of touching freed memory.
struct Teardown {
  Registry *registry;
  ~Teardown() {
    std::lock_guard guard(registry->entryLock());
    registry->clear();
  }
};

}  // namespace

Registry &Registry::instance() {
  static Registry *registry = [] {
    auto *table = new Registry;
#ifdef VXMIDI_LEAK_CHECKED
    // Once the library is unloaded nothing points to the table any more; that is by design,
    // not a leak.
    __lsan_ignore_object(table);
#endif
    return table;
  }();
  static Teardown teardown{registry};
  return *registry;
}

uint32_t Registry::add(std::unique_ptr<Object> object) {
  const uint32_t handle = next_++;
  objects_.emplace(handle, std::move(object));
  return handle;
}

std::unique_ptr<Object> Registry::remove(uint32_t handle) {
  auto it = objects_.find(handle);
  if (it == objects_.end()) return nullptr;
  auto object = std::move(it->second);
  objects_.erase(it);
  return object;
}

void Registry::clear() {
  for (auto &entry : objects_) entry.second->releaseOthers();
  while (!objects_.empty()) objects_.erase(std::prev(objects_.end()));
}

}  // namespace vx
