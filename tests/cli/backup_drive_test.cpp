// A backup onto the drives people carry: the real nuvelo-cli copies a tree onto a fresh exFAT,
// FAT32 or NTFS image mounted through FUSE, as Debian mounts such a USB drive. Each case needs
// root, /dev/fuse, a loop device and the file system's programs, and is skipped without them.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

#include "engine/jobs/job_state.h"
#include "engine/settings/job_dates.h"
#include "engine/text/output_text.h"
#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::FileSystem;
using testing::localTime;
using testing::MountedImage;
using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;
using testing::TempFolder;
using testing::todayText;
using testing::writeFile;

const timespec Day = localTime(2024, 5, 2);

// What the copier is to say on stderr about a name the drive cannot hold, and, once a run,
// about permission bits and owners the drive cannot keep.
constexpr const char* ForbiddenNameText = "コピー先のファイルシステムでは使えない名前です";
constexpr const char* PermissionsNotKeptText = "アクセス権と所有者は保存していません";

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& start) {
  std::vector<std::string> found;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(start, 0) == 0) found.push_back(line);
  return found;
}

std::size_t linesHolding(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) count += line.find(part) != std::string::npos;
  return count;
}

// Every entry below a folder by its path from there, folders ending in "/", sorted.
std::vector<std::string> treeOf(const std::string& root) {
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative = std::filesystem::relative(entry.path(), root).string();
    entries.push_back(entry.is_directory() ? relative + "/" : relative);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// The files and every folder above them, as treeOf lists them.
std::vector<std::string> treeHolding(const std::map<std::string, std::string>& files) {
  std::set<std::string> entries;
  for (const auto& [relative, content] : files) {
    entries.insert(relative);
    for (auto slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1))
      entries.insert(relative.substr(0, slash + 1));
  }
  return {entries.begin(), entries.end()};
}

// Bytes that differ from block to block, so that a block copied twice or left out shows.
std::string patterned(std::size_t bytes) {
  std::string text(bytes, '\0');
  std::uint32_t state = 2463534242u;
  for (char& c : text) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    c = static_cast<char>(state);
  }
  return text;
}

// A source tree and a settings file of the test's own, and the drive to back up onto; the
// drive's root is the destination, as a whole USB drive often is.
class Backup {
 public:
  explicit Backup(FileSystem fs) : drive(fs) { writeFile(settings(), "[Default]\n"); }

  std::string source() const { return folder.path() + "/src"; }
  std::string settings() const { return folder.file("NVO.ini"); }
  std::string sourceOf(const std::string& relative) const { return source() + "/" + relative; }
  std::string onDrive(const std::string& relative) const { return drive.path() + "/" + relative; }

  void put(const std::string& relative, const std::string& content, const timespec& when = Day,
           mode_t mode = 0644) const {
    const std::string path = sourceOf(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, content);
    chmod(path.c_str(), mode);
    testing::setModified(path, when);
  }

  ProgramRun copy(const char* overwrite, const std::string& option = "--no-keep-replaced") const {
    return runProgram({NUVELO_CLI_PATH, "copy", "-v", "--overwrite", overwrite, "--relative",
                       "--since", "2000-01-01", "--settings", settings(), option, source(),
                       drive.path()});
  }
  // The start of nuvelo-cli's line for a file, with the paths as it writes them.
  std::string lineFor(const char* what, const std::string& relative) const {
    return std::string(what) + "\t" + tsvField(sourceOf(relative)) + "\t";
  }

  TempFolder folder;
  MountedImage drive;
};

// A case of a table run with a Backup onto the case's drive; skipped where there is none.
template <typename Case>
class OnADrive : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    backup_.emplace(this->GetParam().fs);
    if (!backup_->drive.usable()) GTEST_SKIP() << backup_->drive.skipReason();
  }
  Backup& backup() { return *backup_; }

 private:
  std::optional<Backup> backup_;
};

// What already holds on exFAT and NTFS, and is to hold on FAT32 as well.

struct DriveCase {
  const char* name;
  FileSystem fs;
  bool unicodeNames;  // fusefat refuses names beyond ASCII (EPERM); FAT32 itself keeps them
};

void PrintTo(const DriveCase& c, std::ostream* out) {
  *out << c.name;
}

class BackupDrive : public OnADrive<DriveCase> {};

