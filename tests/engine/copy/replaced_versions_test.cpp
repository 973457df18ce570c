#include "engine/copy/replaced_versions.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <tuple>

#include "engine/copy/copier_fixture.h"
#include "engine/copy/copy_errors.h"
#include "engine/copy/copy_run.h"
#include "messages/failure_reasons.h"
#include "platform/posix/temporary_names.h"
#include "support/checked_rows.h"
#include "support/file_tree.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

namespace fs = std::filesystem;
using testing::Copier;
using testing::entriesIn;
using testing::linkText;
using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::SmallTmpfs;
using testing::statusOf;
using testing::TempFolder;
using testing::writeFile;

// 2024-05-02 09:30:00 local time: the run's start in every run below.
const std::time_t Started = localTime(2024, 5, 2, 9, 30, 0).tv_sec;
const char* const Stamp = "2024-05-02_093000";

class AnsweringObserver : public CopyObserver {
 public:
  bool abortRequested() override { return false; }
  ReplaceAnswer askReplace(const std::string&) override { return answer; }
  void copyFailed(const EntryReport& report) override { failures.push_back(report.failure); }
  bool proceedWithoutRoom(const SpaceShortage& shortage) override {
    shortages.push_back(shortage);
    return true;
  }
  ReplaceAnswer answer = ReplaceAnswer::Replace;
  std::vector<CopyFailure> failures;
  std::vector<SpaceShortage> shortages;
};

// A source of two files whose destination holds an older copy of each; the run keeps what it
// replaces. Each run is tried with one thread and with four.
// A file with its content and last-write time, and its folders.
void put(const std::string& path, const std::string& content, const timespec& when) {
  fs::create_directories(fs::path(path).parent_path());
  writeFile(path, content);
  testing::setModified(path, when);
}

class KeepReplaced : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    putSources(localTime(2024, 5, 2));
    makeOld();
  }
  void putSources(const timespec& when) {
    put(source() + "/a.txt", "new a", when);
    put(source() + "/docs/c.txt", "new c", when);
  }
  void makeOld() {
    put(destination() + "/a.txt", "old a", localTime(2024, 5, 1));
    put(destination() + "/docs/c.txt", "old c", localTime(2024, 5, 1));
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  std::string root() const { return destination() + "/.nuvelo-versions"; }

  CopyRequest request(OverwritePolicy overwrite) const {
    CopyRequest r;
    r.rule = {false, true, source(), PathStyle::Posix};
    r.destination = destination();
    r.overwrite = overwrite;
    r.filter.sourceText = source();
    r.filter.threads = GetParam();
    r.keepReplaced = true;
    r.started = Started;
    return r;
  }
  CopyRunResult run(const CopyRequest& r) {
    std::vector<ResultRow> rows(2);
    rows[0].pathText = "a.txt";
    rows[1].pathText = "docs";
    return runCopy(testing::sourcesOf(rows, source()), {}, r, observer, copyList);
  }

  TempFolder tree;
  AnsweringObserver observer;
  std::vector<std::string> copyList;
};

INSTANTIATE_TEST_SUITE_P(Threads, KeepReplaced, ::testing::Values(1u, 4u),
                         [](const auto& info) { return std::to_string(info.param) + "Threads"; });

TEST_P(KeepReplaced, KeepsEachReplacedFileUnderTheRunsStampWithItsPath) {
  const ino_t oldInode = statusOf(destination() + "/docs/c.txt").st_ino;
  const CopyRunResult result = run(request(OverwriteAlways));
  EXPECT_EQ(result.counts.copied, 2u);
  EXPECT_EQ(result.versions.kept, 2u);
  // Both files share the one folder of the run.
  EXPECT_EQ(entriesIn(root()), 1u);
  const std::string run = root() + "/" + Stamp;
  EXPECT_EQ(readFile(run + "/a.txt"), "old a");
  EXPECT_EQ(readFile(run + "/docs/c.txt"), "old c");
  EXPECT_EQ(readFile(destination() + "/a.txt"), "new a");
  EXPECT_EQ(readFile(destination() + "/docs/c.txt"), "new c");
  // Kept, not copied: the very file that was in place.
  EXPECT_EQ(statusOf(run + "/docs/c.txt").st_ino, oldInode);
  EXPECT_EQ(statusOf(root()).st_mode & 0777, 0700u);
}

struct PolicyCase {
  const char* name;
  OverwritePolicy overwrite;
  ReplaceAnswer answer;
  bool sourceOlder;
  std::size_t kept;
};

