// Copies onto a share whose writes fail as a share that drops its connection makes them fail:
// each file is tried again and gets there, and the summary says how many needed it; without
// retries those files fail. The share is nuvelo-slow-share, mounted through FUSE.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

#include "cli/cli_harness.h"
#include "support/file_tree.h"
#include "support/slow_share.h"

namespace nuvelo {
namespace {

using testing::CliHarness;
using testing::localTime;
using testing::readFile;
using testing::SlowShare;
using testing::TempFolder;
using testing::writeFile;

struct ShareCase {
  const char* name;
  std::vector<std::string> shareOptions;
  const char* retries;  // --retries
  int status;
  std::size_t copied;
  const char* summary;  // a line the summary holds; "" for none about retries
};

void PrintTo(const ShareCase& c, std::ostream* out) {
  *out << c.name;
}

// Small files and one large enough that a cut copy of it is kept and resumed.
const std::vector<std::pair<std::string, std::size_t>> Files = {
    {"a.txt", 100}, {"b.txt", 5000}, {"docs/c.txt", 300000}, {"docs/big.bin", 12u << 20}};

std::string contentOf(const std::string& name, std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(std::hash<std::string>()(name)));
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

class ShareRetries : public ::testing::TestWithParam<ShareCase> {
 protected:
  std::string source() const { return tree.path() + "/src"; }

  TempFolder tree;
  CliHarness cli{tree.path() + "/NVO.ini"};
};

TEST_P(ShareRetries, CopyOntoAShareThatFailsWrites) {
  const ShareCase& c = GetParam();
  const SlowShare share(c.shareOptions);
  if (!share.usable()) GTEST_SKIP() << share.reason();
  for (const auto& [name, size] : Files) {
    std::filesystem::create_directories(std::filesystem::path(source() + "/" + name).parent_path());
    writeFile(source() + "/" + name, contentOf(name, size));
  }

  const int status =
      cli.run("copy --since 2000-01-01 --relative --overwrite always --retries " +
              std::string(c.retries) + " --retry-wait 0 " + source() + " " + share.path());
  EXPECT_EQ(status, c.status) << cli.err.str();
  std::size_t copied = 0;
  for (const auto& [name, size] : Files)
    if (std::filesystem::exists(share.backing() + "/" + name)) {
      ++copied;
      EXPECT_TRUE(readFile(share.backing() + "/" + name) == readFile(source() + "/" + name))
          << name << " differs from its source";
    }
  EXPECT_EQ(copied, c.copied);
  const std::string err = cli.err.str();
  if (*c.summary)
    EXPECT_NE(err.find(c.summary), std::string::npos) << err;
  else
    EXPECT_EQ(err.find("やり直した"), std::string::npos) << err;
  // No temporary file is left on the share, whatever became of the files.
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(share.backing()))
    entries += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, copied);
}

// The share stores what it is given only when asked: each copy is synced before it takes its
// name, and each folder that took one at the run's end, before the run records its day.
TEST_F(ShareRetries, EachCopyAndItsFolderAreStoredByTheShare) {
  const std::string stats = tree.path() + "/stats";
  {
    const SlowShare share({"stats=" + stats});
    if (!share.usable()) GTEST_SKIP() << share.reason();
    for (const auto& [name, size] : Files) {
      std::filesystem::create_directories(
          std::filesystem::path(source() + "/" + name).parent_path());
      writeFile(source() + "/" + name, contentOf(name, size));
    }
    ASSERT_EQ(cli.run("copy --since 2000-01-01 --relative --overwrite always " + source() + " " +
                      share.path()),
              0)
        << cli.err.str();
  }
  // The share writes its counts once it is unmounted and its server has ended.
  for (int i = 0; i < 200 && !std::filesystem::exists(stats); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_NE(readFile(stats).find(", syncs 6,"), std::string::npos)  // 4 files, 2 folders
      << readFile(stats);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ShareRetries,
    ::testing::Values(ShareCase{"FirstWriteOfEachFileFails",
                                {"fail_first=1"},
                                "2",
                                0,
                                4,
                                "一時的なエラーのあとやり直したもの: 4個"},
                      ShareCase{"FirstTwoWritesFail",
                                {"fail_first=2"},
                                "2",
                                0,
                                4,
                                "一時的なエラーのあとやり直したもの: 4個"},
                      ShareCase{"RetriesOff", {"fail_first=1"}, "0", 1, 0, ""},
                      ShareCase{"MoreFailuresThanRetries",
                                {"fail_first=3"},
                                "2",
                                1,
                                0,
                                "一時的なエラーのあとやり直したもの: 4個"},
                      // Only the large file gets beyond 4 MiB: its copy is cut once and resumed.
                      ShareCase{"LargeFileCutOnce",
                                {"fail_after=4194304"},
                                "2",
                                0,
                                4,
                                "一時的なエラーのあとやり直したもの: 1個"},
                      ShareCase{"NoFaults", {}, "2", 0, 4, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
