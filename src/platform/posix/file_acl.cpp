#include "platform/posix/file_acl.h"

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/xattr.h>

#include <cerrno>
#include <memory>
#include <string>

namespace nuvelo {
namespace {

struct AclFree {
  void operator()(void* object) const { acl_free(object); }
};
using AclHandle = std::unique_ptr<std::remove_pointer_t<acl_t>, AclFree>;

constexpr std::pair<acl_perm_t, unsigned> PermissionBits[] = {
    {ACL_READ, 4}, {ACL_WRITE, 2}, {ACL_EXECUTE, 1}};

// libacl reads and sets a default ACL only by path: the open folder's own, which no rename
// or link swapped in meanwhile, is reached through /proc.
std::string pathOf(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

unsigned permissionsOf(acl_entry_t entry) {
  acl_permset_t set = nullptr;
  if (acl_get_permset(entry, &set) != 0) return 0;
  unsigned bits = 0;
  for (const auto& [perm, bit] : PermissionBits)
    if (acl_get_perm(set, perm) == 1) bits |= bit;
  return bits;
}

std::uint32_t qualifierOf(acl_entry_t entry) {
  void* qualifier = acl_get_qualifier(entry);
  if (!qualifier) return static_cast<std::uint32_t>(-1);
  const std::uint32_t id = *static_cast<const id_t*>(qualifier);
  acl_free(qualifier);
  return id;
}

FileAcl valueOf(acl_t acl) {
  FileAcl value;
  acl_entry_t entry = nullptr;
  for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
       which = ACL_NEXT_ENTRY) {
    acl_tag_t tag = ACL_UNDEFINED_TAG;
    acl_get_tag_type(entry, &tag);
    const unsigned permissions = permissionsOf(entry);
    switch (tag) {
      case ACL_USER_OBJ:
        value.owner = permissions;
        break;
      case ACL_GROUP_OBJ:
        value.owningGroup = permissions;
        break;
      case ACL_OTHER:
        value.others = permissions;
        break;
      case ACL_MASK:
        value.mask = permissions;
        break;
      case ACL_USER:
        value.users.push_back({qualifierOf(entry), permissions});
        break;
      case ACL_GROUP:
        value.groups.push_back({qualifierOf(entry), permissions});
        break;
      default:
        break;
    }
  }
  return value;
}

bool addEntry(acl_t& acl, acl_tag_t tag, unsigned permissions,
              std::optional<std::uint32_t> id = std::nullopt) {
  acl_entry_t entry = nullptr;
  acl_permset_t set = nullptr;
  if (acl_create_entry(&acl, &entry) != 0 || acl_set_tag_type(entry, tag) != 0 ||
      acl_get_permset(entry, &set) != 0 || acl_clear_perms(set) != 0)
    return false;
  for (const auto& [perm, bit] : PermissionBits)
    if ((permissions & bit) != 0 && acl_add_perm(set, perm) != 0) return false;
  if (id) {
    const id_t qualifier = *id;
    if (acl_set_qualifier(entry, &qualifier) != 0) return false;
  }
  return acl_set_permset(entry, set) == 0;
}

// The libacl form of the value; empty (errno set) when it cannot be made.
AclHandle handleOf(const FileAcl& value) {
  acl_t acl = acl_init(static_cast<int>(4 + value.users.size() + value.groups.size()));
  if (!acl) return nullptr;
  bool made = addEntry(acl, ACL_USER_OBJ, value.owner) &&
              addEntry(acl, ACL_GROUP_OBJ, value.owningGroup) &&
              addEntry(acl, ACL_OTHER, value.others);
  for (const NamedAclEntry& user : value.users)
    made = made && addEntry(acl, ACL_USER, user.permissions, user.id);
  for (const NamedAclEntry& group : value.groups)
    made = made && addEntry(acl, ACL_GROUP, group.permissions, group.id);
  if (made && value.mask) made = addEntry(acl, ACL_MASK, *value.mask);
  AclHandle owned(acl);
  if (made) return owned;
  const int error = errno;
  owned.reset();
  errno = error;
  return nullptr;
}

}  // namespace

Result<FileAcl> readAcl(int fd, AclKind kind) {
  const AclHandle acl(kind == AclKind::Access ? acl_get_fd(fd)
                                              : acl_get_file(pathOf(fd).c_str(), ACL_TYPE_DEFAULT));
  if (!acl) return failureFromErrno();
  if (acl_entries(acl.get()) == 0) return failure(std::errc::no_message_available);
  return valueOf(acl.get());
}

Result<> writeAcl(int fd, AclKind kind, const FileAcl& acl) {
  const AclHandle handle = handleOf(acl);
  if (!handle) return failureFromErrno();
  const int written = kind == AclKind::Access
                          ? acl_set_fd(fd, handle.get())
                          : acl_set_file(pathOf(fd).c_str(), ACL_TYPE_DEFAULT, handle.get());
  if (written != 0) return failureFromErrno();
  return {};
}

Result<> removeDefaultAcl(int folderFd) {
  if (acl_delete_def_file(pathOf(folderFd).c_str()) != 0) return failureFromErrno();
  return {};
}

// A file system keeps an ACL only when it says more than the permission bits, so one look at
// its name tells (libacl's acl_extended_fd looks at both kinds, and a file has no default ACL).
bool hasExtendedAcl(int fd) {
  return fgetxattr(fd, "system.posix_acl_access", nullptr, 0) > 0;
}

bool hasDefaultAcl(int folderFd) {
  return fgetxattr(folderFd, "system.posix_acl_default", nullptr, 0) > 0;
}

}  // namespace nuvelo
