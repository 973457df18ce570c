#pragma once
// A symbolic link copied as a link: the same text under the target's name, never followed.

#include <string>

#include "engine/copy/copy_target.h"

namespace nuvelo {

// Copies the symbolic link at `source` (a path of any length) into the target.
CopyOutcome copyLinkInto(const std::string& source, const CopyTarget& target);

}  // namespace nuvelo
