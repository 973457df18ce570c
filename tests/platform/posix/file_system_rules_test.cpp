#include "platform/posix/file_system_rules.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "support/temp_folder.h"

namespace nuvelo {
namespace {

FileSystemRules windowsRules() {
  FileSystemRules rules;
  rules.name = "exFAT";
  rules.foldsCase = true;
  rules.windowsNames = true;
  return rules;
}

struct NameCase {
  std::string name;
  bool takenByWindowsDrive;
  bool takenByPosix;
};

class Names : public ::testing::TestWithParam<NameCase> {};

TEST_P(Names, RefusedWhereTheFileSystemCannotHoldThem) {
  const NameCase& c = GetParam();
  const auto windows = nameRefusal(c.name, windowsRules());
  EXPECT_EQ(!windows, c.takenByWindowsDrive) << c.name;
  if (windows && windows->why == NameRefusal::Why::RefusedCharacter) {
    EXPECT_NE(c.name.find(windows->character), std::string::npos) << c.name;
  }
  EXPECT_EQ(!nameRefusal(c.name, FileSystemRules{}), c.takenByPosix) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Names,
    ::testing::Values(NameCase{"report.txt", true, true}, NameCase{"what?.txt", false, true},
                      NameCase{"a:b", false, true}, NameCase{"star*", false, true},
                      NameCase{"pipe|", false, true}, NameCase{"quote\"", false, true},
                      NameCase{"lt<gt>", false, true}, NameCase{"back\\slash", false, true},
                      NameCase{"tab\there", false, true}, NameCase{"dot.", false, true},
                      NameCase{"space ", false, true}, NameCase{"CON", false, true},
                      NameCase{"con.txt", false, true}, NameCase{"nul.tar.gz", false, true},
                      NameCase{"COM1.log", false, true}, NameCase{"lpt9", false, true},
                      NameCase{"COM0", true, true}, NameCase{"console.txt", true, true},
                      NameCase{"caf\xE9", false, true}, NameCase{std::string(255, 'a'), true, true},
                      NameCase{std::string(256, 'a'), false, false},
                      // 128 characters of three bytes each: 128 UTF-16 units, 384 bytes.
                      NameCase{[] {
                                 std::string s;
                                 for (int i = 0; i < 128; ++i) s += "表";
                                 return s;
                               }(),
                               true, false}));

TEST(ComparableNames, FoldLetterCaseOnlyWhereTheFileSystemDoes) {
  const FileSystemRules folding = windowsRules();
  EXPECT_EQ(comparableName("docs.TXT", folding), comparableName("Docs.txt", folding));
  EXPECT_EQ(comparableName("\xC3\xA9t\xC3\xA9", folding),
            comparableName("\xC3\x89T\xC3\x89", folding));  // été, ÉTÉ
  EXPECT_NE(comparableName("a.txt", folding), comparableName("b.txt", folding));
  EXPECT_EQ(comparableName("caf\xE9", folding), "CAF\xE9");  // a byte that is no UTF-8 stays
  EXPECT_NE(comparableName("b.txt", FileSystemRules{}), comparableName("B.txt", FileSystemRules{}));
}

// The test's own folder lies on an ordinary POSIX file system: what the probe finds there.
TEST(ProbedRules, AnOrdinaryFileSystemKeepsEverythingAndLeavesNoProbeBehind) {
  testing::TempFolder tree;
  const int fd = open(tree.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  const FileSystemRules byType = rulesByType(fd);
  const FileSystemRules probed = probeRules(fd);
  close(fd);
  if (byType.foldsCase || byType.windowsNames)
    GTEST_SKIP() << "the test folder lies on " << byType.name;
  EXPECT_FALSE(probed.foldsCase);
  EXPECT_LE(probed.timeGranularityMs, 1);
  EXPECT_TRUE(probed.keepsPermissions);
  EXPECT_TRUE(probed.keepsLinks);
  EXPECT_FALSE(probed.windowsNames);
  EXPECT_EQ(testing::entriesIn(tree.path()), 0u);
}

}  // namespace
}  // namespace nuvelo
