#include "engine/search/waiting_files.h"

#include "platform/path_text.h"

namespace nuvelo {

WaitingFiles::WaitingFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    paths_.insert(path);
    namesOfPaths_.emplace(lastComponent(path));
  }
}

bool WaitingFiles::contains(std::string_view path) const {
  if (paths_.empty() || !namesOfPaths_.contains(std::string(lastComponent(path)))) return false;
  return paths_.contains(std::string(path));
}

bool WaitingFiles::coversFolder(std::string_view folder) const {
  for (std::string_view at = folder; !paths_.empty() && !at.empty();) {
    if (paths_.contains(std::string(at))) return true;
    const std::size_t slash = at.rfind('/');
    if (slash == std::string_view::npos || slash == 0) break;
    at = at.substr(0, slash);
  }
  return false;
}

}  // namespace nuvelo
