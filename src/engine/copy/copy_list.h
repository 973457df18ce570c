#pragma once
// The list of files a copy run copies, gathered from the checked result rows.

#include <functional>
#include <string>
#include <vector>

#include "engine/search/folder_walk.h"
#include "engine/search/result_rows.h"

namespace nuvelo {

// Whether the path itself (a link not followed) is a folder.
bool isFolderEntry(const std::string& path);

// Appends the sources of the checked rows in their order: a folder row stands for every file
// below it (the walk of the whole folder with the filter's exclusions, whose entries go to the
// visitor), a file row for itself. Before each row the gathering stops if the visitor asks it
// to; afterRow runs after each checked row. Rows are read as the gathering reaches them.
void gatherCopyList(const std::vector<ResultRow>& rows, bool dirAbs, const std::string& searchRoot,
                    const WalkFilter& filter, WalkVisitor& visitor,
                    const std::function<void()>& afterRow, std::vector<std::string>& list);

}  // namespace nuvelo
