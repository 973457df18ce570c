#include "gui/widgets/event_pump.h"

#include <QCoreApplication>

#include "platform/progress_steps.h"

namespace nuvelo {
namespace {

// Reading the clock costs more than a step: look at it every few calls only.
constexpr unsigned CallsPerClockReading = 16;

}  // namespace

EventPump::EventPump(QProgressBar* bar) : bar_(bar) {
  if (bar_) position_ = bar_->value();
  sinceLast_.start();
}

void EventPump::setPosition(long long position) {
  position_ = position;
  if (bar_) bar_->setValue(static_cast<int>(position_));
}

void EventPump::step() {
  if (bar_) position_ = steppedPosition(position_, bar_->minimum(), bar_->maximum());
  if (dueAfterSteps()) processNow();
}

void EventPump::advanceHeld() {
  if (bar_ && position_ < bar_->maximum()) ++position_;
  if (dueAfterSteps()) processNow();
}

void EventPump::sync() {
  if (bar_) bar_->setValue(static_cast<int>(position_));
}

void EventPump::poll() {
  if (dueNow()) processNow();
}

bool EventPump::dueAfterSteps() {
  if (everyCall_) return true;
  if (++callsSinceClock_ < CallsPerClockReading) return false;
  callsSinceClock_ = 0;
  return dueNow();
}

bool EventPump::dueNow() const {
  return everyCall_ || sinceLast_.elapsed() >= IntervalMilliseconds;
}

void EventPump::processNow() {
  sync();
  QCoreApplication::processEvents();
  sinceLast_.restart();
}

}  // namespace nuvelo
