#include "engine/search/folder_walk.h"
#include "engine/search/result_rows.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <set>

#include "support/file_tree.h"
#include "support/ordinary_user.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::makeFolder;
using testing::TempFolder;

const timespec Old = localTime(2024, 4, 30, 23, 59, 59, 999);
const timespec New = localTime(2024, 5, 1, 0, 0, 0, 0);
const DateTimeValue Since = dateValueOf({2024, 5, 1});

using Paths = std::set<std::string>;

// Every walk test runs through the one-thread walk and through the parallel walk.
const unsigned WalkThreadCounts[] = {1, 4};

std::string threadsName(const ::testing::TestParamInfo<unsigned>& info) {
  return info.param == 1 ? "OneThread" : std::to_string(info.param) + "Threads";
}

#define INSTANTIATE_FOR_EVERY_WALK(suite) \
  INSTANTIATE_TEST_SUITE_P(Threads, suite, ::testing::ValuesIn(WalkThreadCounts), threadsName)

// Takes the walk's entries and answers its questions from the test's functions.
struct RecordingWalk : WalkVisitor {
  void found(WalkEntry entry) override { entries.push_back(std::move(entry)); }
  bool abortRequested() override { return aborted && aborted(); }
  void entryRead() override {
    if (onEntry) onEntry();
  }
  void unreadable(const Failure& folder) override {
    if (unreadableFolder) unreadableFolder(folder);
  }
  std::vector<std::string> paths() const {
    std::vector<std::string> out;
    for (const WalkEntry& e : entries) out.push_back(e.path);
    return out;
  }

  std::vector<WalkEntry> entries;
  std::function<bool()> aborted;
  std::function<void()> onEntry;
  std::function<void(const Failure&)> unreadableFolder;
};

std::vector<std::string> walkPaths(const std::string& folder, const WalkFilter& filter,
                                   WalkMode mode = WalkMode::Search) {
  RecordingWalk walk;
  walkFolder(folder, filter, mode, walk);
  return walk.paths();
}

// A source tree: new and old files at the top, in a new folder and in an old folder with a
// new subfolder.
class Walk : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    makeFile(at("new.txt"), New);
    makeFile(at("old.txt"), Old);
    makeFile(at("fresh/a.txt"), New);
    makeFile(at("fresh/b.txt"), Old);
    makeFolder(at("fresh"), New);
    makeFile(at("stale/c.txt"), New);
    makeFile(at("stale/inner/d.txt"), New);
    makeFolder(at("stale/inner"), New);
    makeFolder(at("stale"), Old);
  }

  std::string at(const std::string& relative) const { return root() + "/" + relative; }
  const std::string& root() const { return tree.path(); }

  WalkFilter filter() const {
    WalkFilter f;
    f.sourceText = root();
    f.since = SinceThreshold::forDay(Since);
    f.threads = GetParam();
    return f;
  }

  Paths walk(const WalkFilter& f, WalkMode mode = WalkMode::Search, RecordingWalk&& visitor = {}) {
    walkFolder(root(), f, mode, visitor);
    const std::vector<std::string> found = visitor.paths();
    const Paths unique(found.begin(), found.end());
    EXPECT_EQ(unique.size(), found.size()) << "a path was added twice";
    return unique;
  }

  Paths paths(std::initializer_list<const char*> relatives) const {
    Paths out;
    for (const char* r : relatives) out.insert(at(r));
    return out;
  }

  TempFolder tree;
};

INSTANTIATE_FOR_EVERY_WALK(Walk);

TEST_P(Walk, FindsFilesWrittenOnOrAfterTheDay) {
  EXPECT_EQ(walk(filter()), paths({"new.txt", "fresh/a.txt", "stale/c.txt", "stale/inner/d.txt"}));
}

TEST_P(Walk, WithoutSubfoldersOnlyTheTopIsExamined) {
  WalkFilter f = filter();
  f.includeSubfolders = false;
  EXPECT_EQ(walk(f), paths({"new.txt"}));
  f.perFolder = true;
  EXPECT_EQ(walk(f), paths({"new.txt"}));
}

TEST_P(Walk, PerFolderModeListsNewFoldersWholeAndEntersOldOnes) {
  WalkFilter f = filter();
  f.perFolder = true;
  EXPECT_EQ(walk(f), paths({"new.txt", "fresh", "stale/c.txt", "stale/inner"}));
}

