#include "platform/posix/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace nuvelo {
namespace {

constexpr std::chrono::milliseconds AskEvery{50};

// The lock file, made when missing; opened for reading alone where its folder is read-only
// (a lock needs no write access).
Descriptor openLockFile(const std::string& path) {
  const int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | flags, 0600);
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | flags);
  return Descriptor(fd);
}

}  // namespace

Result<FileLock> takeFileLock(const std::string& path, LockWait wait,
                              const std::function<bool()>& giveUp) {
  Descriptor fd = openLockFile(path);
  if (!fd.isOpen()) return FileLock();
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return FileLock();  // a file system without locks
    if (wait == LockWait::Never) return failure(std::errc::operation_would_block, path);
    if (giveUp && giveUp()) return failure(std::errc::operation_canceled, path);
    std::this_thread::sleep_for(AskEvery);
  }
  return FileLock(std::move(fd));
}

}  // namespace nuvelo
