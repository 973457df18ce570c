// What scripts read from nuvelo-cli: the search as JSON Lines and the copy's --report file,
// each line a JSON object whose paths give back every name byte for byte; and what a person
// reads on stderr: the progress line and the closing summary. Run on the real program.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <regex>
#include <set>

#include "cli/copy_meter.h"
#include "cli/copy_report.h"
#include "support/file_tree.h"
#include "support/json_line.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::bytesOf;
using testing::JsonLine;
using testing::localTime;
using testing::makeFile;
using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;
using testing::TempFolder;
using testing::writeFile;

using Object = std::map<std::string, std::string>;

const std::vector<std::string> OddNames = {
    "tab\there.txt", "new\nline.txt",   "quote\"d.txt", "back\\slash.txt",
    "caf\xE9.txt",   "esc\x1b[31m.txt", "日本語.txt",   "plain",
};

// The bytes a path field stands for: its _bytes twin where the text is not UTF-8.
std::string pathOf(const Object& o, const std::string& key) {
  const auto bytes = o.find(key + "_bytes");
  return bytes != o.end() ? bytesOf(bytes->second) : o.at(key);
}

std::vector<Object> objectsOf(const std::string& text) {
  std::vector<Object> objects;
  for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    const auto object = JsonLine::read(line);
    EXPECT_TRUE(object) << "not a JSON object: " << line;
    if (object) objects.push_back(*object);
  }
  return objects;
}

// The instant an ISO 8601 time with an offset names.
std::int64_t instantOf(const std::string& iso) {
  std::tm parts{};
  strptime(iso.substr(0, 19).c_str(), "%Y-%m-%dT%H:%M:%S", &parts);
  const int sign = iso[19] == '-' ? -1 : 1;
  const int offset =
      sign * (std::stoi(iso.substr(20, 2)) * 3600 + std::stoi(iso.substr(23, 2)) * 60);
  return static_cast<std::int64_t>(timegm(&parts)) - offset;
}

class MachineOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < OddNames.size(); ++i)
      makeFile(source() + "/" + OddNames[i], localTime(2024, 5, 2, 10, 30, 15), 100 + i);
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  ProgramRun run(std::vector<std::string> args) const {
    args.insert(args.begin(), {NUVELO_CLI_PATH, args[0], "--settings", tree.file("NVO.ini")});
    args.erase(args.begin() + 4);
    return runProgram(args);
  }

  TempFolder tree;
};

TEST_F(MachineOutput, SearchJsonLinesGiveBackEveryRowExactly) {
  const ProgramRun ran = run({"search", "--format", "json", "--since", "2024-05-01", source()});
  ASSERT_EQ(ran.status, 0) << ran.err;
  const std::vector<Object> rows = objectsOf(ran.out);
  ASSERT_EQ(rows.size(), OddNames.size()) << ran.out;
  const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)");
  std::set<std::string> names;
  for (const Object& row : rows) {
    const std::string relative = pathOf(row, "path");
    names.insert(relative);
    EXPECT_EQ(pathOf(row, "absolute"), source() + "/" + relative);
    struct stat st {};
    ASSERT_EQ(lstat((source() + "/" + relative).c_str(), &st), 0) << relative;
    EXPECT_EQ(row.at("size"), std::to_string(st.st_size)) << relative;
    EXPECT_EQ(row.at("kind"), "file");
    ASSERT_TRUE(std::regex_match(row.at("modified"), iso)) << row.at("modified");
    EXPECT_EQ(instantOf(row.at("modified")), st.st_mtim.tv_sec) << row.at("modified");
    EXPECT_FALSE(row.at("type").empty());
    EXPECT_NE(row.at("type").back(), ' ');
  }
  EXPECT_EQ(names, std::set<std::string>(OddNames.begin(), OddNames.end()));
}

