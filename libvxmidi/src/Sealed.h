// What every entry point of the library shares: the entry lock and the seal that keeps
// exceptions from crossing the C interface.
#pragma once

#include <exception>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "Notifier.h"
#include "OpenFailure.h"
#include "Registry.h"
#include "VxMidi.h"

namespace vx {

// Runs body with the entry lock held; any exception becomes failure.
template <class Result, class Body>
Result sealed(Result failure, Body &&body) noexcept {
  try {
    std::lock_guard guard(Registry::instance().entryLock());
    return body();
  } catch (const std::exception &) {
    return failure;
  } catch (...) {
    return failure;
  }
}

template <class Body>
void sealed(Body &&body) noexcept {
  sealed(0, [&] {
    body();
    return 0;
  });
}

// Runs an open entry's body with the entry lock held; a device that fails answers the code
// of its OpenFailure, any other exception VX_OPEN_FAILED.
template <class Body>
uint32_t sealedOpen(Body &&body) noexcept {
  try {
    std::lock_guard guard(Registry::instance().entryLock());
    return body();
  } catch (const OpenFailure &failure) {
    return failure.code();
  } catch (...) {
    return VX_OPEN_FAILED;
  }
}

// The object of type T behind handle; throws for an unknown handle or another kind.
template <class T>
T &existing(uint32_t handle) {
  T *object = Registry::instance().find<T>(handle);
  if (!object) throw std::invalid_argument("unknown handle");
  return *object;
}

// Registers object and tells its notifier the handle it announces with.
template <class T>
uint32_t registerWith(std::unique_ptr<T> object, Notifier *notifier) {
  const uint32_t handle = Registry::instance().add(std::move(object));
  if (notifier) notifier->setHandle(handle);
  return handle;
}

}  // namespace vx
