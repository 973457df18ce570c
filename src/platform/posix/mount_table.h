#pragma once
// The mounts of the system as /proc/self/mountinfo lists them, and the name the system knows a
// file system by: the UUID or label udev gives its device, else the device and mount point.

#include <sys/types.h>

#include <optional>
#include <string>

namespace nuvelo {

struct MountEntry {
  std::string mountPoint;  // "/media/me/BACKUP"
  std::string type;        // "ext4", "fuseblk", "fuse.fusefat", ...
  std::string source;      // the device, or what a file system in user space calls itself
};

// The mount of the file system numbered `device`; where it is mounted more than once (bind
// mounts), the one whose mount point holds `path`, the deepest first. Nothing when it is not
// listed (a subvolume, a table that cannot be read).
std::optional<MountEntry> mountEntryOf(dev_t device, const std::string& path = {});

// The name of a block device's file system in /dev/disk/by-uuid (or by-label): the UUID (or
// label) whose link there leads to `device`. Empty when udev names none.
std::string uuidOfDevice(const std::string& device);
std::string labelOfDevice(const std::string& device);

}  // namespace nuvelo
