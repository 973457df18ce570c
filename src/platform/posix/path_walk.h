#pragma once
// Opening the folders of a path one component at a time, each relative to the one before:
// paths of any length, and a say at each step (never through a link, make what is missing,
// spell each name as stored).

#include <functional>
#include <string>
#include <string_view>

#include "platform/posix/descriptor.h"
#include "platform/result.h"

namespace nuvelo {

// Opens the next component: the folder it lies in, its name, and the path up to and including
// it. A descriptor, or -1 with errno set, as the system call it makes (openComponents reads
// errno at once).
using ComponentStep =
    std::function<int(int folderFd, const std::string& name, std::string_view pathSoFar)>;

// Opens each component of `path` below `from` (which stays open) with `step`; empty and "."
// components are skipped. The last folder, or the failure of the step that stopped; a path
// without components gives a duplicate of `from`.
Result<Descriptor> openComponents(int from, std::string_view path, const ComponentStep& step);

// The usual step: the component as a folder, not through a symbolic link when `noFollow`.
int openFolderAt(int folderFd, const std::string& name, bool noFollow = false);

}  // namespace nuvelo
