#pragma once
// How often each exclusion of a walk's filter left something out, so that a front end can tell
// the user of an exclusion that matched nothing (most often a misspelt one). Counted by the
// walk as it hands entries out or leaves them out, the same whatever the number of threads; a
// count above zero means the exclusion was met.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace nuvelo {

struct ExclusionTally {
  ExclusionTally(std::size_t folderCount, std::size_t extensionCount, std::size_t nameCount)
      : folders(folderCount), extensions(extensionCount), names(nameCount) {}
  // In the order of the filter's excludedSubfolders, excludedExtensions and excludedNames. An
  // entry that several exclusions leave out counts for each of them.
  std::vector<std::atomic<std::uint64_t>> folders;
  std::vector<std::atomic<std::uint64_t>> extensions;
  std::vector<std::atomic<std::uint64_t>> names;
};

}  // namespace nuvelo
