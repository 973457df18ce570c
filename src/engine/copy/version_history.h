#pragma once
// The versions kept below a versions root (engine/copy/replaced_versions.h) as a history: the
// run folders by their stamps, the versions of one file, the root that serves a file of a
// destination, and removing the runs that are old enough.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace nuvelo {

// A run folder's name read back: when its run started, and which of the runs of that second it
// was (1 for the stamp alone, 2 for "_2", ...). Nothing for a name that is no stamp.
struct VersionStamp {
  std::time_t started = 0;
  unsigned run = 1;
};
std::optional<VersionStamp> parseVersionStamp(std::string_view name);

// One kept version of a file.
struct KeptVersion {
  std::string stamp;  // the run folder's name
  std::string path;   // the version's full path
  std::int64_t bytes = 0;
  std::int64_t modifiedSeconds = 0;
};

// Every version of `relative` (a path below the destination) kept below `root`, newest run
// first. Folders are entered without following symbolic links.
std::vector<KeptVersion> keptVersionsOf(const std::string& root, const std::string& relative);

// Where the versions of a destination file are: the destination folder and its versions root.
struct VersionsPlace {
  std::string destination;
  std::string root;
};
// The place for the file at `path`, found from its folder upward: the first folder that holds
// .nuvelo-versions, or with a named `folder` (versionsRootOf), the first whose versions root
// holds a version of the file. Nothing when no folder above the file does.
std::optional<VersionsPlace> versionsPlaceOf(const std::string& path, const std::string& folder);

// The path of `path` below `folder`, or nothing when it does not lie below it (both as written,
// made absolute and clean).
std::optional<std::string> pathBelow(const std::string& path, const std::string& folder);

struct PruneResult {
  std::size_t runs = 0;            // run folders removed
  std::size_t versions = 0;        // the entries they held (folders not counted)
  std::optional<Failure> failure;  // the first entry that could not be removed
};
// Removes the run folders of `root` whose stamp is older than `before`, with all they hold,
// never following a symbolic link; other entries of the root are left alone. A root that does
// not exist holds nothing to remove.
PruneResult pruneVersions(const std::string& root, std::time_t before);

}  // namespace nuvelo
