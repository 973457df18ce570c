#pragma once
// The names a copy run puts into each destination folder, as the destination's file system
// compares them. On a drive that folds letter case, docs/b.txt and docs/B.txt are one entry:
// the second copy would replace the first and one file would be lost. This finds such a name
// before anything is written.

#include <optional>
#include <string>
#include <unordered_map>

#include "engine/copy/copy_failure.h"
#include "platform/posix/file_system_rules.h"

namespace nuvelo {

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
