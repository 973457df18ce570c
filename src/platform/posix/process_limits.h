#pragma once
// What the process may hold at once, and keeping its reserved address space small, so that a
// run fits whatever limits its shell set (ulimit -n, ulimit -v).

#include <cstddef>

namespace nuvelo {

// The descriptors the process may have open at once: its soft RLIMIT_NOFILE (a large number
// when it has none).
std::size_t openFilesLimit();

// Keeps malloc to a few arenas. Each arena reserves 64 MiB of address space, and glibc makes up
// to eight a core as threads meet in malloc: with many worker threads that alone can exceed a
// limit on the address space (ulimit -v). Call early in main, before any thread starts.
void limitMallocArenas();

}  // namespace nuvelo
