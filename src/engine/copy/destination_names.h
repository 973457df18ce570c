#pragma once
// The names a copy run puts into each destination folder, as the destination's file system
// compares them. On a drive that folds letter case, docs/b.txt and docs/B.txt are one entry:
// the second copy would replace the first and one file would be lost. This finds such a name
// before anything is written.

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/copy/copy_failure.h"
#include "platform/posix/file_system_rules.h"

namespace nuvelo {

// The name with letter case folded, as a file system that folds case compares it.
std::string foldedName(std::string_view name);

// The names of the entries of the folder, or nothing when it cannot be listed.
std::optional<std::vector<std::string>> entryNamesOf(int folderFd);

// The names in each destination folder, read once when the run first puts a file there and
// kept up to date with what the run puts there itself: a name that is not among them needs no
// look-up at the destination, which on a network costs a round trip for each file.
class KnownEntries {
 public:
  // Whether the folder may hold `name`: true where its names could not be read.
  bool mayHold(const std::string& subpath, int folderFd, const std::string& name);
  void placed(const std::string& subpath, const std::string& name);

 private:
  struct Folder {
    bool listed = false;
    std::unordered_set<std::string> names;
  };
  std::unordered_map<std::string, Folder> folders_;
};

class DestinationNames {
 public:
  // Why `name`, copied from `source`, cannot go into the destination folder `subpath`: it is
  // another spelling of a name the folder held before the run, or of one the run put there
  // from another source. Nothing when it can. The folder's entries are read once, from
  // `folderFd` (-1 when the folder does not exist yet).
  std::optional<NameClash> clash(const std::string& subpath, int folderFd, const std::string& name,
                                 const std::string& source, const FileSystemRules& rules);
  // The run put `name` from `source` into the folder.
  void placed(const std::string& subpath, const std::string& name, const std::string& source,
              const FileSystemRules& rules);

 private:
  struct Entry {
    std::string stored;  // the name as the folder spells it
    std::string source;  // the file the run copied there; empty for one there before the run
  };
  using Folder = std::unordered_map<std::string, Entry>;  // by the name as compared

  Folder& folder(const std::string& subpath, int folderFd, const FileSystemRules& rules);

  std::unordered_map<std::string, Folder> folders_;
};

}  // namespace nuvelo
