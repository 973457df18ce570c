#include "engine/copy/copy_list.h"

#include <sys/stat.h>

#include "platform/posix/filesystem.h"

namespace nuvelo {

bool isFolderEntry(const std::string& path) {
  struct stat st {};
  return lookUpEntry(path, st, false) && S_ISDIR(st.st_mode);
}

void gatherCopyList(const std::vector<ResultRow>& rows, bool dirAbs, const std::string& searchRoot,
                    const WalkFilter& filter, WalkVisitor& visitor,
                    const std::function<void()>& afterRow, std::vector<std::string>& list) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (visitor.abortRequested()) return;
    if (!rows[i].checked) continue;
    const std::string source = rowFullPath(rows[i], dirAbs, searchRoot);
    if (isFolderEntry(source))
      walkFolder(source, filter, WalkMode::WholeFolder, visitor);
    else
      list.push_back(source);
    if (afterRow) afterRow();
  }
}

}  // namespace nuvelo
