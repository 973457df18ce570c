#pragma once
// The names of the copier's temporary files, which no walk lists.

#include <cstddef>
#include <string>
#include <string_view>

namespace nuvelo {

// How long every such name is: ".nuvelo-", 16 hex digits, ".tmp".
inline constexpr std::size_t TemporaryNameLength = 28;

// A new random name of that form.
std::string freshTemporaryName();

// Whether a name is one of the copier's temporary files (".nuvelo-<16 hex digits>.tmp").
bool isTemporaryName(std::string_view name);

}  // namespace nuvelo
