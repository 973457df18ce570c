// nuvelo-cli within the limits its shell sets: a copy of 32 threads onto a share copies every
// file with few descriptors (ulimit -n) and little address space (ulimit -v); memory that runs
// out ends the copy as failed, with its summary and report, no temporary file and no day
// recorded.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "platform/posix/temporary_names.h"
#include "support/file_tree.h"
#include "support/json_line.h"
#include "support/slow_share.h"

namespace nuvelo {
namespace {

using testing::CliHarness;
using testing::JsonLine;
using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::runProgram;
using testing::SlowShare;
using testing::TempFolder;
using testing::todayText;

// A sanitizer reserves terabytes of address space for its shadow memory: no limit on the
// address space leaves it room to start.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool AddressSpaceLimitsWork = false;
#else
constexpr bool AddressSpaceLimitsWork = true;
#endif

// 251 files: most in one folder, the rest in folders of their own.
std::vector<std::string> makeTree(const std::string& root) {
  std::vector<std::string> names;
  for (int i = 0; i < 251; ++i)
    names.push_back(i < 200 ? "flat/f" + std::to_string(i) + ".bin"
                            : "d" + std::to_string(i % 10) + "/sub/f" + std::to_string(i));
  for (std::size_t i = 0; i < names.size(); ++i)
    makeFile(root + "/" + names[i], localTime(2024, 5, 2), 1000 + 997 * (i % 40));
  return names;
}

// The files below the folder; a temporary file left there fails the test.
std::size_t filesWithoutTemporaries(const std::string& folder) {
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    EXPECT_FALSE(isTemporaryName(entry.path().filename().string())) << entry.path();
    files += entry.is_regular_file() ? 1 : 0;
  }
  return files;
}

struct LimitsCase {
  const char* name;
  const char* limits;  // the shell's ulimit commands
  bool limitsAddressSpace;
};

void PrintTo(const LimitsCase& c, std::ostream* out) {
  *out << c.name;
}

class CliLimits : public ::testing::TestWithParam<LimitsCase> {};

TEST_P(CliLimits, CopiesEverythingOntoAShareWithThirtyTwoThreads) {
  const LimitsCase& c = GetParam();
  if (c.limitsAddressSpace && !AddressSpaceLimitsWork)
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit in a limited address space";
  const SlowShare share({});
  if (!share.usable()) GTEST_SKIP() << share.reason();
  TempFolder tree;
  const std::string source = tree.file("src");
  const std::vector<std::string> names = makeTree(source);

  const auto run = runProgram({"/bin/sh", "-c", std::string(c.limits) + " && exec \"$0\" \"$@\"",
                               NUVELO_CLI_PATH, "copy", "-q", "--since", "2024-05-01", "--relative",
                               "--overwrite", "always", "--threads", "32", "--settings",
                               tree.file("NVO.ini"), source, share.path()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(filesWithoutTemporaries(share.backing()), names.size());
  for (const std::string& name : names)
    EXPECT_TRUE(readFile(share.backing() + "/" + name) == readFile(source + "/" + name)) << name;
}

INSTANTIATE_TEST_SUITE_P(Limits, CliLimits,
                         ::testing::Values(LimitsCase{"SixtyFourFiles", "ulimit -n 64", false},
                                           LimitsCase{"TwoHundredFiftySixFiles", "ulimit -n 256",
                                                      false},
                                           LimitsCase{"SixtyFourFilesIn512MB",
                                                      "ulimit -n 64 && ulimit -v 512000", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Memory runs out in the middle of a copy (a chunk written on a worker throws): the run ends as
// failed, its summary and its report tell what it did, no temporary file is left and the job's
// day stays where it was.
TEST(CliOutOfMemory, EndsTheCopyAsFailedWithItsSummaryAndReport) {
  TempFolder tree;
  CliHarness cli(tree.file("NVO.ini"));
  const std::string source = tree.file("src"), destination = tree.file("dst");
  makeTree(source);
  std::filesystem::create_directories(destination);
  std::atomic<int> chunks{0};
  cli.chunkFault = [&](std::uint64_t) {
    if (++chunks == 10) throw std::bad_alloc();
    return 0;
  };

  const int status =
      cli.run("copy --since 2024-05-01 --relative --overwrite always --threads 8 " +
              ("--report " + tree.file("report")) + " " + source + " " + destination);
  EXPECT_EQ(status, 1) << cli.err.str();
  const std::string err = cli.err.str();
  EXPECT_NE(err.find("メモリが足りないため、コピーを中止しました"), std::string::npos) << err;
  EXPECT_NE(err.find("コピー "), std::string::npos) << "no summary: " << err;

  std::istringstream report(readFile(tree.file("report")));
  std::size_t copied = 0;
  std::optional<std::map<std::string, std::string>> line;
  for (std::string text; std::getline(report, text);) {
    line = JsonLine::read(text);
    ASSERT_TRUE(line) << text;
    if (line->at("status") != "copied") continue;
    ++copied;
    EXPECT_TRUE(readFile(line->at("target")) == readFile(line->at("source"))) << text;
  }
  ASSERT_TRUE(line && line->at("status") == "summary");
  EXPECT_EQ(line->at("out_of_memory"), "true");
  EXPECT_EQ(line->at("copied"), std::to_string(copied));
  EXPECT_LT(copied, 251u);
  EXPECT_EQ(filesWithoutTemporaries(destination), copied);
  EXPECT_EQ(readFile(tree.file("NVO.ini")).find(todayText()), std::string::npos);
}

// One bound on the threads from every source: the command line and a job file refuse more, the
// settings file takes the default for more, as for a value that is no number. The source is
// missing, so that -v tells the threads and nothing runs.
struct ThreadsBoundCase {
  const char* name;
  std::string settings, job, option;  // [Option] Threads, [Job] Threads (empty: no job file)
  std::string told;                   // on stderr
};

class ThreadsBound : public ::testing::TestWithParam<ThreadsBoundCase> {};

TEST_P(ThreadsBound, IsOneForEverySource) {
  const ThreadsBoundCase& c = GetParam();
  TempFolder root;
  testing::writeFile(root.file("NVO.ini"), "[Option]\nThreads=" + c.settings + "\n");
  testing::writeFile(root.file("j.dat"), "[Application]\nNVOFile=1\n[NVO]\nDirFrom=" +
                                             root.file("gone") + "\n[Job]\nThreads=" + c.job);
  CliHarness cli(root.file("NVO.ini"));
  EXPECT_EQ(
      cli.run("search -v " + (c.job.empty() ? root.file("gone") : "--job " + root.file("j.dat")) +
              (c.option.empty() ? "" : " --threads " + c.option)),
      2);
  EXPECT_NE(cli.err.str().find(c.told), std::string::npos) << cli.err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ThreadsBound,
    ::testing::Values(
        ThreadsBoundCase{"SettingsAtIt", "1024", "", "", "/NVO.ini [Option] Threads)"},
        ThreadsBoundCase{"SettingsBeyond", "100000", "", "", "--threads 0  (既定値)"},
        ThreadsBoundCase{"JobFileAtIt", "8", "1024", "", "/j.dat [Job] Threads)"},
        ThreadsBoundCase{"JobFileBeyond", "8", "1025", "",
                         "[Job] Threads の値 '1025' は使えません"},
        ThreadsBoundCase{"CommandLineAtIt", "8", "", "1024", "--threads 1024  (コマンドライン)"},
        ThreadsBoundCase{"CommandLineBeyond", "8", "", "1025", "--threads は 0 から 1024 まで"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
