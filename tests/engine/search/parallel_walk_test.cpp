#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/search/folder_walk.h"
#include "support/file_tree.h"
#include "support/open_descriptors.h"
#include "support/ordinary_user.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::TempFolder;

const DateTimeValue Since = dateValueOf({2024, 5, 1});

// Everything a walk tells its visitor, in the order told, as one text to compare.
struct Transcript : WalkVisitor {
  void found(WalkEntry entry) override {
    text += "found " + entry.path + " " + std::to_string(static_cast<int>(entry.kind)) + " " +
            std::to_string(entry.bytes) + " " + std::to_string(entry.modifiedSeconds) + "\n";
  }
  void entryRead() override { ++entries; }
  void unreadable(const Failure& folder) override {
    text += "unreadable " + folder.path + " " + folder.code.message() + "\n";
  }
  std::string text;
  long entries = 0;
};

std::string countsText(const char* kind, const std::vector<std::atomic<std::uint64_t>>& counts) {
  std::string text = kind;
  for (const auto& count : counts) text += " " + std::to_string(count.load());
  return text + "\n";
}

std::string transcriptOf(const std::string& root, const WalkFilter& filter, WalkMode mode) {
  Transcript transcript;
  walkFolder(root, filter, mode, transcript);
  return transcript.text + "entries " + std::to_string(transcript.entries) + "\n";
}

// With how often each exclusion left something out, which must not depend on the threads.
std::string talliedTranscriptOf(const std::string& root, WalkFilter filter, WalkMode mode) {
  ExclusionTally tally(filter.excludedSubfolders.size(), filter.excludedExtensions.size(),
                       filter.excludedNames.size());
  filter.exclusionTally = &tally;
  const std::string walked = transcriptOf(root, filter, mode);
  return walked + countsText("folders", tally.folders) +
         countsText("extensions", tally.extensions) + countsText("names", tally.names);
}

// A random tree: folders of random width and depth, files of random names, sizes and days
// around the threshold, links to files, folders and nowhere, a pipe, and folders nobody but
// their owner may list.
class RandomTree {
 public:
  RandomTree(const std::string& root, unsigned seed) : root_(root), random_(seed) {
    fill(root, 0);
    testing::openToEveryone(root);
  }
  ~RandomTree() {
    for (const std::string& folder : locked_) chmod(folder.c_str(), 0755);
  }
  const std::vector<std::string>& folders() const { return folders_; }

 private:
  void fill(const std::string& folder, int depth) {
    folders_.push_back(folder);
    const int entries = pick(0, depth == 0 ? 12 : 8);
    for (int i = 0; i < entries; ++i) {
      const std::string path = folder + "/" + name();
      switch (pick(0, 9)) {
        case 0:
        case 1:
          if (depth < 6) {
            std::filesystem::create_directory(path);
            fill(path, depth + 1);
            testing::setModified(path, day());
          }
          break;
        case 2:
          std::filesystem::create_symlink(pick(0, 1) ? folder : path + ".missing", path);
          testing::setModified(path, day());
          break;
        case 3:
          if (pick(0, 3) == 0) mkfifo(path.c_str(), 0644);
          break;
        default:
          makeFile(path, day(), static_cast<std::size_t>(pick(0, 3000)));
      }
    }
    chmod(folder.c_str(), 0755);
    if (depth > 0 && pick(0, 12) == 0) {
      chmod(folder.c_str(), 0);
      locked_.push_back(folder);
    }
  }

  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::string name() {
    static const char* const stems[] = {
        "a",       "report", "data.bak", "Photo.JPG", "x y", "tmp", "\xE6\x97\xA5\xE6\x9C\xAC",
        "caf\xE9", "old.TXT"};
    return stems[pick(0, 8)] + std::string("-") + std::to_string(serial_++) +
           (pick(0, 2) == 0 ? ".tmp" : "");
  }
  timespec day() { return localTime(2024, pick(4, 5), pick(1, 28), pick(0, 23), 0, 0, 0); }

