#include "engine/copy/copy_runner.h"
#include "messages/copy_messages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

class Runner : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(destination()); }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dest"; }
  CopySettings settings(bool dirAbs, OverwritePolicy overwrite) const {
    CopySettings s;
    s.rule = {dirAbs, true, source(), PathStyle::Posix};
    s.destination = destination();
    s.overwrite = overwrite;
    return s;
  }
  TempFolder tree;
};

TEST_F(Runner, RelativeAndAbsoluteLayouts) {
  makeFile(source() + "/docs/a.txt", localTime(2024, 5, 1));
  std::filesystem::create_directory(destination());

  CopyRunner relative(settings(false, OverwriteAlways), {});
  const EntryReport r = relative.copy(source() + "/docs/a.txt");
  EXPECT_EQ(r.kind, EntryReport::Copied);
  EXPECT_EQ(r.target, destination() + "/docs/a.txt");
  EXPECT_TRUE(std::filesystem::exists(destination() + "/docs/a.txt"));

  CopyRunner absolute(settings(true, OverwriteAlways), {});
  EXPECT_EQ(absolute.copy(source() + "/docs/a.txt").kind, EntryReport::Copied);
  EXPECT_TRUE(std::filesystem::exists(destination() + source() + "/docs/a.txt"));
}

TEST_F(Runner, NewerOnlyLeavesAnUnchangedFileAloneInTheNextRound) {
  makeFile(source() + "/a.txt", localTime(2024, 5, 1, 10));
  CopyRunner first(settings(false, OverwriteIfNewer), {});
  EXPECT_EQ(first.copy(source() + "/a.txt").kind, EntryReport::Copied);

  CopyRunner second(settings(false, OverwriteIfNewer), {});
  EXPECT_EQ(second.copy(source() + "/a.txt").kind, EntryReport::NotCopied);

  makeFile(source() + "/a.txt", localTime(2024, 5, 2, 10));  // changed since
  EXPECT_EQ(second.copy(source() + "/a.txt").kind, EntryReport::Copied);
}

TEST_F(Runner, NeverCopiesFilesWithoutNamesakeAndKeepsTheOthers) {
  makeFile(source() + "/sub/new.txt", localTime(2024, 5, 1));
  makeFile(source() + "/sub/kept.txt", localTime(2024, 5, 1));
  makeFile(destination() + "/sub/kept.txt", localTime(2020, 1, 1));
  writeFile(destination() + "/sub/kept.txt", "mine");
  CopyRunner runner(settings(false, OverwriteNever), {});
  EXPECT_EQ(runner.copy(source() + "/sub/new.txt").kind, EntryReport::Copied);
  EXPECT_EQ(runner.copy(source() + "/sub/kept.txt").kind, EntryReport::NotCopied);
  EXPECT_EQ(readFile(destination() + "/sub/kept.txt"), "mine");
}

TEST_F(Runner, AskingAnewForEveryNamesake) {
  makeFile(source() + "/a.txt", localTime(2024, 5, 1));
  makeFile(source() + "/b.txt", localTime(2024, 5, 1));
  writeFile(destination() + "/a.txt", "old a");
  writeFile(destination() + "/b.txt", "old b");
  makeFile(source() + "/c.txt", localTime(2024, 5, 1));
  std::vector<std::string> asked;
  std::vector<ReplaceAnswer> answers = {ReplaceAnswer::Replace, ReplaceAnswer::Keep};
  CopyRunner runner(settings(false, OverwriteAsk), [&](const std::string& target) {
    asked.push_back(target);
    return answers[asked.size() - 1];
  });
  EXPECT_EQ(runner.copy(source() + "/a.txt").kind, EntryReport::Copied);
  EXPECT_EQ(runner.copy(source() + "/b.txt").kind, EntryReport::Declined);
  EXPECT_EQ(runner.copy(source() + "/c.txt").kind,
            EntryReport::Copied);  // no namesake, no question
  EXPECT_EQ(asked, (std::vector<std::string>{destination() + "/a.txt", destination() + "/b.txt"}));
  EXPECT_EQ(readFile(destination() + "/b.txt"), "old b");
}

TEST_F(Runner, FailureReportNamesTheFileAndTheReason) {
  std::filesystem::create_directories(destination());
  CopyRunner runner(settings(false, OverwriteAlways), {});
  const EntryReport report = runner.copy(source() + "/gone.txt");
  EXPECT_EQ(report.kind, EntryReport::Failed);
  EXPECT_EQ(copyFailureText(report), source() + "/gone.txt を " + destination() +
                                         "/gone.txt にコピーできません。\n" +
                                         "ファイルまたはフォルダがありません");
}

}  // namespace
}  // namespace nuvelo
