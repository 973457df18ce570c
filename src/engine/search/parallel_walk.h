#pragma once
// The walk with folder reads and entry look-ups on worker threads. The visitor is told
// everything on the calling thread, in exactly the order of the one-thread walk.

#include <string>

#include "engine/search/folder_walk.h"

namespace nuvelo {

// Threads for a walk of `folder` when none are asked for: many requests in flight on network
// and FUSE file systems, where each one waits for a round trip; one elsewhere, where a request
// costs less than handing it to another thread and back (measured on a warm local tree, the
// one-thread walk ran at about 1.0 x find and two threads at 1.6 x on two cores).
unsigned automaticWalkThreads(const std::string& folder);

// How many folders the parallel walk reads ahead of the one it hands out, with `threads`
// workers: a bound on the listings held in memory and on the descriptors they keep open.
std::size_t readAheadFolders(unsigned threads);

// WalkFolder with `threads` workers (2 or more).
void walkInParallel(const std::string& folder, const WalkFilter& filter, WalkMode mode,
                    WalkVisitor& visitor, unsigned threads);

}  // namespace nuvelo
