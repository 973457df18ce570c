#pragma once
// The rights a copy may grant, from its source's permission bits and ACL and what the copier
// could keep of its owner and group: never a right that the source refused someone.

#include <sys/types.h>

#include "platform/posix/file_acl.h"

namespace nuvelo {

// Whether the copy has the source's owner, and its group.
struct KeptOwnership {
  bool owner = true;
  bool group = true;
};

// The source's mode bits as the copy may have them. A set-user-id bit stays only with the
// source's owner and a set-group-id bit only with its group. Under another owner, neither the
// group nor others may do more than the source's owner could (it is one of them now); under
// another group, the group may do no more than others could with the source (they were
// "others" to it), and others no more than the source's group could (its members are others now).
mode_t narrowedMode(mode_t mode, KeptOwnership kept);

// The source's access ACL as the copy may have it, narrowed as narrowedMode narrows bits: under
// another group, the owning-group entry also gives no more than any named group had (a member
// of the copy's group may have been in one, and then got that group's rights, not others').
FileAcl narrowedAcl(FileAcl acl, KeptOwnership kept);

// The mode bits of a copy that cannot hold the source's ACL: the owner's bits, and for the group
// and others what each of them was sure to get at the source. The group's bits are the
// owning-group entry within the mask (a mode's group bits show the mask), and since the
// named entries are lost, the group and others get no more than a named user had (who may be a
// member of the group, or one of the others), nor others more than a named group had. Set-id
// and sticky bits come from `mode`; the result is narrowed as narrowedMode does.
mode_t modeWithoutAcl(const FileAcl& acl, mode_t mode, KeptOwnership kept);

// The ACL that says no more than the mode's permission bits.
FileAcl aclOfMode(mode_t mode);

// The permission bits a file with the ACL shows: the group's are the mask where there is one.
mode_t permissionBitsOf(const FileAcl& acl);

}  // namespace nuvelo
