#pragma once
// A small tmpfs of a test's own, for a destination that is nearly full. Mounting needs root;
// where it cannot be made, reason() says why and the test skips. Unmounted on destruction.

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "support/temp_folder.h"

namespace nuvelo::testing {

class SmallTmpfs {
 public:
  explicit SmallTmpfs(std::size_t bytes) {
    mkdir(folder_.file("mnt").c_str(), 0755);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    if (mount("tmpfs", path().c_str(), "tmpfs", 0, options.c_str()) == 0)
      mounted_ = true;
    else
      reason_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
  }
  ~SmallTmpfs() {
    if (mounted_) umount2(path().c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  std::string path() const { return folder_.file("mnt"); }
  const std::string& reason() const { return reason_; }
  bool usable() const { return mounted_; }

 private:
  TempFolder folder_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace nuvelo::testing
