#include "platform/posix/path_walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace nuvelo {

Result<Descriptor> openComponents(int from, std::string_view path, const ComponentStep& step) {
  Descriptor folder(fcntl(from, F_DUPFD_CLOEXEC, 0));
  if (!folder.isOpen()) return failureFromErrno();
  for (std::size_t start = 0; start < path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string name(path.substr(start, end - start));
    const std::string_view soFar = path.substr(0, end);
    start = end + 1;
    if (name.empty() || name == ".") continue;
    const int next = step(folder.get(), name, soFar);
    if (next < 0) return failureFromErrno();
    folder.reset(next);
  }
  return folder;
}

int openFolderAt(int folderFd, const std::string& name, bool noFollow) {
  return openat(folderFd, name.c_str(),
                O_RDONLY | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0));
}

}  // namespace nuvelo
