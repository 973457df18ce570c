#include "engine/search/name_patterns.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>

#include "engine/search/folder_walk.h"
#include "engine/settings/name_pattern_file.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::TempFolder;
using testing::writeFile;

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

const MatchCase MatchCases[] = {
    {"~$*", "~$Report.docx", true},
    {"~$*", "Report.docx", false},
    {"*.tmp", "a.tmp", true},
    {"*.tmp", ".x.tmp", true},  // a leading dot is an ordinary character
    {"*.tmp", "A.TMP", true},   // letters match whatever their case, as extensions do
    {"*.tmp", "a.tmp.txt", false},
    {"Thumbs.db", "thumbs.db", true},
    {".DS_Store", ".DS_Store", true},
    {".DS_Store", "x.DS_Store", false},
    {"node_modules", "node_modules", true},
    {"node_modules", "node_modules2", false},
    {"*", ".hidden", true},
    {"??.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt", true},  // "?" is one character: 日本.txt
    {"[!a]*", "abc", false},
    {"[!a]*", "bcd", true},
    {"\\*", "*", true},
    {"\\*", "x", false},
    {"*.tmp", "\xFF\xFE.tmp", true},  // a name that is no UTF-8 is matched byte for byte
    {"\xFF*", "\xFF\xFE.tmp", true},
    {"a,b", "a,b", true},
    {"\xC3\xA4*", "\xC3\x84rger.txt", true},  // ä* matches Ärger.txt: letter case beyond ASCII
    {"*.TXT", "\xC3\x84rger.txt", true},
};

TEST(NamePattern, MatchesTheWholeNameAsTheShellDoes) {
  for (const MatchCase& c : MatchCases)
    EXPECT_EQ(matchesNamePattern(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

TEST(NamePattern, ThatCanNameNothingIsTold) {
  EXPECT_EQ(namePatternFault(""), NamePatternFault::Empty);
  EXPECT_EQ(namePatternFault("node_modules/x"), NamePatternFault::HoldsSlash);
  EXPECT_EQ(namePatternFault("/tmp"), NamePatternFault::HoldsSlash);
  EXPECT_EQ(namePatternFault("~$*"), NamePatternFault::None);
  EXPECT_EQ(usableNamePatterns({"a", "", "b/c", "a", "*.tmp"}),
            (std::vector<std::string>{"a", "*.tmp"}));
}

TEST(NamePattern, ListsSkipBlankLinesAndComments) {
  const std::vector<PatternLine> lines = patternLinesOf(
      "# office lock files\r\n~$*\r\n\r\n  *.tmp \t\n   # indented comment\n"
      "[#]draft\nThumbs.db");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].pattern, "~$*");
  EXPECT_EQ(lines[0].line, 2u);
  EXPECT_EQ(lines[1].pattern, "*.tmp");
  EXPECT_EQ(lines[1].line, 4u);
  EXPECT_EQ(lines[2].pattern, "[#]draft");
  EXPECT_EQ(lines[3].pattern, "Thumbs.db");
  EXPECT_EQ(lines[3].line, 7u);
  const std::vector<std::string> patterns = {"~$*", "a,b", "*.tmp"};
  EXPECT_EQ(namePatternsOf(namePatternsText(patterns)), patterns);
}

TEST(NamePatternFile, RefusesWhatCannotServeAndSaysWhy) {
  TempFolder folder;
  const auto missing = readNamePatternFile(folder.file("missing"));
  ASSERT_FALSE(missing);
  ASSERT_TRUE(missing.error().unreadable);
  EXPECT_EQ(missing.error().unreadable->code, std::errc::no_such_file_or_directory);
  const auto aFolder = readNamePatternFile(folder.path());
  ASSERT_FALSE(aFolder);
  ASSERT_TRUE(aFolder.error().unreadable);
  EXPECT_EQ(aFolder.error().unreadable->code, std::errc::is_a_directory);
  writeFile(folder.file("paths"), "# mine\n*.tmp\nnode_modules/cache\n");
  const auto withPath = readNamePatternFile(folder.file("paths"));
  ASSERT_FALSE(withPath);
  EXPECT_FALSE(withPath.error().unreadable);
  EXPECT_EQ(withPath.error().badLine.line, 3u);
  EXPECT_EQ(withPath.error().fault, NamePatternFault::HoldsSlash);
  writeFile(folder.file("good"), "# mine\n\n*.tmp\r\n~$*\n");
  EXPECT_EQ(*readNamePatternFile(folder.file("good")), (std::vector<std::string>{"*.tmp", "~$*"}));
}

// A tree with the clutter name patterns are for, at the top and further down.
class NameExclusion : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    for (const char* file :
         {"keep.txt", "node_modules/top.js", "proj/node_modules/x/i.js", "proj/main.js",
          "docs/~$Report.docx", "docs/Report.docx", "docs/.x.tmp", "docs/deep/Y.TMP", ".DS_Store",
          "docs/deep/.DS_Store", "Thumbs.db"})
      makeFile(tree.file(file), localTime(2024, 5, 2));
  }

  WalkFilter filter(std::vector<std::string> names) const {
    WalkFilter f;
    f.sourceText = tree.path();
    f.since = SinceThreshold::forDay(dateValueOf({2024, 5, 1}));
    f.excludedNames = std::move(names);
    f.threads = GetParam();
    return f;
  }

  std::set<std::string> found(const WalkFilter& f, WalkMode mode = WalkMode::Search) const {
    std::set<std::string> relative;
    for (const WalkEntry& entry : walkEntries(tree.path(), f, mode))
      relative.insert(entry.path.substr(tree.path().size() + 1));
    return relative;
  }

  TempFolder tree;
};

