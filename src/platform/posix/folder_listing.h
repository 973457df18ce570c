#pragma once
// A folder read in one go for the parallel walk: its entries, each with what a look-up of it
// told, read on a worker thread and handed whole to the walk's consumer.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/posix/directory_stack.h"
#include "platform/result.h"

namespace nuvelo {

// What a look-up (lstat) of an entry told, kept small: a large folder holds many of them.
struct EntryLookup {
  enum class State : unsigned char { NotAsked, Found, Failed };
  State state = State::NotAsked;
  mode_t mode = 0;
  std::int64_t bytes = 0;
  timespec modified{};
  std::int64_t changedSeconds = 0;  // the inode change time
  dev_t device = 0;
  ino_t inode = 0;
};

// An entry's name and type as its folder's listing gave them. The name lies in the listing's
// buffer of names, followed by a NUL byte, so that a folder of millions of entries takes one
// allocation for its names rather than one a name.
struct ListedName {
  std::string_view name;
  unsigned char type = 0;  // d_type: DT_DIR, DT_REG, DT_LNK, DT_UNKNOWN, ...
};

struct ListedEntry {
  ListedName entry;
  bool wanted = false;  // the walk will need its look-up
  EntryLookup lookup;
};

using SharedDescriptor = std::shared_ptr<const Descriptor>;

// Moved, never copied: its entries' names point into its buffer of names.
struct FolderListing {
  FolderListing() = default;
  FolderListing(FolderListing&&) = default;
  FolderListing& operator=(FolderListing&&) = default;
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  SharedDescriptor fd;  // the folder, open while its subfolders may still be read
  dev_t device = 0;
  ino_t inode = 0;
  bool listed = false;  // false: the folder contributes nothing
  // Each entry's type, name and a NUL byte, in the order of the entries.
  std::vector<char> names;
  std::vector<ListedEntry> entries;
  // Why the folder could not be listed, or its listing broke off (what was read is kept);
  // nothing for a folder that vanished or turned into something else since its parent was read.
  std::optional<Failure> unreadable;
};

// Opens the folder at `path` and reads its entries.
FolderListing readFolder(const std::string& path);
// Opens the subfolder `name` of `parent` (never through a symbolic link) and reads its entries;
// `path` is the name the failures carry.
FolderListing readSubfolder(const Descriptor& parent, const std::string& name,
                            const std::string& path);

// Looks the entry of the folder `folderFd` up, without following a link.
void lookUpEntry(int folderFd, ListedEntry& listed);

// What an entry is by its listed type; nothing when only a look-up tells.
std::optional<EntryKind> kindByType(const ListedName& entry);
// What an entry is for the walks, from its type or else its look-up.
EntryKind kindOf(const ListedEntry& listed);

// The folder `folder` again, through the ".." of its subfolder `childFd`, when it is still the
// same folder (device and inode); a closed descriptor otherwise.
Descriptor reopenParent(int childFd, dev_t device, ino_t inode);

// The folder of the relative `path` below `from` (never through a link) when it is the folder
// with this device and inode; a closed descriptor otherwise.
Descriptor reopenBelow(int from, std::string_view path, dev_t device, ino_t inode);

// Whether the folder lies on a network or FUSE file system, where each request is a round trip
// worth running many of at once.
bool isOnRemoteFileSystem(const std::string& folder);

}  // namespace nuvelo
