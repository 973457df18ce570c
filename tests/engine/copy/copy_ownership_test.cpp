// Owner, group and set-id bits of a copy: kept by a copier that may keep them, narrowed by one
// that may not, so that a copy never grants more than its source did.

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/copy/copier_fixture.h"
#include "engine/copy/file_copier.h"

namespace nuvelo {
namespace {

using testing::Copier;
using testing::statusOf;

struct Account {
  uid_t uid;
  gid_t gid;
};

std::optional<Account> nobody() {
  const passwd* entry = getpwnam("nobody");
  if (!entry) return std::nullopt;
  return Account{entry->pw_uid, entry->pw_gid};
}

class CopierOwnership : public Copier {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "changing owners needs root";
    const auto account = nobody();
    if (!account) GTEST_SKIP() << "no user named nobody";
    someone = *account;
    Copier::SetUp();
  }

  // Copies as `someone` in a child process; the outcome's kind, or -1 when the child failed to
  // become that user.
  int copyAsSomeone() {
    const int fd = folder();
    const pid_t child = fork();
    if (child == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(someone.gid) != 0 || setuid(someone.uid) != 0)
        _exit(100);
      const CopyOutcome outcome =
          copyEntryInto(sourceFile(), fd, "report.txt", ReplaceMode::Silent, {});
      _exit(static_cast<int>(outcome.kind));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 100 ? WEXITSTATUS(status) : -1;
  }

  Account someone{};
};

struct ModeCase {
  const char* name;
  mode_t source;
  mode_t copiedByOthers;  // the copy's bits when its copier cannot take the source's owner
};
void PrintTo(const ModeCase& c, std::ostream* os) {
  *os << c.name;
}

class CopierSetIdBits : public CopierOwnership, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(CopierSetIdBits, KeptByRootWithOwnerAndGroup) {
  ASSERT_EQ(chown(sourceFile().c_str(), someone.uid, someone.gid), 0);
  ASSERT_EQ(chmod(sourceFile().c_str(), GetParam().source), 0);
  EXPECT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Copied);
  const struct stat st = statusOf(target());
  EXPECT_EQ(st.st_uid, someone.uid);
  EXPECT_EQ(st.st_gid, someone.gid);
  EXPECT_EQ(st.st_mode & 07777, GetParam().source);
}

TEST_P(CopierSetIdBits, NarrowedForAnOrdinaryUser) {
  // The source stays root's; the other user may read it and write into the destination.
  ASSERT_EQ(chmod(sourceFile().c_str(), GetParam().source), 0);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(destination().c_str(), 0777), 0);
  ASSERT_EQ(copyAsSomeone(), static_cast<int>(CopyOutcome::Copied));
  const struct stat st = statusOf(target());
  EXPECT_EQ(st.st_uid, someone.uid);
  EXPECT_EQ(st.st_mode & 07777, GetParam().copiedByOthers);
}

INSTANTIATE_TEST_SUITE_P(Modes, CopierSetIdBits,
                         ::testing::Values(ModeCase{"SetUserId", 04755, 0755},
                                           ModeCase{"SetGroupId", 02755, 0755},
                                           ModeCase{"Both", 06775, 0755},
                                           ModeCase{"GroupMayDoNoMoreThanOthers", 0664, 0644},
                                           // The source's group, refused, are others now.
                                           ModeCase{"OthersMayDoNoMoreThanTheGroup", 0604, 0600},
                                           ModeCase{"PlainBits", 0644, 0644}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopierOwnership, LinkKeepsItsOwnerUnderRoot) {
  const std::string link = tree.path() + "/link";
  std::filesystem::create_symlink("report.txt", link);
  ASSERT_EQ(lchown(link.c_str(), someone.uid, someone.gid), 0);
  EXPECT_EQ(copyFrom(link, ReplaceMode::Silent).kind, CopyOutcome::Copied);
  const struct stat st = statusOf(target());
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(st.st_uid, someone.uid);
  EXPECT_EQ(st.st_gid, someone.gid);
}

}  // namespace
}  // namespace nuvelo
