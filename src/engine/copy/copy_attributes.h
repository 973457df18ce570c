#pragma once
// The source's owner, group, permission bits and times on its copy, as far as they grant no
// more than the source did.

#include <string>

#include "platform/result.h"

struct stat;

namespace nuvelo {

// What became of the attributes given to a copy.
enum class Attributes { Given, TimesOnly };

// Gives the open copy the source's owner and group where the system allows it, then its
// permission bits, then its times. A set-user-id bit stays only with the source's owner and a
// set-group-id bit only with its group; under another group the group may do no more than
// others could with the source. Where the destination keeps no permission bits (`keepsModes`
// false, or a change of them refused as unsupported), only the times are given: TimesOnly.
// A failure when the times, or bits the file system does keep, cannot be set.
Result<Attributes> giveFileAttributes(int copyFd, const struct stat& source,
                                      bool keepsModes = true);

// Gives the entry `name` in the folder the source's last-write and access times again, by its
// name (a file system that sets them anew on a rename).
Result<> giveTimesByName(int folderFd, const std::string& name, const struct stat& source);

// The same for a copied symbolic link `name` in the folder: owner and group where allowed, and
// the times (a link's permission bits mean nothing).
Result<> giveLinkAttributes(int folderFd, const std::string& name, const struct stat& source);

}  // namespace nuvelo