// A result far larger than what the program gathers for one write comes out whole, each row
// once and in the walk's order, in every format: the last partial write included. Rows of one
// time follow rows of another, and each JSON row tells its own.
TEST(LargeResult, EveryRowOnceInEveryFormat) {
  TempFolder tree;
  const std::string source = tree.path() + "/src";
  std::set<std::string> made;
  for (int i = 0; i < 700; ++i) {
    const std::string name =
        "folder" + std::to_string(i % 7) + "/" + std::string(80, 'n') + std::to_string(i) + ".txt";
    makeFile(source + "/" + name, localTime(2024, 5, 2, i / 10 % 24, i / 240),
             static_cast<std::size_t>(i));
    made.insert(source + "/" + name);
  }
  std::vector<std::string> orderOfTsv;
  for (const std::vector<std::string>& format : {std::vector<std::string>{"--format", "tsv"},
                                                 {"--format", "json"},
                                                 {"-0"},
                                                 {"--format", "text"}}) {
    std::vector<std::string> args{NUVELO_CLI_PATH, "search",     "--settings", tree.file("NVO.ini"),
                                  "--since",       "2024-05-01", "--absolute"};
    args.insert(args.end(), format.begin(), format.end());
    args.push_back(source);
    const ProgramRun ran = runProgram(args);
    ASSERT_EQ(ran.status, 0) << ran.err;
    const char end = format[0] == "-0" ? '\0' : '\n';
    std::vector<std::string> paths;
    for (std::size_t at = 0, next; at < ran.out.size(); at = next + 1) {
      next = ran.out.find(end, at);
      ASSERT_NE(next, std::string::npos) << "an unfinished row";
      const std::string row = ran.out.substr(at, next - at);
      if (format[0] == "-0")
        paths.push_back(row);
      else if (format[1] == "json") {
        Object fields = JsonLine::read(row).value_or(Object{});
        paths.push_back(fields["absolute"]);
        struct stat st {};
        ASSERT_EQ(lstat(paths.back().c_str(), &st), 0) << row;
        EXPECT_EQ(instantOf(fields["modified"]), st.st_mtim.tv_sec) << row;
      } else
        paths.push_back(row.substr(row.rfind(format[1] == "tsv" ? "\t" : "  ") + 1 +
                                   (format[1] == "text" ? 1 : 0)));
    }
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()), made) << format.back();
    EXPECT_EQ(paths.size(), made.size()) << format.back();
    if (orderOfTsv.empty())
      orderOfTsv = paths;
    else
      EXPECT_EQ(paths, orderOfTsv) << format.back();
  }
}

TEST_F(MachineOutput, CopyReportLineIsInTheFileOnceTheFileIsDone) {
  const std::string path = tree.file("report.jsonl");
  CopyReport report(path);
  ASSERT_TRUE(report.ok());
  EntryReport copied;
  copied.kind = EntryReport::Copied;
  copied.source = source() + "/plain";
  copied.target = destination() + "/plain";
  report.file("copied", copied, 4, "");
  // Read while the report is still open, as after a kill -9 of the run.
  const std::vector<Object> lines = objectsOf(readFile(path));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines.front().at("status"), "copied");
}

// Into a file, or onto standard output (true), which then holds nothing but the report.
class CopyReportTo : public MachineOutput, public ::testing::WithParamInterface<bool> {};

TEST_P(CopyReportTo, TellsEveryFileAndSumsUp) {
  std::filesystem::create_directories(destination() + "/new\nline.txt");  // a folder in the way
  writeFile(destination() + "/plain", "kept");
  testing::setModified(destination() + "/plain", localTime(2030, 1, 1));  // newer: skipped
  const std::string report = GetParam() ? "-" : tree.file("report.jsonl");
  const ProgramRun ran = run({"copy", "-v", "--report", report, "--overwrite", "newer",
                              "--relative", "--since", "2024-05-01", source(), destination()});
  EXPECT_EQ(ran.status, 1) << ran.err;
  // The lines naming each file go where the report does not.
  EXPECT_NE((GetParam() ? ran.err : ran.out).find("skipped\t"), std::string::npos) << ran.err;
  std::vector<Object> lines = objectsOf(GetParam() ? ran.out : readFile(report));
  ASSERT_EQ(lines.size(), OddNames.size() + 1);
  const Object summary = lines.back();
  lines.pop_back();
  std::map<std::string, std::string> statusOf;
  std::uint64_t copiedBytes = 0;
  for (const Object& line : lines) {
    const std::string name = pathOf(line, "source").substr(source().size() + 1);
    EXPECT_EQ(pathOf(line, "target"), destination() + "/" + name);
    statusOf[name] = line.at("status");
    if (line.at("status") == "copied") copiedBytes += std::stoull(line.at("size"));
    EXPECT_EQ(line.count("reason"), line.at("status") == "skipped" ? 1u : 0u) << name;
    EXPECT_EQ(line.count("error"), line.at("status") == "failed" ? 1u : 0u) << name;
  }
  EXPECT_EQ(statusOf.size(), OddNames.size());
  EXPECT_EQ(statusOf["plain"], "skipped");
  EXPECT_EQ(statusOf["new\nline.txt"], "failed");
  EXPECT_EQ(statusOf["caf\xE9.txt"], "copied");
  EXPECT_EQ(summary.at("status"), "summary");
  EXPECT_EQ(summary.at("copied"), std::to_string(OddNames.size() - 2));
  EXPECT_EQ(summary.at("skipped"), "1");
  EXPECT_EQ(summary.at("failed"), "1");
  EXPECT_EQ(summary.at("retried"), "0");  // nothing failed in a way that may pass
  EXPECT_EQ(summary.at("bytes"), std::to_string(copiedBytes));
  EXPECT_EQ(summary.at("interrupted"), "false");
}

