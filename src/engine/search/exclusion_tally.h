#pragma once
// How often each exclusion of a walk's filter left something out, so that a front end can tell
// the user of an exclusion that matched nothing (most often a misspelt one). Counted by the
// walk's threads as they decide; a count above zero means the exclusion was met.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace nuvelo {

struct ExclusionTally {
  ExclusionTally(std::size_t folderCount, std::size_t extensionCount)
      : folders(folderCount), extensions(extensionCount) {}
  // In the order of the filter's excludedSubfolders and excludedExtensions.
  std::vector<std::atomic<std::uint64_t>> folders;
  std::vector<std::atomic<std::uint64_t>> extensions;
};

}  // namespace nuvelo
