#include "search/file_date.h"

#include <cstdio>

namespace nuvelo {
namespace {

constexpr double SecondsPerDay = 86400.0;

bool localDayReached(std::int64_t second, DateTimeValue day) {
  return LocalFileDate(timespec{static_cast<time_t>(second), 0}) >= day;
}

}  // namespace

LocalTimeParts localTimeParts(std::int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

DateTimeValue LocalFileDate(const timespec& fileTime) {
  const LocalTimeParts p = localTimeParts(fileTime.tv_sec);
  const double milliseconds = static_cast<double>(fileTime.tv_nsec / 1000000);
  return dateValueOf({p.year, p.month, p.day}) +
         ((p.hour * 60.0 + p.minute) * 60.0 + p.second + milliseconds / 1000.0) / SecondsPerDay;
}

SinceThreshold SinceThreshold::forDay(DateTimeValue sinceDate) {
  const CivilDate day = civilDateOf(sinceDate);
  std::tm midnight{};
  midnight.tm_year = day.year - 1900;
  midnight.tm_mon = day.month - 1;
  midnight.tm_mday = day.day;
  midnight.tm_isdst = -1;
  const std::int64_t guess = static_cast<std::int64_t>(mktime(&midnight));
  const DateTimeValue target = dateValueOf(day);
  // The first second whose local time reaches the day, searched around mktime's answer so that
  // a midnight skipped or repeated by a daylight-saving change is handled.
  std::int64_t low = guess - 2 * 86400;  // before the day
  std::int64_t high = guess + 2 * 86400;  // within or after it
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    (localDayReached(middle, target) ? high : low) = middle;
  }
  return SinceThreshold(high);
}

std::string dateTimeText(const LocalTimeParts& p, const std::string& dateSeparator,
                         const std::string& timeSeparator) {
  char text[96];
  std::snprintf(text, sizeof text, "%04d%s%02d%s%02d %02d%s%02d%s%02d", p.year,
                dateSeparator.c_str(), p.month, dateSeparator.c_str(), p.day, p.hour,
                timeSeparator.c_str(), p.minute, timeSeparator.c_str(), p.second);
  return text;
}

}  // namespace nuvelo
