#include "engine/copy/narrowed_permissions.h"

#include <sys/stat.h>

namespace nuvelo {
namespace {

constexpr unsigned AllRights = 7;

// What every one of the named entries grants, within the mask.
unsigned leastOf(const std::vector<NamedAclEntry>& entries, std::optional<unsigned> mask) {
  unsigned least = AllRights;
  for (const NamedAclEntry& entry : entries) least &= entry.permissions & mask.value_or(AllRights);
  return least;
}

}  // namespace

mode_t narrowedMode(mode_t mode, KeptOwnership kept) {
  const mode_t owner = (mode >> 6) & AllRights, group = (mode >> 3) & AllRights,
               others = mode & AllRights;
  mode_t copyGroup = group, copyOthers = others;
  if (!kept.owner) {
    // The source's owner is now in the copy's group or one of its others.
    mode &= ~S_ISUID;
    copyGroup &= owner;
    copyOthers &= owner;
  }
  if (!kept.group) {
    // The copy's group were others to the source, and the source's group are others now.
    mode &= ~S_ISGID;
    copyGroup &= others;
    copyOthers &= group;
  }
  return (mode & ~(S_IRWXG | S_IRWXO)) | copyGroup << 3 | copyOthers;
}

FileAcl narrowedAcl(FileAcl acl, KeptOwnership kept) {
  const FileAcl source = acl;
  if (!kept.owner) {
    acl.owningGroup &= source.owner;
    acl.others &= source.owner;
  }
  if (!kept.group) {
    acl.owningGroup &= source.others & leastOf(source.groups, AllRights);
    acl.others &= source.owningGroup & source.mask.value_or(AllRights);
  }
  return acl;
}

mode_t modeWithoutAcl(const FileAcl& acl, mode_t mode, KeptOwnership kept) {
  const unsigned namedUsers = leastOf(acl.users, acl.mask);
  const unsigned group = acl.owningGroup & acl.mask.value_or(AllRights) & namedUsers;
  const unsigned others = acl.others & namedUsers & leastOf(acl.groups, acl.mask);
  const mode_t bits = static_cast<mode_t>(acl.owner << 6 | group << 3 | others);
  return narrowedMode((mode & 07000) | bits, kept);
}

mode_t permissionBitsOf(const FileAcl& acl) {
  return static_cast<mode_t>(acl.owner << 6 | acl.mask.value_or(acl.owningGroup) << 3 | acl.others);
}

FileAcl aclOfMode(mode_t mode) {
  return {(mode >> 6) & AllRights, (mode >> 3) & AllRights, mode & AllRights, std::nullopt, {}, {}};
}

}  // namespace nuvelo
