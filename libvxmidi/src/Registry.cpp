#include "Registry.h"

namespace vx {

Registry &Registry::instance() {
  static Registry registry;
  return registry;
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
