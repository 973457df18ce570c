#include "engine/search/file_date.h"

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
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,  local.tm_hour,
          local.tm_min,         local.tm_sec,     local.tm_gmtoff};
}

LocalTimeParts LocalTimeCache::parts(std::int64_t seconds) {
  constexpr std::int64_t Quarter = 900;
  const std::int64_t bucket = seconds / Quarter - (seconds % Quarter < 0 ? 1 : 0);
  if (bucket != bucket_) {
    const time_t start = static_cast<time_t>(bucket * Quarter);
    const time_t end = start + Quarter - 1;
    std::tm first{}, last{};
    localtime_r(&start, &first);
    localtime_r(&end, &last);
    bucket_ = bucket;
    base_ = {first.tm_year + 1900, first.tm_mon + 1, first.tm_mday,  first.tm_hour,
             first.tm_min,         first.tm_sec,     first.tm_gmtoff};
    uniform_ = first.tm_gmtoff == last.tm_gmtoff;
  }
  const std::int64_t offset = seconds - bucket * Quarter;
  const int second = base_.second + static_cast<int>(offset % 60);
  const int minute = base_.minute + static_cast<int>(offset / 60) + second / 60;
  if (!uniform_ || minute >= 60) return localTimeParts(seconds);
  return {base_.year, base_.month, base_.day, base_.hour, minute, second % 60, base_.utcOffset};
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
  std::int64_t low = guess - 2 * 86400;   // before the day
  std::int64_t high = guess + 2 * 86400;  // within or after it
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    (localDayReached(middle, target) ? high : low) = middle;
  }
  return SinceThreshold(high);
}

std::string dateTimeText(const LocalTimeParts& p, const std::string& dateSeparator,
                         const std::string& timeSeparator) {
  std::string text;
  text.reserve(19 + 2 * dateSeparator.size() + 2 * timeSeparator.size());
  appendDateTimeText(text, p, dateSeparator, timeSeparator);
  return text;
}

void appendDateTimeText(std::string& text, const LocalTimeParts& p,
                        const std::string& dateSeparator, const std::string& timeSeparator) {
  // Written by hand: this runs once per row of a large result.
  const auto digits = [](std::string& out, int value, int width) {
    char buffer[12];
    int n = 0;
    unsigned v = static_cast<unsigned>(value < 0 ? 0 : value);
    do {
      buffer[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v > 0);
    for (int i = n; i < width; ++i) out += '0';
    while (n > 0) out += buffer[--n];
  };
  digits(text, p.year, 4);
  text += dateSeparator;
  digits(text, p.month, 2);
  text += dateSeparator;
  digits(text, p.day, 2);
  text += ' ';
  digits(text, p.hour, 2);
  text += timeSeparator;
  digits(text, p.minute, 2);
  text += timeSeparator;
  digits(text, p.second, 2);
}

}  // namespace nuvelo