TEST_P(Walk, FolderModeTakesEveryFileWhateverTheDateAndSwitches) {
  WalkFilter f = filter();
  f.includeSubfolders = false;
  f.perFolder = true;
  f.excludedExtensions = {"TXT"};
  makeFile(at("stale/inner/e.doc"), Old);
  EXPECT_EQ(walk(f, WalkMode::WholeFolder), paths({"stale/inner/e.doc"}));
  f.excludedExtensions.clear();
  EXPECT_EQ(walk(f, WalkMode::WholeFolder).size(), 7u);
}

TEST_P(Walk, ContentsOfASubfolderStandWhereItWasMet) {
  const std::vector<std::string> found = walkPaths(root(), filter());
  // Everything below "stale" comes as one run.
  const auto first = std::find_if(found.begin(), found.end(), [&](const std::string& p) {
    return p.rfind(at("stale"), 0) == 0;
  });
  const auto count = std::count_if(found.begin(), found.end(), [&](const std::string& p) {
    return p.rfind(at("stale"), 0) == 0;
  });
  ASSERT_NE(first, found.end());
  EXPECT_TRUE(std::all_of(first, first + count,
                          [&](const std::string& p) { return p.rfind(at("stale"), 0) == 0; }));
}

struct ExtensionCase {
  const char* fileName;
  bool excluded;
};

