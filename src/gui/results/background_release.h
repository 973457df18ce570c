#pragma once
// Frees a large value on a thread of its own, so that freeing a million rows, one string at a
// time, does not hold up the window's events. One value is freed at a time: handing over the
// next waits for the last, and the destructor waits for it too.

#include <thread>
#include <utility>

namespace nuvelo {

class BackgroundRelease {
 public:
  BackgroundRelease() = default;
  BackgroundRelease(const BackgroundRelease&) = delete;
  BackgroundRelease& operator=(const BackgroundRelease&) = delete;
  ~BackgroundRelease() { wait(); }

  template <class T>
  void release(T value) {
    wait();
    thread_ = std::thread([held = std::move(value)]() mutable { T freed = std::move(held); });
  }

  // Until the value handed over last is freed.
  void wait() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace nuvelo
