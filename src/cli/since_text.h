#pragma once
// The texts --since takes: a day (YYYY-MM-DD, today, yesterday), a date and time in ISO 8601
// with or without a zone, or a span back from now (3d, 12h, 2w, 30m, 45s).

#include <cstdint>
#include <optional>
#include <string>

#include "platform/posix/date_time_value.h"

namespace nuvelo {

// Where a search starts: the local midnight of a day, or an instant (seconds since the epoch).
struct SinceValue {
  std::optional<CivilDate> day;
  std::optional<std::int64_t> instant;
};

// YYYY-MM-DD, a real calendar day.
std::optional<CivilDate> parseIsoDate(const std::string& text);

// The start the text names, `now` being the current instant and `today` the local day; nothing
// when the text is none of the forms.
std::optional<SinceValue> parseSince(const std::string& text, std::int64_t now, CivilDate today);

}  // namespace nuvelo
