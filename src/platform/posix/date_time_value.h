#pragma once
// The program's date-time value: days since 1899-12-30 00:00 local time, the fraction being
// the time of day.

#include <string>

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

}  // namespace nuvelo
