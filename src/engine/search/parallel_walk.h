#pragma once
// The walk with folder reads and entry look-ups on worker threads. The visitor is told
// everything on the calling thread, in exactly the order of the one-thread walk.

#include <string>

#include "engine/search/folder_walk.h"

namespace nuvelo {

// Threads for a walk of `folder` when none are asked for: many requests in flight on network
// and FUSE file systems, where each one waits for a round trip; one a core elsewhere (up to 8),
// the calling thread being one of them.
unsigned automaticWalkThreads(const std::string& folder);

// How many folders the parallel walk reads ahead of the one it hands out, with `threads`
// threads on a network (or FUSE) file system or a local one, when descriptors allow: a bound on
// the listings held in memory and on the descriptors they keep open.
std::size_t readAheadFolders(unsigned threads, bool remote);

// walkFolder with `threads` threads (2 or more): on a local file system the calling thread and
// threads - 1 workers, elsewhere `threads` workers while the calling thread hands entries out.
// The folders open at once, read ahead or handed out, hold at most `descriptors` descriptors
// (see walkDescriptors). What a worker throws (memory ran out) is thrown on the calling thread.
void walkInParallel(const std::string& folder, const WalkFilter& filter, WalkMode mode,
                    WalkVisitor& visitor, unsigned threads, std::size_t descriptors);

}  // namespace nuvelo
