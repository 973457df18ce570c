#pragma once
// What a copy does with a symbolic link that the destination's file system cannot keep (FAT32,
// exFAT): Copy tries it, and it fails; Skip leaves it out, and the run tells how many it left.
// A destination that keeps links gets every link either way, so that one job can back up onto
// any drive without losing what the drive could have held.

#include <optional>
#include <string_view>

namespace nuvelo {

enum class LinkMode { Copy, Skip };

// "copy" or "skip"; nothing for any other text.
std::optional<LinkMode> linkModeNamed(std::string_view name);
const char* linkModeName(LinkMode mode);

}  // namespace nuvelo
