#pragma once
// A folder of a test's own shared through nuvelo-slow-share (bench/slow_share.cpp), which
// stands in for a network share and fails writes on request. Where the program, /dev/fuse or
// the right to mount is missing, reason() says why and the test skips. Unmounted when the
// object goes (lazily when the mount stays busy).

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/mounted_image.h"
#include "support/temp_folder.h"

namespace nuvelo::testing {

class SlowShare {
 public:
  // `options` go to the program's -o, after delay_us=0 (no delay: the tests are about faults).
  explicit SlowShare(const std::vector<std::string>& options) {
#ifndef NUVELO_SLOW_SHARE_PATH
    static_cast<void>(options);
    reason_ = "nuvelo-slow-share is not built (libfuse3-dev is missing)";
#else
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
      reason_ = "no usable /dev/fuse here";
      return;
    }
    mkdir(backing().c_str(), 0755);
    mkdir(path().c_str(), 0755);
    std::vector<std::string> argv{NUVELO_SLOW_SHARE_PATH, backing(), path(), "-o", "delay_us=0"};
    for (const std::string& option : options) argv.insert(argv.end(), {"-o", option});
    const ProgramRun run = runProgram(argv, std::chrono::seconds(30));
    mounted_ = isMounted();
    if (!mounted_) reason_ = "cannot mount nuvelo-slow-share here: " + run.err;
#endif
  }
  ~SlowShare() {
    if (mounted_) unmount();
  }
  SlowShare(const SlowShare&) = delete;
  SlowShare& operator=(const SlowShare&) = delete;

  bool usable() const {
    return mounted_;
  }
  const std::string& reason() const {
    return reason_;
  }
  // The share as a client sees it, and the folder it shares.
  std::string path() const {
    return folder_.file("mnt");
  }
  std::string backing() const {
    return folder_.file("shared");
  }

 private:
  bool isMounted() const {
    struct stat point {
    }, parent{};
    if (stat(folder_.path().c_str(), &parent) != 0) return false;
    if (stat(path().c_str(), &point) != 0) return errno != ENOENT;  // ENOTCONN: its server went
    return point.st_dev != parent.st_dev;
  }
  // A mount still busy is tried again for two seconds, then detached lazily.
  void unmount() {
    for (int attempt = 0; isMounted(); ++attempt) {
      if (umount2(path().c_str(), 0) == 0) continue;
      if (errno == EPERM) {
        runProgram({findProgram("fusermount3"), "-uz", path()}, std::chrono::seconds(30));
        return;
      }
      if (errno != EBUSY || attempt == 20) {
        umount2(path().c_str(), MNT_DETACH);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }

  TempFolder folder_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace nuvelo::testing