INSTANTIATE_TEST_SUITE_P(Threads, NameExclusion, ::testing::Values(1u, 4u));

struct NameCase {
  std::vector<std::string> patterns;
  std::set<std::string> leftOut;
};

TEST_P(NameExclusion, LeavesOutFilesAndFoldersOfThatNameAtAnyDepth) {
  const std::set<std::string> all = found(filter({}));
  ASSERT_EQ(all.size(), 11u);
  const NameCase cases[] = {
      {{"node_modules"}, {"node_modules/top.js", "proj/node_modules/x/i.js"}},
      {{"~$*"}, {"docs/~$Report.docx"}},
      {{"*.tmp"}, {"docs/.x.tmp", "docs/deep/Y.TMP"}},
      {{".DS_Store", "Thumbs.db"}, {".DS_Store", "docs/deep/.DS_Store", "Thumbs.db"}},
      {{"deep"}, {"docs/deep/Y.TMP", "docs/deep/.DS_Store"}},
      {{"nowhere"}, {}},
  };
  for (const NameCase& c : cases) {
    std::set<std::string> expected;
    for (const std::string& path : all)
      if (!c.leftOut.count(path)) expected.insert(path);
    EXPECT_EQ(found(filter(c.patterns)), expected) << c.patterns.front();
    // A checked folder row copies what is below it with the same exclusions.
    EXPECT_EQ(found(filter(c.patterns), WalkMode::WholeFolder), expected) << c.patterns.front();
  }
}

TEST_P(NameExclusion, PerFolderModeDoesNotListAFolderOfThatName) {
  makeFile(tree.file("cache/n.txt"), localTime(2024, 5, 2));
  WalkFilter f = filter({"cache", "node_modules"});
  f.perFolder = true;
  const std::set<std::string> rows = found(f);
  EXPECT_FALSE(rows.count("cache"));
  EXPECT_FALSE(rows.count("node_modules"));
  EXPECT_FALSE(rows.count("cache/n.txt"));
}

// Each pattern counts every entry it left out, also one that another exclusion left out too,
// and one that met nothing counts none: that one is the one to warn of.
TEST_P(NameExclusion, CountsWhatEachPatternLeftOut) {
  WalkFilter f = filter({"node_modules", "*.tmp", "*.TMP", "~$*", "nowhere"});
  f.excludedExtensions = {"tmp"};
  ExclusionTally tally(0, 1, f.excludedNames.size());
  f.exclusionTally = &tally;
  found(f);
  EXPECT_EQ(tally.names[0].load(), 2u);  // two folders; nothing below them is asked
  EXPECT_EQ(tally.names[1].load(), 2u);
  EXPECT_EQ(tally.names[2].load(), 2u);
  EXPECT_EQ(tally.names[3].load(), 1u);
  EXPECT_EQ(tally.names[4].load(), 0u);
  EXPECT_EQ(tally.extensions[0].load(), 2u);
}

}  // namespace
}  // namespace nuvelo
