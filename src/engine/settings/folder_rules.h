#pragma once
// String rules of the search conditions: excluded-subfolder entries and the path column's
// conversion between absolute and relative paths.

#include <optional>
#include <string>
#include <vector>

namespace nuvelo {

// The excluded-subfolder entry for a chosen folder below the source folder's text: the rest of
// the chosen path after the source text (normally beginning with "/"). Nothing when the chosen
// folder is not at or below the source (letter case counts); an empty entry when it is the
// source itself.
std::optional<std::string> excludedSubfolderEntry(const std::string& sourceText,
                                                  const std::string& chosenFolder);

// The path column's texts when the path mode changes, for rows built below `root`: absolute to
// relative drops the root and the separator after it; relative to absolute puts them back.
std::vector<std::string> toRelativePaths(const std::vector<std::string>& paths,
                                         const std::string& root);
std::vector<std::string> toAbsolutePaths(const std::vector<std::string>& paths,
                                         const std::string& root);

}  // namespace nuvelo
