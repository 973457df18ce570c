#pragma once
// The list of files a copy run copies, gathered from the sources still chosen.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
#include "engine/search/folder_walk.h"

namespace nuvelo {

// What the gathering found of the sources' size, for a first judge of the room.
struct GatheredBytes {
  std::uint64_t atMost = 0;  // the sum of the chosen sources' listed bytes
  bool known = true;         // false when a chosen source came without its bytes
};

// Appends the sources still chosen in their order: a folder stands for every file below it
// (the walk of the whole folder with the filter's exclusions, whose entries go to the visitor),
// a file for itself. Before each source the gathering stops if the visitor asks it to;
// afterSource runs after each chosen one. Each source is asked as the gathering reaches it.
GatheredBytes gatherCopyList(const std::vector<CopySource>& sources, const StillChosen& stillChosen,
                             const WalkFilter& filter, WalkVisitor& visitor,
                             const std::function<void()>& afterSource,
                             std::vector<std::string>& list);

}  // namespace nuvelo
