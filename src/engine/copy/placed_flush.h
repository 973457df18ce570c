#pragma once
// What a copy run placed, by file system, brought onto stable storage at the run's end, before
// the run records anything of it: a file system that one sync writes out is synced once, a
// share's folders that took entries are synced one by one (its files were synced as they were
// placed), and a file system in user space whose drive the kernel does not know makes every
// drive of the machine written out.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/posix/descriptor.h"
#include "platform/posix/file_system_rules.h"
#include "platform/result.h"

namespace nuvelo {

class ReplacedVersions;

// One sync the flush is about to make, for tests that check what comes before and after it.
struct FlushStep {
  enum class Kind { FileSystem, Folder, AllDrives };
  Kind kind = Kind::FileSystem;
  std::string path;  // the folder synced, or one folder of the file system; empty for AllDrives
};
using FlushWatch = std::function<void(const FlushStep&)>;

struct FlushResult {
  bool flushed = false;            // something was placed, and all of it is on stable storage now
  std::size_t fileSystems = 0;     // file systems synced whole
  std::size_t folders = 0;         // folders synced one by one
  std::optional<Failure> failure;  // the first sync that failed: what was placed may be lost
};

class PlacedFlush {
 public:
  // A folder of the destination (`path`) on a file system of these rules, met by the copy; the
  // first of each file system is kept open to sync it.
  void met(const FileSystemRules& rules, int folderFd, const std::string& path);
  // A file or link placed in the destination folder `subpath` of a file system already met.
  void placed(const FileSystemRules& rules, const std::string& subpath);
  bool anyPlaced() const;

  // Syncs what was placed below `destination`, and the kept versions where their folders need
  // it. Nothing when nothing was placed.
  FlushResult flush(const std::string& destination, ReplacedVersions* versions,
                    const FlushWatch& watch);

 private:
  struct Target {
    Descriptor folder;  // one folder of the file system
    std::string path;
    FlushWay way = FlushWay::FileSystem;
    bool placed = false;
    std::set<std::string> subpaths;  // where a share's entries were placed
  };
  void syncFolders(const std::string& destination, const Target& target, const FlushWatch& watch,
                   FlushResult& result);

  std::map<const FileSystemRules*, Target> targets_;
};

}  // namespace nuvelo
