#include "engine/settings/condition_file.h"

#include <gtest/gtest.h>

#include "engine/settings/folder_rules.h"
#include "engine/settings/profile_file.h"
#include "support/non_regular_entries.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::entriesIn;
using testing::makeEntry;
using testing::nameOf;
using testing::NonRegularKind;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

SearchConditions example() {
  SearchConditions c;
  c.source = "D:\\Data\\Work";
  c.destination = "E:\\Backup";
  c.includeSubfolders = true;
  c.excludedSubfolders = {"\\obj", "\\tmp\\cache"};
  c.excludedExtensions = {"bak", "tmp"};
  return c;
}

TEST(ConditionFile, NewFileHasItsLinesInTheirOrder) {
  TempFolder folder;
  const std::string path = folder.file("conds.dat");
  ASSERT_TRUE(writeConditionFile(path, example()));
  EXPECT_EQ(readFile(path),
            "[NVO]\nEscExt=bak,tmp\nDirFrom=D:\\Data\\Work\nDirTo=E:\\Backup\nCBKai=1\n"
            "FolEx=\\obj,\\tmp\\cache\n[Application]\nNVOFile=1\n");
}

TEST(ConditionFile, RoundTripKeepsListsWithBlanksAndOtherLines) {
  TempFolder folder;
  const std::string path = folder.file("conds.dat");
  writeFile(path, "; my notes\n[Mine]\nkeep=1\n");
  SearchConditions c;
  c.source = "/home/u/My Docs";
  c.excludedSubfolders = {"/My Docs"};
  c.excludedExtensions = {};
  ASSERT_TRUE(writeConditionFile(path, c));
  const auto back = readConditionFile(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->excludedSubfolders, (std::vector<std::string>{"/My Docs"}));
  EXPECT_TRUE(back->excludedExtensions.empty());
  EXPECT_EQ(back->source, "/home/u/My Docs");
  EXPECT_FALSE(back->includeSubfolders);
  EXPECT_EQ(readFile(path).rfind("; my notes\n[Mine]\nkeep=1\n", 0), 0u);

  c.excludedSubfolders = {"/My Docs", "/x", "/Other Docs"};  // quoted items at both ends
  ASSERT_TRUE(writeConditionFile(path, c));
  EXPECT_EQ(readConditionFile(path)->excludedSubfolders, c.excludedSubfolders);
}

struct MarkCase {
  const char* content;
  bool accepted;
};

class TypeMark : public ::testing::TestWithParam<MarkCase> {};

TEST_P(TypeMark, OnlyATrueMarkMakesAConditionFile) {
  TempFolder folder;
  writeFile(folder.file("x.dat"), GetParam().content);
  EXPECT_EQ(readConditionFile(folder.file("x.dat")).has_value(), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Marks, TypeMark,
                         ::testing::Values(MarkCase{"[Application]\nNVOFile=1\n", true},
                                           MarkCase{"[Application]\nNVOFile=2\n", true},
                                           MarkCase{"[application]\nnvofile=$1\n", true},
                                           MarkCase{"[Application]\nNVOFile=0\n", false},
                                           MarkCase{"[Application]\nNVOFile=yes\n", false},
                                           MarkCase{"[NVO]\nDirFrom=/a\n", false},
                                           MarkCase{"", false}));

TEST(ConditionFile, MissingFileIsNoConditionFileAndAbsentKeysGiveDefaults) {
  TempFolder folder;
  EXPECT_FALSE(readConditionFile(folder.file("missing.dat")));
  writeFile(folder.file("mark.dat"), "[Application]\nNVOFile=1\n");
  const auto c = readConditionFile(folder.file("mark.dat"));
  ASSERT_TRUE(c);
  EXPECT_TRUE(c->source.empty());
  EXPECT_FALSE(c->includeSubfolders);
  EXPECT_TRUE(c->excludedSubfolders.empty());
}

TEST(ConditionFile, WindowsFileInShiftJisWithCrlfLoads) {
  TempFolder folder;
  // DirFrom=D:\データ\仕事 (Shift-JIS), FolEx with a blank, CRLF line ends.
  writeFile(folder.file("win.dat"),
            "[NVO]\r\nEscExt=bak\r\nDirFrom=D:\\\x83\x66\x81\x5B\x83\x5E\\\x8E\x64\x8E\x96\r\n"
            "DirTo=E:\\Backup\r\nCBKai=1\r\nFolEx=\"\\My Docs\"\r\n[Application]\r\nNVOFile=1\r\n");
  const auto c = readConditionFile(folder.file("win.dat"));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->source, "D:\\データ\\仕事");
  EXPECT_EQ(c->excludedSubfolders, (std::vector<std::string>{"\\My Docs"}));
  EXPECT_TRUE(c->includeSubfolders);
}

