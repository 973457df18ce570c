#include "engine/settings/folder_rules.h"

#include "platform/path_text.h"

namespace nuvelo {
namespace {

bool endsWithSeparator(const std::string& path) {
  return !path.empty() && path.back() == '/';
}

}  // namespace

std::optional<std::string> excludedSubfolderEntry(const std::string& sourceText,
                                                  const std::string& chosenFolder) {
  const std::size_t n = sourceText.size();
  if (chosenFolder.compare(0, n, sourceText) != 0 || chosenFolder.size() < n) return std::nullopt;
  const bool atOrBelow =
      chosenFolder.size() == n || chosenFolder[n] == '/' || endsWithSeparator(sourceText);
  if (!atOrBelow) return std::nullopt;
  return chosenFolder.substr(n);
}

std::vector<std::string> toRelativePaths(const std::vector<std::string>& paths,
                                         const std::string& root) {
  // The root and the one separator after it; a root that ends with its separator ("/") has it.
  const std::size_t cut = root.size() + (endsWithSeparator(root) ? 0 : 1);
  std::vector<std::string> converted;
  converted.reserve(paths.size());
  for (const std::string& p : paths)
    converted.push_back(p.size() > cut ? p.substr(cut) : std::string());
  return converted;
}

std::vector<std::string> toAbsolutePaths(const std::vector<std::string>& paths,
                                         const std::string& root) {
  std::vector<std::string> converted;
  converted.reserve(paths.size());
  for (const std::string& p : paths) converted.push_back(joinPath(root, p));
  return converted;
}

}  // namespace nuvelo
