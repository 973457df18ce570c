// A destination that keeps permission bits but holds no ACL and no extended attribute (a ramfs
// here; an ext4 without ACLs, many shares): the copy of a file with an ACL grants no one what
// the ACL refused them, counts as copied, and the run's one note names what was not kept.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "engine/copy/copy_run.h"
#include "messages/copy_messages.h"
#include "support/checked_rows.h"
#include "support/file_acls.h"
#include "support/file_tree.h"
#include "support/ordinary_user.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

using testing::setAcl;
using testing::setAttribute;

// A group of the source's files, and a user in it who is named in no ACL.
constexpr gid_t SharedGroup = 4242;
constexpr uid_t GroupMember = 4243;

struct QuietObserver : CopyObserver {
  bool abortRequested() override { return false; }
  ReplaceAnswer askReplace(const std::string&) override { return ReplaceAnswer::Keep; }
};

// Whether the member of the shared group may open the file for reading.
bool memberMayRead(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    const gid_t groups[] = {SharedGroup};
    if (setgroups(1, groups) != 0 || setgid(SharedGroup) != 0 || setuid(GroupMember) != 0) _exit(3);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    _exit(fd >= 0 ? 0 : errno == EACCES ? 1 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "the reader could not start";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class AclFreeDestination : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a ramfs and reading as another user need root";
    if (!drive.usable()) GTEST_SKIP() << drive.reason();
    std::filesystem::create_directories(source());
    if (const std::string why = testing::aclsMissingIn(source()); !why.empty()) GTEST_SKIP() << why;
    testing::openToEveryone(drive.path());
    testing::openToEveryone(source());
  }
  std::string source() const { return tree.path() + "/src"; }

  CopyRunResult copy(std::initializer_list<const char*> names) {
    CopyRequest request;
    request.rule = {false, false, source(), PathStyle::Posix};
    request.destination = drive.path();
    request.overwrite = OverwriteAlways;
    request.filter.sourceText = source();
    std::vector<std::string> list;
    return runCopy(testing::sourcesOf(testing::checkedRows(names), source()), {}, request, observer,
                   list);
  }

  testing::TempFolder tree;
  testing::Ramfs drive;
  QuietObserver observer;
};

TEST_F(AclFreeDestination, TheGroupGetsItsOwnEntryNotTheMask) {
  const std::string file = source() + "/private.txt";
  testing::writeFile(file, "for the owner and nobody");
  ASSERT_EQ(chown(file.c_str(), 0, SharedGroup), 0);
  ASSERT_EQ(chmod(file.c_str(), 0600), 0);
  ASSERT_TRUE(setAcl(file, "u:nobody:rw,g::---"));
  struct stat looked {};
  ASSERT_EQ(stat(file.c_str(), &looked), 0);
  ASSERT_EQ(looked.st_mode & 0777, 0660u);  // the group's bits show the mask
  ASSERT_FALSE(memberMayRead(file));

  const CopyRunResult result = copy({"private.txt"});
  EXPECT_EQ(result.counts.copied, 1u);
  EXPECT_EQ(result.counts.failed, 0u);
  EXPECT_TRUE(result.completed(false));
  ASSERT_TRUE(result.attributesNote);
  EXPECT_TRUE(result.attributesNote->acls);
  EXPECT_EQ(attributesNoteText(*result.attributesNote),
            "コピー先が ramfs のため、アクセス制御リストは保存していません");

  const std::string copy = drive.path() + "/private.txt";
  struct stat copied {};
  ASSERT_EQ(stat(copy.c_str(), &copied), 0);
  EXPECT_EQ(copied.st_gid, SharedGroup);
  EXPECT_EQ(copied.st_mode & 07777, 0600u);
  EXPECT_FALSE(memberMayRead(copy));
  // With the source's mode as it shows, the member would have read it.
  ASSERT_EQ(chmod(copy.c_str(), looked.st_mode & 07777), 0);
  EXPECT_TRUE(memberMayRead(copy));
}

TEST_F(AclFreeDestination, OneNoteNamesEverythingNotKept) {
  testing::makeFile(source() + "/docs/tagged.txt", testing::localTime(2024, 5, 2));
  testing::makeFile(source() + "/plain.txt", testing::localTime(2024, 5, 2));
  ASSERT_TRUE(setAttribute(source() + "/docs/tagged.txt", "user.tag", "blue"));
  ASSERT_TRUE(setAcl(source() + "/docs", "u:nobody:rx", true));  // the made folder's
  const CopyRunResult result = copy({"docs/tagged.txt", "plain.txt"});
  EXPECT_EQ(result.counts.copied, 2u);
  ASSERT_TRUE(result.attributesNote);
  EXPECT_EQ(attributesNoteText(*result.attributesNote),
            "コピー先が ramfs のため、アクセス制御リストと拡張属性は保存していません");
  EXPECT_EQ(testing::readFile(drive.path() + "/docs/tagged.txt"), "");
}

}  // namespace
}  // namespace nuvelo
