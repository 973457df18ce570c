// nuvelo-cli carries a file's extended attributes, and onto a destination that holds none it
// says so once and still succeeds.

#include <gtest/gtest.h>

#include <unistd.h>

#include "cli/cli_harness.h"
#include "support/file_acls.h"
#include "support/file_tree.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

using testing::attribute;
using testing::setAttribute;

const timespec Day = testing::localTime(2024, 5, 2);

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

class CliAttributes : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.txt", "docs/b.txt", "docs/c.txt"})
      testing::makeFile(source() + "/" + name, Day, 5);
    for (const char* name : {"a.txt", "docs/b.txt"})
      if (!setAttribute(source() + "/" + name, "user.tag", name))
        GTEST_SKIP() << "no user attributes in " << tree.path();
  }
  std::string source() const { return tree.path() + "/src"; }
  int copyInto(const std::string& destination) {
    return cli.run("copy --since 2024-05-01 --relative --overwrite always " + source() + " " +
                   destination);
  }

  testing::TempFolder tree;
  testing::CliHarness cli{tree.path() + "/NVO.ini"};
};

TEST_F(CliAttributes, KeepsUserAttributes) {
  const std::string destination = tree.path() + "/dst";
  std::filesystem::create_directories(destination);
  ASSERT_EQ(copyInto(destination), 0) << cli.err.str();
  EXPECT_EQ(attribute(destination + "/a.txt", "user.tag"), "a.txt");
  EXPECT_EQ(attribute(destination + "/docs/b.txt", "user.tag"), "docs/b.txt");
  EXPECT_FALSE(attribute(destination + "/docs/c.txt", "user.tag"));
  EXPECT_EQ(cli.err.str().find("保存していません"), std::string::npos) << cli.err.str();
}

TEST_F(CliAttributes, ADestinationWithoutThemIsOneNoteNotAFailure) {
  testing::Ramfs drive;
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  ASSERT_EQ(copyInto(drive.path()), 0) << cli.err.str();
  EXPECT_EQ(occurrences(cli.err.str(), "拡張属性は保存していません"), 1u) << cli.err.str();
  EXPECT_EQ(testing::readFile(drive.path() + "/docs/b.txt"), std::string(5, 'x'));
  EXPECT_FALSE(attribute(drive.path() + "/a.txt", "user.tag"));
}

}  // namespace
}  // namespace nuvelo
