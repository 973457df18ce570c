#pragma once
// What the process may hold at once, and keeping its reserved address space small, so that a
// run fits whatever limits its shell set (ulimit -n, ulimit -v).

#include <cstddef>

namespace nuvelo {

// The descriptors the process may have open at once: its soft RLIMIT_NOFILE (a large number
// when it has none).
std::size_t openFilesLimit();

// Raises the soft limit on open files to the hard one. The soft limit of 1,024 that most
// sessions start with stands only for programs still using select(); a run that keeps many
// folders and copies in flight needs more, and whatever the limit, the runs keep their
// descriptors to a quarter of it. A hard limit set low (ulimit -n 64) stays as it is.
void raiseOpenFileLimit();

// Keeps malloc to a few arenas. Each arena reserves 64 MiB of address space, and glibc makes up
// to eight a core as threads meet in malloc: with many worker threads that alone can exceed a
// limit on the address space (ulimit -v). Call early in main, before any thread starts.
void limitMallocArenas();

}  // namespace nuvelo
