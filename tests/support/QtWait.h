// Waits on a condition while the Qt event loop runs, with a deadline.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <thread>

namespace kovrinta::test {

// Processes events until condition() holds or timeout passes; answers condition().
template <class Condition>
bool waitFor(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace kovrinta::test
