#pragma once
// Condition files: one set of search conditions (source, destination, subfolder switch,
// excluded subfolders and extensions) in a profile file of their own.

#include <optional>
#include <string>
#include <vector>

#include "engine/settings/option_layer.h"
#include "platform/result.h"

namespace nuvelo {

struct SearchConditions {
  std::string source;
  std::string destination;
  bool includeSubfolders = false;
  std::vector<std::string> excludedSubfolders;  // excluded subfolders, as entries below the source
  std::vector<std::string> excludedExtensions;  // excluded extensions, without the dot
};

// The conditions of a file that carries the type mark (Application/NVOFile true); nothing for
// any other file, a missing one included. Absent keys give empty texts, an unchecked switch
// and empty lists.
std::optional<SearchConditions> readConditionFile(const std::string& path);

// The options the conditions set, each named by the file and its key.
OptionLayer optionLayerOf(const SearchConditions& conditions, const std::string& path);

// Writes the six keys in their order, keeping every other line of an existing file. Stops at
// the first key that cannot be written and returns its failure; the keys before it stay
// written.
[[nodiscard]] Result<> writeConditionFile(const std::string& path,
                                          const SearchConditions& conditions);

}  // namespace nuvelo
