#pragma once
// Whether the day a job recorded can start the next run's list. A day that lies ahead of now
// was recorded while the clock ran ahead (or was written by hand): a list from it would skip
// every file changed until then, so it is not trusted. A day recorded in another time zone
// starts where its list started, wherever the next run is: the local day of that instant, when
// it is earlier than the day as written.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/posix/date_time_value.h"

namespace nuvelo {

struct DayJudgement {
  enum class Verdict {
    None,        // no day recorded yet
    Unreadable,  // the day as stored is no day
    Future,      // the start beside the day lies after now; without one, the day after today
    Usable,
  };
  Verdict verdict = Verdict::None;
  CivilDate from;  // Usable: the day the next list starts from
};

// `day` (yyyy/mm/dd) and `start` (UTC) as stored; `now` in seconds since the epoch. A start
// that cannot be read is left aside: the day alone decides.
DayJudgement judgeRecordedDay(const std::optional<std::string>& day,
                              const std::optional<std::string>& start, std::int64_t now);

// A day as yyyy/mm/dd that exists; nothing otherwise.
std::optional<CivilDate> parseSlashDate(const std::string& text);

}  // namespace nuvelo
