#pragma once
// What a walk's filter decides about the entries it meets, shared by the one-thread walk and the
// parallel walk so that both take exactly the same entries.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/search/folder_walk.h"

namespace nuvelo {

class WalkRules {
 public:
  WalkRules(const WalkFilter& filter, WalkMode mode);

  // Every file below the folder is taken, whatever its date.
  bool wholeFolder() const { return wholeFolder_; }
  // Subfolders are entered: the subfolder switch, or a whole folder.
  bool entersSubfolders() const { return filter_.includeSubfolders || wholeFolder_; }
  // Per-folder mode: a folder changed since the day is taken whole instead of entered.
  bool takesChangedFolders() const { return filter_.perFolder && !wholeFolder_; }
  bool hasLeftOutFolder() const {
    return filter_.leftOutFolder.has_value() || filter_.leftOutVersions.has_value();
  }
  bool isLeftOut(dev_t device, ino_t inode) const {
    const FileIdentity folder{device, inode};
    return (filter_.leftOutFolder && folder == *filter_.leftOutFolder) ||
           (filter_.leftOutVersions && folder == *filter_.leftOutVersions);
  }
  // The date test of an entry of `folderPath` (a file, or a folder in per-folder mode): its
  // times pass the threshold, or it waits in the job's retry list, itself or as part of a
  // waiting folder. Asked on the walk's consumer only.
  bool isUpdatedSince(std::string_view folderPath, std::string_view name,
                      std::int64_t modifiedSeconds, std::int64_t changedSeconds) const;

  // Whether a decision counts in the filter's exclusion tally: only the decision that hands an
  // entry out or leaves it out does, never a look ahead (the parallel walk's workers and its
  // read-ahead), so that the counts are the same whatever the number of threads.
  enum class Counting { Counted, Uncounted };

  // A subfolder `name` of the folder at `path`'s parent, at `path`, is left out: it is one of
  // the excluded subfolders, or a name pattern matches its name.
  bool leavesOutFolder(const std::string& path, std::string_view name, Counting counting) const;
  // A file or link left out by its name: an excluded extension, a name pattern, or a copier's
  // temporary file.
  bool skipsFileNamed(std::string_view name, Counting counting) const;
  // A subfolder not entered for its name: the copy's kept versions, and a dot folder when a
  // folder's size is summed.
  bool skipsFolderNamed(std::string_view name) const {
    return (sizesOnly_ && !name.empty() && name.front() == '.') || name == VersionsFolderName;
  }

 private:
  bool waits(std::string_view folderPath, std::string_view name) const;
  bool isExcludedFolder(const std::string& path, Counting counting) const;
  bool hasExcludedExtension(std::string_view name, Counting counting) const;
  bool matchesExcludedName(std::string_view name, Counting counting) const;
  ExclusionTally* tallyFor(Counting counting) const {
    return counting == Counting::Counted ? filter_.exclusionTally : nullptr;
  }

  const WalkFilter& filter_;
  bool wholeFolder_;
  bool sizesOnly_;
  std::vector<std::string> excludedFolders_;
  std::vector<std::string> excludedExtensions_;
  std::vector<std::string> excludedNames_;
  // Whether the folder last asked about lies in a waiting folder: a folder's entries come one
  // after the other, so the answer is worked out once a folder.
  mutable std::string waitingAskedFor_;
  mutable bool waitingFolder_ = false;
};

// The stored form of an excluded-subfolder entry: "/" and the path below the source folder,
// without a closing "/". "obj", "/obj", "obj/" and the Windows form "\\obj" all give "/obj".
std::string subfolderEntryOf(std::string text);

// The entry the walk hands out for what a look-up told of it.
WalkEntry walkEntryOf(std::string path, mode_t mode, std::int64_t bytes, const timespec& modified,
                      std::int64_t changedSeconds);

}  // namespace nuvelo
