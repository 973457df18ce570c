#pragma once
// How many descriptors a run's walk and copies hold at once, and how they share them, so that
// a run stays well within the process's limit (ulimit -n) however many threads it has.

#include <cstddef>

namespace nuvelo {

// The descriptors a walk or a copy may hold at once: `given` when not 0, else a quarter of the
// process's limit. The rest of the limit is left to the program around the run (its report,
// its locks, the window's own) and to the libraries it calls.
std::size_t runDescriptorBudget(std::size_t given = 0);

// How a walk of several threads spends its descriptors.
struct WalkDescriptors {
  std::size_t openFolders = 0;  // the deepest folders handed out that keep their descriptor
  std::size_t readAhead = 0;    // folders read ahead of the one handed out
};
// At most `wantedReadAhead` folders read ahead; each of them holds its own descriptor and may
// keep its parent's open after the walk closed it.
WalkDescriptors walkDescriptors(std::size_t budget, std::size_t wantedReadAhead);

// How copies written on several threads spend their descriptors.
struct CopyDescriptors {
  unsigned writers = 0;   // worker threads writing copies (the calling thread writes too); 0:
                          // one file after the other
  std::size_t ahead = 0;  // files decided ahead of the one told, each holding two descriptors
};
// At most `threads` writers.
CopyDescriptors copyDescriptors(std::size_t budget, unsigned threads);

}  // namespace nuvelo
