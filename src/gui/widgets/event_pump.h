#pragma once
// Lets pending window events run during a long search or copy on the user-interface thread,
// at most every few milliseconds so the work keeps its speed, and keeps the progress bar
// current meanwhile.

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>

namespace nuvelo {

class EventPump {
 public:
  static constexpr int IntervalMilliseconds = 10;

  explicit EventPump(QProgressBar* bar = nullptr);

  // One step of the progress bar, then pending events if it is time. Steps come as often as
  // entries: the clock is read every few steps only.
  void step();
  // One step that stops at the maximum instead of starting again, then pending events if it
  // is time.
  void advanceHeld();
  // Pending events if it is time, by the clock read now: polls come far apart (every few
  // thousand entries, or between waits for a folder's listing), and counting them would hold
  // the events back for many waits.
  void poll();
  // The progress bar brought up to date, without letting events run.
  void sync();
  // Pending events now, and the bar brought up to date.
  void processNow();

  // Tests let events through at every call, so that what they schedule runs at a known point.
  static void letEventsThroughEveryCall(bool everyCall) { everyCall_ = everyCall; }
  void setPosition(long long position);

 private:
  bool dueAfterSteps();
  bool dueNow() const;

  QPointer<QProgressBar> bar_;
  QElapsedTimer sinceLast_;
  long long position_ = 0;
  unsigned callsSinceClock_ = 0;
  static inline bool everyCall_ = false;
};

}  // namespace nuvelo