  std::string root_;
  std::mt19937 random_;
  int serial_ = 0;
  std::vector<std::string> folders_;
  std::vector<std::string> locked_;
};

struct FilterCase {
  const char* name;
  bool subfolders;
  bool perFolder;
  bool excludes;
  bool leavesOutAFolder;
  WalkMode mode;
};

const FilterCase FilterCases[] = {
    {"search", true, false, false, false, WalkMode::Search},
    {"per-folder", true, true, false, false, WalkMode::Search},
    {"top only", false, false, false, false, WalkMode::Search},
    {"exclusions", true, true, true, false, WalkMode::Search},
    {"left-out folder", true, true, false, true, WalkMode::Search},
    {"whole folder", true, false, true, true, WalkMode::WholeFolder},
};

WalkFilter filterFor(const FilterCase& c, const RandomTree& tree, const std::string& root) {
  WalkFilter f;
  f.sourceText = root;
  f.since = SinceThreshold::forDay(Since);
  f.includeSubfolders = c.subfolders;
  f.perFolder = c.perFolder;
  if (c.excludes) {
    f.excludedExtensions = {"bak", "jpg"};
    // Names at any depth, folders and files alike; "*.tmp" also meets names the extensions
    // leave out, and "nowhere" meets nothing.
    f.excludedNames = {"*.tmp", "x y-*", "report-1?", "\xE6\x97\xA5*", "data.bak-*", "nowhere"};
    if (tree.folders().size() > 1) f.excludedSubfolders = {tree.folders()[1].substr(root.size())};
  }
  if (c.leavesOutAFolder && tree.folders().size() > 2)
    f.leftOutFolder = identityOf(tree.folders()[2]);
  return f;
}

// The parallel walk hands out exactly what the one-thread walk does, in the same order, for
// every filter, on random trees, as an ordinary user who meets folders it cannot list.
TEST(ParallelWalk, TellsExactlyWhatTheOneThreadWalkTellsInItsOrder) {
  for (const unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
    TempFolder folder;
    const std::string root = folder.path() + "/tree";
    std::filesystem::create_directory(root);
    const RandomTree tree(root, seed);
    for (const FilterCase& c : FilterCases) {
      WalkFilter filter = filterFor(c, tree, root);
      const auto both = testing::asOrdinaryUser([&] {
        filter.threads = 1;
        std::string out = talliedTranscriptOf(root, filter, c.mode) + "--\n";
        for (const unsigned threads : {2u, 4u, 16u}) {
          filter.threads = threads;
          out += talliedTranscriptOf(root, filter, c.mode) + "--\n";
        }
        // Few descriptors: one folder read ahead, folders opened again on the way back.
        filter.descriptors = 6;
        out += talliedTranscriptOf(root, filter, c.mode) + "--\n";
        return out;
      });
      ASSERT_TRUE(both) << "the walks did not finish";
      const std::string one = both->substr(0, both->find("--\n") + 3);
      for (std::size_t at = one.size(); at < both->size(); at += one.size())
        EXPECT_EQ(both->substr(at, one.size()), one) << "seed " << seed << ", " << c.name;
    }
  }
}

