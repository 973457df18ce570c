#include "engine/copy/copy_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace nuvelo {
namespace {

constexpr uid_t SameOwner = static_cast<uid_t>(-1);

// The error of a file system that keeps no permission bits or owners: FAT through a file
// system in user space answers ENOSYS, the kernel's vfat and exfat EPERM.
bool isUnsupported(int error) {
  return error == EPERM || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

// The permission bits the copy may have when it could not take the source's owner or group.
mode_t narrowedForOwnership(mode_t mode, const struct stat& source, const struct stat& copy) {
  if (copy.st_uid != source.st_uid) mode &= ~S_ISUID;
  if (copy.st_gid != source.st_gid) {
    // Other members of the copy's group were "others" to the source.
    const mode_t othersAsGroup = (mode & S_IRWXO) << 3;
    mode = (mode & ~(S_ISGID | S_IRWXG)) | (mode & S_IRWXG & othersAsGroup);
  }
  return mode;
}

// Gives the copy the source's owner and group as far as allowed, and tells the permission bits
// it may then have. This comes before the bits are set, since a change of owner clears set-id
// bits.
mode_t takeOwnership(int copyFd, const struct stat& source) {
  const mode_t mode = source.st_mode & 07777;
  if (fchown(copyFd, source.st_uid, source.st_gid) == 0) return mode;
  // Only the owner may be out of reach: a member of the source's group may still keep that.
  fchown(copyFd, SameOwner, source.st_gid);
  struct stat copy {};
  if (fstat(copyFd, &copy) != 0) copy.st_uid = ~source.st_uid, copy.st_gid = ~source.st_gid;
  return narrowedForOwnership(mode, source, copy);
}

}  // namespace

Result<Attributes> giveFileAttributes(int copyFd, const struct stat& source, bool keepsModes) {
  const timespec times[2] = {source.st_atim, source.st_mtim};
  Attributes given = keepsModes ? Attributes::Given : Attributes::TimesOnly;
  if (keepsModes && fchmod(copyFd, takeOwnership(copyFd, source)) != 0) {
    if (!isUnsupported(errno)) return failureFromErrno();
    given = Attributes::TimesOnly;
  }
  if (futimens(copyFd, times) != 0) return failureFromErrno();
  return given;
}

Result<> giveTimesByName(int folderFd, const std::string& name, const struct stat& source) {
  const timespec times[2] = {source.st_atim, source.st_mtim};
  if (utimensat(folderFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return failureFromErrno();
  return {};
}

Result<> giveLinkAttributes(int folderFd, const std::string& name, const struct stat& source) {
  // An owner or group the process may not give is no failure: the link keeps the process's own.
  if (fchownat(folderFd, name.c_str(), source.st_uid, source.st_gid, AT_SYMLINK_NOFOLLOW) != 0)
    fchownat(folderFd, name.c_str(), SameOwner, source.st_gid, AT_SYMLINK_NOFOLLOW);
  return giveTimesByName(folderFd, name, source);
}

}  // namespace nuvelo
