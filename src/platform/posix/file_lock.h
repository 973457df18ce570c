#pragma once
// An advisory lock (flock(2)) on a lock file, held as long as the object lives. Two programs
// that change the same files take the same lock first, so that neither writes back what the
// other has just replaced.

#include <functional>
#include <string>

#include "platform/posix/descriptor.h"
#include "platform/result.h"

namespace nuvelo {

class FileLock {
 public:
  FileLock() = default;
  explicit FileLock(Descriptor fd) : fd_(std::move(fd)) {}
  // Whether a lock is held; a lock file that could neither be made nor opened holds none (the
  // files it guards then cannot be written either, and say so themselves).
  bool held() const { return fd_.isOpen(); }

 private:
  Descriptor fd_;
};

enum class LockWait {
  Never,      // another holder: fail at once with EWOULDBLOCK
  UntilFree,  // wait for the other holder, asking `giveUp` now and then
};

// Takes the lock of the lock file at `path`, made (mode 0600) when missing. With UntilFree the
// wait ends with ECANCELED when `giveUp` says so.
[[nodiscard]] Result<FileLock> takeFileLock(const std::string& path, LockWait wait,
                                            const std::function<bool()>& giveUp = {});

}  // namespace nuvelo
