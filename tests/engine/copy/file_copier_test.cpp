#include "engine/copy/file_copier.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

#include "engine/copy/copier_fixture.h"
#include "engine/copy/copy_errors.h"
#include "support/file_size_limit.h"

namespace nuvelo {
namespace {

using testing::Copier;
using testing::entriesIn;
using testing::FileSizeLimit;
using testing::linkText;
using testing::readFile;
using testing::statusOf;
using testing::TempFolder;
using testing::writeFile;

void appendTo(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
}

// What a test sees at a path: a file's content or a link's text.
std::string entryAt(const std::string& path) {
  const struct stat st = statusOf(path);
  if (S_ISLNK(st.st_mode)) return "link to " + linkText(path);
  if (S_ISREG(st.st_mode)) return "file with " + readFile(path);
  return "nothing";
}

struct PathCase {
  const char* name;
  bool allowClone;
  bool verify;
};
void PrintTo(const PathCase& c, std::ostream* os) {
  *os << c.name;
}

class CopierPaths : public Copier, public ::testing::WithParamInterface<PathCase> {};

// Every way through the copier gives the same bytes, times and bits; a file of several chunks
// shows that each chunk lands in its place.
TEST_P(CopierPaths, CopiesContentTimesAndPermissionBits) {
  std::string content(20 << 20, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 / 5);
  writeFile(sourceFile(), content);
  testing::setModified(sourceFile(), {1714521600, 123456789});
  std::uint64_t lastCount = 0;
  CopyHooks hooks;
  hooks.allowClone = GetParam().allowClone;
  hooks.verify = GetParam().verify;
  hooks.afterChunk = [&](std::uint64_t copied) { return lastCount = copied, true; };

  EXPECT_EQ(copy(ReplaceMode::Silent, ReplaceAnswer::Replace, hooks).kind, CopyOutcome::Copied);
  EXPECT_TRUE(readFile(target()) == content);
  if (!GetParam().allowClone) {
    EXPECT_EQ(lastCount, content.size());
  }
  const struct stat st = statusOf(target());
  EXPECT_EQ(st.st_mtim.tv_sec, 1714521600);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(entriesIn(destination()), 1u);  // no temporary file left
  EXPECT_EQ(questions, 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, CopierPaths,
                         ::testing::Values(PathCase{"CloneAllowed", true, false},
                                           PathCase{"InChunks", false, false},
                                           PathCase{"Verified", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

enum class EntryKind { File, Link };

struct ReplaceCase {
  const char* name;
  ReplaceMode mode;
  ReplaceAnswer answer;
  CopyKind outcome;
  bool replaced;
  int questions;
};
void PrintTo(const ReplaceCase& c, std::ostream* os) {
  *os << c.name;
}

class CopierReplace
    : public Copier,
      public ::testing::WithParamInterface<std::tuple<ReplaceCase, EntryKind, EntryKind>> {};

// A namesake is a namesake whether it or the source is a file or a symbolic link: the policy
// decides, and a link at the target is replaced by renaming, never followed.
TEST_P(CopierReplace, ExistingNamesakeByMode) {
  const auto& [c, sourceKind, namesakeKind] = GetParam();
  std::string source = sourceFile();
  if (sourceKind == EntryKind::Link) {
    source = tree.path() + "/new-link";
    std::filesystem::create_symlink("new link text", source);
  }
  if (namesakeKind == EntryKind::Link)
    std::filesystem::create_symlink("old link text", target());
  else
    writeFile(target(), "old content");
  const std::string before = entryAt(target());

  EXPECT_EQ(copyFrom(source, c.mode, c.answer).kind, c.outcome);
  EXPECT_EQ(entryAt(target()), c.replaced ? entryAt(source) : before);
  EXPECT_EQ(questions, c.questions);
  EXPECT_EQ(entriesIn(destination()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CopierReplace,
    ::testing::Combine(
        ::testing::Values(ReplaceCase{"Silent", ReplaceMode::Silent, ReplaceAnswer::Keep,
                                      CopyOutcome::Copied, true, 0},
                          ReplaceCase{"AskYes", ReplaceMode::Ask, ReplaceAnswer::Replace,
                                      CopyOutcome::Copied, true, 1},
                          ReplaceCase{"AskNo", ReplaceMode::Ask, ReplaceAnswer::Keep,
                                      CopyOutcome::Declined, false, 1},
                          ReplaceCase{"Never", ReplaceMode::Never, ReplaceAnswer::Replace,
                                      CopyOutcome::NotCopied, false, 0}),
        ::testing::Values(EntryKind::File, EntryKind::Link),
        ::testing::Values(EntryKind::File, EntryKind::Link)),
    [](const auto& info) {
      const auto kind = [](EntryKind k) { return k == EntryKind::File ? "File" : "Link"; };
      return std::string(std::get<0>(info.param).name) + kind(std::get<1>(info.param)) + "Over" +
             kind(std::get<2>(info.param));
    });

// Paths of one safety case, for its arrangements.
struct SafetyPaths {
  std::string source, target;
};

const std::error_code NoCode;

struct SafetyCase {
  const char* name;
  std::function<void(const SafetyPaths&, CopyHooks&)> arrange;
  CopyKind outcome;
  std::error_code code;  // none: any code, as long as there is one for a failure
  ReplaceMode mode = ReplaceMode::Silent;
  ReplaceAnswer answer = ReplaceAnswer::Replace;
  rlim_t fileSizeLimit = 0;  // past this many bytes every write fails as on a full disk
};
void PrintTo(const SafetyCase& c, std::ostream* os) {
  *os << c.name;
}

class CopySafety : public Copier, public ::testing::WithParamInterface<SafetyCase> {};

// Whatever goes wrong, the file at the target stays as it was and no temporary file is left.
TEST_P(CopySafety, TargetStaysAsItWasAndNothingIsLeftBehind) {
  const SafetyCase& c = GetParam();
  writeFile(target(), "old content");
  CopyHooks hooks;
  c.arrange({sourceFile(), target()}, hooks);
  const std::string before = readFile(target());
  const std::size_t entries = entriesIn(destination());

  CopyOutcome outcome;
  {
    std::optional<FileSizeLimit> limit;
    if (c.fileSizeLimit > 0) limit.emplace(c.fileSizeLimit);
    outcome = copy(c.mode, c.answer, hooks);
  }
  EXPECT_EQ(outcome.kind, c.outcome);
  if (c.code) {
    EXPECT_EQ(outcome.code, c.code);
  } else if (outcome.kind == CopyOutcome::Failed) {
    EXPECT_TRUE(outcome.code);
  }
  EXPECT_EQ(readFile(target()), before);
  EXPECT_EQ(entriesIn(destination()), entries);
}

void inChunks(CopyHooks& hooks, std::function<bool(std::uint64_t)> afterChunk) {
  hooks.allowClone = false;  // a shared-extent clone has no chunks
  hooks.afterChunk = std::move(afterChunk);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopySafety,
    ::testing::Values(
        SafetyCase{"FullDisk",
                   [](const SafetyPaths& p, CopyHooks&) {
                     writeFile(p.source, std::string(1 << 20, 'n'));
                   },
                   CopyOutcome::Failed, NoCode, ReplaceMode::Silent, ReplaceAnswer::Replace, 4096},
        SafetyCase{"StoppedBetweenChunks",
                   [](const SafetyPaths&, CopyHooks& h) {
                     inChunks(h, [](std::uint64_t) { return false; });
                   },
                   CopyOutcome::Stopped, NoCode},
        SafetyCase{"StoppedAtTheQuestion", [](const SafetyPaths&, CopyHooks&) {},
                   CopyOutcome::Stopped, NoCode, ReplaceMode::Ask, ReplaceAnswer::Stop},
        SafetyCase{"StoppedWhileTheCopyIsReadBack",
                   [](const SafetyPaths&, CopyHooks& h) {
                     const auto readingBack = std::make_shared<bool>(false);
                     h.verify = true;
                     h.beforeVerify = [readingBack](int) { *readingBack = true; };
                     h.afterChunk = [readingBack](std::uint64_t) { return !*readingBack; };
                   },
                   CopyOutcome::Stopped, NoCode},
        SafetyCase{"SourceChangesInBothAttempts",
                   [](const SafetyPaths& p, CopyHooks& h) {
                     inChunks(h, [source = p.source](std::uint64_t) {
                       return appendTo(source, "+"), true;
                     });
                   },
                   CopyOutcome::Failed, CopyError::ChangedWhileCopied},
        SafetyCase{"DamagedCopyFailsTheVerify",
                   [](const SafetyPaths&, CopyHooks& h) {
                     h.verify = true;
                     h.beforeVerify = [](int fd) { ASSERT_EQ(pwrite(fd, "X", 1, 0), 1); };
                   },
                   CopyOutcome::Failed, CopyError::Differs},
        SafetyCase{"SourceIsAFolder",
                   [](const SafetyPaths& p, CopyHooks&) {
                     std::filesystem::remove(p.source);
                     std::filesystem::create_directory(p.source);
                   },
                   CopyOutcome::Failed, std::make_error_code(std::errc::is_a_directory)},
        SafetyCase{"TargetIsAHardLinkOfTheSource",
                   [](const SafetyPaths& p, CopyHooks&) {
                     std::filesystem::remove(p.target);
                     std::filesystem::create_hard_link(p.source, p.target);
                   },
                   CopyOutcome::SameFile, NoCode}),
    [](const auto& info) { return std::string(info.param.name); });

struct ChangeCase {
  const char* name;
  std::function<void(const std::string& source)> change;
  std::string copied;
};
void PrintTo(const ChangeCase& c, std::ostream* os) {
  *os << c.name;
}

class CopierSourceChange : public Copier, public ::testing::WithParamInterface<ChangeCase> {};

// A source that changes while it is copied is copied again from a fresh open; the copy that
// lands is the file as it is after the change, never a mixture.
TEST_P(CopierSourceChange, ChangedOnceIsCopiedAgain) {
  writeFile(target(), "old content");
  int changes = 0;
  CopyHooks hooks;
  hooks.allowClone = false;
  hooks.afterChunk = [&](std::uint64_t) {
    if (changes++ == 0) GetParam().change(sourceFile());
    return true;
  };
  EXPECT_EQ(copy(ReplaceMode::Silent, ReplaceAnswer::Replace, hooks).kind, CopyOutcome::Copied);
  EXPECT_EQ(readFile(target()), GetParam().copied);
  EXPECT_EQ(statusOf(target()).st_mtim.tv_sec, statusOf(sourceFile()).st_mtim.tv_sec);
  EXPECT_EQ(entriesIn(destination()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, CopierSourceChange,
    ::testing::Values(ChangeCase{"Truncated", [](const std::string& s) { truncate(s.c_str(), 3); },
                                 "new"},
                      ChangeCase{"Appended", [](const std::string& s) { appendTo(s, " and more"); },
                                 "new content and more"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Copier, CopyOntoItselfInItsOwnFolderWritesNothing) {
  const std::string link = tree.path() + "/link";
  std::filesystem::create_symlink("report.txt", link);
  const int sourceFolder = open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::size_t entries = entriesIn(tree.path());
  for (const ReplaceMode mode : {ReplaceMode::Silent, ReplaceMode::Ask, ReplaceMode::Never}) {
    for (const char* name : {"report.txt", "link"}) {
      const CopyOutcome outcome =
          copyEntryInto(tree.path() + "/" + name, sourceFolder, name, mode, {});
      EXPECT_EQ(outcome.kind, CopyOutcome::SameFile) << name;
    }
  }
  close(sourceFolder);
  EXPECT_EQ(readFile(sourceFile()), "new content");
  EXPECT_EQ(linkText(link), "report.txt");
  EXPECT_EQ(entriesIn(tree.path()), entries);
}

TEST_F(Copier, LinkAtTheTargetIsReplacedAndNothingIsWrittenThroughIt) {
  const std::string elsewhere = tree.path() + "/elsewhere.txt";
  writeFile(elsewhere, "precious");
  std::filesystem::create_symlink(elsewhere, target());
  EXPECT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Copied);
  EXPECT_EQ(readFile(elsewhere), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink(target()));
  EXPECT_EQ(readFile(target()), "new content");
}

TEST_F(Copier, FailuresCarryTheSystemsReason) {
  std::filesystem::create_directory(target());  // a folder where the file belongs
  EXPECT_EQ(copy(ReplaceMode::Silent).kind, CopyOutcome::Failed);

  std::filesystem::remove(target());
  std::filesystem::remove(sourceFile());  // vanished after gathering
  const CopyOutcome gone = copy(ReplaceMode::Silent);
  EXPECT_EQ(gone.kind, CopyOutcome::Failed);
  EXPECT_EQ(gone.code, std::errc::no_such_file_or_directory);

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

}  // namespace
}  // namespace nuvelo