TEST(ConditionFile, LongListsLoadWholeAndSurviveTheNextSave) {
  TempFolder folder;
  const std::string path = folder.file("long.dat");
  std::string folEx;
  std::vector<std::string> entries;
  for (int i = 0; i < 100; ++i) {
    entries.push_back("\\projects\\client-" + std::to_string(i) + "\\build output");
    folEx += (i ? "," : "") + ("\"" + entries.back() + "\"");
  }
  ASSERT_GT(folEx.size(), 2047u);
  writeFile(path, "[Application]\r\nNVOFile=1\r\n[NVO]\r\nFolEx=" + folEx + "\r\n");

  auto loaded = readConditionFile(path);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->excludedSubfolders, entries);

  loaded->source = "D:\\Data";
  ASSERT_TRUE(writeConditionFile(path, *loaded));
  const auto saved = readConditionFile(path);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->excludedSubfolders, entries);
  EXPECT_NE(readFile(path).find("FolEx=" + folEx + "\r\n"), std::string::npos);
}

struct UnwritableCase {
  const char* name;
  std::optional<NonRegularKind> kind;  // nothing: ro.dat, a condition file with mode 0444
};

class UnwritableConditionFile : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(UnwritableConditionFile, SaveIsRefusedAndLeavesItAlone) {
  TempFolder folder;
  const std::string path = folder.file("ro.dat");
  const std::string content = "[Application]\nNVOFile=1\n[NVO]\nDirFrom=/a\n";
  const auto kind = GetParam().kind;
  if (kind && !makeEntry(*kind, path)) GTEST_SKIP() << "cannot make " << nameOf(*kind);
  if (!kind) {
    writeFile(path, content);
    chmod(path.c_str(), 0444);
  }

  const auto loaded = readConditionFile(path);  // a FIFO must not block it
  EXPECT_EQ(loaded.has_value(), !kind);
  const Result<> written = writeConditionFile(path, example());
  ASSERT_FALSE(written) << "the save should be refused";
  EXPECT_EQ(written.error().path, path);
  if (!kind) {
    EXPECT_EQ(readFile(path), content);
  }
  EXPECT_EQ(entriesIn(folder.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(Entries, UnwritableConditionFile,
                         ::testing::Values(UnwritableCase{"ReadOnly", std::nullopt},
                                           UnwritableCase{"CharacterDevice",
                                                          NonRegularKind::CharacterDevice},
                                           UnwritableCase{"Fifo", NonRegularKind::Fifo}),
                         [](const auto& info) { return std::string(info.param.name); });

struct EntryCase {
  const char* source;
  const char* chosen;
  std::optional<std::string> entry;
};

class SubfolderEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(SubfolderEntry, IsThePartBelowTheSource) {
  EXPECT_EQ(excludedSubfolderEntry(GetParam().source, GetParam().chosen), GetParam().entry)
      << GetParam().source << " / " << GetParam().chosen;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SubfolderEntry,
    ::testing::Values(EntryCase{"/data/work", "/data/work/obj/debug", "/obj/debug"},
                      EntryCase{"/data/work", "/data/work", ""},
                      EntryCase{"/data/work", "/data/work2/x", std::nullopt},
                      EntryCase{"/data/work", "/data", std::nullopt},
                      EntryCase{"/Data/Work", "/data/work/obj",
                                std::nullopt},  // letter case counts
                      EntryCase{"/", "/tmp", "tmp"}, EntryCase{"/data/", "/data/x", "x"},
                      EntryCase{"/データ", "/データ/表", "/表"}));

TEST(PathConversion, BothWaysWithTheWorkedExample) {
  const std::vector<std::string> absolute = {"/data/work/2024/plan.xls", "/data/work/memo.txt",
                                             "/data/work/2024"};
  const std::vector<std::string> relative = toRelativePaths(absolute, "/data/work");
  EXPECT_EQ(relative, (std::vector<std::string>{"2024/plan.xls", "memo.txt", "2024"}));
  EXPECT_EQ(toAbsolutePaths(relative, "/data/work"), absolute);
  EXPECT_EQ(toRelativePaths({"/boot.ini"}, "/"), (std::vector<std::string>{"boot.ini"}));
  EXPECT_EQ(toAbsolutePaths({"boot.ini"}, "/"), (std::vector<std::string>{"/boot.ini"}));
  EXPECT_EQ(toRelativePaths({"/data"}, "/data/work"), (std::vector<std::string>{""}));
}

}  // namespace
}  // namespace nuvelo