TEST_P(BackupDrive, CarriesTheTreeWholeAndANeverRunLeavesIt) {
  const DriveCase& c = GetParam();
  Backup& b = backup();
  std::map<std::string, std::string> files = {
      {"report.txt", "quarterly figures\n"},
      {"empty.txt", ""},
      {"docs/notes.md", "# notes\n"},
      {"docs/2024/05/minutes.txt", "minutes of May\n"},
      {"photos/holiday.jpg", patterned((1 << 20) + 4099)},  // past any one buffer or cluster
  };
  if (c.unicodeNames) files["日本語/メモ.txt"] = "メモ\n";
  for (const auto& [relative, content] : files) b.put(relative, content);

  const ProgramRun first = b.copy("always");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(linesStartingWith(first.out, "copied\t").size(), files.size()) << first.out;
  EXPECT_EQ(treeOf(b.drive.path()), treeHolding(files));  // no temporary file either
  for (const auto& [relative, content] : files)
    EXPECT_TRUE(readFile(b.onDrive(relative)) == content) << relative << " differs";

  const ProgramRun second = b.copy("never");
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(linesStartingWith(second.out, "copied\t"), std::vector<std::string>{}) << second.out;
  EXPECT_EQ(linesStartingWith(second.out, "skipped\t").size(), files.size()) << second.out;
  EXPECT_EQ(treeOf(b.drive.path()), treeHolding(files));
  for (const auto& [relative, content] : files)
    EXPECT_TRUE(readFile(b.onDrive(relative)) == content) << relative << " differs";
}

// A good file backed up, then spoilt at the source: the next run keeps the good copy in the
// drive's versions folder, moved there where the drive has no hard links (FAT32, exFAT).
TEST_P(BackupDrive, KeepsWhatItReplaces) {
  Backup& b = backup();
  b.put("docs/thesis.odt", "a good thesis\n");
  ASSERT_EQ(b.copy("always").status, 0);
  b.put("docs/thesis.odt", "20 random bytes!!!!\n", localTime(2024, 5, 3));
  const ProgramRun run = b.copy("always", "--keep-replaced");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(b.onDrive("docs/thesis.odt")), "20 random bytes!!!!\n");
  const ProgramRun listed =
      runProgram({NUVELO_CLI_PATH, "versions", "-0", b.onDrive("docs/thesis.odt")});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const std::string kept = listed.out.substr(0, listed.out.find('\0'));
  EXPECT_EQ(listed.out.size(), kept.size() + 1) << listed.out;
  EXPECT_EQ(kept.rfind(b.onDrive(".nuvelo-versions/"), 0), 0u) << kept;
  EXPECT_EQ(readFile(kept), "a good thesis\n");
  // Nothing else: no temporary file, no second copy.
  const std::string runFolder =
      kept.substr(b.onDrive("").size(), kept.find("/docs/") - b.onDrive("").size());
  const std::map<std::string, std::string> expected = {{"docs/thesis.odt", ""},
                                                       {runFolder + "/docs/thesis.odt", ""}};
  EXPECT_EQ(treeOf(b.drive.path()), treeHolding(expected));
}

