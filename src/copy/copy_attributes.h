#pragma once
// The source's owner, group and times on its copy.

#include <string>

struct stat;

namespace nuvelo {

// Gives a copied symbolic link `name` in the folder the source's owner and group where allowed,
// and its times (a link's permission bits mean nothing).
bool giveLinkAttributes(int folderFd, const std::string& name, const struct stat& source);

}  // namespace nuvelo
