#pragma once
// File systems in memory of a test's own: a small tmpfs, for a destination that is nearly full,
// and a ramfs, for one that keeps permission bits and owners but holds no ACL and no extended
// attribute. Mounting needs root; where it cannot be made, reason() says why and the test
// skips. Unmounted on destruction.

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "support/temp_folder.h"

namespace nuvelo::testing {

class MemoryMount {
 public:
  MemoryMount(const std::string& type, const std::string& options) {
    mkdir(folder_.file("mnt").c_str(), 0755);
    if (mount(type.c_str(), path().c_str(), type.c_str(), 0, options.c_str()) == 0)
      mounted_ = true;
    else
      reason_ = "cannot mount a " + type + " here: " + std::strerror(errno);
  }
  ~MemoryMount() {
    if (mounted_) umount2(path().c_str(), MNT_DETACH);
  }
  MemoryMount(const MemoryMount&) = delete;
  MemoryMount& operator=(const MemoryMount&) = delete;

  std::string path() const { return folder_.file("mnt"); }
  const std::string& reason() const { return reason_; }
  bool usable() const { return mounted_; }

 private:
  TempFolder folder_;
  bool mounted_ = false;
  std::string reason_;
};

class SmallTmpfs : public MemoryMount {
 public:
  explicit SmallTmpfs(std::size_t bytes)
      : MemoryMount("tmpfs", "size=" + std::to_string(bytes) + ",mode=0777") {}
};

class Ramfs : public MemoryMount {
 public:
  Ramfs() : MemoryMount("ramfs", "mode=0777") {}
};

}  // namespace nuvelo::testing
