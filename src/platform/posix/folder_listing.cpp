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
// The room for names a listing starts with, and the room left unused that a large listing
// gives back: most folders' names fit, and a huge one keeps no more than this beyond its need.
constexpr std::size_t SmallListing = 4096;

// Network file systems whose f_type <linux/magic.h> does not name.
constexpr long CifsMagic = 0xFF534D42;
constexpr long Smb2Magic = 0xFE534D42;
constexpr long FuseMagic = 0x65735546;

std::optional<Failure> unreadableUnlessVanished(const std::string& path, int error) {
  if (folderVanished(error)) return std::nullopt;
  return Failure{std::error_code(error, std::generic_category()), path};
}

// Reads the names of the open folder into the listing's buffer, then makes its entries, all
// at once and in their final place: a huge folder's entries are never copied as they grow.
int readEntries(int fd, FolderListing& listing) {
  std::vector<char>& names = listing.names;
  names.reserve(SmallListing);
  std::size_t count = 0;
  const int error = forEachFolderEntry(fd, [&](std::string_view name, unsigned char type) {
    names.push_back(static_cast<char>(type));
    names.insert(names.end(), name.begin(), name.end());
    names.push_back('\0');
    ++count;
  });
  if (names.capacity() - names.size() > SmallListing) names.shrink_to_fit();
  listing.entries.reserve(count);
  for (std::size_t at = 0; at < names.size();) {
    const auto type = static_cast<unsigned char>(names[at]);
    const std::string_view name(names.data() + at + 1);
    listing.entries.push_back({{name, type}, false, {}});
    at += name.size() + 2;
  }
  return error;
}

// Reads the open folder `fd` (named `path`) into a listing.
FolderListing listingOf(Descriptor fd, const std::string& path) {
  FolderListing listing;
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return listing;
  listing.device = st.st_dev;
  listing.inode = st.st_ino;
  if (const int error = readEntries(fd.get(), listing); error != 0)
    listing.unreadable = unreadableUnlessVanished(path, error);
  listing.listed = listing.unreadable == std::nullopt || !listing.entries.empty();
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
  // The name is followed by a NUL byte in its listing's buffer.
  if (fstatat(folderFd, listed.entry.name.data(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
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

std::optional<EntryKind> kindByType(const ListedName& entry) {
  return kindOfType(entry.type);
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
