// The run log through the real nuvelo-cli: a line for each copy run, and `log` reading them.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "engine/runlog/run_log_file.h"
#include "engine/text/display_width.h"
#include "engine/text/json_object.h"
#include "support/file_tree.h"
#include "support/mounted_image.h"
#include "support/ordinary_user.h"

namespace nuvelo {
namespace {

using testing::findProgram;
using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;
using testing::TempFolder;
using testing::writeFile;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// nuvelo-cli in English (the texts the tests look for) or Japanese, optionally as `nobody`.
ProgramRun cli(std::vector<std::string> args, const char* lang = "C", bool asNobody = false) {
  std::vector<std::string> argv{"/usr/bin/env", std::string("LANG=") + lang,
                                "LC_ALL=", "LANGUAGE=", NUVELO_CLI_PATH};
  if (asNobody) argv.insert(argv.begin(), {findProgram("runuser"), "-u", "nobody", "--"});
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv);
}

class CopyRunLog : public ::testing::Test {
 public:
  void SetUp() override {
    writeFile(settings(), "");
    std::filesystem::create_directories(source() + "/sub");
    for (const char* name : {"a.txt", "b.txt", "sub/c.txt"}) writeFile(source() + "/" + name, "x");
  }
  std::string source() const { return r.file("src"); }
  std::string destination() const { return r.file("dst"); }
  std::string settings() const { return r.file("NVO.ini"); }
  std::string log() const { return r.file("NVO-runs.log"); }
  std::vector<std::string> copy(std::vector<std::string> more = {}) const {
    std::vector<std::string> args{"copy",       source(),  destination(), "--since",
                                  "2000-01-01", "--mkdir", "--overwrite", "always",
                                  "--settings", settings()};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  std::vector<std::string> logLines() const {
    return std::filesystem::exists(log()) ? linesOf(readFile(log())) : std::vector<std::string>{};
  }

  TempFolder r;
};

TEST_F(CopyRunLog, EachRealCopyAppendsOneLine) {
  const struct {
    const char* what;
    std::function<std::vector<std::string>(const CopyRunLog&)> args;
    int status;
    std::size_t lines;  // lines the run appends
  } cases[] = {
      {"a copy", [](const CopyRunLog& t) { return t.copy(); }, 0, 1},
      {"a second copy, all skipped by --overwrite never, to the destination named otherwise",
       [](const CopyRunLog& t) {
         std::vector<std::string> args = t.copy({"--overwrite", "never"});
         args[2] = t.r.file("dst/../dst/.");
         return args;
       },
       0, 1},
      {"a dry run changes nothing", [](const CopyRunLog& t) { return t.copy({"-n"}); }, 0, 0},
      {"a search changes nothing",
       [](const CopyRunLog& t) {
         return std::vector<std::string>{"search", t.source(), "--settings", t.settings()};
       },
       0, 0},
      {"a copy refused before it started",
       [](const CopyRunLog& t) {
         return std::vector<std::string>{"copy", t.r.file("missing"), t.destination(), "--settings",
                                         t.settings()};
       },
       2, 0},
  };
  std::size_t lines = 0;
  for (const auto& c : cases) {
    const ProgramRun run = cli(c.args(*this));
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
    lines += c.lines;
    ASSERT_EQ(logLines().size(), lines) << c.what;
  }
  const std::vector<std::string> written = logLines();
  const auto first = parseRunLogLine(written[0]), second = parseRunLogLine(written[1]);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->from, "cli");
  EXPECT_EQ(first->source, source());
  EXPECT_EQ(first->destination, destination());
  EXPECT_EQ(second->destination, destination()) << "the log names each folder one way";
  EXPECT_EQ(first->job, "");
  EXPECT_EQ(first->found, 3u);  // a.txt, b.txt and sub/c.txt
  EXPECT_EQ(first->copied, 3u);
  EXPECT_EQ(first->bytes, 3u);
  EXPECT_EQ(first->exitStatus, 0);
  EXPECT_EQ(second->copied, 0u);
  EXPECT_EQ(second->skipped, 3u);
  EXPECT_LE(first->start, first->end);
  // ISO 8601 with the offset from UTC.
  EXPECT_EQ(first->start.size(), 25u) << first->start;
  EXPECT_TRUE(first->start[22] == ':' && (first->start[19] == '+' || first->start[19] == '-'));
}

TEST_F(CopyRunLog, FailedFileAndUnreadableFolderAreCountedAlikeInLogReportAndSummary) {
  if (!testing::nobodyUser() || findProgram("runuser").empty())
    GTEST_SKIP() << "needs root, the user nobody and runuser";
  // Readable only by root: one file that fails, one folder the search cannot read.
  chmod((source() + "/b.txt").c_str(), 0600);
  chmod((source() + "/sub").c_str(), 0700);
  testing::openToEveryone(r.path());
  chmod(settings().c_str(), 0666);
  const ProgramRun run = cli(copy({"--report", r.file("report.json")}), "C", true);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("copied 1, skipped 0, failed 2"), std::string::npos) << run.err;
  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 1u);
  const auto entry = parseRunLogLine(lines[0]);
  ASSERT_TRUE(entry) << lines[0];
  EXPECT_EQ(entry->copied, 1u);
  EXPECT_EQ(entry->failed, 2u);
  EXPECT_EQ(entry->unreadableFolders, 1u);
  EXPECT_EQ(entry->exitStatus, 1);
  EXPECT_EQ(entry->waiting, 2u);
  EXPECT_EQ(entry->failedFiles, (std::vector<std::string>{source() + "/b.txt", source() + "/sub"}));
  const std::vector<std::string> report = linesOf(readFile(r.file("report.json")));
  ASSERT_FALSE(report.empty());
  const auto summary = readJsonObject(report.back());
  ASSERT_TRUE(summary) << report.back();
  EXPECT_EQ(jsonCountMember(*summary, "failed"), 2u);
  EXPECT_EQ(jsonCountMember(*summary, "unreadable_folders"), 1u);
  EXPECT_EQ(jsonStringMember(*summary, "start"), entry->start);
  EXPECT_TRUE(jsonStringMember(*summary, "end"));
}

