#include "engine/jobs/last_copy_day.h"

#include <cstdio>
#include <tuple>

namespace nuvelo {
namespace {

bool earlier(const CivilDate& a, const CivilDate& b) {
  return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
}

}  // namespace

std::optional<CivilDate> parseSlashDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return std::nullopt;
  CivilDate day;
  if (std::sscanf(text.c_str(), "%4d/%2d/%2d", &day.year, &day.month, &day.day) != 3)
    return std::nullopt;
  const CivilDate back = civilDateOf(dateValueOf(day));
  return back == day ? std::optional<CivilDate>(day) : std::nullopt;
}

DayJudgement judgeRecordedDay(const std::optional<std::string>& day,
                              const std::optional<std::string>& start, std::int64_t now) {
  using Verdict = DayJudgement::Verdict;
  if (!day || day->empty()) return {};
  const std::optional<CivilDate> recorded = parseSlashDate(*day);
  if (!recorded) return {Verdict::Unreadable, {}};
  // The start says whether the clock ran ahead; a day after today is only its time zone's.
  if (const auto started = start ? parseUtcInstant(*start) : std::nullopt) {
    if (*started > now) return {Verdict::Future, *recorded};
    const CivilDate startDay = localDateOf(*started);
    return {Verdict::Usable, earlier(startDay, *recorded) ? startDay : *recorded};
  }
  if (earlier(localDateOf(now), *recorded)) return {Verdict::Future, *recorded};
  return {Verdict::Usable, *recorded};
}

}  // namespace nuvelo
