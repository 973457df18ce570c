#include "engine/search/file_date.h"

#include <gtest/gtest.h>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::TimeZone;

// The file's local date-time is turned into a file time inside the case's time zone.
struct LocalCase {
  const char* name;
  const char* timeZone;
  CivilDate day;
  int fileDate[3];
  int fileTime[4];  // hour, minute, second, millisecond
  bool passes;
};

class DateThreshold : public ::testing::TestWithParam<LocalCase> {};

TEST_P(DateThreshold, FileOnOrAfterMidnightPasses) {
  const LocalCase& c = GetParam();
  TimeZone zone(c.timeZone);
  const timespec file = localTime(c.fileDate[0], c.fileDate[1], c.fileDate[2], c.fileTime[0],
                                  c.fileTime[1], c.fileTime[2], c.fileTime[3]);
  const DateTimeValue since = dateValueOf(c.day);
  // A change time that is older still leaves the decision to the last-write time.
  EXPECT_EQ(SinceThreshold::forDay(since).withChangeTime(true).passes(file.tv_sec, 0), c.passes);
  EXPECT_EQ(SinceThreshold::forDay(since).passes(file.tv_sec, file.tv_sec), c.passes);
  // The threshold agrees with comparing the local file date itself.
  EXPECT_EQ(LocalFileDate(file) >= since, c.passes);
}

constexpr const char* Utc = "UTC0";
constexpr const char* Berlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* Tokyo = "JST-9";
// Daylight saving starts at midnight on the first Sunday of November: that midnight is skipped.
constexpr const char* MidnightSkipped = "BRT3BRST,M11.1.0/0,M2.3.0/0";

INSTANTIATE_TEST_SUITE_P(
    Days, DateThreshold,
    ::testing::Values(
        LocalCase{"MidnightPasses", Utc, {2024, 5, 1}, {2024, 5, 1}, {0, 0, 0, 0}, true},
        LocalCase{"LastMillisecondBeforeFails",
                  Utc,
                  {2024, 5, 1},
                  {2024, 4, 30},
                  {23, 59, 59, 999},
                  false},
        LocalCase{"LaterThatDayPasses", Tokyo, {2024, 5, 1}, {2024, 5, 1}, {23, 59, 59, 0}, true},
        LocalCase{"TokyoMidnight", Tokyo, {2024, 5, 1}, {2024, 5, 1}, {0, 0, 0, 0}, true},
        LocalCase{"TokyoJustBefore", Tokyo, {2024, 5, 1}, {2024, 4, 30}, {23, 59, 59, 999}, false},
        LocalCase{"SummerTimeDay", Berlin, {2024, 7, 1}, {2024, 7, 1}, {0, 0, 0, 0}, true},
        LocalCase{
            "SummerTimeDayBefore", Berlin, {2024, 7, 1}, {2024, 6, 30}, {23, 59, 59, 999}, false},
        LocalCase{
            "WinterFileSummerDay", Berlin, {2024, 3, 31}, {2024, 3, 30}, {23, 30, 0, 0}, false},
        LocalCase{"SkippedMidnightDayStartsAtOne",
                  MidnightSkipped,
                  {2018, 11, 4},
                  {2018, 11, 4},
                  {1, 0, 0, 0},
                  true},
        LocalCase{"SkippedMidnightDayBefore",
                  MidnightSkipped,
                  {2018, 11, 4},
                  {2018, 11, 3},
                  {23, 59, 59, 999},
                  false},
        LocalCase{"OldDay", Utc, {1901, 1, 1}, {1970, 1, 1}, {0, 0, 0, 0}, true},
        LocalCase{"FutureFile", Utc, {2100, 1, 1}, {2099, 12, 31}, {23, 59, 59, 999}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocalFileDate, KeepsMillisecondsAndDropsTheRest) {
  TimeZone zone(Tokyo);
  timespec t = localTime(2024, 5, 1, 12, 34, 56, 789);
  t.tv_nsec += 999;  // below a millisecond: dropped
  const double expected = dateValueOf({2024, 5, 1}) + (12 * 3600 + 34 * 60 + 56.789) / 86400.0;
  EXPECT_NEAR(LocalFileDate(t), expected, 1e-9);
  EXPECT_EQ(civilDateOf(LocalFileDate(t)), (CivilDate{2024, 5, 1}));
}

TEST(LocalTimeCache, AgreesWithTheTimeZoneEverywhere) {
  for (const char* zone :
       {Utc, Berlin, Tokyo, MidnightSkipped, "IST-5:30", "NPT-5:45", "LMT-0:19:32"}) {
    TimeZone z(zone);
    LocalTimeCache cache;
    // Every 7 minutes 13 seconds through a year, across both daylight-saving changes.
    for (std::int64_t t = 1704067200; t < 1704067200 + 366LL * 86400; t += 433) {
      const LocalTimeParts a = cache.parts(t);
      const LocalTimeParts b = localTimeParts(t);
      ASSERT_TRUE(a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
                  a.minute == b.minute && a.second == b.second && a.utcOffset == b.utcOffset)
          << zone << " at " << t;
    }
  }
}

TEST(DateTimeText, FixedWidthWithUserSeparators) {
  const LocalTimeParts parts{2024, 5, 1, 7, 8, 9};
  EXPECT_EQ(dateTimeText(parts, "/", ":"), "2024/05/01 07:08:09");
  EXPECT_EQ(dateTimeText(parts, ".", "."), "2024.05.01 07.08.09");
  TimeZone zone(Utc);
  EXPECT_EQ(dateTimeText(localTimeParts(0), "-", ":"), "1970-01-01 00:00:00");
}

}  // namespace
}  // namespace nuvelo
