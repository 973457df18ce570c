#include "engine/search/result_rows.h"
#include "messages/totals_text.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <map>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::makeFolder;
using testing::TempFolder;

// Types by name, recording what it was asked.
class RecordingTypes : public TypeNamer {
 public:
  std::uint16_t typeOf(std::string_view name, EntryKind kind) override {
    const bool folder = kind == EntryKind::Folder;
    asked.emplace_back(std::string(name), folder);
    return folder ? 1 : kind == EntryKind::Link ? 3 : 2;
  }
  std::vector<std::pair<std::string, bool>> asked;
};

const timespec When = localTime(2024, 5, 1, 9, 30);

TEST(ResultRows, FilesShowNameSizeTimeAndPathInBothModes) {
  TempFolder tree;
  const std::string root = tree.path();
  makeFile(root + "/Sub/Report.txt", When, 1023);
  makeFile(root + "/top.bin", When, 1024);
  RecordingTypes types;
  const std::vector<std::string> paths = {root + "/Sub/Report.txt", root + "/top.bin",
                                          root + "/vanished.txt"};

  const auto absolute = buildResultRows(walkEntriesOf(paths), true, root, types);
  ASSERT_EQ(absolute.size(), 2u);  // a path that vanished is dropped
  EXPECT_EQ(absolute[0].pathText, root + "/Sub/Report.txt");
  EXPECT_EQ(absolute[0].name(), "Report.txt");
  EXPECT_EQ(absolute[0].sizeKiB, 0);
  EXPECT_EQ(absolute[1].sizeKiB, 1);
  EXPECT_EQ(absolute[0].modifiedSeconds, When.tv_sec);
  EXPECT_TRUE(absolute[0].checked);
  EXPECT_FALSE(absolute[0].folder);
  EXPECT_EQ(absolute[0].type, 2);
  EXPECT_EQ(types.asked[0], (std::pair<std::string, bool>{"Report.txt", false}));

  const auto relative = buildResultRows(walkEntriesOf(paths), false, root, types);
  EXPECT_EQ(relative[0].pathText, "Sub/Report.txt");
  EXPECT_EQ(relative[1].pathText, "top.bin");
  EXPECT_EQ(relative[1].name(), "top.bin");
  EXPECT_EQ(rowFullPath(relative[0], false, root), root + "/Sub/Report.txt");
  EXPECT_EQ(rowFullPath(absolute[0], true, "/elsewhere"), root + "/Sub/Report.txt");
}

TEST(ResultRows, FolderRowCountsItsWholeTreeButNotDotFolders) {
  TempFolder tree;
  const std::string folder = tree.path() + "/project";
  makeFile(folder + "/a.bin", When, 1024 * 1024);
  makeFile(folder + "/deep/er/b.bin", When, 2 * 1024 * 1024);
  makeFile(folder + "/.cache/c.bin", When, 5 * 1024 * 1024);
  makeFile(folder + "/.hidden-file", When, 1024);  // a dot file counts, only dot folders do not
  std::filesystem::create_symlink(folder + "/a.bin", folder + "/link-to-a");  // counts nothing
  makeFolder(folder, When);
  RecordingTypes types;

  const auto rows =
      buildResultRows(walkEntriesOf(std::vector<std::string>{folder}), false, tree.path(), types);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].folder);
  EXPECT_EQ(rows[0].sizeKiB, 3072 + 1);
  EXPECT_EQ(rows[0].pathText, "project");
  EXPECT_EQ(rows[0].modifiedSeconds, When.tv_sec);
  EXPECT_EQ(types.asked.back(), (std::pair<std::string, bool>{"project", true}));
  EXPECT_EQ(folderByteSize(folder + "/"), folderByteSize(folder));
  for (const unsigned threads : {1u, 4u})  // the one-thread walk and the parallel walk
    EXPECT_EQ(folderByteSize(folder, {}, threads), (3072u + 1) * 1024u) << threads;
}

