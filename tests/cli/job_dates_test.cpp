// Unattended copies keep one day per job in the settings file's [Jobs] section, so that two
// timers copying the same source to different drives each start from their own last copy.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "cli/cli_options.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/job_file.h"
#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;
using testing::TempFolder;
using testing::todayText;
using testing::writeFile;

TEST(JobKey, IsStableAndTellsJobsApart) {
  const std::string key = jobKey("", "/home/a/src", "/media/usb");
  EXPECT_EQ(key, jobKey("", "/home/a/src", "/media/usb"));
  EXPECT_EQ(key.size(), 17u);
  EXPECT_EQ(key.find_first_not_of("J0123456789abcdef"), std::string::npos) << key;
  const std::set<std::string> keys = {key,
                                      jobKey("", "/home/a/src", "/media/USB"),
                                      jobKey("", "/home/a/src/media", "/usb"),
                                      jobKey("", "/home/a/srC", "/media/usb"),
                                      jobKey("/home/a/job.dat", "/home/a/src", "/media/usb"),
                                      jobKey("/home/a/other.dat", "/home/a/src", "/media/usb")};
  EXPECT_EQ(keys.size(), 6u);  // case, where the paths split, and condition files all count
}

class Jobs : public ::testing::Test {
 protected:
  void SetUp() override {
    makeFile(source() + "/report.txt", localTime(2024, 5, 2), 10);
    std::filesystem::create_directories(to("usb"));
    std::filesystem::create_directories(to("nas"));
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string to(const char* drive) const { return tree.path() + "/" + drive; }
  std::string settings() const { return tree.file("NVO.ini"); }
  // `wrapper`: the program that starts nuvelo-cli (another clock, another time zone).
  ProgramRun copy(std::vector<std::string> since, const char* drive,
                  std::vector<std::string> wrapper = {}) const {
    // The file was made just now: its change time is today, and these runs are about days.
    std::vector<std::string> argv = std::move(wrapper);
    argv.insert(argv.end(), {NUVELO_CLI_PATH, "copy", "--relative", "--overwrite=always",
                             "--settings", settings(), "--no-change-time"});
    argv.insert(argv.end(), since.begin(), since.end());
    argv.insert(argv.end(), {source(), to(drive)});
    return runProgram(argv);
  }

  TempFolder tree;
};

TEST_F(Jobs, EachJobStartsFromItsOwnLastCopy) {
  const std::string nasKey = jobKey("", source(), to("nas"));
  writeFile(settings(), "[Default]\nLastCopyDate=2024/04/01\n[Jobs]\n" + nasKey + "=2024/05/01\n");

  const ProgramRun usb = copy({"--since", "2024-05-01"}, "usb");
  ASSERT_EQ(usb.status, 0) << usb.err;
  const std::string usbKey = jobKey("", source(), to("usb"));
  EXPECT_NE(readFile(settings()).find(usbKey + "=" + todayText()), std::string::npos)
      << readFile(settings());

  // The usb job's copy today leaves the nas job's day where it was.
  const ProgramRun nas = copy({"--since-last"}, "nas");
  ASSERT_EQ(nas.status, 0) << nas.err;
  EXPECT_TRUE(std::filesystem::exists(to("nas") + "/report.txt"));
  EXPECT_NE(readFile(settings()).find(nasKey + "=" + todayText()), std::string::npos);

  // The usb job starts from today, after the file's day.
  std::filesystem::remove(to("usb") + "/report.txt");
  const ProgramRun again = copy({"--since-last"}, "usb");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_FALSE(std::filesystem::exists(to("usb") + "/report.txt"));
}

// A job that has never copied has no day to start from: another job's or the window's day would
// skip every file older than that run. Only the window's own folders start from its day.
TEST_F(Jobs, ANewJobHasNoDayOfItsOwnButTheWindowsFoldersHaveTheWindowsDay) {
  writeFile(settings(),
            "[Default]\nLastCopyDate=2024/05/01\nFrom=" + source() + "\nTo=" + to("nas") + "\n");
  const ProgramRun first = copy({"--since-last"}, "usb");
  EXPECT_EQ(first.status, 2);
  EXPECT_NE(first.err.find("--since YYYY-MM-DD"), std::string::npos) << first.err;
  EXPECT_FALSE(std::filesystem::exists(to("usb") + "/report.txt"));

  const ProgramRun windows = copy({"--since-last"}, "nas");
  ASSERT_EQ(windows.status, 0) << windows.err;
  EXPECT_TRUE(std::filesystem::exists(to("nas") + "/report.txt"));
  EXPECT_NE(readFile(settings()).find("LastCopyDate=" + todayText()), std::string::npos);

  // A copy of other folders leaves the window's day alone.
  writeFile(settings(), "[Default]\nLastCopyDate=2024/05/01\n");
  ASSERT_EQ(copy({"--since", "2024-05-01"}, "usb").status, 0);
  EXPECT_NE(readFile(settings()).find("LastCopyDate=2024/05/01"), std::string::npos);
}

// A day recorded while the clock ran ahead, or written by hand, would skip every file changed
// until then: the run says so and compares with the destination instead. A day recorded in a
// time zone ahead of this one starts where its list started. A day that is no day is named with
// its line. "changed.txt" is made after the first run, so only a run that takes it from its
// day's start or by comparison copies it.
struct DayCase {
  const char* name;
  std::vector<std::string> firstRun;  // how the first run is started; none: `recorded` is
  const char* recorded;               // the job's day written by hand, when there is no first run
  std::vector<std::string> secondRun;
  int status;
  bool namesDay;  // the second run names the recorded day on stderr, once
  bool copied;
};

void PrintTo(const DayCase& c, std::ostream* out) {
  *out << c.name;
}

class RecordedDays : public Jobs, public ::testing::WithParamInterface<DayCase> {};

std::vector<std::string> inZone(const char* zone) {
  return {"/usr/bin/env", std::string("TZ=") + zone};
}

std::vector<std::string> clockAhead(const char* offset) {
  return {testing::findProgram("faketime"), "-f", offset};
}

TEST_P(RecordedDays, AreTrustedOnlyAsFarAsTheyCanBe) {
  const DayCase& c = GetParam();
  if (testing::findProgram("faketime").empty()) GTEST_SKIP() << "faketime is not installed";
  if (!c.firstRun.empty()) {
    // An AddressSanitizer build refuses a library preloaded before its runtime (faketime's).
    std::vector<std::string> probe = c.firstRun;
    probe.insert(probe.end(), {NUVELO_CLI_PATH, "--version"});
    const ProgramRun started = runProgram(probe);
    if (started.status != 0) GTEST_SKIP() << "nuvelo-cli cannot run so here: " << started.err;
  }
  const std::string key = jobKey("", source(), to("usb"));
  if (!c.firstRun.empty())
    ASSERT_EQ(copy({"--since", "2024-05-01"}, "usb", c.firstRun).status, 0);
  else
    writeFile(settings(), "[Jobs]\n" + key + "=" + c.recorded + "\n");
  writeFile(source() + "/changed.txt", "changed");
  const std::string stored = readFile(settings());
  const std::string day = stored.substr(stored.find(key + "=") + key.size() + 1, 10);

  const ProgramRun second = copy({"--since-last"}, "usb", c.secondRun);
  EXPECT_EQ(second.status, c.status) << second.err;
  const std::size_t named = second.err.find(day);
  EXPECT_EQ(named != std::string::npos, c.namesDay) << day << ": " << second.err;
  if (c.namesDay) {
    EXPECT_EQ(second.err.find(day, named + 1), std::string::npos) << second.err;
  }
  EXPECT_EQ(std::filesystem::exists(to("usb") + "/changed.txt"), c.copied);
  // A run that copied records today, so the next one starts from it again.
  if (c.status == 0) {
    EXPECT_NE(readFile(settings()).find(key + "=" + todayText()), std::string::npos)
        << readFile(settings());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordedDays,
    ::testing::Values(DayCase{"ClockTwelveDaysAhead", clockAhead("+12d"), "", {}, 0, true, true},
                      DayCase{"DayWrittenByHand", {}, "9999/12/31", {}, 0, true, true},
                      DayCase{"KiritimatiThenPagoPago", inZone("Pacific/Kiritimati"), "",
                              inZone("Pacific/Pago_Pago"), 0, false, true},
                      DayCase{"NotADay", {}, "2026/13/45", {}, 2, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The shipped service runs a copy that a timer can run: its own job file, whose overwrite
// policy asks no question, its own job's day, and a drive that is not there left unmade.
TEST(ExampleService, RunsACopyThatNeedsNoTerminal) {
  const std::string unit = readFile(std::string(NUVELO_EXAMPLES_DIR) + "/nuvelo-backup.service");
  const std::size_t at = unit.find("\nExecStart=");
  ASSERT_NE(at, std::string::npos) << unit;
  std::istringstream line(unit.substr(at + 11, unit.find('\n', at + 1) - at - 11));
  std::vector<std::string> words;
  for (std::string w; line >> w;) words.push_back(w);
  ASSERT_FALSE(words.empty());
  EXPECT_EQ(std::filesystem::path(words[0]).filename(), "nuvelo-cli");
  const ParsedCommandLine parsed = parseCommandLine({words.begin() + 1, words.end()});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->command, CliCommand::Copy);
  EXPECT_TRUE(parsed.options->sinceLast);
  EXPECT_FALSE(parsed.options->makeDestination);
  ASSERT_TRUE(parsed.options->job);
  EXPECT_EQ(std::filesystem::path(*parsed.options->job).extension(), ".dat");
  // The folders and the policy come from the job file, not from the settings file.
  EXPECT_FALSE(parsed.options->overwrite);
  EXPECT_FALSE(parsed.options->source);
  EXPECT_FALSE(parsed.options->conditions);

  // The example job file installed beside it reads as a job file whose policy needs no
  // terminal, with both folders named; its comment lines change nothing.
  const auto job = readJobFile(std::string(NUVELO_DATA_DIR) + "/examples/nuvelo-backup.dat");
  ASSERT_TRUE(job);
  ASSERT_TRUE(job->overwrite.value);
  EXPECT_NE(*job->overwrite.value, OverwriteAsk);
  EXPECT_NE(job->overwrite.where.find("[Job] Overwrite"), std::string::npos);
  ASSERT_TRUE(job->source.value && job->destination.value);
  EXPECT_FALSE(job->source.value->empty());
  EXPECT_FALSE(job->destination.value->empty());
  // Every [Job] key is written out and read, none hidden by a comment line.
  const std::pair<const char*, const Said<bool>*> switches[] = {
      {"DirAbs", &job->dirAbs},
      {"AddDriveLetter", &job->addDriveLetter},
      {"PickupFolder", &job->perFolder},
      {"ChangeTime", &job->changeTime},
      {"Verify", &job->verify}};
  for (const auto& [key, option] : switches)
    EXPECT_NE(option->where.find(std::string("[Job] ") + key), std::string::npos) << key;
  EXPECT_NE(job->threads.where.find("[Job] Threads"), std::string::npos);
  EXPECT_NE(job->retries.where.find("[Job] Retries"), std::string::npos);
  EXPECT_NE(job->retryWait.where.find("[Job] RetryWait"), std::string::npos);
  // The folders below the source are rebuilt below the destination, as DirTo expects.
  ASSERT_TRUE(job->dirAbs.value);
  EXPECT_FALSE(*job->dirAbs.value);
}

}  // namespace
}  // namespace nuvelo
