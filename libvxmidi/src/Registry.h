// The table of open handles and the lock every entry point holds while it works.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace vx {

// Anything a handle can stand for: an output, an input, a timer or a file.
class Object {
 public:
  virtual ~Object() = default;
  // Lets go of every other object it uses (an input of the output it plays on), so that the
  // objects can then go in any order. Entry lock.
  virtual void releaseOthers() {}
};

class Registry {
 public:
  // The process-wide table; created on first use.
  static Registry &instance();

  // Held by every entry point for the whole call, so entries never run concurrently.
  std::recursive_mutex &entryLock() { return lock_; }

  // Takes ownership and answers a new handle, always above VX_HANDLE_FAILED_MAX and never
  // reused while the library stays loaded.
  uint32_t add(std::unique_ptr<Object> object);

  // The object behind handle if it is of type T, else nullptr.
  template <class T>
  T *find(uint32_t handle) const {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : dynamic_cast<T *>(it->second.get());
  }

  // Calls visit with every open object of type T, in order of opening.
  template <class T, class Visit>
  void forEach(Visit visit) const {
    for (const auto &entry : objects_)
      if (auto *object = dynamic_cast<T *>(entry.second.get())) visit(*object);
  }

  // Gives up ownership of the object behind handle (nullptr for an unknown handle).
  std::unique_ptr<Object> remove(uint32_t handle);

  // Destroys every object, in reverse order of opening, once each has let go of the others;
  // used when the library unloads.
  void clear();

 private:
  std::recursive_mutex lock_;
  std::map<uint32_t, std::unique_ptr<Object>> objects_;
  uint32_t next_ = 0x100;
};

}  // namespace vx
