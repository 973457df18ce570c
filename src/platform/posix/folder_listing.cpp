#include "platform/posix/folder_listing.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>

#include "platform/posix/path_walk.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Network file systems whose f_type <linux/magic.h> does not name.
constexpr long CifsMagic = 0xFF534D42;
constexpr long Smb2Magic = 0xFE534D42;
constexpr long FuseMagic = 0x65735546;

std::optional<Failure> unreadableUnlessVanished(const std::string& path, int error) {
  if (folderVanished(error)) return std::nullopt;
  return Failure{std::error_code(error, std::generic_category()), path};
}

// Reads the open folder `fd` (named `path`) into a listing.
FolderListing listingOf(Descriptor fd, const std::string& path) {
  FolderListing listing;
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return listing;
  listing.device = st.st_dev;
  listing.inode = st.st_ino;
  std::vector<DirectoryEntry> entries;
  if (const int error = readFolderEntries(fd.get(), entries); error != 0)
    listing.unreadable = unreadableUnlessVanished(path, error);
  listing.listed = listing.unreadable == std::nullopt || !entries.empty();
  listing.entries.reserve(entries.size());
  for (DirectoryEntry& entry : entries) listing.entries.push_back({std::move(entry), false, {}});
  listing.fd = std::make_shared<const Descriptor>(std::move(fd));
  return listing;
}

FolderListing unopened(const std::string& path, int error) {
  FolderListing listing;
  listing.unreadable = unreadableUnlessVanished(path, error);
  return listing;
}

bool isSameFolder(const Descriptor& fd, dev_t device, ino_t inode) {
  struct stat st {};
  return fd.isOpen() && fstat(fd.get(), &st) == 0 && st.st_dev == device && st.st_ino == inode;
}

}  // namespace

FolderListing readFolder(const std::string& path) {
  Descriptor fd(open(path.c_str(), FolderFlags));
  if (!fd.isOpen()) return unopened(path, errno);
  return listingOf(std::move(fd), path);
}

FolderListing readSubfolder(const Descriptor& parent, const std::string& name,
                            const std::string& path) {
  Descriptor fd(openFolderAt(parent.get(), name, true));
  if (!fd.isOpen()) return unopened(path, errno);
  return listingOf(std::move(fd), path);
}

void lookUpEntry(int folderFd, ListedEntry& listed) {
  struct stat st {};
  EntryLookup& lookup = listed.lookup;
  if (fstatat(folderFd, listed.entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    lookup.state = EntryLookup::State::Failed;
    return;
  }
  lookup.state = EntryLookup::State::Found;
  lookup.mode = st.st_mode;
  lookup.bytes = st.st_size;
  lookup.modified = st.st_mtim;
  lookup.changedSeconds = st.st_ctim.tv_sec;
  lookup.device = st.st_dev;
  lookup.inode = st.st_ino;
}

EntryKind kindOf(const ListedEntry& listed) {
  if (const std::optional<EntryKind> kind = kindByType(listed.entry)) return *kind;
  if (listed.lookup.state != EntryLookup::State::Found) return EntryKind::Skipped;
  return kindOfMode(listed.lookup.mode);
}

Descriptor reopenParent(int childFd, dev_t device, ino_t inode) {
  Descriptor fd(childFd >= 0 ? openat(childFd, "..", FolderFlags) : -1);
  return isSameFolder(fd, device, inode) ? std::move(fd) : Descriptor();
}

Descriptor reopenBelow(int from, std::string_view path, dev_t device, ino_t inode) {
  Descriptor fd =
      openComponents(from, path, [](int parent, const std::string& name, std::string_view) {
        return openFolderAt(parent, name, true);
      }).value_or(Descriptor());
  return isSameFolder(fd, device, inode) ? std::move(fd) : Descriptor();
}

bool isOnRemoteFileSystem(const std::string& folder) {
  struct statfs fs {};
  if (statfs(folder.c_str(), &fs) != 0) return false;
  switch (static_cast<long>(fs.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case CifsMagic:
    case Smb2Magic:
    case FuseMagic:
    case CEPH_SUPER_MAGIC:
    case V9FS_MAGIC:
    case AFS_FS_MAGIC:
    case CODA_SUPER_MAGIC:
      return true;
    default:
      return false;
  }
}

}  // namespace nuvelo
