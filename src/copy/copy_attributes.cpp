#include "copy/copy_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvelo {
namespace {

constexpr uid_t SameOwner = static_cast<uid_t>(-1);

}  // namespace

bool giveLinkAttributes(int folderFd, const std::string& name, const struct stat& source) {
  if (fchownat(folderFd, name.c_str(), source.st_uid, source.st_gid, AT_SYMLINK_NOFOLLOW) != 0)
    fchownat(folderFd, name.c_str(), SameOwner, source.st_gid, AT_SYMLINK_NOFOLLOW);
  const timespec times[2] = {source.st_atim, source.st_mtim};
  return utimensat(folderFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace nuvelo