class ExcludedExtension : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExcludedExtension, MatchesTheLastExtensionWhateverItsCase) {
  TempFolder tree;
  const std::string path = tree.path() + "/" + GetParam().fileName;
  makeFile(path, New);
  WalkFilter f;
  f.since = SinceThreshold::forDay(Since);
  f.excludedExtensions = {"tmp", "BAK"};
  for (const unsigned threads : WalkThreadCounts) {
    f.threads = threads;
    EXPECT_EQ(walkPaths(tree.path(), f).empty(), GetParam().excluded)
        << GetParam().fileName << ", threads " << threads;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExcludedExtension,
    ::testing::Values(ExtensionCase{"report.bak", true}, ExtensionCase{"REPORT.Bak", true},
                      ExtensionCase{"x.BAK", true}, ExtensionCase{".bak", true},
                      ExtensionCase{"report.bak.txt", false}, ExtensionCase{"reportbak", false},
                      ExtensionCase{"a.tmp", true}, ExtensionCase{"a.tmpx", false},
                      ExtensionCase{"noextension", false}));

TEST(FileExtension, FromTheLastDotOfTheName) {
  EXPECT_EQ(fileExtensionOf("/a.b/c"), "");
  EXPECT_EQ(fileExtensionOf("/x/Report.TXT"), ".txt");
  EXPECT_EQ(fileExtensionOf("archive.tar.GZ"), ".gz");
  EXPECT_EQ(fileExtensionOf(".bak"), ".bak");
  EXPECT_EQ(fileExtensionOf("dot."), ".");
}

TEST_P(Walk, ExcludedSubfolderIsTheSourceTextFollowedByTheEntry) {
  makeFile(at("old/x.txt"), New);
  makeFile(at("sub/old/y.txt"), New);
  makeFile(at("ver.2/z.txt"), New);
  WalkFilter f = filter();
  f.excludedSubfolders = {"/old", "/Fresh", "/stale/inner"};
  const Paths found = walk(f);
  EXPECT_FALSE(found.count(at("old/x.txt")));
  EXPECT_TRUE(found.count(at("sub/old/y.txt")));  // only the folder right below the source
  EXPECT_TRUE(found.count(at("fresh/a.txt")));    // letter case counts
  EXPECT_FALSE(found.count(at("stale/inner/d.txt")));
  EXPECT_TRUE(found.count(at("ver.2/z.txt")));  // a folder name with a dot is entered

  f.perFolder = true;  // an excluded folder is not listed as a row either
  f.excludedSubfolders = {"/fresh"};
  EXPECT_FALSE(walk(f).count(at("fresh")));
}

// However an excluded subfolder is written (as the command line takes it, as a condition file
// from Windows holds it), it names the same folder below the source.
TEST_P(Walk, AnExcludedSubfolderNamesOneFolderHoweverItIsSpelt) {
  for (const char* spelling : {"stale", "/stale", "\\stale", "stale/", "/stale//"}) {
    WalkFilter f = filter();
    f.excludedSubfolders = {spelling};
    EXPECT_EQ(walk(f), paths({"new.txt", "fresh/a.txt"})) << spelling;
  }
  for (const char* spelling : {"stale/inner", "\\stale\\inner", "/stale/inner/"}) {
    WalkFilter f = filter();
    f.excludedSubfolders = {spelling};
    EXPECT_EQ(walk(f), paths({"new.txt", "fresh/a.txt", "stale/c.txt"})) << spelling;
  }
}

// The tree was made just now: every change time is today, as for files moved, renamed or
// unpacked into the source today whatever their last-write times.
struct ChangeTimeCase {
  const char* name;
  bool changeTime;
  bool perFolder;
  std::initializer_list<const char*> found;
};

class WalkChangeTime : public Walk {
 protected:
  static const ChangeTimeCase Cases[];
};

const ChangeTimeCase WalkChangeTime::Cases[] = {
    {"LastWriteTimeOnly",
     false,
     false,
     {"new.txt", "fresh/a.txt", "stale/c.txt", "stale/inner/d.txt"}},
    {"ChangeTimeTakesTheOldFilesThatArrivedToday",
     true,
     false,
     {"new.txt", "old.txt", "fresh/a.txt", "fresh/b.txt", "stale/c.txt", "stale/inner/d.txt"}},
    {"PerFolderModeLastWriteTimeOnly",
     false,
     true,
     {"new.txt", "fresh", "stale/c.txt", "stale/inner"}},
    {"PerFolderModeTakesTheOldFolderThatArrivedToday",
     true,
     true,
     {"new.txt", "old.txt", "fresh", "stale"}},
};

INSTANTIATE_FOR_EVERY_WALK(WalkChangeTime);

TEST_P(WalkChangeTime, TakesWhatChangedOnOrAfterTheDayByEitherTime) {
  for (const ChangeTimeCase& c : Cases) {
    WalkFilter f = filter();
    f.since =
        SinceThreshold::forDay(dateValueOf(civilDateOf(todayValue()))).withChangeTime(c.changeTime);
    f.perFolder = c.perFolder;
    // Last-write times in the future stand for "changed on or after today".
    for (const char* fresh : {"new.txt", "fresh/a.txt", "stale/c.txt", "stale/inner/d.txt"})
      testing::setModified(at(fresh), {time(nullptr) + 86400 * 2, 0});
    for (const char* folder : {"fresh", "stale/inner"})
      testing::setModified(at(folder), {time(nullptr) + 86400 * 2, 0});
    EXPECT_EQ(walk(f), paths(c.found)) << c.name;
  }
}

// Files that an earlier run could not carry are taken whatever their times: a file by its
// path, a folder (one that could not be read) with everything below it.
TEST_P(Walk, FilesThatWaitAreTakenWhateverTheirTimes) {
  WalkFilter f = filter();
  f.waiting = std::make_shared<const WaitingFiles>(
      std::vector<std::string>{at("old.txt"), at("stale"), at("gone.txt")});
  makeFile(at("stale/older.txt"), Old);
  EXPECT_EQ(walk(f), paths({"new.txt", "old.txt", "fresh/a.txt", "stale/c.txt", "stale/older.txt",
                            "stale/inner/d.txt"}));
  f.perFolder = true;  // the waiting folder stands whole as one row
  EXPECT_EQ(walk(f), paths({"new.txt", "old.txt", "fresh", "stale"}));
  f.perFolder = false;
  f.excludedExtensions = {"txt"};  // what the job no longer takes is not taken for waiting
  EXPECT_EQ(walk(f), Paths{});
}

TEST_P(Walk, CountsEveryEnumeratedEntryIncludingDotEntries) {
  int entries = 0;
  RecordingWalk control;
  control.onEntry = [&] { ++entries; };
  walk(filter(), WalkMode::Search, std::move(control));
  // Each folder lists "." and "..": top (2 + 4), fresh (2 + 2), stale (2 + 2), inner (2 + 1).
  EXPECT_EQ(entries, 6 + 4 + 4 + 3);
}

TEST_P(Walk, AbortLetsTheCurrentListingFinishButEntersNoFurtherFolder) {
  bool abort = false;
  RecordingWalk control;
  control.aborted = [&] { return abort; };
  control.onEntry = [&] { abort = true; };
  EXPECT_EQ(walk(filter(), WalkMode::Search, std::move(control)), paths({"new.txt"}));

  abort = true;
  RecordingWalk aborted;
  aborted.aborted = [&] { return abort; };
  EXPECT_TRUE(walk(filter(), WalkMode::Search, std::move(aborted)).empty());
}

// Every symbolic link is an entry of its own, judged by its own time and never followed: a
// backup run as root must not carry what a planted link points to.
class WalkLinks : public ::testing::TestWithParam<unsigned> {};
INSTANTIATE_FOR_EVERY_WALK(WalkLinks);

TEST_P(WalkLinks, LinksAreEntriesByTheirOwnTimeAndNeverFollowed) {
  TempFolder tree;
  const std::string root = tree.path();
  makeFile(root + "/outside/new.txt", New, 5);
  makeFile(root + "/outside/old.txt", Old);
  struct Link {
    const char* name;
    std::string target;
    timespec own;
    bool listed;
  };
  const Link links[] = {
      {"new-link-to-old-file", root + "/outside/old.txt", New, true},
      {"old-link-to-new-file", root + "/outside/new.txt", Old, false},
      {"to-folder", root + "/outside", New, true},
      {"dangling", root + "/missing", New, true},
      {"outside/loop", "..", New, true},  // a cycle, never entered
  };
  for (const Link& l : links) {
    std::filesystem::create_symlink(l.target, root + "/" + l.name);
    testing::setModified(root + "/" + l.name, l.own);
  }
  mkfifo((root + "/pipe").c_str(), 0600);
  makeFolder(root + "/outside", Old);

  WalkFilter f;
  f.since = SinceThreshold::forDay(Since);
  f.threads = GetParam();
  RecordingWalk walk;
  walkFolder(root, f, WalkMode::Search, walk);
  const std::vector<std::string> found = walk.paths();
  const std::vector<WalkEntry>& entries = walk.entries;
  std::vector<std::string> expected{root + "/outside/new.txt"};
  for (const Link& l : links)
    if (l.listed) expected.push_back(root + "/" + l.name);
  std::vector<std::string> sorted = found;
  std::sort(sorted.begin(), sorted.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(sorted, expected);
  for (std::size_t i = 0; i < found.size(); ++i) {
    const bool isLink = found[i] != root + "/outside/new.txt";
    EXPECT_EQ(entries[i].kind, isLink ? EntryKind::Link : EntryKind::File) << found[i];
    EXPECT_EQ(entries[i].bytes, isLink ? 0 : 5) << found[i];  // links count no size
  }

  // A whole folder: every entry, links included, none entered.
  EXPECT_EQ(walkPaths(root, f, WalkMode::WholeFolder).size(), 2u + std::size(links));
}

TEST_P(Walk, LeavesOutTheDestinationFolderAndTheCopiersTemporaryFiles) {
  makeFile(at("backup/copied.txt"), New);
  makeFolder(at("backup"), New);
  makeFile(at(".nuvelo-0123456789abcdef.tmp"), New);
  makeFile(at(".nuvelo-notatemporary.tmp"), New);  // only the copier's own names are left out
  WalkFilter f = filter();
  f.leftOutFolder = identityOf(at("backup"));
  ASSERT_TRUE(f.leftOutFolder);
  EXPECT_EQ(walk(f), paths({"new.txt", "fresh/a.txt", "stale/c.txt", "stale/inner/d.txt",
                            ".nuvelo-notatemporary.tmp"}));
  f.perFolder = true;  // nor listed as a folder of its own
  EXPECT_EQ(walk(f),
            paths({"new.txt", "fresh", "stale/c.txt", "stale/inner", ".nuvelo-notatemporary.tmp"}));
  EXPECT_EQ(walk(f, WalkMode::WholeFolder).count(at("backup/copied.txt")), 0u);
}

// A folder that cannot be listed loses files for a backup: the walk names it and goes on.
TEST_P(Walk, NamesEveryFolderItCannotListAndGoesOn) {
  makeFile(at("locked/secret.txt"), New);
  makeFile(at("fresh/locked-too/x.txt"), New);
  makeFolder(at("fresh"), New);
  chmod(at("locked").c_str(), 0);
  chmod(at("fresh/locked-too").c_str(), 0);
  testing::openToEveryone(root());
  const auto report = testing::asOrdinaryUser([&] {
    RecordingWalk control;
    std::string told;
    control.unreadableFolder = [&](const Failure& folder) {
      told +=
          folder.path + (folder.code == std::errc::permission_denied ? " EACCES\n" : " other\n");
    };
    walkFolder(root(), filter(), WalkMode::Search, control);
    return told + std::to_string(control.entries.size());
  });
  chmod(at("locked").c_str(), 0755);
  chmod(at("fresh/locked-too").c_str(), 0755);
  if (!report) GTEST_SKIP() << "cannot run as an ordinary user here";
  EXPECT_NE(report->find(at("locked") + " EACCES\n"), std::string::npos) << *report;
  EXPECT_NE(report->find(at("fresh/locked-too") + " EACCES\n"), std::string::npos) << *report;
  EXPECT_EQ(report->substr(report->rfind('\n') + 1), "4");  // everything else is still found
}

// How many descriptors the process holds open now.
std::size_t openDescriptors() {
  std::size_t count = 0;
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (readdir(fds)) ++count;
    closedir(fds);
  }
  return count;
}

class WalkHostileTrees : public ::testing::TestWithParam<unsigned> {};
INSTANTIATE_FOR_EVERY_WALK(WalkHostileTrees);

TEST_P(WalkHostileTrees, TenThousandFoldersDeepBeyondPathMax) {
  TempFolder tree;
  const std::string top = tree.path() + "/deep";
  // Built with descriptor-relative calls: the path is far longer than PATH_MAX.
  mkdir(top.c_str(), 0755);
  int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
  constexpr int Depth = 10000;
  for (int i = 0; i < Depth; ++i) {
    mkdirat(fd, "d", 0755);
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  const int file = openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644);
  close(file);
  close(fd);

  WalkFilter f;
  f.since = SinceThreshold::forDay(dateValueOf({2000, 1, 1}));
  f.threads = GetParam();
  int entries = 0;
  const std::size_t openBefore = openDescriptors();
  std::size_t mostOpen = openBefore;
  RecordingWalk control;
  control.onEntry = [&] {
    if (++entries % 250 == 0) mostOpen = std::max(mostOpen, openDescriptors());
  };
  walkFolder(top, f, WalkMode::Search, control);
  // Descending 10,000 folders must not hold one descriptor for each of them.
  EXPECT_LT(mostOpen - openBefore, 256u) << "descriptors held at most: " << mostOpen - openBefore;
  const std::vector<std::string> found = control.paths();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_GT(found[0].size(), static_cast<std::size_t>(PATH_MAX));
  EXPECT_EQ(found[0].size(), top.size() + Depth * 2 + std::string("/bottom.txt").size());
  EXPECT_EQ(entries, Depth * 3 + 3);

  // The row builder looks such a path up too.
  struct OneType : TypeNamer {
    std::uint16_t typeOf(std::string_view, EntryKind) override { return 0; }
  } types;
  const auto rows = buildResultRows(walkEntriesOf(found), false, top, types);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name(), "bottom.txt");
  EXPECT_EQ(rows[0].pathText.size(), Depth * 2 + std::string("bottom.txt").size());
  testing::removeDeepTree(top);
}

TEST_P(WalkHostileTrees, NamesThatAreNotUtf8KeepTheirBytes) {
  TempFolder tree;
  const std::string name = "caf\xE9-\xFF.txt";
  makeFile(tree.path() + "/" + name, New);
  WalkFilter f;
  f.since = SinceThreshold::forDay(Since);
  f.threads = GetParam();
  EXPECT_EQ(walkPaths(tree.path(), f), (std::vector<std::string>{tree.path() + "/" + name}));
}

TEST_P(WalkHostileTrees, MissingSourceContributesNothing) {
  WalkFilter f;
  f.threads = GetParam();
  EXPECT_TRUE(walkPaths("/no/such/folder/anywhere", f).empty());
}

}  // namespace
}  // namespace nuvelo
