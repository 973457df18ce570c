#pragma once
// How many descriptors this process has open, for tests of what a run holds at once.

#include <cstddef>
#include <filesystem>

namespace nuvelo::testing {

// The entries of /proc/self/fd, the one that lists them included.
inline std::size_t openDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

}  // namespace nuvelo::testing
