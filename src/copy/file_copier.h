#pragma once
// Our one-file copier: a source file into a destination folder under its own name, through a
// temporary file that replaces the target only once it is complete, with the source's times
// and permission bits.

#include <cstdint>
#include <functional>
#include <string>

#include "copy/overwrite_policy.h"

namespace nuvelo {

// The folders below the destination folder, made where missing and entered one component at a
// time without following symbolic links, so nothing is ever written outside the destination.
// The last folder stays open for the next file, which usually lands in the same place.
class DestinationFolders {
 public:
  explicit DestinationFolders(std::string destinationText);
  ~DestinationFolders();
  DestinationFolders(const DestinationFolders&) = delete;
  DestinationFolders& operator=(const DestinationFolders&) = delete;

  // A descriptor of destination + subpath, or -1 with the reason in `error`.
  int open(const std::string& subpath, std::string& error);

 private:
  std::string destination_;
  std::string openSubpath_;
  int openFd_ = -1;
};

struct CopyOutcome {
  enum Kind {
    Copied,
    Declined,     // the user kept the existing file
    KeptExisting, // a namesake exists and the policy never replaces
    Failed,
  } kind = Failed;
  std::string reason;  // why it failed, in the system's words
};

// Test seams and progress of one copy.
struct CopyHooks {
  std::function<void()> poll;  // between chunks of a large file
  // Called after each chunk with the bytes copied so far; false stops the copy as a failure.
  std::function<bool(std::uint64_t)> afterChunk;
  // Whether a file system that can share extents between files may do so (tests turn it off
  // to reach the chunk hook).
  bool allowClone = true;
};

// Copies `source` into the folder `folderFd` as `name`. An existing regular file there is
// replaced silently, after `askReplace` answers yes, or never, by `mode`; a symbolic link or a
// folder in its place makes the copy fail. On failure the target is as it was and the
// temporary file is gone.
CopyOutcome copyFileInto(const std::string& source, int folderFd, const std::string& name,
                         ReplaceMode mode, const std::function<bool()>& askReplace,
                         const CopyHooks& hooks = {});

// How finely the file system of a folder keeps last-write times, in milliseconds (FAT 2000,
// exFAT 10, others 1).
std::int64_t timeGranularityMs(int folderFd);

}  // namespace nuvelo
