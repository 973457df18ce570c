#include "platform/posix/date_time_value.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace nuvelo {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long daysFromCivil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  return {y, m, d};
}

constexpr long long DaysFrom1899To1970 = 25569;

}  // namespace

DateTimeValue dateValueOf(const CivilDate& date) {
  return static_cast<double>(daysFromCivil(date.year, date.month, date.day) + DaysFrom1899To1970);
}

CivilDate civilDateOf(DateTimeValue value) {
  return civilFromDays(static_cast<long long>(std::trunc(value)) - DaysFrom1899To1970);
}

DateTimeValue todayValue() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return dateValueOf({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

CivilDate localDateOf(std::int64_t seconds) {
  const auto instant = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&instant, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string utcInstantText(std::int64_t seconds) {
  constexpr std::int64_t Day = 86400;
  const std::int64_t days = seconds >= 0 ? seconds / Day : (seconds - Day + 1) / Day;
  const std::int64_t time = seconds - days * Day;
  const CivilDate date = civilFromDays(days);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.year, date.month,
                date.day, static_cast<int>(time / 3600), static_cast<int>(time / 60 % 60),
                static_cast<int>(time % 60));
  return text;
}

std::optional<std::int64_t> parseUtcInstant(std::string_view text) {
  constexpr std::string_view Form = "dddd-dd-ddTdd:dd:ddZ";
  if (text.size() != Form.size()) return std::nullopt;
  for (std::size_t i = 0; i < Form.size(); ++i)
    if (Form[i] == 'd' ? text[i] < '0' || text[i] > '9' : text[i] != Form[i]) return std::nullopt;
  const auto number = [text](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const CivilDate date{number(0, 4), number(5, 2), number(8, 2)};
  const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  const long long days = daysFromCivil(date.year, date.month, date.day);
  if (civilFromDays(days) != date) return std::nullopt;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

std::string slashDateText(const CivilDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", date.year, date.month, date.day);
  return text;
}

}  // namespace nuvelo
