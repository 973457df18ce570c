#include "copy/destination_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/filesystem.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

std::string systemReason(int error) { return std::strerror(error); }

}  // namespace

DestinationFolders::DestinationFolders(std::string destinationText)
    : destination_(std::move(destinationText)) {}

DestinationFolders::~DestinationFolders() { closeIfOpen(openFd_); }

int DestinationFolders::open(const std::string& subpath, std::string& error) {
  if (openFd_ >= 0 && subpath == openSubpath_) return openFd_;
  closeIfOpen(openFd_);
  // The destination folder itself is taken as the user named it, links included.
  int folder = openEntry(destination_.empty() ? "." : destination_, FolderFlags);
  std::size_t start = 0;
  while (folder >= 0 && start < subpath.size()) {
    std::size_t end = subpath.find('/', start);
    if (end == std::string::npos) end = subpath.size();
    const std::string component = subpath.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      close(folder);
      error = "コピー先の外を指すパスです";
      return -1;
    }
    int next = openat(folder, component.c_str(), FolderFlags | O_NOFOLLOW);
    if (next < 0 && errno == ENOENT &&
        (mkdirat(folder, component.c_str(), 0777) == 0 || errno == EEXIST))
      next = openat(folder, component.c_str(), FolderFlags | O_NOFOLLOW);
    // A symbolic link (ELOOP) or a file (ENOTDIR) where a folder belongs stops here.
    const int saved = errno;
    close(folder);
    errno = saved;
    folder = next;
  }
  if (folder < 0) {
    error = systemReason(errno);
    return -1;
  }
  openFd_ = folder;
  openSubpath_ = subpath;
  return openFd_;
}

}  // namespace nuvelo