TEST_F(CopyRunLog, ALogThatCannotBeWrittenIsToldOnceAndTheRunStands) {
  std::filesystem::create_directories(log());  // a folder where the log would be
  const ProgramRun run = cli(copy({"-q"}));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err.rfind("nuvelo-cli: cannot write the run log: " + log() + ": "), 0u) << run.err;
  EXPECT_EQ(linesOf(run.err).size(), 1u) << run.err;
  EXPECT_TRUE(std::filesystem::exists(destination() + source() + "/a.txt"));
}

// A log of twelve runs, with a torn line and a foreign one among them.
class LogCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(settings, "");
    for (int n = 1; n <= 12; ++n) {
      RunLogEntry e;
      e.start = "2026-12-" + std::string(n < 10 ? "0" : "") + std::to_string(n) + "T21:00:00+09:00";
      e.end = e.start;
      e.from = n % 2 ? "window" : "cli";
      e.source = "/home/user/書類";
      e.job = n == 12 ? "/home/user/jobs/写真.dat" : "";
      e.copied = static_cast<std::uint64_t>(n * 100);
      e.failed = n == 11 ? 3 : 0;
      e.exitStatus = n == 11 ? 1 : 0;
      const std::string line = runLogLine(e);
      lines.push_back(line.substr(0, line.size() - 1));
      ASSERT_TRUE(appendRunLog(runLogPath(settings), line));
      if (n == 6)
        writeFile(runLogPath(settings), readFile(runLogPath(settings)) + "{\"start\": \"20\n");
      if (n == 9)
        writeFile(runLogPath(settings), readFile(runLogPath(settings)) + "some other program\n");
    }
  }
  TempFolder r;
  std::string settings = r.file("nightly.ini");
  std::vector<std::string> lines;
};

