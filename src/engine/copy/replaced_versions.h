#pragma once
// What a copy run keeps of the files it replaces. Below the versions root (by default
// .nuvelo-versions in the destination folder), each run that replaces something has a folder
// named after the local time it started, "2024-05-01_093000" ("_2", "_3", ... when a run of the
// same second has one already), which holds every entry the run replaced under its path below
// the destination. The old entry is kept without copying its data: a hard link where the file
// system has them, else the entry itself is moved there before its successor takes its name.
// At no moment does the destination hold less than before: the old entry is in its place or
// in the versions folder, and the new one in place or not at all.

#include <atomic>
#include <cstddef>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "engine/copy/file_copier.h"
#include "platform/posix/descriptor.h"
#include "platform/result.h"

namespace nuvelo {

// The versions root of a destination: `folder` itself when absolute, below the destination when
// relative, and the destination's .nuvelo-versions when empty.
std::string versionsRootOf(const std::string& destination, const std::string& folder);

// Why a run cannot keep its versions in `folder` (as versionsRootOf reads it).
enum class VersionsFolderRefusal {
  IsDestination,    // the destination folder itself (or a folder above it)
  InsideSource,     // a folder the search would walk
  OtherFileSystem,  // versions are linked or moved there, never copied
};
std::optional<VersionsFolderRefusal> versionsFolderRefusal(const std::string& destination,
                                                           const std::string& folder,
                                                           const std::string& source);

// The name of a run's folder for the local time it started: "2024-05-01_093000", a name every
// drive takes (no colons).
std::string versionStampText(std::time_t started);

// The points between the steps of a replacement, for tests that stop a run there.
enum class VersionStep { OldKept, NewPlaced };
struct VersionSeams {
  bool noHardLinks = false;  // take the way of file systems without hard links
  std::function<void(VersionStep)> afterStep = nullptr;
};

class ReplacedVersions {
 public:
  using Step = VersionStep;
  using Seams = VersionSeams;

  // `folder` as versionsRootOf reads it; the run's folder is named after `started`.
  ReplacedVersions(std::string destination, std::string folder, std::time_t started,
                   Seams seams = {});
  ReplacedVersions(const ReplacedVersions&) = delete;
  ReplacedVersions& operator=(const ReplacedVersions&) = delete;

  // Puts the finished entry `temporary` of the folder `folderFd` (the destination folder's
  // `subpath`) in place of its namesake `name`, keeping the namesake first. When it cannot be
  // kept, nothing is replaced and the outcome says so (versionNotKept). Safe on any thread.
  CopyOutcome replace(int folderFd, const std::string& subpath, const std::string& name,
                      const std::string& temporary);

  // How many replaced entries were kept.
  std::size_t kept() const { return kept_.load(); }

  // Syncs each folder of the run that took a kept entry, deepest first, then the run's folder
  // and the root: where the file system stores folder entries only when asked (a share).
  [[nodiscard]] Result<> syncKept();

 private:
  std::optional<CopyOutcome> keepByLink(int folderFd, int versionFd, const std::string& name,
                                        const std::string& temporary);
  CopyOutcome keepByMove(int folderFd, int versionFd, const std::string& name,
                         const std::string& temporary);
  // A descriptor of the run's folder + subpath, made where missing.
  Result<Descriptor> versionFolder(const std::string& subpath);
  Result<int> runFolder();
  Result<Descriptor> openRoot();
  void after(Step step) const;

  std::string destination_;
  std::string folder_;
  std::string stamp_;
  Seams seams_;
  std::mutex mutex_;  // guards the folders below
  Descriptor run_;
  std::string lastSubpath_;
  Descriptor last_;
  std::set<std::string> touched_;  // the subpaths of the run's folders opened
  std::atomic<std::size_t> kept_{0};
};

}  // namespace nuvelo
