#include "platform/posix/place_entry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace nuvelo {
namespace {

bool isRefusedFlag(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

}  // namespace

int placeWithoutReplacing(int folderFd, const char* from, const char* to) {
  if (renameat2(folderFd, from, folderFd, to, RENAME_NOREPLACE) == 0) return 0;
  if (!isRefusedFlag(errno)) return errno;
  if (linkat(folderFd, from, folderFd, to, 0) == 0) {
    unlinkat(folderFd, from, 0);
    return 0;
  }
  if (errno == EEXIST) return EEXIST;
  struct stat existing {};
  if (fstatat(folderFd, to, &existing, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return renameat(folderFd, from, folderFd, to) == 0 ? 0 : errno;
}

}  // namespace nuvelo