INSTANTIATE_TEST_SUITE_P(FileOrStandardOutput, CopyReportTo, ::testing::Bool());

TEST_F(MachineOutput, AReportThatCannotBeWrittenStopsTheCopyBeforeItStarts) {
  const ProgramRun ran =
      run({"copy", "--mkdir", "--report", tree.file("no/such/folder/r.jsonl"), "--overwrite",
           "always", "--since", "2024-05-01", source(), destination()});
  EXPECT_EQ(ran.status, 2);
  EXPECT_NE(ran.err.find("r.jsonl"), std::string::npos) << ran.err;
  EXPECT_FALSE(std::filesystem::exists(destination() + "/plain"));
}

struct StderrCase {
  const char* name;
  std::vector<std::string> options;
  bool progress;
  bool summary;
  int moreFiles = 0;
};

void PrintTo(const StderrCase& c, std::ostream* out) {
  *out << c.name;
}

class CopyStderr : public MachineOutput, public ::testing::WithParamInterface<StderrCase> {};

// Stderr is no terminal here: progress comes as a few plain lines, however many files.
TEST_P(CopyStderr, ShowsProgressAndSummaryAsAsked) {
  for (int i = 0; i < GetParam().moreFiles; ++i)
    makeFile(source() + "/many/" + std::to_string(i), localTime(2024, 5, 2), 1);
  const std::string files = std::to_string(OddNames.size() + GetParam().moreFiles);
  std::vector<std::string> args{"copy",   "--mkdir", "--overwrite",
                                "always", "--since", "2024-05-01"};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  args.insert(args.end(), {source(), destination()});
  const ProgramRun ran = run(args);
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.err.find('\x1b'), std::string::npos) << ran.err;
  EXPECT_EQ(ran.err.find("コピー中です " + files + "/" + files + " ファイル") != std::string::npos,
            GetParam().progress)
      << ran.err;
  std::size_t progressLines = 0;
  for (std::size_t at = 0; (at = ran.err.find("中です ", at)) != std::string::npos; ++at)
    ++progressLines;
  EXPECT_LE(progressLines, 10u) << ran.err;
  EXPECT_EQ(ran.err.find("コピー " + files + "個, スキップ 0個, 失敗 0個 (") != std::string::npos,
            GetParam().summary)
      << ran.err;
}

INSTANTIATE_TEST_SUITE_P(Modes, CopyStderr,
                         ::testing::Values(StderrCase{"NotATerminal", {}, false, true},
                                           StderrCase{"ProgressAsked", {"--progress"}, true, true},
                                           StderrCase{"ManyFiles", {"--progress"}, true, true, 600},
                                           StderrCase{"Quiet", {"-q", "--progress"}, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The meter's line at moments of a copy of 4 files, 4 MiB, started at second 0.
struct MeterCase {
  std::size_t filesDone;
  std::uint64_t partOfNext;  // bytes of the next file copied so far
  int second;
  const char* text;
};

class Meter : public ::testing::TestWithParam<MeterCase> {};

TEST_P(Meter, TellsDoneRateAndTimeLeft) {
  const auto start = CopyMeter::Clock::time_point{};
  CopyMeter meter(start);
  meter.starting(4, 4 << 20);
  for (std::size_t i = 0; i < GetParam().filesDone; ++i) meter.fileDone(1 << 20, true);
  meter.fileProgress(GetParam().partOfNext);
  EXPECT_EQ(meter.progressText(start + std::chrono::seconds(GetParam().second)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, Meter,
    ::testing::Values(MeterCase{0, 0, 0, "0/4 ファイル, 0 B/4.0 MiB, 0 B/s, 残り -:--"},
                      MeterCase{0, 512 << 10, 1,
                                "0/4 ファイル, 512.0 KiB/4.0 MiB, 512.0 KiB/s, 残り 0:07"},
                      MeterCase{2, 0, 2, "2/4 ファイル, 2.0 MiB/4.0 MiB, 1.0 MiB/s, 残り 0:02"},
                      MeterCase{4, 0, 4, "4/4 ファイル, 4.0 MiB/4.0 MiB, 1.0 MiB/s, 残り 0:00"}));

TEST(Meter, SkippedFilesCountAsDoneButNotAsCopied) {
  const auto start = CopyMeter::Clock::time_point{};
  CopyMeter meter(start);
  meter.starting(2, 2 << 20);
  meter.fileDone(1 << 20, false);
  EXPECT_EQ(meter.bytesCopied(), 0u);
  EXPECT_EQ(meter.summaryText(start + std::chrono::milliseconds(1500)), "0 B, 1.5 秒");
  EXPECT_EQ(clockText(3725), "1:02:05");
}

}  // namespace
}  // namespace nuvelo