const PolicyCase PolicyCases[] = {
    {"Always", OverwriteAlways, ReplaceAnswer::Replace, false, 2},
    {"Newer", OverwriteIfNewer, ReplaceAnswer::Replace, false, 2},
    {"AskedYes", OverwriteAsk, ReplaceAnswer::Replace, false, 2},
    {"AskedNo", OverwriteAsk, ReplaceAnswer::Keep, false, 0},
    {"NewerButOlder", OverwriteIfNewer, ReplaceAnswer::Replace, true, 0},
    {"Never", OverwriteNever, ReplaceAnswer::Replace, false, 0},
};

// The policies that replace keep what they replace; those that replace nothing leave no trace.
TEST_P(KeepReplaced, KeepsOnlyWhatThePolicyReplaces) {
  for (const PolicyCase& c : PolicyCases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root());
    makeOld();
    putSources(c.sourceOlder ? localTime(2024, 4, 1) : localTime(2024, 5, 2));
    observer.answer = c.answer;
    const CopyRunResult result = run(request(c.overwrite));
    EXPECT_EQ(result.versions.kept, c.kept);
    EXPECT_EQ(fs::exists(root()), c.kept > 0);
    EXPECT_EQ(readFile(destination() + "/a.txt"), c.kept ? "new a" : "old a");
  }
}

TEST_P(KeepReplaced, ASecondRunInTheSameSecondGetsAFolderOfItsOwn) {
  fs::create_directories(root() + "/" + Stamp);
  run(request(OverwriteAlways));
  EXPECT_EQ(readFile(root() + "/" + Stamp + "_2/a.txt"), "old a");
  EXPECT_EQ(entriesIn(root() + "/" + Stamp), 0u);
}

TEST_P(KeepReplaced, ADryRunWritesNoVersion) {
  CopyRequest r = request(OverwriteAlways);
  r.dryRun = true;
  r.pruneVersionsDays = 0;
  fs::create_directories(root() + "/2020-01-01_000000");
  run(r);
  EXPECT_TRUE(fs::exists(root() + "/2020-01-01_000000"));
  EXPECT_EQ(entriesIn(root()), 1u);
  EXPECT_EQ(readFile(destination() + "/a.txt"), "old a");
}

TEST_P(KeepReplaced, WithoutTheSwitchAReplacedFileIsGone) {
  CopyRequest r = request(OverwriteAlways);
  r.keepReplaced = false;
  const CopyRunResult result = run(r);
  EXPECT_EQ(result.versions.kept, 0u);
  EXPECT_FALSE(fs::exists(root()));
}

struct FolderCase {
  const char* name;
  std::string folder;  // "@" stands for the test's folder
  std::string root;    // below the test's folder
};

TEST_P(KeepReplaced, KeepsInANamedFolder) {
  const FolderCase cases[] = {
      {"Relative", "old/versions", "dst/old/versions"},
      {"Absolute", "@/kept", "kept"},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.name);
    makeOld();
    CopyRequest r = request(OverwriteAlways);
    r.versionsFolder = c.folder[0] == '@' ? tree.path() + c.folder.substr(1) : c.folder;
    run(r);
    EXPECT_EQ(readFile(tree.path() + "/" + c.root + "/" + Stamp + "/a.txt"), "old a");
    EXPECT_FALSE(fs::exists(root()));
  }
}

// A versions folder that cannot be made fails each replacement, and the old file stays.
TEST_P(KeepReplaced, AFileWhoseVersionCannotBeKeptIsNotReplaced) {
  writeFile(root(), "in the way");
  const CopyRunResult result = run(request(OverwriteAlways));
  EXPECT_EQ(result.counts.failed, 2u);
  EXPECT_EQ(result.versions.kept, 0u);
  EXPECT_EQ(readFile(destination() + "/a.txt"), "old a");
  EXPECT_EQ(readFile(destination() + "/docs/c.txt"), "old c");
  ASSERT_EQ(observer.failures.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<VersionNotKept>(observer.failures[0].detail));
  EXPECT_NE(reasonText(observer.failures[0]).find("置き換えるファイルを残せない"),
            std::string::npos);
  for (const auto& entry : fs::directory_iterator(destination()))
    EXPECT_FALSE(isTemporaryName(entry.path().filename().string())) << entry.path();
}

