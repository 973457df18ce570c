#pragma once
// What a source file or folder has beyond its permission bits, found with one listing of its
// extended attributes (most files have none, and cost nothing more), and the copying of the
// attributes a copy carries.

#include <string>
#include <vector>

#include "platform/result.h"

namespace nuvelo {

struct SourceExtras {
  bool accessAcl = false;   // an access ACL of its own
  bool defaultAcl = false;  // a folder's default ACL
  // The attributes a copy carries: user.*, trusted.* (listed to a privileged process alone)
  // and security.capability. Other security.* ones are the destination's policy to give, and
  // the system.* ones are the file system's (the ACLs go through libacl).
  std::vector<std::string> attributes;
};

// What the open source has; nothing on a file system without extended attributes.
Result<SourceExtras> extrasOf(int sourceFd);

// Gives the copy the source's attributes, by name. security.capability goes only to a copy
// whose owner was kept (like a set-user-id bit), and only where the process may set it. False
// when the destination refused some of them as it keeps no such attribute; a failure for any
// other error. An attribute removed from the source meanwhile is not carried.
Result<bool> carryAttributes(int sourceFd, int copyFd, const std::vector<std::string>& names,
                             bool ownerKept);

}  // namespace nuvelo
