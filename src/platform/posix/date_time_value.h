#pragma once
// The program's date-time value: days since 1899-12-30 00:00 local time, the fraction being
// the time of day.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nuvelo {

using DateTimeValue = double;

struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const CivilDate&) const = default;
};

DateTimeValue dateValueOf(const CivilDate& date);
// The calendar day a value falls on (its date part, truncated toward zero).
CivilDate civilDateOf(DateTimeValue value);
// Today's local date as a whole-day value.
DateTimeValue todayValue();
// The date as yyyy/mm/dd with literal slashes, whatever the user's locale.
std::string slashDateText(const CivilDate& date);
// The calendar day, in the local time zone, of an instant (seconds since the epoch).
CivilDate localDateOf(std::int64_t seconds);
// An instant as UTC to the second, "2026-12-08T10:52:47Z", and back; nothing for a text of
// another form or a date that does not exist.
std::string utcInstantText(std::int64_t seconds);
std::optional<std::int64_t> parseUtcInstant(std::string_view text);

}  // namespace nuvelo
