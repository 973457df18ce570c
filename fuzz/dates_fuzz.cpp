// Dates: the command line's YYYY-MM-DD, the settings file's yyyy/mm/dd and the date value. A
// text that parses is written back the same; a real day goes through its text, its date value
// and the settings file's Default/LastCopyDate unchanged.

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdint>

#include "cli/cli_options.h"
#include "engine/settings/settings_file.h"
#include "fuzz_support.h"
#include "platform/posix/date_time_value.h"

namespace {

using namespace nuvelo;
using namespace nuvelo::fuzz;

std::string shown(const CivilDate& d) {
  return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

std::string isoText(const CivilDate& d) {
  std::string text = slashDateText(d);
  for (char& c : text)
    if (c == '/') c = '-';
  return text;
}

void requireRoundTrips(const CivilDate& day) {
  require(civilDateOf(dateValueOf(day)) == day, "a day goes through its date value", shown(day));
  require(parseIsoDate(isoText(day)) == day, "a day goes through its text", shown(day));

  const std::string path = scratchFolder() + "/NVO.ini";
  std::filesystem::remove(path);
  ProfileFile file(path);
  require(writeLastCopyDate(file, day).has_value(), "the day of the last copy is written",
          shown(day));
  const std::string stored = readMainWindowSettings(ProfileFile(path)).lastCopyDate;
  require(stored == slashDateText(day), "the settings file keeps the day of the last copy",
          shown(day) + " read back as " + nuvelo::fuzz::shown(stored));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Any text: a day that parses is written back as the same text.
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const auto day = parseIsoDate(text)) {
    require(isoText(*day) == text, "a parsed day writes back as its text",
            nuvelo::fuzz::shown(text));
    requireRoundTrips(*day);
  }

  // Any text given to --since: a start is a day or an instant, never both, and a day is real.
  if (const auto since = parseSince(text, 1715342400, CivilDate{2024, 5, 10})) {
    require(since->day.has_value() != since->instant.has_value(), "a start is a day or an instant",
            nuvelo::fuzz::shown(text));
    require(!since->day || parseIsoDate(isoText(*since->day)) == since->day,
            "a start's day is a real day", nuvelo::fuzz::shown(text));
  }

  // A day from the input's numbers: a real one round-trips; any other is refused by the parser.
  FuzzedDataProvider input(data, size);
  const CivilDate day{input.ConsumeIntegralInRange<int>(0, 9999),
                      input.ConsumeIntegralInRange<int>(0, 13),
                      input.ConsumeIntegralInRange<int>(0, 32)};
  const bool real =
      std::chrono::year_month_day(std::chrono::year(day.year),
                                  std::chrono::month(static_cast<unsigned>(day.month)),
                                  std::chrono::day(static_cast<unsigned>(day.day)))
          .ok();
  const auto parsed = parseIsoDate(isoText(day));
  require(parsed.has_value() == real, real ? "every real day parses" : "no other day parses",
          shown(day));
  if (parsed) {
    require(*parsed == day, "a parsed day is the day written", shown(day));
    requireRoundTrips(day);
  }
  return 0;
}