// Rows streamed one after another reuse one row: each holds its own entry and nothing of the
// one before, a longer path, a folder or a link.
TEST(ResultRows, ARowFilledAgainHoldsOnlyItsNewEntry) {
  TempFolder tree;
  const std::string root = tree.path();
  makeFile(root + "/deep/er/and/deeper/long-name.txt", When, 4096);
  makeFile(root + "/f/data.bin", When, 2048);
  std::filesystem::create_symlink("data.bin", root + "/l");
  const std::vector<WalkEntry> entries = walkEntriesOf(
      {root + "/deep/er/and/deeper/long-name.txt", root + "/f", root + "/l", root + "/f/data.bin"});
  ASSERT_EQ(entries.size(), 4u);
  struct Expected {
    const char* path;
    bool folder, link;
    std::uint64_t bytes;
  };
  const Expected expected[] = {{"deep/er/and/deeper/long-name.txt", false, false, 4096},
                               {"f", true, false, 2048},
                               {"l", false, true, 0},
                               {"f/data.bin", false, false, 2048}};
  for (const bool absolute : {false, true}) {
    RecordingTypes types;
    const ResultRowBuilder builder(absolute, root, types);
    ResultRow row;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      row.checked = false;
      EXPECT_EQ(builder.fill(row, entries[i]), expected[i].bytes);
      const std::string path = (absolute ? root + "/" : "") + expected[i].path;
      EXPECT_EQ(row.pathText, path);
      EXPECT_EQ(row.folder, expected[i].folder) << path;
      EXPECT_EQ(row.link, expected[i].link) << path;
      EXPECT_EQ(row.sizeKiB, static_cast<std::int64_t>(expected[i].bytes / 1024)) << path;
      EXPECT_TRUE(row.checked) << path;
      EXPECT_EQ(types.asked[i].first, std::string(row.name())) << path;
    }
  }
}

TEST(ResultRows, SixtyFourBitSizes) {
  TempFolder tree;
  const std::string path = tree.path() + "/huge.img";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(ftruncate(fd, 5LL * 1024 * 1024 * 1024), 0);  // sparse: no disk used
  close(fd);
  RecordingTypes types;
  const auto rows =
      buildResultRows(walkEntriesOf(std::vector<std::string>{path}), true, tree.path(), types);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(sizeText(rows[0].sizeKiB), "5242880KB");
}

TEST(ResultRows, RootFolderItselfAsSource) {
  RecordingTypes types;
  const auto rows =
      buildResultRows(walkEntriesOf(std::vector<std::string>{"/etc/hostname"}), false, "/", types);
  if (rows.empty()) GTEST_SKIP() << "no /etc/hostname here";
  EXPECT_EQ(rows[0].pathText, "etc/hostname");
  EXPECT_EQ(rowFullPath(rows[0], false, "/"), "/etc/hostname");
}

TEST(LongPath, SpellsExistingPathsAsStoredAndLeavesOthers) {
  TempFolder tree;
  makeFile(tree.path() + "/Data/Report.txt", When);
  EXPECT_EQ(longPathOf(""), "");
  EXPECT_EQ(longPathOf(tree.path() + "/Data/"), tree.path() + "/Data");
  EXPECT_EQ(longPathOf(tree.path() + "/Data/Report.txt"), tree.path() + "/Data/Report.txt");
  EXPECT_EQ(longPathOf(tree.path() + "/Data/missing"), tree.path() + "/Data/missing");
  EXPECT_EQ(longPathOf("/"), "/");
}

TEST(SizeText, WholeKibibytes) {
  EXPECT_EQ(sizeText(0), "0KB");
  EXPECT_EQ(sizeText(15), "15KB");
  EXPECT_EQ(sizeText(5242880), "5242880KB");
}

struct TotalsCase {
  std::vector<std::int64_t> checkedKiB;
  std::string decimalSeparator;
  std::string text;
};

class TotalsText : public ::testing::TestWithParam<TotalsCase> {};

TEST_P(TotalsText, CountAndSizeOfCheckedRows) {
  std::vector<ResultRow> rows;
  for (std::int64_t kib : GetParam().checkedKiB) {
    ResultRow row;
    row.sizeKiB = kib;
    rows.push_back(row);
  }
  ResultRow unchecked;
  unchecked.sizeKiB = 999999;
  unchecked.checked = false;
  rows.push_back(unchecked);
  EXPECT_EQ(totalsText(countChecked(rows), GetParam().decimalSeparator), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TotalsText,
    ::testing::Values(TotalsCase{{}, ".", "合計= 0個 (0 バイト)"},
                      TotalsCase{{0}, ".", "合計= 1個 (0 バイト)"},
                      TotalsCase{{1}, ".", "合計= 1個 (1024 バイト)"},
                      TotalsCase{{1, 1}, ".", "合計= 2個 (2.0 k バイト)"},
                      TotalsCase{{10, 0, 2000}, ".", "合計= 3個 (2.0 M バイト)"},
                      TotalsCase{{1024}, ".", "合計= 1個 (1024.0 k バイト)"},
                      TotalsCase{{1025}, ".", "合計= 1個 (1.0 M バイト)"},
                      TotalsCase{{1280}, ".", "合計= 1個 (1.3 M バイト)"},  // 1.25: half up
                      TotalsCase{{5}, ",", "合計= 1個 (5,0 k バイト)"},
                      TotalsCase{{5242880}, ".", "合計= 1個 (5120.0 M バイト)"},
                      TotalsCase{{2147483648LL}, ".", "合計= 1個 (2097152.0 M バイト)"}));

}  // namespace
}  // namespace nuvelo