// However deep the tree, the walk holds no more descriptors than its budget, whatever its
// threads, and tells what it tells with all the descriptors it wants.
TEST(ParallelWalk, HoldsNoMoreDescriptorsThanItsBudget) {
  TempFolder folder;
  const timespec New = localTime(2024, 6, 1);
  std::string deep = folder.path();
  for (int depth = 0; depth < 80; ++depth) {
    deep += "/d" + std::to_string(depth);
    makeFile(deep + "/file", New);
  }
  for (int wide = 0; wide < 40; ++wide)
    for (int below = 0; below < 4; ++below)
      makeFile(folder.path() + "/w" + std::to_string(wide) + "/s" + std::to_string(below) + "/f",
               New);
  struct Counting : Transcript {
    void found(WalkEntry entry) override {
      mostOpen = std::max(mostOpen, testing::openDescriptors());
      Transcript::found(std::move(entry));
    }
    std::size_t mostOpen = 0;
  };
  WalkFilter filter;
  filter.since = SinceThreshold::forDay(Since);
  filter.threads = 1;
  const std::string wanted = transcriptOf(folder.path(), filter, WalkMode::Search);
  for (const std::size_t descriptors : {6u, 16u, 64u})
    for (const unsigned threads : {1u, 4u, 32u}) {
      filter.descriptors = descriptors;
      filter.threads = threads;
      Counting counting;
      const std::size_t before = testing::openDescriptors();
      walkFolder(folder.path(), filter, WalkMode::Search, counting);
      EXPECT_EQ(counting.text + "entries " + std::to_string(counting.entries) + "\n", wanted)
          << descriptors << " descriptors, " << threads << " threads";
      EXPECT_LE(counting.mostOpen - before, descriptors)
          << descriptors << " descriptors, " << threads << " threads";
    }
}

// Another thread makes and removes folders and files while the tree is walked: the walk ends,
// lists nothing twice, and finds every file of the folders nobody touches.
TEST(ParallelWalk, TreeChangingWhileWalkedListsNothingTwice) {
  TempFolder folder;
  const std::string root = folder.path();
  const timespec New = localTime(2024, 6, 1);
  std::set<std::string> steady;
  for (int f = 0; f < 20; ++f)
    for (int i = 0; i < 20; ++i) {
      const std::string path = root + "/steady" + std::to_string(f) + "/file" + std::to_string(i);
      makeFile(path, New);
      steady.insert(path);
    }
  std::atomic<bool> done{false};
  std::thread changer([&] {
    std::error_code ignored;
    for (unsigned round = 0; !done; ++round) {
      const std::string churn = root + "/churn" + std::to_string(round % 7);
      std::filesystem::create_directories(churn + "/inner/deeper", ignored);
      std::filesystem::rename(churn, churn + "-moved", ignored);
      std::filesystem::remove_all(churn + "-moved", ignored);
      std::filesystem::create_directories(churn + "/again", ignored);
      std::filesystem::remove_all(churn, ignored);
    }
  });
  for (int run = 0; run < 30; ++run) {
    WalkFilter filter;
    filter.since = SinceThreshold::forDay(Since);
    filter.threads = 4;
    const std::vector<WalkEntry> entries =
        walkEntries(root, filter, run % 2 ? WalkMode::WholeFolder : WalkMode::Search);
    std::set<std::string> seen;
    for (const WalkEntry& entry : entries)
      EXPECT_TRUE(seen.insert(entry.path).second) << entry.path << " listed twice";
    for (const std::string& path : steady) EXPECT_TRUE(seen.count(path)) << path;
  }
  done = true;
  changer.join();
}

// An abort stops the workers: no further folder is handed out after it, and the walk returns.
TEST(ParallelWalk, AbortEndsTheWalkAndEntersNoFurtherFolder) {
  TempFolder folder;
  const timespec New = localTime(2024, 6, 1);
  for (int f = 0; f < 50; ++f) makeFile(folder.path() + "/f" + std::to_string(f) + "/x/file", New);
  struct AbortAfterTwoFolders : WalkVisitor {
    void found(WalkEntry) override { ++found_; }
    bool abortRequested() override { return ++asked_ > 3; }
    int found_ = 0;
    int asked_ = 0;
  } visitor;
  WalkFilter filter;
  filter.since = SinceThreshold::forDay(Since);
  filter.threads = 4;
  walkFolder(folder.path(), filter, WalkMode::Search, visitor);
  // Asked at the start and before each folder: the first folder and its own are entered, then
  // the abort holds.
  EXPECT_EQ(visitor.found_, 1);
}

}  // namespace
}  // namespace nuvelo