TEST_F(LogCommand, ShowsTheLastRuns) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::vector<std::string> out;  // lines of stdout; a table's rows by their copied count
    const char* err;
  } cases[] = {
      {"ten by default, newest last",
       {},
       {"heading", "300", "400", "500", "600", "700", "800", "900", "1000", "1100", "1200"},
       "nuvelo-cli: skipped 2 lines that are no run log entries\n"},
      {"-n", {"-n", "3"}, {"heading", "1000", "1100", "1200"}, ""},
      {"--lines", {"--lines=1"}, {"heading", "1200"}, ""},
      {"-n 0", {"-n", "0"}, {}, ""},
      {"json: the lines as they are", {"--format", "json", "-n", "2"}, {lines[10], lines[11]}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"log", "--settings", settings};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = cli(args);
    EXPECT_EQ(run.status, 0) << c.what;
    if (std::string(c.err).empty())
      EXPECT_TRUE(run.err.empty() || c.out.empty()) << c.what << ": " << run.err;
    else
      EXPECT_EQ(run.err, c.err) << c.what;
    const std::vector<std::string> out = linesOf(run.out);
    ASSERT_EQ(out.size(), c.out.size()) << c.what << ":\n" << run.out;
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (c.out[i] == "heading")
        EXPECT_EQ(out[i].rfind("start ", 0), 0u) << c.what << ": " << out[i];
      else if (c.out[i].front() == '{')
        EXPECT_EQ(out[i], c.out[i]) << c.what;
      else
        EXPECT_NE(out[i].find("  " + c.out[i] + "  "), std::string::npos)
            << c.what << ": " << out[i];
    }
  }
}

TEST_F(LogCommand, TheTableLinesUpInJapaneseToo) {
  for (const char* lang : {"C", "ja_JP.UTF-8"}) {
    const ProgramRun run = cli({"log", "--settings", settings, "-n", "3"}, lang);
    ASSERT_EQ(run.status, 0) << lang;
    const std::vector<std::string> out = linesOf(run.out);
    ASSERT_EQ(out.size(), 4u) << lang << ":\n" << run.out;
    // Every row's last column (the job or source) starts at the same terminal column.
    std::vector<std::size_t> starts;
    for (const std::string& line : out) {
      const std::size_t at = line.rfind("  ");
      ASSERT_NE(at, std::string::npos) << line;
      starts.push_back(displayWidth(line.substr(0, at + 2)));
    }
    for (std::size_t i = 1; i < starts.size(); ++i)
      EXPECT_EQ(starts[i], starts[0]) << lang << ":\n" << run.out;
    EXPECT_NE(out.back().find("/home/user/jobs/写真.dat"), std::string::npos) << out.back();
    EXPECT_NE(out[2].find("/home/user/書類"), std::string::npos) << out[2];
  }
}

TEST_F(LogCommand, ReadsTheLogOfTheSettingsFileGivenAndRefusesWhatItDoesNotTake) {
  writeFile(r.file("other.ini"), "");
  const ProgramRun other = cli({"log", "--settings", r.file("other.ini")});
  EXPECT_EQ(other.status, 0);
  EXPECT_EQ(other.out, "");
  EXPECT_EQ(other.err, "nuvelo-cli: no runs logged yet: " + r.file("other-runs.log") + "\n");
  const struct {
    std::vector<std::string> args;
    const char* err;
  } refused[] = {
      {{"-n", "x"}, "-n (--lines) takes a number from 0 to 1000000"},
      {{"-n"}, "requires an argument"},
      {{"--dry-run"}, "--dry-run"},
      {{"--format", "xml"}, "--format"},
      {{"extra"}, "too many arguments: extra"},
  };
  for (const auto& c : refused) {
    std::vector<std::string> args{"log", "--settings", settings};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = cli(args);
    EXPECT_EQ(run.status, 2) << c.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace nuvelo
