#pragma once
// Why one file was not copied, as a value: the code of the failure and what a message about it
// needs to name (the front ends make the text, src/messages).

#include <cstdint>
#include <string>
#include <system_error>
#include <variant>

#include "platform/posix/file_system_rules.h"

namespace nuvelo {

// TooLarge: the destination's file system holds only files smaller than `limit` bytes.
struct SizeRefusal {
  std::string fileSystem;  // the file system's name: "FAT32", ...
  std::uint64_t limit = 0;

  bool operator==(const SizeRefusal&) const = default;
};

// NameClash: on a file system that folds letter case, the name is another spelling of
// `namesake`: the source file this run already copied there (fromThisRun), or the name as the
// folder held it before the run.
struct NameClash {
  std::string fileSystem;
  std::string namesake;
  bool fromThisRun = false;

  bool operator==(const NameClash&) const = default;
};

// The file the copy was to replace could not be kept among the versions (`code` says why): it
// was left in place, and the copy was not put there.
struct VersionNotKept {
  bool operator==(const VersionNotKept&) const = default;
};

struct CopyFailure {
  std::error_code code;  // an errno value or a CopyError
  // UnusableName: what the name has; TooLarge and NameClash: their details.
  std::variant<std::monostate, NameRefusal, SizeRefusal, NameClash, VersionNotKept> detail;
};

}  // namespace nuvelo
