#include "engine/copy/destination_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/copy/copy_attributes.h"
#include "engine/copy/file_copier.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// Only the run may write into a folder it is still filling.
constexpr mode_t FillingMode = 0700;

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

std::string systemReason(int error) { return std::strerror(error); }

std::size_t depthOf(const std::string& subpath) {
  return static_cast<std::size_t>(std::count(subpath.begin(), subpath.end(), '/'));
}

mode_t currentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

DestinationFolders::DestinationFolders(std::string destinationText, std::string sourceBase)
    : destination_(std::move(destinationText)), sourceBase_(std::move(sourceBase)) {}

DestinationFolders::~DestinationFolders() { closeIfOpen(openFd_); }

int DestinationFolders::open(const std::string& subpath, std::string& error) {
  if (openFd_ >= 0 && subpath == openSubpath_) return openFd_;
  closeIfOpen(openFd_);
  const int folder = walkDown(subpath, true, error);
  if (folder < 0) return -1;
  // A folder made just now holds no leftovers; one that was there may.
  if (swept_.insert(subpath).second && !lastWasMade_) removeStaleTemporaries(folder);
  openFd_ = folder;
  openSubpath_ = subpath;
  return openFd_;
}

int DestinationFolders::walkDown(const std::string& subpath, bool create, std::string& error) {
  lastWasMade_ = false;
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
    lastWasMade_ = false;
    int next = openat(folder, component.c_str(), FolderFlags | O_NOFOLLOW);
    if (next < 0 && errno == ENOENT && create) {
      if (mkdirat(folder, component.c_str(), FillingMode) == 0) {
        made_.push_back(subpath.substr(0, end));
        lastWasMade_ = true;
      }
      if (lastWasMade_ || errno == EEXIST) next = openat(folder, component.c_str(), FolderFlags | O_NOFOLLOW);
    }
    // A symbolic link (ELOOP) or a file (ENOTDIR) where a folder belongs stops here.
    const int saved = errno;
    close(folder);
    errno = saved;
    folder = next;
  }
  if (folder < 0) error = systemReason(errno);
  return folder;
}

void DestinationFolders::finish() {
  closeIfOpen(openFd_);
  openSubpath_.clear();
  std::stable_sort(made_.begin(), made_.end(), [](const std::string& a, const std::string& b) {
    return depthOf(a) > depthOf(b);
  });
  for (const std::string& subpath : made_) mirrorSourceFolder(subpath);
  made_.clear();
}

void DestinationFolders::mirrorSourceFolder(const std::string& subpath) {
  std::string ignored;
  int fd = walkDown(subpath, false, ignored);
  if (fd < 0) return;
  struct stat source {};
  if (lookUpEntry(sourceBase_ + subpath, source) && S_ISDIR(source.st_mode)) giveFileAttributes(fd, source);
  else fchmod(fd, 0777 & ~currentUmask());
  closeIfOpen(fd);
}

}  // namespace nuvelo
