#include "engine/copy/copy_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "engine/copy/attribute_copy.h"
#include "engine/copy/narrowed_permissions.h"
#include "platform/posix/extended_attributes.h"
#include "platform/posix/file_acl.h"

namespace nuvelo {
namespace {

constexpr uid_t SameOwner = static_cast<uid_t>(-1);

// The error of a file system that keeps no permission bits or owners: FAT through a file
// system in user space answers ENOSYS, the kernel's vfat and exfat EPERM.
bool isUnsupported(int error) {
  return error == EPERM || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

// What giving the attributes came to: what the destination did not keep, and the first
// failure of anything else.
struct Given {
  DroppedAttributes dropped;
  std::optional<Failure> failure;

  void failed(const Failure& why) {
    if (!failure) failure = why;
  }
};

// Gives the copy the source's owner and group as far as allowed, and tells which it kept. This
// comes before the bits are set, since a change of owner clears set-id bits.
KeptOwnership takeOwnership(int copyFd, const struct stat& source) {
  if (fchown(copyFd, source.st_uid, source.st_gid) == 0) return {};
  // Only the owner may be out of reach: a member of the source's group may still keep that.
  fchown(copyFd, SameOwner, source.st_gid);
  struct stat copy {};
  if (fstat(copyFd, &copy) != 0) return {false, false};
  return {copy.st_uid == source.st_uid, copy.st_gid == source.st_gid};
}

// The source's access ACL, when it has one of its own (`listed`). One that cannot be read fails
// the copy: its permission bits alone would show the group the mask.
Result<std::optional<FileAcl>> sourceAcl(int sourceFd, bool listed) {
  if (!listed) return std::optional<FileAcl>();
  Result<FileAcl> acl = readAcl(sourceFd, AclKind::Access);
  if (!acl) return Unexpected(acl.error());
  return std::optional<FileAcl>(std::move(*acl));
}

// Gives the copy the source's ACL as it may have it, then the set-id and sticky bits it may
// keep: a change of mode sets the ACL's mask from the group's bits, so they are the ACL's own.
// False when the destination holds no ACL (told), and the bits are still to be given.
bool giveAcl(int copyFd, const FileAcl& acl, const struct stat& source, KeptOwnership kept,
             Given& given) {
  const FileAcl narrowed = narrowedAcl(acl, kept);
  const Result<> written = writeAcl(copyFd, AclKind::Access, narrowed);
  if (!written && refusesAttributes(written.error().code)) {
    given.dropped.acls = true;
    return false;
  }
  if (!written) {
    given.failed(written.error());
    return true;
  }
  const mode_t special = narrowedMode(source.st_mode & 07777, kept) & 07000;
  if (special != 0 && fchmod(copyFd, special | permissionBitsOf(narrowed)) != 0)
    given.failed(failureFromErrno().error());
  return true;
}

// A copy made in a folder with a default ACL took that ACL's named entries, which the copy's
// bits give effect to: the source, without an ACL, granted them nothing.
void dropInheritedAcl(int copyFd, mode_t mode, Given& given) {
  if (!hasExtendedAcl(copyFd)) return;
  if (const Result<> reset = writeAcl(copyFd, AclKind::Access, aclOfMode(mode)); !reset)
    given.failed(reset.error());
}

// The copy's access ACL where the source has one, else its permission bits.
void givePermissions(int copyFd, int sourceFd, const struct stat& source, bool aclListed,
                     KeptOwnership kept, bool mayHaveTakenAcl, Given& given) {
  const Result<std::optional<FileAcl>> acl = sourceAcl(sourceFd, aclListed);
  if (!acl) return given.failed(acl.error());
  if (*acl && giveAcl(copyFd, **acl, source, kept, given)) return;
  const mode_t mode = *acl ? modeWithoutAcl(**acl, source.st_mode, kept)
                           : narrowedMode(source.st_mode & 07777, kept);
  if (fchmod(copyFd, mode) != 0) {
    if (!isUnsupported(errno)) return given.failed(failureFromErrno().error());
    given.dropped.permissionBits = true;
    return;
  }
  if (!*acl && mayHaveTakenAcl) dropInheritedAcl(copyFd, mode, given);
}

// `mayHaveTakenAcl`: the copy was made in a folder with a default ACL (or one not looked at).
Given giveAttributes(int copyFd, int sourceFd, const struct stat& source,
                     const SourceExtras& extras, bool keepsModes, bool mayHaveTakenAcl) {
  Given given;
  const KeptOwnership kept =
      keepsModes ? takeOwnership(copyFd, source) : KeptOwnership{false, false};
  // Before the bits: an ordinary user may give attributes only to a file it may write.
  const Result<bool> carried = carryAttributes(sourceFd, copyFd, extras.attributes, kept.owner);
  if (!carried) given.failed(carried.error());
  given.dropped.extendedAttributes = carried && !*carried;
  if (keepsModes) {
    givePermissions(copyFd, sourceFd, source, extras.accessAcl, kept, mayHaveTakenAcl, given);
  } else {
    given.dropped.permissionBits = true;
    given.dropped.acls = extras.accessAcl;
  }
  const timespec times[2] = {source.st_atim, source.st_mtim};
  if (futimens(copyFd, times) != 0) given.failed(failureFromErrno().error());
  return given;
}

// Gives a made folder the source folder's default ACL, or takes away the one it took from its
// parent where the source folder has none. False when the destination holds no ACL.
bool giveDefaultAcl(int folderFd, int sourceFd, bool listed) {
  if (!listed) {
    static_cast<void>(removeDefaultAcl(folderFd));
    return true;
  }
  const Result<FileAcl> acl = readAcl(sourceFd, AclKind::Default);
  if (!acl) return true;  // gone from the source meanwhile
  const Result<> written = writeAcl(folderFd, AclKind::Default, *acl);
  return written || !refusesAttributes(written.error().code);
}

}  // namespace

Result<DroppedAttributes> giveFileAttributes(int copyFd, int sourceFd, const struct stat& source,
                                             bool keepsModes, bool folderHasDefaultAcl) {
  const Result<SourceExtras> extras = extrasOf(sourceFd);
  if (!extras) return Unexpected(extras.error());
  const Given given =
      giveAttributes(copyFd, sourceFd, source, *extras, keepsModes, folderHasDefaultAcl);
  if (given.failure) return Unexpected(*given.failure);
  return given.dropped;
}

DroppedAttributes giveFolderAttributes(int folderFd, int sourceFd, const struct stat& source) {
  const SourceExtras extras = extrasOf(sourceFd).value_or(SourceExtras{});
  DroppedAttributes dropped =
      giveAttributes(folderFd, sourceFd, source, extras, true, true).dropped;
  if (dropped.permissionBits)
    dropped.acls |= extras.defaultAcl;
  else
    dropped.acls |= !giveDefaultAcl(folderFd, sourceFd, extras.defaultAcl);
  return dropped;
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