INSTANTIATE_TEST_SUITE_P(Drives, BackupDrive,
                         ::testing::Values(DriveCase{"ExFat", FileSystem::ExFat, true},
                                           DriveCase{"Fat32", FileSystem::Fat32, false},
                                           DriveCase{"Ntfs", FileSystem::Ntfs, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// What the copier is to do where a drive cannot hold what the source has.

// docs/b.txt and docs/B.txt are one name on the drive: the first copied stays, the second
// fails naming both sources.
void caseCollisionKeepsTheFirst(Backup& b) {
  b.put("docs/b.txt", "lower\n");
  b.put("docs/B.txt", "UPPER\n");
  const ProgramRun run = b.copy("always");
  EXPECT_EQ(run.status, 1) << run.err;
  const auto copied = linesStartingWith(run.out, "copied\t");
  ASSERT_EQ(copied.size(), 1u) << run.out;
  const bool lowerFirst = copied[0].rfind(b.lineFor("copied", "docs/b.txt"), 0) == 0;
  const std::string first = lowerFirst ? "docs/b.txt" : "docs/B.txt";
  const std::string second = lowerFirst ? "docs/B.txt" : "docs/b.txt";
  const auto failed = linesStartingWith(run.err, b.lineFor("failed", second));
  ASSERT_EQ(failed.size(), 1u) << run.err;
  EXPECT_NE(failed[0].find(tsvField(b.sourceOf(first))), std::string::npos) << failed[0];
  EXPECT_EQ(treeOf(b.drive.path()), (std::vector<std::string>{"docs/", first}));
  EXPECT_EQ(readFile(b.onDrive(first)), lowerFirst ? "lower\n" : "UPPER\n");
}

void caseCollisionKeepsBoth(Backup& b) {
  b.put("docs/b.txt", "lower\n");
  b.put("docs/B.txt", "UPPER\n");
  const ProgramRun run = b.copy("always");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(linesStartingWith(run.out, "copied\t").size(), 2u) << run.out;
  EXPECT_EQ(treeOf(b.drive.path()),
            (std::vector<std::string>{"docs/", "docs/B.txt", "docs/b.txt"}));
  EXPECT_EQ(readFile(b.onDrive("docs/b.txt")), "lower\n");
  EXPECT_EQ(readFile(b.onDrive("docs/B.txt")), "UPPER\n");
}

// The drive keeps whole seconds (exfat-fuse) or even ones (FAT): a copy of 10:00:01.5 is not
// older than its source, while a real change is still carried.
void coarseTimesAreNotOlder(Backup& b) {
  b.put("docs/report.txt", "first\n", localTime(2024, 5, 2, 10, 0, 1, 500));
  const ProgramRun first = b.copy("always");
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_EQ(linesStartingWith(first.out, "copied\t").size(), 1u) << first.out;

  const ProgramRun again = b.copy("newer");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(linesStartingWith(again.out, "copied\t"), std::vector<std::string>{}) << again.out;
  EXPECT_EQ(linesStartingWith(again.out, b.lineFor("skipped", "docs/report.txt")).size(), 1u)
      << again.out;

  b.put("docs/report.txt", "second\n", localTime(2024, 5, 2, 10, 0, 9, 500));
  const ProgramRun changed = b.copy("newer");
  EXPECT_EQ(changed.status, 0) << changed.err;
  EXPECT_EQ(linesStartingWith(changed.out, b.lineFor("copied", "docs/report.txt")).size(), 1u)
      << changed.out;
  EXPECT_EQ(readFile(b.onDrive("docs/report.txt")), "second\n");
}

// Permission bits and owners the drive cannot keep (FAT32 refuses chmod, exFAT shows 0777
// whatever it is told) are said once a run; the copy succeeds and its day is recorded.
void permissionsNotKeptAreSaidOnce(Backup& b) {
  const std::map<std::string, std::string> files = {
      {"c.txt", "c\n"}, {"docs/a.txt", "a\n"}, {"docs/b.txt", "b\n"}};
  for (const auto& [relative, content] : files) b.put(relative, content, Day, 0640);
  chmod(b.sourceOf("docs").c_str(), 0750);
  const ProgramRun run = b.copy("always");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(linesStartingWith(run.out, "copied\t").size(), files.size()) << run.out;
  EXPECT_EQ(linesStartingWith(run.err, "failed\t"), std::vector<std::string>{}) << run.err;
  EXPECT_EQ(linesHolding(run.err, PermissionsNotKeptText), 1u) << run.err;
  EXPECT_NE(readFile(b.settings()).find(jobKey("", b.source(), b.drive.path()) + "=" + todayText()),
            std::string::npos);
  EXPECT_EQ(treeOf(b.drive.path()), treeHolding(files));
  for (const auto& [relative, content] : files) EXPECT_EQ(readFile(b.onDrive(relative)), content);
}

// Each name the drive refuses fails with the reason said, and nothing is written for it: no
// file under another name, no temporary file.
std::function<void(Backup&)> namesRefused(std::vector<std::string> names) {
  return [names](Backup& b) {
    b.put("fine.txt", "fine\n");
    for (const std::string& name : names) b.put(name, "refused\n");
    const ProgramRun run = b.copy("always");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(
        linesStartingWith(run.out, "copied\t"),
        std::vector<std::string>{b.lineFor("copied", "fine.txt") + tsvField(b.onDrive("fine.txt"))})
        << run.out;
    for (const std::string& name : names) {
      const auto failed = linesStartingWith(run.err, b.lineFor("failed", name));
      ASSERT_EQ(failed.size(), 1u) << name << "\n" << run.err;
      EXPECT_NE(failed[0].find(ForbiddenNameText), std::string::npos) << failed[0];
    }
    EXPECT_EQ(treeOf(b.drive.path()), std::vector<std::string>{"fine.txt"});
  };
}

struct RulesCase {
  const char* name;
  FileSystem fs;
  std::function<void(Backup&)> expect;
};

// A name the drive refuses fails, but does not hold the job's day back; no later run can mend it,
// so it does not wait in the job's retry list. Once renamed at the source, it is copied.
void aRefusedNameFailsWithoutWaiting(Backup& b) {
  b.put("meeting 10:30.txt", "minutes\n");
  b.put("agenda.txt", "agenda\n");
  const ProgramRun first = b.copy("always");
  EXPECT_EQ(first.status, 1) << first.err;
  EXPECT_EQ(first.err.find("次回のコピーで再試行するもの"), std::string::npos) << first.err;
  const std::string key = jobKey("", b.source(), b.drive.path());
  EXPECT_NE(readFile(b.settings()).find(key + "=" + todayText()), std::string::npos);
  const std::string state = jobStateFolder(b.settings());
  EXPECT_TRUE(readRetryList(state, key).empty());

  std::filesystem::rename(b.sourceOf("meeting 10:30.txt"), b.sourceOf("meeting 10-30.txt"));
  const ProgramRun renamed = b.copy("newer");
  EXPECT_EQ(renamed.status, 0) << renamed.err;
  EXPECT_EQ(readFile(b.onDrive("meeting 10-30.txt")), "minutes\n");
}

// A link the drive cannot keep fails without waiting, its reason naming --links=skip; with
// --links=skip it is left out with a note, and the run succeeds.
void aLinkFailsWithoutWaitingAndSkipLeavesItOut(Backup& b) {
  b.put("a.txt", "a\n");
  std::filesystem::create_symlink("a.txt", b.sourceOf("link"));
  const ProgramRun first = b.copy("always");
  EXPECT_EQ(first.status, 1) << first.err;
  const auto failed = linesStartingWith(first.err, b.lineFor("failed", "link"));
  ASSERT_EQ(failed.size(), 1u) << first.err;
  EXPECT_NE(failed[0].find("--links=skip"), std::string::npos) << failed[0];
  EXPECT_TRUE(
      readRetryList(jobStateFolder(b.settings()), jobKey("", b.source(), b.drive.path())).empty());

  const ProgramRun skipped = b.copy("always", "--links=skip");
  EXPECT_EQ(skipped.status, 0) << skipped.err;
  EXPECT_EQ(linesHolding(skipped.err, "除外したシンボリックリンク: 1個"), 1u) << skipped.err;
  EXPECT_EQ(treeOf(b.drive.path()), std::vector<std::string>{"a.txt"});
}

const std::vector<std::string> WindowsForbidden = {"a:b.txt",        "star*.txt", "q\"uote.txt",
                                                   "pipe|.txt",      "less<.txt", "more>.txt",
                                                   "back\\slash.txt"};

const RulesCase RulesCases[] = {
    {"ExFatCaseCollisionKeepsTheFirst", FileSystem::ExFat, caseCollisionKeepsTheFirst},
    {"Fat32CaseCollisionKeepsTheFirst", FileSystem::Fat32, caseCollisionKeepsTheFirst},
    {"NtfsCaseCollisionKeepsBoth", FileSystem::Ntfs, caseCollisionKeepsBoth},
    {"ExFatCoarseTimesAreNotOlder", FileSystem::ExFat, coarseTimesAreNotOlder},
    {"Fat32CoarseTimesAreNotOlder", FileSystem::Fat32, coarseTimesAreNotOlder},
    {"ExFatPermissionsNotKeptAreSaidOnce", FileSystem::ExFat, permissionsNotKeptAreSaidOnce},
    {"Fat32PermissionsNotKeptAreSaidOnce", FileSystem::Fat32, permissionsNotKeptAreSaidOnce},
    {"ExFatQuestionMarkIsRefused", FileSystem::ExFat, namesRefused({"what?.txt"})},
    {"Fat32QuestionMarkIsRefused", FileSystem::Fat32, namesRefused({"what?.txt"})},
    {"ExFatWindowsForbiddenCharactersAreRefused", FileSystem::ExFat,
     namesRefused(WindowsForbidden)},
    {"Fat32WindowsForbiddenCharactersAreRefused", FileSystem::Fat32,
     namesRefused(WindowsForbidden)},
    {"ExFatRefusedNameFailsWithoutWaiting", FileSystem::ExFat, aRefusedNameFailsWithoutWaiting},
    {"ExFatLinkFailsWithoutWaiting", FileSystem::ExFat, aLinkFailsWithoutWaitingAndSkipLeavesItOut},
    {"Fat32LinkFailsWithoutWaiting", FileSystem::Fat32, aLinkFailsWithoutWaitingAndSkipLeavesItOut},
};

void PrintTo(const RulesCase& c, std::ostream* out) {
  *out << c.name;
}

class BackupDriveRules : public OnADrive<RulesCase> {};

TEST_P(BackupDriveRules, Holds) {
  GetParam().expect(backup());
}

INSTANTIATE_TEST_SUITE_P(Rules, BackupDriveRules, ::testing::ValuesIn(RulesCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The drive itself: mounted when it says so, and gone without a trace afterwards, however far
// setting it up got and however the test left.

bool isMountPoint(const std::string& path) {
  std::ifstream table("/proc/self/mountinfo");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    fields >> id >> parent >> device >> root >> point;
    if (point == path) return true;
  }
  return false;
}

bool loopDeviceReads(const std::string& image) {
  for (const auto& block : std::filesystem::directory_iterator("/sys/block")) {
    std::string backing;
    std::getline(std::ifstream(block.path() / "loop/backing_file"), backing);
    if (!image.empty() && backing.rfind(image, 0) == 0) return true;
  }
  return false;
}

struct SetUpCase {
  const char* name;
  FileSystem fs;
  std::uint64_t bytes;
  std::vector<std::string> mountOptions;
  MountedImage::Step failedStep;
  const char* reasonSays;
};

const SetUpCase SetUps[] = {
    {"ExFatMounts",
     FileSystem::ExFat,
     MountedImage::DefaultBytes,
     {},
     MountedImage::Step::None,
     ""},
    {"Fat32Mounts",
     FileSystem::Fat32,
     MountedImage::DefaultBytes,
     {},
     MountedImage::Step::None,
     ""},
    {"NtfsMounts", FileSystem::Ntfs, MountedImage::DefaultBytes, {}, MountedImage::Step::None, ""},
    {"NtfsTooSmallToFormat",
     FileSystem::Ntfs,
     64 << 10,
     {},
     MountedImage::Step::Format,
     "too small"},
    // fusefat exits 0 on an option that libfuse refuses, but mounts nothing.
    {"Fat32MountThatNeverAppears",
     FileSystem::Fat32,
     MountedImage::DefaultBytes,
     {"nuvelo_no_such_option"},
     MountedImage::Step::Mount,
     "nuvelo_no_such_option"},
};

void PrintTo(const SetUpCase& c, std::ostream* out) {
  *out << c.name;
}

class DriveSetUp : public ::testing::TestWithParam<SetUpCase> {};

TEST_P(DriveSetUp, LeavesNothingBehind) {
  const SetUpCase& c = GetParam();
  if (const std::string why = MountedImage::missingPrerequisite(c.fs); !why.empty())
    GTEST_SKIP() << why;
  std::string point, image, device;
  try {
    MountedImage drive(c.fs, c.bytes, c.mountOptions);
    if (drive.failedStep() == MountedImage::Step::LoopDevice) GTEST_SKIP() << drive.skipReason();
    point = drive.path();
    image = drive.imageFile();
    device = drive.device();
    EXPECT_EQ(drive.failedStep(), c.failedStep) << drive.skipReason();
    EXPECT_NE(drive.skipReason().find(c.reasonSays), std::string::npos) << drive.skipReason();
    EXPECT_EQ(drive.usable(), drive.skipReason().empty());
    EXPECT_EQ(isMountPoint(point), drive.usable());
    if (drive.usable()) {
      EXPECT_TRUE(loopDeviceReads(image)) << device;
      writeFile(point + "/kept.txt", "on the drive");
      EXPECT_EQ(readFile(point + "/kept.txt"), "on the drive");
    }
    throw std::runtime_error("the test leaves by an exception");
  } catch (const std::runtime_error&) {
  }
  ASSERT_FALSE(image.empty());
  EXPECT_FALSE(isMountPoint(point));
  EXPECT_FALSE(loopDeviceReads(image)) << device;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(image).parent_path()));
}

INSTANTIATE_TEST_SUITE_P(Drives, DriveSetUp, ::testing::ValuesIn(SetUps),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
