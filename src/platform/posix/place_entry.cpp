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

// Where the file system refuses RENAME_NOREPLACE: a rename once no entry of the name is seen
// (a namesake that appears in between is then replaced; no better is to be had there).
Result<> renameWhereFree(int fromFd, const char* from, int toFd, const char* to) {
  struct stat existing {};
  if (fstatat(toFd, to, &existing, AT_SYMLINK_NOFOLLOW) == 0)
    return failure(std::errc::file_exists);
  if (renameat(fromFd, from, toFd, to) != 0) return failureFromErrno();
  return {};
}

}  // namespace

Result<> placeWithoutReplacing(int folderFd, const char* from, const char* to) {
  if (renameat2(folderFd, from, folderFd, to, RENAME_NOREPLACE) == 0) return {};
  if (!isRefusedFlag(errno)) return failureFromErrno();
  if (linkat(folderFd, from, folderFd, to, 0) == 0) {
    // The entry is in place: a temporary name that cannot be dropped only leaves a second name
    // of the same, complete entry.
    unlinkat(folderFd, from, 0);
    return {};
  }
  if (errno == EEXIST) return failure(std::errc::file_exists);
  return renameWhereFree(folderFd, from, folderFd, to);
}

Result<> moveWithoutReplacing(int fromFd, const char* from, int toFd, const char* to) {
  if (renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0) return {};
  if (!isRefusedFlag(errno)) return failureFromErrno();
  return renameWhereFree(fromFd, from, toFd, to);
}

}  // namespace nuvelo
