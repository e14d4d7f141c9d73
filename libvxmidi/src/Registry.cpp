#include "Registry.h"

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
  static Registry *registry = new Registry;
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
  while (!objects_.empty()) objects_.erase(std::prev(objects_.end()));
}

}  // namespace vx
