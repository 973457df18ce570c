#include "platform/posix/durability.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace nuvelo {
namespace {

Result<> resultOf(int status) {
  if (status == 0) return {};
  return failureFromErrno(std::string());
}

}  // namespace

Result<> syncEntry(int fd) {
  int status = 0;
  do status = fsync(fd);
  while (status != 0 && errno == EINTR);
  // A folder on some file systems cannot be synced on its own: its entries reach the drive with
  // the file system's own commit.
  if (status != 0 && (errno == EINVAL || errno == EROFS)) return {};
  return resultOf(status);
}

Result<> syncFileSystem(int fd) {
  return resultOf(syncfs(fd));
}

void syncAllDrives() {
  sync();
}

}  // namespace nuvelo