TEST_P(KeepReplaced, PrunesOnlyStampFoldersOlderThanTheDays) {
  const std::string keptRecent = "2024-04-30_120000";  // two days before the start
  for (const char* name : {"2024-04-01_000000", "2024-04-01_000000_2", "2024-04-30_120000"})
    put(root() + "/" + name + "/x", "v", localTime(2024, 4, 1));
  fs::create_directories(root() + "/notes");
  CopyRequest r = request(OverwriteAlways);
  r.pruneVersionsDays = 7;
  const CopyRunResult result = run(r);
  EXPECT_EQ(result.versions.pruned, 2u);
  EXPECT_FALSE(result.versions.pruneFailure);
  EXPECT_FALSE(fs::exists(root() + "/2024-04-01_000000"));
  EXPECT_FALSE(fs::exists(root() + "/2024-04-01_000000_2"));
  EXPECT_TRUE(fs::exists(root() + "/" + keptRecent));
  EXPECT_TRUE(fs::exists(root() + "/notes"));
  EXPECT_TRUE(fs::exists(root() + "/" + Stamp + "/a.txt"));  // this run's own
}

// A replaced file frees nothing when it is kept: the room check counts each file whole.
TEST_P(KeepReplaced, TheRoomCheckCountsKeptFilesAsFreeingNothing) {
  SmallTmpfs drive(512 * 1024);
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  put(source() + "/a.txt", std::string(300 * 1024, 'n'), localTime(2024, 5, 2));
  put(drive.path() + "/a.txt", std::string(300 * 1024, 'o'), localTime(2024, 5, 1));
  for (const bool keep : {false, true}) {
    SCOPED_TRACE(keep);
    observer.shortages.clear();
    CopyRequest r = request(OverwriteAlways);
    r.destination = drive.path();
    r.keepReplaced = keep;
    std::vector<ResultRow> rows(1);
    rows[0].pathText = "a.txt";
    rows[0].sizeKiB = 300;
    runCopy(testing::sourcesOf(rows, source()), {}, r, observer, copyList);
    EXPECT_EQ(observer.shortages.size(), keep ? 1u : 0u);
  }
}

struct RefusalCase {
  const char* name;
  std::string folder;  // "@src", "@tmpfs" and "@dst" stand for those folders
  std::optional<VersionsFolderRefusal> refusal;
};

TEST(VersionsFolderRefusal, RefusesTheDestinationTheSourceAndOtherFileSystems) {
  TempFolder tree;
  SmallTmpfs other(64 * 1024);
  const std::string source = tree.path() + "/src", destination = tree.path() + "/dst";
  fs::create_directories(source);
  fs::create_directories(destination);
  const RefusalCase cases[] = {
      {"Default", "", std::nullopt},
      {"Relative", "versions", std::nullopt},
      {"NotYetMade", tree.path() + "/kept/deeper", std::nullopt},
      {"Dot", ".", VersionsFolderRefusal::IsDestination},
      {"DestinationByPath", "@dst", VersionsFolderRefusal::IsDestination},
      {"Source", "@src", VersionsFolderRefusal::InsideSource},
      {"InsideSource", "@src/kept", VersionsFolderRefusal::InsideSource},
      {"BelowDotDot", "../src/kept", VersionsFolderRefusal::InsideSource},
      {"OtherFileSystem", "@tmpfs", VersionsFolderRefusal::OtherFileSystem},
  };
  // A destination inside the source is not searched: its versions folder may be there too.
  const std::string inner = source + "/backup";
  fs::create_directories(inner);
  EXPECT_EQ(versionsFolderRefusal(inner, "", source), std::nullopt);
  EXPECT_EQ(versionsFolderRefusal(inner, "old", source), std::nullopt);
  EXPECT_EQ(versionsFolderRefusal(inner, source + "/kept", source),
            VersionsFolderRefusal::InsideSource);
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.folder == "@tmpfs" && !other.usable()) continue;
    std::string folder = c.folder;
    if (folder.rfind("@src", 0) == 0) folder = source + folder.substr(4);
    if (folder == "@dst") folder = destination;
    if (folder == "@tmpfs") folder = other.path() + "/versions";
    EXPECT_EQ(versionsFolderRefusal(destination, folder, source), c.refusal);
  }
}

TEST(VersionStamp, IsTheLocalTimeWithoutColons) {
  EXPECT_EQ(versionStampText(Started), Stamp);
}

