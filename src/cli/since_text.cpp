#include "cli/since_text.h"

#include <cstdio>
#include <ctime>

namespace nuvelo {
namespace {

bool isLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeapYear(y) ? 29 : days[m - 1];
}

bool allDigits(const std::string& text, std::size_t from, std::size_t count) {
  if (from + count > text.size()) return false;
  for (std::size_t i = from; i < from + count; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

int numberAt(const std::string& text, std::size_t from, std::size_t count) {
  return std::stoi(text.substr(from, count));
}

// "3d", "12h", "2w", "30m", "45s": whole units back from now.
std::optional<std::int64_t> spanSeconds(const std::string& text) {
  if (text.size() < 2 || text.size() > 8 || !allDigits(text, 0, text.size() - 1))
    return std::nullopt;
  const std::int64_t count = std::stoll(text.substr(0, text.size() - 1));
  switch (text.back()) {
    case 's':
      return count;
    case 'm':
      return count * 60;
    case 'h':
      return count * 3600;
    case 'd':
      return count * 86400;
    case 'w':
      return count * 7 * 86400;
    default:
      return std::nullopt;
  }
}

// The zone after a time: nothing (local time), "Z", or "+hh:mm", "+hhmm", "+hh" (or "-").
// Returns false when the text is none of them; `offset` is then east of UTC in seconds.
bool zoneOffset(const std::string& zone, std::optional<int>& offset) {
  if (zone.empty()) return true;
  if (zone == "Z" || zone == "z") {
    offset = 0;
    return true;
  }
  if (zone[0] != '+' && zone[0] != '-') return false;
  const std::string digits =
      zone.size() == 6 && zone[3] == ':' ? zone.substr(1, 2) + zone.substr(4) : zone.substr(1);
  if ((digits.size() != 2 && digits.size() != 4) || !allDigits(digits, 0, digits.size()))
    return false;
  const int hours = numberAt(digits, 0, 2);
  const int minutes = digits.size() == 4 ? numberAt(digits, 2, 2) : 0;
  if (hours > 23 || minutes > 59) return false;
  offset = (zone[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
  return true;
}

struct ClockTime {
  int hour = 0, minute = 0, second = 0;
  std::size_t length = 0;  // characters taken
};

// "hh:mm" or "hh:mm:ss", with fractions of a second dropped.
std::optional<ClockTime> clockTimeOf(const std::string& text) {
  if (!allDigits(text, 0, 2) || text.size() < 5 || text[2] != ':' || !allDigits(text, 3, 2))
    return std::nullopt;
  ClockTime t{numberAt(text, 0, 2), numberAt(text, 3, 2), 0, 5};
  if (text.size() >= 8 && text[5] == ':' && allDigits(text, 6, 2)) {
    t.second = numberAt(text, 6, 2);
    t.length = 8;
    if (t.length < text.size() && text[t.length] == '.') {
      ++t.length;
      while (t.length < text.size() && allDigits(text, t.length, 1)) ++t.length;
    }
  }
  if (t.hour > 23 || t.minute > 59 || t.second > 60) return std::nullopt;
  return t;
}

// The instant of a local or zoned date and time.
std::int64_t instantOf(const CivilDate& day, const ClockTime& time, std::optional<int> offset) {
  std::tm parts{};
  parts.tm_year = day.year - 1900;
  parts.tm_mon = day.month - 1;
  parts.tm_mday = day.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  parts.tm_isdst = -1;
  if (!offset) return static_cast<std::int64_t>(mktime(&parts));
  return static_cast<std::int64_t>(timegm(&parts)) - *offset;
}

// "YYYY-MM-DDThh:mm[:ss[.fff]][zone]", with "T" or a blank between the day and the time.
std::optional<std::int64_t> dateTimeInstant(const std::string& text) {
  if (text.size() < 16 || (text[10] != 'T' && text[10] != 't' && text[10] != ' '))
    return std::nullopt;
  const auto day = parseIsoDate(text.substr(0, 10));
  const auto time = clockTimeOf(text.substr(11));
  if (!day || !time) return std::nullopt;
  std::optional<int> offset;
  if (!zoneOffset(text.substr(11 + time->length), offset)) return std::nullopt;
  return instantOf(*day, *time, offset);
}

}  // namespace

std::optional<CivilDate> parseIsoDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !allDigits(text, 0, 4) ||
      !allDigits(text, 5, 2) || !allDigits(text, 8, 2))
    return std::nullopt;
  const int y = numberAt(text, 0, 4), m = numberAt(text, 5, 2), d = numberAt(text, 8, 2);
  if (m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
  return CivilDate{y, m, d};
}

std::optional<SinceValue> parseSince(const std::string& text, std::int64_t now, CivilDate today) {
  if (text == "today") return SinceValue{today, std::nullopt};
  if (text == "yesterday") return SinceValue{civilDateOf(dateValueOf(today) - 1), std::nullopt};
  if (const auto day = parseIsoDate(text)) return SinceValue{day, std::nullopt};
  if (const auto span = spanSeconds(text)) return SinceValue{std::nullopt, now - *span};
  if (const auto instant = dateTimeInstant(text)) return SinceValue{std::nullopt, instant};
  return std::nullopt;
}

}  // namespace nuvelo
