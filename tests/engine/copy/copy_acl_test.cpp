// A copy carries its source's ACLs and extended attributes: the access ACL of every file, the
// access and default ACLs of the folders a run makes, user.* attributes (trusted.* ones for
// root), and a file capability only with the file's owner. A file without any stays as it was,
// even in a folder whose default ACL would give it more.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/copy/copier_fixture.h"
#include "engine/copy/copy_runner.h"
#include "engine/copy/file_copier.h"
#include "support/file_acls.h"
#include "support/ordinary_user.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

using testing::aclText;
using testing::attribute;
using testing::setAcl;
using testing::setAttribute;
using testing::statusOf;

class CopierAcls : public testing::Copier {
 protected:
  void SetUp() override {
    Copier::SetUp();
    if (const std::string why = testing::aclsMissingIn(tree.path()); !why.empty())
      GTEST_SKIP() << why;
  }
};

struct AccessAclCase {
  const char* name;
  mode_t mode;
  const char* entries;  // for setfacl -m
};
void PrintTo(const AccessAclCase& c, std::ostream* os) {
  *os << c.name;
}

class CopierAccessAcls : public CopierAcls, public ::testing::WithParamInterface<AccessAclCase> {};

TEST_P(CopierAccessAcls, AreCarriedWhole) {
  ASSERT_EQ(chmod(sourceFile().c_str(), GetParam().mode), 0);
  ASSERT_TRUE(setAcl(sourceFile(), GetParam().entries));
  ASSERT_NE(aclText(sourceFile()).find("mask::"), std::string::npos) << aclText(sourceFile());
  const CopyOutcome outcome = copy(ReplaceMode::Silent);
  ASSERT_EQ(outcome.kind, CopyOutcome::Copied);
  EXPECT_FALSE(outcome.attributesDropped.any());
  EXPECT_EQ(aclText(target()), aclText(sourceFile()));
  EXPECT_EQ(statusOf(target()).st_mode, statusOf(sourceFile()).st_mode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopierAccessAcls,
    ::testing::Values(AccessAclCase{"NamedUserBeyondTheGroup", 0600, "u:65534:rw,g::---"},
                      AccessAclCase{"NamedGroupUnderANarrowMask", 0640, "g:100:rwx,m::r"},
                      AccessAclCase{"GroupEntryBeyondTheMask", 0670, "u:65534:r,m::r"},
                      // The set-id bits survive the ACL, which is set after them.
                      AccessAclCase{"WithSetIdBits", 06750, "u:65534:rx"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopierAcls, AFileWithoutAclTakesNoneFromItsFolder) {
  // The destination folder hands new files a named user's rights; the source granted that
  // user nothing (0640, root's group), so neither may the copy.
  ASSERT_TRUE(setAcl(destination(), "u:65534:rwx", true));
  ASSERT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Copied);
  EXPECT_EQ(aclText(target()), "user::rw-\ngroup::r--\nother::---\n");
  EXPECT_EQ(statusOf(target()).st_mode & 07777, 0640u);
}

TEST_F(CopierAcls, UnderAnotherGroupTheGroupEntryGetsNoMoreThanOthers) {
  if (!testing::nobodyUser()) GTEST_SKIP() << "needs root and a user nobody to copy as another";
  ASSERT_EQ(chmod(sourceFile().c_str(), 0644), 0);
  ASSERT_TRUE(setAcl(sourceFile(), "g::rw,u:1000:rw"));
  testing::openToEveryone(destination());
  const int fd = folder();
  const std::optional<std::string> kind = testing::asOrdinaryUser([&] {
    return std::to_string(static_cast<int>(
        copyEntryInto(sourceFile(), fd, "report.txt", ReplaceMode::Silent, {}).kind));
  });
  ASSERT_EQ(kind, std::to_string(static_cast<int>(CopyOutcome::Copied)));
  EXPECT_EQ(statusOf(target()).st_uid, testing::nobodyUser()->pw_uid);
  // The copier's group were others to the source: read alone. The named user keeps writing.
  EXPECT_EQ(aclText(target()), "user::rw-\nuser:1000:rw-\ngroup::r--\nmask::rw-\nother::r--\n");
}

struct AttributeCase {
  const char* name;
  const char* attribute;
  std::string value;
  bool carried;
};
void PrintTo(const AttributeCase& c, std::ostream* os) {
  *os << c.name;
}

class CopierAttributes : public testing::Copier,
                         public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(CopierAttributes, CarriedByNamespace) {
  const AttributeCase& c = GetParam();
  if (!setAttribute(sourceFile(), c.attribute, c.value))
    GTEST_SKIP() << "cannot give " << c.attribute << " here: " << std::strerror(errno);
  const CopyOutcome outcome = copy(ReplaceMode::Silent);
  ASSERT_EQ(outcome.kind, CopyOutcome::Copied);
  EXPECT_FALSE(outcome.attributesDropped.any());
  EXPECT_EQ(attribute(target(), c.attribute),
            c.carried ? std::optional<std::string>(c.value) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopierAttributes,
    ::testing::Values(AttributeCase{"User", "user.tag", "blue", true},
                      AttributeCase{"UserEmpty", "user.empty", "", true},
                      AttributeCase{"UserBinaryAndLarge", "user.blob",
                                    std::string("\0\xff", 2) + std::string(3000, 'v'), true},
                      // Listed to root alone (CAP_SYS_ADMIN), and carried by it.
                      AttributeCase{"Trusted", "trusted.origin", "lab", true},
                      // A label is the destination's policy to give.
                      AttributeCase{"SecurityLabel", "security.nuvelo", "label", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopierAcls, ManyAttributesAndAnAclTogether) {
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i)
    names.push_back("user.attribute-with-a-long-name-" + std::to_string(i));
  for (const std::string& name : names) ASSERT_TRUE(setAttribute(sourceFile(), name, name));
  ASSERT_TRUE(setAcl(sourceFile(), "u:65534:r"));
  ASSERT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Copied);
  for (const std::string& name : names) EXPECT_EQ(attribute(target(), name), name);
  EXPECT_EQ(aclText(target()), aclText(sourceFile()));
}

// A capability is a privilege, like a set-user-id bit: it stays only with the file's owner,
// whoever copies it.
TEST_F(CopierAcls, ACapabilityStaysOnlyWithItsOwner) {
  const std::string setcap = testing::findProgram("setcap");
  if (setcap.empty() || !testing::nobodyUser())
    GTEST_SKIP() << "needs root, setcap (package libcap2-bin) and a user nobody";
  ASSERT_EQ(chmod(sourceFile().c_str(), 0755), 0);
  ASSERT_EQ(testing::runProgram({setcap, "cap_net_raw+ep", sourceFile()}).status, 0);
  const std::optional<std::string> capability = attribute(sourceFile(), "security.capability");
  ASSERT_TRUE(capability);

  ASSERT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Copied);
  EXPECT_EQ(attribute(target(), "security.capability"), capability) << "root keeps the owner";

  // A destination that keeps no owner: not even root gives the copy the capability.
  CopyHooks noOwners;
  noOwners.keepsAttributes = false;
  ASSERT_EQ(copy(ReplaceMode::Silent, ReplaceAnswer::Replace, noOwners).kind, CopyOutcome::Copied);
  EXPECT_FALSE(attribute(target(), "security.capability"));

  // An ordinary user becomes the copy's owner, and copies without it.
  ASSERT_EQ(unlink(target().c_str()), 0);
  testing::openToEveryone(destination());
  const int fd = folder();
  const std::optional<std::string> copied = testing::asOrdinaryUser([&] {
    const CopyOutcome outcome =
        copyEntryInto(sourceFile(), fd, "report.txt", ReplaceMode::Silent, {});
    return std::string(outcome.kind == CopyOutcome::Copied ? "copied" : "not copied");
  });
  ASSERT_EQ(copied, "copied");
  EXPECT_NE(statusOf(target()).st_uid, statusOf(sourceFile()).st_uid);
  EXPECT_FALSE(attribute(target(), "security.capability"));
}

// An ordinary user's own file that not even it may write: the copy takes its attribute while it
// can still be written, and its ACL.
TEST(CopierAsOrdinaryUser, AReadOnlyFileKeepsItsAttributeAndAcl) {
  if (geteuid() == 0 && !testing::nobodyUser()) GTEST_SKIP() << "no user nobody to copy as";
  testing::TempFolder tree;
  if (const std::string why = testing::aclsMissingIn(tree.path()); !why.empty())
    GTEST_SKIP() << why;
  testing::openToEveryone(tree.path());
  const std::optional<std::string> copied = testing::asOrdinaryUser([&tree] {
    const std::string source = tree.file("mine.txt");
    const std::string destination = tree.file("dest");
    testing::writeFile(source, "mine");
    mkdir(destination.c_str(), 0700);
    if (!setAttribute(source, "user.tag", "mine") || chmod(source.c_str(), 0400) != 0 ||
        !setAcl(source, "u:0:r"))
      return std::string("cannot make the source");
    const Descriptor into(open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const CopyOutcome outcome =
        copyEntryInto(source, into.get(), "mine.txt", ReplaceMode::Silent, {});
    const std::string copy = destination + "/mine.txt";
    return std::string(outcome.kind == CopyOutcome::Copied ? "copied" : outcome.code.message()) +
           " " + attribute(copy, "user.tag").value_or("(no attribute)") + " " +
           (aclText(copy) == aclText(source) ? "same ACL" : aclText(copy));
  });
  ASSERT_TRUE(copied) << "the ordinary user's copy did not finish";
  EXPECT_EQ(*copied, "copied mine same ACL");
}

// Values as large as the kernel takes (64 KiB), between file systems that hold them (tmpfs),
// and onto one that holds smaller values only: copied without the attribute, which is told.
TEST(CopierLargeAttributes, CarriedWhereHeldAndToldWhereNot) {
  testing::SmallTmpfs source(1 << 20), destination(1 << 20);
  if (!source.usable()) GTEST_SKIP() << source.reason();
  const std::string file = source.path() + "/big";
  testing::writeFile(file, "content");
  if (!setAttribute(file, "user.big", std::string(65536, 'b')))
    GTEST_SKIP() << "this tmpfs takes no 64 KiB attribute: " << std::strerror(errno);
  testing::TempFolder onDisk;
  for (const std::string& folder : {destination.path(), onDisk.path()}) {
    SCOPED_TRACE(folder);
    const Descriptor into(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const CopyOutcome outcome = copyEntryInto(file, into.get(), "big", ReplaceMode::Silent, {});
    ASSERT_EQ(outcome.kind, CopyOutcome::Copied);
    const std::optional<std::string> value = attribute(folder + "/big", "user.big");
    EXPECT_EQ(outcome.attributesDropped.extendedAttributes, !value);
    EXPECT_EQ(value.value_or(std::string(65536, 'b')), std::string(65536, 'b'));
  }
  EXPECT_TRUE(attribute(destination.path() + "/big", "user.big"));
}

// The folders a run makes mirror their source folders, ACLs and attributes included, once the
// files are in.
class RunnerFolderAcls : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(source() + "/docs");
    std::filesystem::create_directories(destination());
    testing::writeFile(source() + "/docs/a.txt", "a");
    if (const std::string why = testing::aclsMissingIn(tree.path()); !why.empty())
      GTEST_SKIP() << why;
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dest"; }
  DroppedAttributes copyDocs() {
    CopySettings settings;
    settings.rule = {false, false, source(), PathStyle::Posix};
    settings.destination = destination();
    settings.overwrite = OverwriteAlways;
    CopyRunner runner(settings, {});
    EXPECT_EQ(runner.copy(source() + "/docs/a.txt").kind, EntryReport::Copied);
    return runner.finish();
  }
  testing::TempFolder tree;
};

TEST_F(RunnerFolderAcls, AMadeFolderTakesItsSourceFoldersAclsAndAttributes) {
  const std::string docs = source() + "/docs";
  ASSERT_TRUE(setAcl(docs, "u:65534:rx"));
  ASSERT_TRUE(setAcl(docs, "u:65534:rwx,g:100:rx", true));
  ASSERT_TRUE(setAttribute(docs, "user.project", "nuvelo"));
  EXPECT_FALSE(copyDocs().any());
  EXPECT_EQ(aclText(destination() + "/docs"), aclText(docs));
  EXPECT_NE(aclText(docs).find("default:user:65534:rwx"), std::string::npos);
  EXPECT_EQ(attribute(destination() + "/docs", "user.project"), "nuvelo");
}

TEST_F(RunnerFolderAcls, AMadeFolderKeepsNoAclItsSourceFolderLacks) {
  ASSERT_EQ(chmod((source() + "/docs").c_str(), 0750), 0);
  ASSERT_TRUE(setAcl(destination(), "u:65534:rwx", true));  // handed down to folders made in it
  EXPECT_FALSE(copyDocs().any());
  EXPECT_EQ(aclText(destination() + "/docs"), "user::rwx\ngroup::r-x\nother::---\n");
  EXPECT_EQ(aclText(destination() + "/docs/a.txt"), aclText(source() + "/docs/a.txt"));
}

}  // namespace
}  // namespace nuvelo
