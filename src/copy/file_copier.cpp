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
#include <vector>

#include "copy/copy_attributes.h"
#include "copy/copy_target.h"
#include "copy/descriptor.h"
#include "copy/link_copy.h"
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
// O_NONBLOCK keeps a named pipe from blocking the open (it is no file to copy anyway);
// O_NOFOLLOW makes a symbolic link fail with ELOOP, to be copied as a link.
constexpr int SourceFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

enum class DataCopy { Done, Stopped, Failed };  // Failed leaves errno set

// Hands a chunk to the hooks; false when they ask to stop.
bool keepGoing(std::uint64_t copied, const CopyHooks& hooks) {
  if (hooks.afterChunk && !hooks.afterChunk(copied)) return false;
  if (hooks.poll) hooks.poll();
  return true;
}

DataCopy copyByReadWrite(int from, int to, std::uint64_t& copied, const CopyHooks& hooks) {
  static thread_local std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return DataCopy::Failed;
    if (n == 0) return DataCopy::Done;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(to, buffer.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return DataCopy::Failed;
      done += w;
    }
    copied += static_cast<std::uint64_t>(n);
    if (!keepGoing(copied, hooks)) return DataCopy::Stopped;
  }
}

// The file's bytes, by a shared-extent clone where the file system offers one, else inside the
// kernel, else through a buffer.
DataCopy copyData(int from, int to, const CopyHooks& hooks) {
  if (hooks.allowClone && ioctl(to, FICLONE, from) == 0) return DataCopy::Done;
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
      return DataCopy::Failed;
    }
    if (n == 0) return DataCopy::Done;
    copied += static_cast<std::uint64_t>(n);
    if (!keepGoing(copied, hooks)) return DataCopy::Stopped;
  }
}

// Looks at the open source and readies it for reading; an outcome when it is no regular file.
std::optional<CopyOutcome> readyRegularSource(int fd, struct stat& st) {
  if (fstat(fd, &st) != 0) return failedWith(errno);
  if (S_ISDIR(st.st_mode)) return failedWith(EISDIR);
  if (!S_ISREG(st.st_mode)) return failedWith(NotARegularFile);
  fcntl(fd, F_SETFL, 0);  // reads of the file wait for the drive as usual
  return std::nullopt;
}

CopyOutcome copyOpenFile(int from, const struct stat& source, const CopyTarget& target,
                         bool replace, const CopyHooks& hooks) {
  std::string name;
  // Declared before the entry, so the file is removed while it is still locked.
  Descriptor copy(createLockedTemporary(target.folderFd, name));
  if (!copy.isOpen()) return failedWith(errno);
  TemporaryEntry temporary(target.folderFd, name);

  const DataCopy data = copyData(from, copy.get(), hooks);
  if (data == DataCopy::Stopped) return stopped();
  if (data == DataCopy::Failed) return failedWith(errno);
  if (!giveFileAttributes(copy.get(), source)) return failedWith(errno);
  // The file being replaced is only given up once its successor is safely on disk.
  if (replace && fsync(copy.get()) != 0) return failedWith(errno);

  const CopyOutcome outcome = putInPlace(target, name, replace);
  if (outcome.kind != CopyOutcome::Copied) return outcome;
  temporary.placed();
  // The lock is held until the name is final; a late write error still counts.
  if (!copy.close()) return failedWith(errno);
  return outcome;
}

}  // namespace

CopyOutcome copyEntryInto(const std::string& source, int folderFd, const std::string& name,
                          ReplaceMode mode, const std::function<ReplaceAnswer()>& askReplace,
                          const CopyHooks& hooks) {
  const CopyTarget target{folderFd, name, mode, askReplace};
  Descriptor from(openEntry(source, SourceFlags));
  if (!from.isOpen()) return errno == ELOOP ? copyLinkInto(source, target) : failedWith(errno);
  struct stat st {};
  if (auto refusal = readyRegularSource(from.get(), st)) return *refusal;
  const TargetDecision decision = decideTarget(target, st);
  if (decision.settled) return *decision.settled;
  return copyOpenFile(from.get(), st, target, decision.replace, hooks);
}

std::int64_t timeGranularityMs(int folderFd) {
  struct statfs fs {};
  if (fstatfs(folderFd, &fs) != 0) return 1;
  if (fs.f_type == MSDOS_SUPER_MAGIC) return 2000;
  if (fs.f_type == ExfatMagic) return 10;
  return 1;
}

}  // namespace nuvelo
