#pragma once
// Texts that change faster than anyone can read (entries read, files and bytes copied), shown
// in a status panel at most ten times a second.

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <optional>

namespace nuvelo {

class StatusBar;

// Lets an update through when at least `interval` milliseconds have passed since the last one
// let through; the first at once.
class UpdateLimit {
 public:
  explicit UpdateLimit(std::int64_t intervalMilliseconds) : interval_(intervalMilliseconds) {}
  bool due(std::int64_t nowMilliseconds) {
    if (last_ && nowMilliseconds - *last_ < interval_) return false;
    last_ = nowMilliseconds;
    return true;
  }

 private:
  std::int64_t interval_;
  std::optional<std::int64_t> last_;
};

class StatusText {
 public:
  static constexpr std::int64_t IntervalMilliseconds = 100;

  StatusText(StatusBar& bar, int panel);

  // Whether a new text may show now; the caller makes the text only then.
  bool due();
  // Shows the text now, whether due or not (before a box comes up, say).
  void show(const QString& text);

 private:
  StatusBar& bar_;
  int panel_;
  QElapsedTimer clock_;
  UpdateLimit limit_{IntervalMilliseconds};
};

}  // namespace nuvelo
