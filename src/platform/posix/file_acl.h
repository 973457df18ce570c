#pragma once
// POSIX ACLs of files and folders through libacl, as plain values the copy can reason about.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace nuvelo {

// A file's access ACL, or the default ACL a folder hands to what is made in it.
enum class AclKind { Access, Default };

// Permissions are a mode's class bits: 4 read, 2 write, 1 execute (search for a folder).
struct NamedAclEntry {
  std::uint32_t id = 0;  // the user or group id
  unsigned permissions = 0;
  bool operator==(const NamedAclEntry&) const = default;
};

struct FileAcl {
  unsigned owner = 0;                 // ACL_USER_OBJ
  unsigned owningGroup = 0;           // ACL_GROUP_OBJ
  unsigned others = 0;                // ACL_OTHER
  std::optional<unsigned> mask;       // ACL_MASK: the most the named entries and the group get
  std::vector<NamedAclEntry> users;   // ACL_USER
  std::vector<NamedAclEntry> groups;  // ACL_GROUP
  bool operator==(const FileAcl&) const = default;
};

// The extended attributes under which the kernel lists a file's ACLs.
inline constexpr std::string_view AccessAclName = "system.posix_acl_access";
inline constexpr std::string_view DefaultAclName = "system.posix_acl_default";

// The ACL of the open file or folder. A file without an access ACL of its own gives the one its
// permission bits make; a folder without a default ACL fails with ENODATA.
Result<FileAcl> readAcl(int fd, AclKind kind);

// Gives the open file or folder the ACL. An access ACL sets the permission bits too (the group's
// to the mask where there is one); set-id and sticky bits stay.
Result<> writeAcl(int fd, AclKind kind, const FileAcl& acl);

// Takes the default ACL from the open folder; one without it is no failure.
Result<> removeDefaultAcl(int folderFd);

// Whether the open file has an access ACL with more than its permission bits.
bool hasExtendedAcl(int fd);
// Whether the open folder has a default ACL, which the files made in it take.
bool hasDefaultAcl(int folderFd);

}  // namespace nuvelo