// The keeper on its own, with a test's steps between the keeping and the placing.
class Keeper : public Copier {
 protected:
  void SetUp() override {
    Copier::SetUp();
    writeFile(target(), "old content");
  }
  std::string keptPath() const {
    return destination() + "/.nuvelo-versions/" + Stamp + "/report.txt";
  }
  CopyOutcome copyKeeping(ReplacedVersions& versions) {
    CopyHooks hooks;
    hooks.replaceNamesake = [&versions](int fd, const std::string& temporary,
                                        const std::string& name) {
      return versions.replace(fd, "", name, temporary);
    };
    return copy(ReplaceMode::Silent, ReplaceAnswer::Replace, hooks);
  }
};

// Between the steps: a hard link leaves the old file in place and in the versions folder;
// without hard links it has moved there, and its name is free for the copy.
TEST_F(Keeper, LinksWhereItCanAndMovesWhereItCannot) {
  for (const bool noHardLinks : {false, true}) {
    SCOPED_TRACE(noHardLinks);
    fs::remove_all(destination() + "/.nuvelo-versions");
    writeFile(target(), "old content");
    const ino_t oldInode = statusOf(target()).st_ino;
    std::vector<std::string> seen;
    VersionSeams seams{noHardLinks, [&](VersionStep step) {
                         if (step != VersionStep::OldKept) return;
                         seen.push_back(fs::exists(target()) ? readFile(target()) : "(none)");
                         seen.push_back(std::to_string(statusOf(keptPath()).st_nlink));
                       }};
    ReplacedVersions versions(destination(), "", Started, seams);
    EXPECT_EQ(copyKeeping(versions).kind, CopyOutcome::Copied);
    const std::vector<std::string> expected = noHardLinks
                                                  ? std::vector<std::string>{"(none)", "1"}
                                                  : std::vector<std::string>{"old content", "2"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(readFile(target()), "new content");
    EXPECT_EQ(readFile(keptPath()), "old content");
    EXPECT_EQ(statusOf(keptPath()).st_ino, oldInode);
    EXPECT_EQ(versions.kept(), 1u);
  }
}

TEST_F(Keeper, KeepsAReplacedLinkAsALink) {
  fs::remove(target());
  fs::create_symlink("elsewhere", target());
  ReplacedVersions versions(destination(), "", Started);
  EXPECT_EQ(copyKeeping(versions).kind, CopyOutcome::Copied);
  EXPECT_EQ(linkText(keptPath()), "elsewhere");
  EXPECT_EQ(readFile(target()), "new content");
}

// A link below the destination where a versions folder belongs is never followed.
TEST_F(Keeper, NeverWritesThroughALinkInTheVersionsFolder) {
  TempFolder outside;
  fs::create_directory_symlink(outside.path(), destination() + "/.nuvelo-versions");
  ReplacedVersions versions(destination(), "", Started);
  const CopyOutcome outcome = copyKeeping(versions);
  EXPECT_EQ(outcome.kind, CopyOutcome::Failed);
  EXPECT_TRUE(outcome.versionNotKept);
  EXPECT_EQ(entriesIn(outside.path()), 0u);
  EXPECT_EQ(readFile(target()), "old content");
}

struct CrashCase {
  const char* name;
  bool noHardLinks;
  VersionStep killedAfter;
};

class KilledBetweenSteps : public Keeper, public ::testing::WithParamInterface<CrashCase> {};

// A run killed at any point between the steps leaves the old file in place or kept, and the new
// one in place or not at all: nothing is lost.
TEST_P(KilledBetweenSteps, LosesNothing) {
  const CrashCase& c = GetParam();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    VersionSeams seams{c.noHardLinks, [&](VersionStep step) {
                         if (step == c.killedAfter) raise(SIGKILL);
                       }};
    ReplacedVersions versions(destination(), "", Started, seams);
    copyKeeping(versions);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

  const bool inPlace = fs::exists(target());
  const std::string placed = inPlace ? readFile(target()) : "";
  const bool kept = fs::exists(keptPath());
  EXPECT_TRUE(placed == "old content" || placed == "new content" || !inPlace) << placed;
  EXPECT_TRUE(placed == "old content" || (kept && readFile(keptPath()) == "old content"));
  if (c.killedAfter == VersionStep::NewPlaced) {
    EXPECT_EQ(placed, "new content");
  }
}

const CrashCase CrashCases[] = {
    {"LinkedThenKilled", false, VersionStep::OldKept},
    {"LinkedPlacedThenKilled", false, VersionStep::NewPlaced},
    {"MovedThenKilled", true, VersionStep::OldKept},
    {"MovedPlacedThenKilled", true, VersionStep::NewPlaced},
};

INSTANTIATE_TEST_SUITE_P(Steps, KilledBetweenSteps, ::testing::ValuesIn(CrashCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
