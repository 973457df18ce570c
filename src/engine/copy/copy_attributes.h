#pragma once
// The source's owner, group, permission bits, ACLs, extended attributes and times on its copy,
// as far as they grant no more than the source did.

#include <string>

#include "engine/copy/dropped_attributes.h"
#include "platform/result.h"

struct stat;

namespace nuvelo {

// Gives the open copy the source's owner and group where the system allows it, its extended
// attributes (see carryAttributes), then its access ACL or permission bits, then its times.
// A set-user-id bit stays only with the source's owner and a set-group-id bit only with its
// group; under another group the group may do no more than others could with the source (see
// narrowed_permissions.h). Where the destination keeps no permission bits (`keepsModes` false,
// or a change of them refused as unsupported), neither bits nor ACL are given; where it holds no
// ACL, the bits are those the source granted without its ACL's named entries. What was left out
// so is told; a failure when the times, or anything the file system does keep, cannot be set.
// `sourceFd` is the open source (-1: none, the copy gets no ACL or attribute). A copy made in
// a folder with a default ACL (`folderHasDefaultAcl`) took an ACL the source may not have had,
// which is then taken away; elsewhere that is not looked for.
Result<DroppedAttributes> giveFileAttributes(int copyFd, int sourceFd, const struct stat& source,
                                             bool keepsModes = true,
                                             bool folderHasDefaultAcl = true);

// The same for a folder the run made, with the source folder's default ACL besides (or none, when
// the source folder has none). Best effort: the files are in, and a folder left private or with
// the run's times loses nothing of them, so only what the destination does not keep is told.
DroppedAttributes giveFolderAttributes(int folderFd, int sourceFd, const struct stat& source);

// Gives the entry `name` in the folder the source's last-write and access times again, by its
// name (a file system that sets them anew on a rename).
Result<> giveTimesByName(int folderFd, const std::string& name, const struct stat& source);

// The same for a copied symbolic link `name` in the folder: owner and group where allowed, and
// the times (a link's permission bits mean nothing).
Result<> giveLinkAttributes(int folderFd, const std::string& name, const struct stat& source);

}  // namespace nuvelo
