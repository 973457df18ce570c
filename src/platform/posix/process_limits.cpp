#include "platform/posix/process_limits.h"

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>

namespace nuvelo {
namespace {

// What "no limit" counts as: more than any run would open.
constexpr std::size_t UnlimitedFiles = std::size_t{1} << 20;
// Arenas for the workers' allocations: few enough to keep the reserved address space small,
// enough that threads which allocate at the same moment seldom wait for each other (the
// workers mostly wait for the file system, not for malloc).
constexpr int MallocArenas = 4;

}  // namespace

void raiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  static_cast<void>(setrlimit(RLIMIT_NOFILE, &limit));
}

std::size_t openFilesLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
    return UnlimitedFiles;
  return std::min<std::size_t>(limit.rlim_cur, UnlimitedFiles);
}

void limitMallocArenas() {
  mallopt(M_ARENA_MAX, MallocArenas);
}

}  // namespace nuvelo
