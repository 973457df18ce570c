#include "copy/file_copier.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "copy/copier_fixture.h"
#include "support/file_size_limit.h"

namespace nuvelo {
namespace {

using testing::Copier;
using testing::entriesIn;
using testing::FileSizeLimit;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

TEST_F(Copier, CopiesContentTimesAndPermissionBits) {
  EXPECT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Copied);
  EXPECT_EQ(readFile(target()), "new content");
  struct stat st {};
  stat(target().c_str(), &st);
  EXPECT_EQ(st.st_mtim.tv_sec, 1714521600);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(entriesIn(destination()), 1u);  // no temporary file left
  EXPECT_EQ(questions, 0);
}

struct ReplaceCase {
  const char* name;
  ReplaceMode mode;
  ReplaceAnswer answer;
  CopyOutcome::Kind outcome;
  bool replaced;
  int questions;
};

class CopierReplace : public Copier, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(CopierReplace, ExistingFileByMode) {
  writeFile(target(), "old content");
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(copy(c.mode, c.answer).kind, c.outcome);
  EXPECT_EQ(readFile(target()), c.replaced ? "new content" : "old content");
  EXPECT_EQ(questions, c.questions);
  EXPECT_EQ(entriesIn(destination()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CopierReplace,
    ::testing::Values(
        ReplaceCase{"Silent", ReplaceMode::Silent, ReplaceAnswer::Keep, CopyOutcome::Copied, true, 0},
        ReplaceCase{"AskYes", ReplaceMode::Ask, ReplaceAnswer::Replace, CopyOutcome::Copied, true, 1},
        ReplaceCase{"AskNo", ReplaceMode::Ask, ReplaceAnswer::Keep, CopyOutcome::Declined, false, 1},
        ReplaceCase{"Never", ReplaceMode::Never, ReplaceAnswer::Replace, CopyOutcome::KeptExisting, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Copier, FullDiskLeavesTheOldFileWhole) {
  writeFile(target(), "old");
  writeFile(sourceFile(), std::string(1 << 20, 'n'));
  CopyOutcome outcome;
  {
    FileSizeLimit limit(4096);
    outcome = copy(ReplaceMode::Silent);
  }
  EXPECT_EQ(outcome.kind, CopyOutcome::Failed);
  EXPECT_FALSE(outcome.reason.empty());
  EXPECT_EQ(readFile(target()), "old");
  EXPECT_EQ(entriesIn(destination()), 1u);
}

TEST_F(Copier, InterruptedCopyLeavesTheOldFileWhole) {
  writeFile(target(), "old");
  CopyHooks hooks;
  hooks.afterChunk = [](std::uint64_t) { return false; };  // a read error after the first chunk
  hooks.allowClone = false;
  EXPECT_EQ(copy(ReplaceMode::Silent, ReplaceAnswer::Replace, hooks).kind, CopyOutcome::Failed);
  EXPECT_EQ(readFile(target()), "old");
  EXPECT_EQ(entriesIn(destination()), 1u);
}

TEST_F(Copier, LinkPlantedAtTheTargetFailsAndNothingIsWrittenThroughIt) {
  const std::string elsewhere = tree.path() + "/elsewhere.txt";
  writeFile(elsewhere, "precious");
  std::filesystem::create_symlink(elsewhere, target());
  const CopyOutcome outcome = copy(ReplaceMode::Silent);
  EXPECT_EQ(outcome.kind, CopyOutcome::Failed);
  EXPECT_EQ(readFile(elsewhere), "precious");
  EXPECT_TRUE(std::filesystem::is_symlink(target()));
}

TEST_F(Copier, FailuresCarryTheSystemsReason) {
  std::filesystem::create_directory(target());  // a folder where the file belongs
  EXPECT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Failed);

  std::filesystem::remove(target());
  std::filesystem::remove(sourceFile());  // vanished after gathering
  const CopyOutcome gone = copy(ReplaceMode::Silent);
  EXPECT_EQ(gone.kind, CopyOutcome::Failed);
  EXPECT_EQ(gone.reason, std::strerror(ENOENT));

  mkfifo(sourceFile().c_str(), 0600);  // no file to copy, and no hang either
  EXPECT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Failed);
  EXPECT_EQ(entriesIn(destination()), 0u);  // no temporary file left behind
}

TEST_F(Copier, NamesThatAreNotUtf8AreCopiedWithTheirBytes) {
  const std::string name = "r\xE9sum\xE9.txt";
  writeFile(tree.path() + "/" + name, "bytes");
  EXPECT_EQ(copyEntryInto(tree.path() + "/" + name, folder(), name, ReplaceMode::Silent, {}).kind,
            CopyOutcome::Copied);
  EXPECT_EQ(readFile(destination() + "/" + name), "bytes");
}

TEST(TimeGranularity, OrdinaryFileSystemsKeepMilliseconds) {
  TempFolder tree;
  const int fd = open(tree.path().c_str(), O_RDONLY | O_DIRECTORY);
  EXPECT_EQ(timeGranularityMs(fd), 1);
  close(fd);
}

}  // namespace
}  // namespace nuvelo
