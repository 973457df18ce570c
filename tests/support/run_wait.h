#pragma once
// The window's searches and copies run as jobs: a test lets the window's events through until
// the run it started has ended, as the user's event loop would.

#include <gtest/gtest.h>

#include <QTest>
#include <condition_variable>
#include <mutex>

#include "gui/main_window/main_window.h"

namespace nuvelo::testing {

inline void awaitRunEnd(MainWindow& form) {
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.running(); }, 120000)) << "the run did not end";
}

// Holds the window's runs at their start until opened: what a test does "during" a run then
// happens before the run has done anything, however fast its thread is.
class RunGate {
 public:
  explicit RunGate(MainWindow& form) {
    form.setRunGate([this] {
      std::unique_lock lock(mutex_);
      opened_.wait(lock, [this] { return open_; });
    });
  }
  ~RunGate() { open(); }
  void close() {
    const std::lock_guard lock(mutex_);
    open_ = false;
  }
  void open() {
    {
      const std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = true;
};

}  // namespace nuvelo::testing
