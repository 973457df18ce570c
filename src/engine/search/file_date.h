#pragma once
// File times as the program's date-time values, and the date test of the search.

#include <climits>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/posix/date_time_value.h"

namespace nuvelo {

// A file's last-write time in local time (the time-zone rules in force at that instant), to
// the millisecond.
DateTimeValue LocalFileDate(const timespec& fileTime);

// The local date-time of a file time as its parts, for display.
struct LocalTimeParts {
  int year, month, day, hour, minute, second;
  long utcOffset = 0;  // seconds east of UTC
};
LocalTimeParts localTimeParts(std::int64_t seconds);

// The same for many times in a row: times within one quarter hour share the time-zone work,
// which is where all time-zone changes fall.
class LocalTimeCache {
 public:
  LocalTimeParts parts(std::int64_t seconds);

 private:
  std::int64_t bucket_ = INT64_MIN;
  LocalTimeParts base_{};
  bool uniform_ = false;  // no change of the offset from UTC within the bucket
};

// The threshold of the date test as an instant: a file passes when its local last-write time
// lies on or after the chosen day's midnight, that is when its time is not before the first
// instant whose local time is that midnight or later. One comparison per file, no time-zone
// work on the walk's hot path.
//
// With the change time taken too, a file also passes when its inode change time (ctime) lies
// on or after the threshold: a file moved or renamed into the tree, or unpacked from an
// archive with its old last-write time, has an old last-write time but a new change time.
class SinceThreshold {
 public:
  static SinceThreshold forDay(DateTimeValue sinceDate);
  // Files whose time is not before this second (since the epoch) pass.
  static SinceThreshold forInstant(std::int64_t firstSecond) { return SinceThreshold(firstSecond); }
  // Every file passes.
  static SinceThreshold always() { return SinceThreshold(INT64_MIN); }
  SinceThreshold withChangeTime(bool taken) const {
    SinceThreshold copy = *this;
    copy.changeTime_ = taken;
    return copy;
  }
  bool passes(std::int64_t modifiedSeconds, std::int64_t changedSeconds) const {
    return modifiedSeconds >= firstSecond_ || (changeTime_ && changedSeconds >= firstSecond_);
  }
  std::int64_t firstSecond() const { return firstSecond_; }
  bool takesChangeTime() const { return changeTime_; }

 private:
  explicit SinceThreshold(std::int64_t firstSecond) : firstSecond_(firstSecond) {}
  std::int64_t firstSecond_;
  bool changeTime_ = false;
};

// "yyyy/mm/dd hh:nn:ss", the slash and colon replaced by the given separators.
std::string dateTimeText(const LocalTimeParts& parts, const std::string& dateSeparator,
                         const std::string& timeSeparator);
// The same, appended to `out`.
void appendDateTimeText(std::string& out, const LocalTimeParts& parts,
                        const std::string& dateSeparator, const std::string& timeSeparator);

}  // namespace nuvelo
