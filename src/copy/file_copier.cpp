#include "copy/file_copier.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "copy/descriptor.h"
#include "copy/temporary_files.h"
#include "platform/filesystem.h"

namespace nuvelo {
namespace {

// A chunk of a large file is sized to take about this long, so the window gets its turn often
// on a slow drive and the copy keeps its speed on a fast one.
constexpr auto ChunkTarget = std::chrono::milliseconds(20);
constexpr std::size_t SmallestChunk = 1 << 20;
constexpr std::size_t LargestChunk = 256 << 20;
constexpr long ExfatMagic = 0x2011BAB0;

std::string systemReason(int error) { return std::strerror(error); }

bool copyByReadWrite(int from, int to, std::uint64_t& copied, const CopyHooks& hooks) {
  static thread_local std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(to, buffer.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return false;
      done += w;
    }
    copied += static_cast<std::uint64_t>(n);
    if (hooks.afterChunk && !hooks.afterChunk(copied)) return errno = EINTR, false;
    if (hooks.poll) hooks.poll();
  }
}

// The file's bytes, by a shared-extent clone where the file system offers one, else inside the
// kernel, else through a buffer. False with errno set on failure.
bool copyData(int from, int to, const CopyHooks& hooks) {
  if (hooks.allowClone && ioctl(to, FICLONE, from) == 0) return true;
  posix_fadvise(from, 0, 0, POSIX_FADV_SEQUENTIAL);
  std::uint64_t copied = 0;
  std::size_t chunk = 8 << 20;
  for (;;) {
    const auto start = std::chrono::steady_clock::now();
    const ssize_t n = copy_file_range(from, nullptr, to, nullptr, chunk, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    if (took < ChunkTarget / 2 && chunk < LargestChunk) chunk *= 2;
    else if (took > ChunkTarget * 2 && chunk > SmallestChunk) chunk /= 2;
    if (n < 0) {
      if (errno == EINTR) continue;
      const bool unsupported = errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                               errno == EOPNOTSUPP || errno == EBADF;
      if (copied == 0 && unsupported) return copyByReadWrite(from, to, copied, hooks);
      return false;
    }
    if (n == 0) return true;
    copied += static_cast<std::uint64_t>(n);
    if (hooks.afterChunk && !hooks.afterChunk(copied)) return errno = EINTR, false;
    if (hooks.poll) hooks.poll();
  }
}

CopyOutcome failed(int error) { return {CopyOutcome::Failed, systemReason(error)}; }
CopyOutcome failed(const char* reason) { return {CopyOutcome::Failed, reason}; }

// Puts the finished temporary file in place: over the target when replacing is allowed, else
// only where no namesake has appeared meanwhile.
CopyOutcome publish(int folderFd, const std::string& temp, const std::string& name, bool replace,
                    ReplaceMode mode, const std::function<bool()>& askReplace) {
  if (!replace) {
    if (renameat2(folderFd, temp.c_str(), folderFd, name.c_str(), RENAME_NOREPLACE) == 0)
      return {CopyOutcome::Copied, {}};
    if (errno == EEXIST) {
      if (mode == ReplaceMode::Never) return {CopyOutcome::KeptExisting, {}};
      if (mode == ReplaceMode::Ask && !askReplace()) return {CopyOutcome::Declined, {}};
    } else if (errno != EINVAL && errno != ENOSYS) {
      return failed(errno);
    }
    // Replacing is allowed, or the file system cannot refuse to replace.
  }
  if (renameat(folderFd, temp.c_str(), folderFd, name.c_str()) != 0) return failed(errno);
  return {CopyOutcome::Copied, {}};
}

}  // namespace

CopyOutcome copyEntryInto(const std::string& source, int folderFd, const std::string& name,
                          ReplaceMode mode, const std::function<ReplaceAnswer()>& ask,
                          const CopyHooks& hooks) {
  const std::function<bool()> askReplace = [&] { return ask && ask() == ReplaceAnswer::Replace; };
  // O_NONBLOCK keeps a named pipe from blocking the open; it is no file to copy anyway.
  Descriptor from(openEntry(source, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (from.get() < 0) return failed(errno);
  struct stat st {};
  if (fstat(from.get(), &st) != 0) return failed(errno);
  if (S_ISDIR(st.st_mode)) return failed(EISDIR);
  if (!S_ISREG(st.st_mode)) return failed("通常のファイルではありません");
  fcntl(from.get(), F_SETFL, fcntl(from.get(), F_GETFL) & ~O_NONBLOCK);

  bool replace = false;
  struct stat existing {};
  if (fstatat(folderFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(existing.st_mode)) return failed("コピー先にシンボリックリンクがあります");
    if (S_ISDIR(existing.st_mode)) return failed(EISDIR);
    if (mode == ReplaceMode::Never) return {CopyOutcome::KeptExisting, {}};
    if (mode == ReplaceMode::Ask && !askReplace()) return {CopyOutcome::Declined, {}};
    replace = true;
  }

  std::string temp;
  // Declared before the entry, so the file is removed while it is still locked.
  Descriptor to(createLockedTemporary(folderFd, temp));
  if (!to.isOpen()) return failed(errno);
  TemporaryEntry temporary(folderFd, temp);
  const timespec times[2] = {st.st_atim, st.st_mtim};
  if (!copyData(from.get(), to.get(), hooks) || fchmod(to.get(), st.st_mode & 07777) != 0 ||
      futimens(to.get(), times) != 0)
    return failed(errno);
  // The file being replaced is only given up once its successor is safely on disk.
  if (replace && fsync(to.get()) != 0) return failed(errno);

  const CopyOutcome outcome = publish(folderFd, temp, name, replace, mode, askReplace);
  if (outcome.kind != CopyOutcome::Copied) return outcome;
  temporary.placed();
  // The lock is held until the name is final; a late write error still counts.
  if (!to.close()) return failed(errno);
  return outcome;
}

std::int64_t timeGranularityMs(int folderFd) {
  struct statfs fs {};
  if (fstatfs(folderFd, &fs) != 0) return 1;
  if (fs.f_type == MSDOS_SUPER_MAGIC) return 2000;
  if (fs.f_type == ExfatMagic) return 10;
  return 1;
}

}  // namespace nuvelo
