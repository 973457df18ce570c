#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "engine/jobs/run_status.h"
#include "engine/runlog/run_log_file.h"
#include "engine/text/display_width.h"
#include "engine/text/json_object.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

RunLogEntry entryNamed(const std::string& source, int number = 0) {
  RunLogEntry e;
  e.start = "2026-12-0" + std::to_string(1 + number % 9) + "T21:00:0" +
            std::to_string(number % 10) + "+09:00";
  e.end = e.start;
  e.from = number % 2 ? "window" : "cli";
  e.source = source;
  e.destination = "/media/backup";
  e.found = 10;
  e.copied = static_cast<std::uint64_t>(number);
  e.skipped = 2;
  e.failed = 1;
  e.unreadableFolders = 1;
  e.bytes = 123456789012ULL;
  e.exitStatus = 1;
  e.failedFiles = {source + "/a.txt"};
  e.waiting = 1;
  return e;
}

struct NameCase {
  const char* what;
  std::string name;
  std::string readBack;  // what a JSON reader gets: the name, or U+FFFD for bytes not UTF-8
  bool bytesField;       // "source_bytes" is written beside it
};

class RunLogLineNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(RunLogLineNames, ReadBackAsOneValidLine) {
  const NameCase& c = GetParam();
  RunLogEntry e = entryNamed(c.name);
  e.job = c.name;
  const std::string line = runLogLine(e);
  ASSERT_EQ(line.find('\n'), line.size() - 1) << c.what;  // one line, whatever the name holds
  const auto object = readJsonObject(std::string_view(line).substr(0, line.size() - 1));
  ASSERT_TRUE(object) << c.what << ": " << line;
  EXPECT_EQ(object->contains("source_bytes"), c.bytesField) << c.what;
  EXPECT_EQ(object->contains("failed_files_bytes"), c.bytesField) << c.what;
  const auto parsed = parseRunLogLine(line);
  ASSERT_TRUE(parsed) << c.what;
  EXPECT_EQ(parsed->source, c.readBack) << c.what;
  EXPECT_EQ(parsed->job, c.readBack) << c.what;
  EXPECT_EQ(parsed->failedFiles, std::vector<std::string>{c.readBack + "/a.txt"}) << c.what;
  if (!c.bytesField) {
    EXPECT_EQ(*parsed, e) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    LogNames, RunLogLineNames,
    ::testing::Values(NameCase{"plain", "/home/user/docs", "/home/user/docs", false},
                      NameCase{"Japanese", "/home/ユーザー/書類", "/home/ユーザー/書類", false},
                      NameCase{"line break and tab", "/tmp/a\nb\tc", "/tmp/a\nb\tc", false},
                      NameCase{"quote and backslash", "/tmp/\"q\"\\x", "/tmp/\"q\"\\x", false},
                      NameCase{"control and DEL", "/tmp/\x01\x1b[31m\x7f", "/tmp/\x01\x1b[31m\x7f",
                               false},
                      // Each lead byte a replacement character; the trail bytes are ASCII.
                      NameCase{"Shift-JIS bytes", "/tmp/\x83\x65\x83\x58\x83\x67",
                               "/tmp/\uFFFDe\uFFFDX\uFFFDg", true}));

TEST(RunLogLine, LinesThatHoldNoEntryAreRefused) {
  const std::string good = runLogLine(entryNamed("/src"));
  const struct {
    const char* what;
    std::string line;
  } cases[] = {
      {"empty", ""},
      {"torn in the middle", good.substr(0, good.size() / 2)},
      {"torn before its brace", good.substr(0, good.size() - 2)},
      {"not JSON", "hello world"},
      {"an array", "[1, 2]"},
      {"an empty object", "{}"},
      {"a foreign object", R"({"level": "info", "msg": "started"})"},
      {"start not a string",
       R"({"start": 1, "end": "", "from": "cli", "source": "/s", "exit_status": 0})"},
      {"negative status",
       R"({"start": "", "end": "", "from": "cli", "source": "/s", "exit_status": -1})"},
      {"two lines' worth", good.substr(0, good.size() - 1) + good},
      {"a key twice",
       R"({"start": "", "start": "", "end": "", "from": "cli", "source": "/s", "exit_status": 0})"},
      {"a raw control character",
       "{\"start\": \"a\tb\", \"end\": \"\", \"from\": \"cli\", "
       "\"source\": \"/s\", \"exit_status\": 0}"},
      {"bytes that are not UTF-8",
       "{\"start\": \"\xff\", \"end\": \"\", \"from\": \"cli\", "
       "\"source\": \"/s\", \"exit_status\": 0}"},
      {"a lone surrogate",
       R"({"start": "\ud800", "end": "", "from": "cli", "source": "/s", "exit_status": 0})"},
      {"a leading zero",
       R"({"start": "", "end": "", "from": "cli", "source": "/s", "exit_status": 01})"},
  };
  for (const auto& c : cases) EXPECT_FALSE(parseRunLogLine(c.line)) << c.what;
  EXPECT_TRUE(parseRunLogLine(good));
  EXPECT_TRUE(parseRunLogLine(
      R"({"start": "s", "end": "e", "from": "cli", "source": "/\u00e9\ud83d\ude00", "exit_status": 0, "extra": [], "n": -1.5e3, "z": null})"));
}

TEST(RunLogEntryCounts, TheCopyRunSaysTheCountsAndTheStatus) {
  CopyRunResult failedOne;
  failedOne.counts = {3, 1, 1};
  failedOne.failedSources = {"/s/x"};
  CopyRunResult folderRow = failedOne;
  folderRow.counts.failed = 2;
  folderRow.unreadableFolders = 1;
  folderRow.failedSources.push_back("/s/locked");
  CopyRunResult aborted = failedOne;
  aborted.aborted = true;
  CopyRunResult noRoom;
  noRoom.refusedForRoom = true;
  CopyRunResult outOfMemory;
  outOfMemory.outOfMemory = true;
  CopyRunResult many;
  for (int i = 0; i < 30; ++i) many.failedSources.push_back("/s/" + std::to_string(i));
  many.counts.failed = 30;
  const struct {
    const char* what;
    CopyRunResult result;
    std::vector<std::string> unreadable;  // by the search
    bool recordFailed;
    std::uint64_t failed, folders;
    std::size_t listed;
    int status;
  } cases[] = {
      {"all copied", CopyRunResult{}, {}, false, 0, 0, 0, ExitStatus::Done},
      {"the day not recorded", CopyRunResult{}, {}, true, 0, 0, 0, ExitStatus::SomeFailed},
      {"a file failed", failedOne, {}, false, 1, 0, 1, ExitStatus::SomeFailed},
      {"and the search met an unreadable folder",
       failedOne,
       {"/s/sub"},
       false,
       2,
       1,
       2,
       ExitStatus::SomeFailed},
      {"a folder row unreadable while gathered",
       folderRow,
       {},
       false,
       2,
       1,
       2,
       ExitStatus::SomeFailed},
      {"only an unreadable folder",
       CopyRunResult{},
       {"/s/sub"},
       false,
       1,
       1,
       1,
       ExitStatus::SomeFailed},
      {"aborted with a failure", aborted, {}, false, 1, 0, 1, ExitStatus::Interrupted},
      {"too little room", noRoom, {}, false, 0, 0, 0, ExitStatus::BadUsage},
      {"out of memory", outOfMemory, {}, false, 0, 0, 0, ExitStatus::SomeFailed},
      {"more failures than are kept", many, {"/s/sub"}, false, 31, 1, 20, ExitStatus::SomeFailed},
  };
  for (const auto& c : cases) {
    RunLogEntry entry;
    countCopyRun(entry, c.result, c.unreadable);
    EXPECT_EQ(entry.failed, c.failed) << c.what;
    EXPECT_EQ(entry.unreadableFolders, c.folders) << c.what;
    EXPECT_EQ(entry.failedFiles.size(), c.listed) << c.what;
    if (!c.unreadable.empty() && c.listed > c.result.failedSources.size()) {
      EXPECT_EQ(entry.failedFiles.back(), c.unreadable.back()) << c.what;
    }
    EXPECT_EQ(copyRunStatus(c.result, c.unreadable.size(), c.recordFailed), c.status) << c.what;
  }
}

class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvironmentVariable() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(RunLogPath, FollowsTheSettingsFileInUse) {
  TempFolder home;
  const EnvironmentVariable config("XDG_CONFIG_HOME", home.file("config"));
  const EnvironmentVariable state("XDG_STATE_HOME", home.file("state"));
  const struct {
    std::string settings;
    std::string log;
  } cases[] = {
      {home.file("config/nuvelo/NVO.ini"), home.file("state/nuvelo/runs.log")},
      {home.file("build/NVO.ini"), home.file("build/NVO-runs.log")},
      {home.file("build/./NVO.ini"), home.file("build/NVO-runs.log")},
      {home.file("jobs/nightly.ini"), home.file("jobs/nightly-runs.log")},
      {home.file("jobs/.hidden"), home.file("jobs/.hidden-runs.log")},
      {home.file("config/other/NVO.ini"), home.file("config/other/NVO-runs.log")},
  };
  for (const auto& c : cases) EXPECT_EQ(runLogPath(c.settings), c.log) << c.settings;
}

std::vector<std::uint64_t> copiedCounts(const RunLogTail& tail) {
  std::vector<std::uint64_t> counts;
  for (const RunLogEntry& e : tail.entries) counts.push_back(e.copied);
  return counts;
}

std::vector<std::uint64_t> numbers(std::uint64_t first, std::uint64_t last) {
  std::vector<std::uint64_t> all;
  for (std::uint64_t n = first; n <= last; ++n) all.push_back(n);
  return all;
}

TEST(RunLogFile, ReadsTheLastRunsOldestFirstAndSkipsTornLines) {
  TempFolder folder;
  const std::string log = folder.file("state/runs.log");  // its folder is made
  for (int n = 1; n <= 5; ++n) ASSERT_TRUE(appendRunLog(log, runLogLine(entryNamed("/s", n))));
  // A line torn by a crash, a foreign one, a blank one, then a last run without its line break.
  std::string text = readFile(log);
  const std::string sixth = runLogLine(entryNamed("/s", 6));
  text += sixth.substr(0, 40) + "\nsomething else\n\n" + sixth.substr(0, sixth.size() - 1);
  writeFile(log, text);
  const struct {
    std::size_t count;
    std::vector<std::uint64_t> copied;
    std::size_t skipped;
  } cases[] = {
      {1, {6}, 0}, {2, {5, 6}, 2}, {4, {3, 4, 5, 6}, 2}, {10, numbers(1, 6), 2}, {0, {}, 0}};
  for (const auto& c : cases) {
    const RunLogTail tail = readRunLog(log, c.count);
    EXPECT_EQ(copiedCounts(tail), c.copied) << c.count;
    EXPECT_EQ(tail.skipped, c.skipped) << c.count;
    ASSERT_EQ(tail.lines.size(), tail.entries.size());
    for (std::size_t i = 0; i < tail.lines.size(); ++i)
      EXPECT_EQ(parseRunLogLine(tail.lines[i]), tail.entries[i]);
  }
  EXPECT_TRUE(readRunLog(folder.file("missing.log"), 10).entries.empty());
}

TEST(RunLogFile, RotationKeepsTheLastRuns) {
  TempFolder folder;
  const std::string log = folder.file("runs.log");
  const std::size_t lineSize = runLogLine(entryNamed("/s", 100)).size();
  const RunLogLimits limits{lineSize * 10, 2};  // ten lines a file
  for (int n = 100; n < 200; ++n)
    ASSERT_TRUE(appendRunLog(log, runLogLine(entryNamed("/s", n)), limits));
  for (unsigned n : {0u, 1u, 2u}) {
    const std::string file = n ? rotatedRunLogPath(log, n) : log;
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    EXPECT_LE(std::filesystem::file_size(file), limits.rotateAt) << file;
  }
  EXPECT_FALSE(std::filesystem::exists(rotatedRunLogPath(log, 3)));
  // The last run and the runs before it, across the files moved aside, with none missing: the
  // log just moved aside holds the last run alone.
  EXPECT_EQ(copiedCounts(readRunLog(log, 1)), numbers(199, 199));
  EXPECT_EQ(copiedCounts(readRunLog(log, 15)), numbers(185, 199));
  const RunLogTail all = readRunLog(log, 1000);
  EXPECT_EQ(copiedCounts(all), numbers(200 - all.entries.size(), 199));
  EXPECT_GE(all.entries.size(), 19u);  // two full files moved aside, and the one written
}

TEST(RunLogFile, ConcurrentWritersLoseNoLineAcrossRotations) {
  TempFolder folder;
  const std::string log = folder.file("runs.log");
  constexpr int Writers = 3, Lines = 300;
  // Small files, and enough of them kept that every line stays: a line lost or torn shows.
  const RunLogLimits limits{4096, 1000};
  std::vector<pid_t> children;
  for (int w = 0; w < Writers; ++w) {
    const pid_t child = fork();
    if (child == 0) {
      for (int n = 0; n < Lines; ++n)
        if (!appendRunLog(log, runLogLine(entryNamed("/writer" + std::to_string(w), n)), limits))
          _exit(1);
      _exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const RunLogTail tail = readRunLog(log, Writers * Lines + 1);
  EXPECT_EQ(tail.skipped, 0u);
  std::set<std::pair<std::string, std::uint64_t>> seen;
  std::map<std::string, std::uint64_t> next;
  for (const RunLogEntry& e : tail.entries) {
    EXPECT_TRUE(seen.emplace(e.source, e.copied).second) << e.source << ' ' << e.copied;
    EXPECT_EQ(e.copied, next[e.source]++) << e.source;  // each writer's lines in its order
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(Writers * Lines));
  EXPECT_TRUE(std::filesystem::exists(rotatedRunLogPath(log, 1)));  // it did rotate
}

TEST(RunLogFile, ALogThatCannotBeWrittenNamesItsFile) {
  TempFolder folder;
  writeFile(folder.file("file"), "");
  mkdir(folder.file("folder.log").c_str(), 0755);
  for (const std::string& log : {folder.file("file/runs.log"), folder.file("folder.log")}) {
    const Result<> appended = appendRunLog(log, runLogLine(entryNamed("/s")));
    ASSERT_FALSE(appended) << log;
    EXPECT_FALSE(appended.error().path.empty()) << log;
  }
}

TEST(DisplayWidth, CountsTerminalColumns) {
  const struct {
    std::string text;
    std::size_t width;
  } cases[] = {{"", 0},          {"copied", 6}, {"コピー数", 8}, {"ジョブ・コピー元", 16},
               {"ｶﾅ", 2},         // half-width katakana
               {"Ａ１", 4},       // full-width letters
               {"e\xCC\x81", 1},  // e and a combining acute
               {"\xff", 1},       // a byte that is no UTF-8: one replacement character
               {"한글", 4}};
  for (const auto& c : cases) EXPECT_EQ(displayWidth(c.text), c.width) << c.text;
  EXPECT_EQ(padRight("失敗", 6), "失敗  ");
  EXPECT_EQ(padLeft("12", 5), "   12");
  EXPECT_EQ(padLeft("状態です", 3), "状態です");
}

}  // namespace
}  // namespace nuvelo
