#pragma once
// The progress bar of a run, stepped on the run's thread as the bar on the window would be, and
// handed to the window no more often than it can show it.

#include <chrono>
#include <cstdint>

#include "platform/progress_steps.h"

namespace nuvelo {

class RunProgress {
 public:
  static constexpr auto ShowEvery = std::chrono::milliseconds(15);

  RunProgress(long long maximum, long long position = 0) : maximum_(maximum), position_(position) {}

  // One step; past the maximum the bar starts again.
  void step() { position_ = steppedPosition(position_, 0, maximum_); }
  // One step that stops at the maximum.
  void advanceHeld() {
    if (position_ < maximum_) ++position_;
  }
  long long position() const { return position_; }

  // Whether it is time to show the progress again; steps come as often as entries, so the
  // clock is read every few calls only. `now` shows whatever comes next.
  bool due() {
    if (++calls_ % CallsPerClockReading != 0) return false;
    return dueNow();
  }
  bool dueNow() {
    const auto now = std::chrono::steady_clock::now();
    if (now - shown_ < ShowEvery) return false;
    shown_ = now;
    return true;
  }

 private:
  static constexpr unsigned CallsPerClockReading = 16;
  long long maximum_;
  long long position_;
  unsigned calls_ = 0;
  std::chrono::steady_clock::time_point shown_{};
};

}  // namespace nuvelo
