#include "platform/posix/file_data.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

namespace nuvelo {
namespace {

// A chunk copied inside the kernel is sized to take about this long, so the window gets its
// turn often on a slow drive and the copy keeps its speed on a fast one.
constexpr auto ChunkTarget = std::chrono::milliseconds(20);
constexpr std::size_t SmallestChunk = 1 << 20;
constexpr std::size_t FirstChunk = 8 << 20;
constexpr std::size_t LargestChunk = 256 << 20;
constexpr std::size_t BufferBytes = 1 << 20;
// Reading ahead is only worth a call for a file of more than a few chunks.
constexpr off_t ReadAheadFrom = 4 << 20;

std::vector<char>& copyBuffer() {
  static thread_local std::vector<char> buffer(BufferBytes);
  return buffer;
}

std::uint64_t endOf(const Region& region) {
  return region.length == Region::ToTheEnd ? Region::ToTheEnd : region.offset + region.length;
}

// What is left of the region from `offset` on.
Region restOf(const Region& region, std::uint64_t offset) {
  return {offset, region.length == Region::ToTheEnd ? Region::ToTheEnd : endOf(region) - offset};
}

bool writeAllAt(int fd, const char* bytes, std::size_t count, std::uint64_t offset) {
  for (std::size_t done = 0; done < count;) {
    const ssize_t n = pwrite(fd, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool kernelCannotCopy(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF;
}

// Copies ranges of one file into the same places of another: inside the kernel while it can,
// through a buffer once it says it cannot.
class RangeCopier {
 public:
  RangeCopier(int from, int to, ChunkProgress& progress)
      : from_(from), to_(to), progress_(progress) {}

  Result<DataCopy> copy(const Region& region) {
    const std::uint64_t end = endOf(region);
    for (std::uint64_t offset = region.offset; offset < end;) {
      if (!inKernel_) return copyThroughBuffer(restOf(region, offset));
      const ssize_t n = copyInKernel(offset, end - offset);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && kernelCannotCopy(errno)) {
        inKernel_ = false;
        continue;
      }
      if (n < 0) return failureFromErrno();
      if (n == 0) break;  // the end of the file
      offset += static_cast<std::uint64_t>(n);
      if (auto next = progress_.add(static_cast<std::uint64_t>(n)); next != DataCopy::Done)
        return next;
    }
    return DataCopy::Done;
  }

 private:
  ssize_t copyInKernel(std::uint64_t offset, std::uint64_t left) {
    loff_t in = static_cast<loff_t>(offset), out = in;
    const auto start = std::chrono::steady_clock::now();
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk_, left));
    const ssize_t n = copy_file_range(from_, &in, to_, &out, want, 0);
    adaptChunk(std::chrono::steady_clock::now() - start);
    return n;
  }

  void adaptChunk(std::chrono::steady_clock::duration took) {
    if (took < ChunkTarget / 2 && chunk_ < LargestChunk)
      chunk_ *= 2;
    else if (took > ChunkTarget * 2 && chunk_ > SmallestChunk)
      chunk_ /= 2;
  }

  Result<DataCopy> copyThroughBuffer(const Region& rest) {
    return readRegion(from_, rest, writeInPlace(to_, progress_));
  }

  int from_, to_;
  ChunkProgress& progress_;
  std::size_t chunk_ = FirstChunk;
  bool inKernel_ = true;
};

// A clone shares the whole file in one call. A file of at most one chunk needs no separate try:
// copy_file_range itself shares extents where the file system can.
bool cloned(int from, int to, const struct stat& source, const DataCopyHooks& hooks) {
  return hooks.allowClone && static_cast<std::size_t>(source.st_size) > FirstChunk &&
         ioctl(to, FICLONE, from) == 0;
}

}  // namespace

Result<DataCopy> ChunkProgress::add(std::uint64_t bytes) {
  copied_ += bytes;
  if (hooks_.chunkFault)
    if (const int error = hooks_.chunkFault(copied_); error != 0)
      return failure(std::error_code(error, std::generic_category()));
  return keepGoing() ? DataCopy::Done : DataCopy::Stopped;
}

bool ChunkProgress::keepGoing() {
  if (hooks_.afterChunk && !hooks_.afterChunk(copied_)) return false;
  if (hooks_.poll) hooks_.poll();
  return true;
}

bool hasHoles(const struct stat& st) {
  return static_cast<std::uint64_t>(st.st_blocks) * 512 < static_cast<std::uint64_t>(st.st_size);
}

bool RegionWalk::next(Region& region) {
  if (finished_) return false;
  if (!withHoles_) return wholeFile(region);
  if (offset_ >= size_) return false;
  const off_t data = lseek(fd_, static_cast<off_t>(offset_), SEEK_DATA);
  if (data < 0 && errno == ENXIO) {  // no data after the offset: a hole up to the end
    region = {offset_, size_ - offset_, false};
    offset_ = size_;
    return true;
  }
  if (data < 0 && offset_ == start_ && errno == EINVAL) return wholeFile(region);  // no hole map
  const off_t hole = data < 0 ? -1 : lseek(fd_, data, SEEK_HOLE);
  if (hole < 0) {
    error_ = std::error_code(errno, std::generic_category());
    return false;
  }
  const auto dataStart = static_cast<std::uint64_t>(data);
  if (dataStart > offset_) {
    region = {offset_, dataStart - offset_, false};
    offset_ = dataStart;
  } else {
    region = {dataStart, static_cast<std::uint64_t>(hole) - dataStart, true};
    offset_ = static_cast<std::uint64_t>(hole);
  }
  return true;
}

// The file is read up to the size it had when it was opened, which saves asking for more at the
// end of each small file: a change of size meanwhile is caught by comparing the sizes after the
// copy. A file without a size, as some of the kernel's own are, is read until it ends.
bool RegionWalk::wholeFile(Region& region) {
  finished_ = true;
  region = {offset_, size_ > 0 ? size_ - std::min(offset_, size_) : Region::ToTheEnd, true};
  return true;
}

Result<DataCopy> readRegion(int fd, const Region& region, const TakeChunk& take) {
  std::vector<char>& buffer = copyBuffer();
  const std::uint64_t end = endOf(region);
  for (std::uint64_t offset = region.offset; offset < end;) {
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), end - offset));
    const ssize_t n = pread(fd, buffer.data(), want, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failureFromErrno();
    if (n == 0) break;
    const Result<DataCopy> result = take(buffer.data(), static_cast<std::size_t>(n), offset);
    if (result != DataCopy::Done) return result;
    offset += static_cast<std::uint64_t>(n);
  }
  return DataCopy::Done;
}

TakeChunk writeInPlace(int to, ChunkProgress& progress) {
  return [to, &progress](const char* bytes, std::size_t count,
                         std::uint64_t offset) -> Result<DataCopy> {
    if (!writeAllAt(to, bytes, count, offset)) return failureFromErrno();
    return progress.add(count);
  };
}

Result<DataCopy> copyFileData(int from, int to, const struct stat& source,
                              const DataCopyHooks& hooks, std::uint64_t start) {
  if (start == 0 && cloned(from, to, source, hooks)) return DataCopy::Done;
  if (source.st_size >= ReadAheadFrom) posix_fadvise(from, 0, 0, POSIX_FADV_SEQUENTIAL);
  const bool withHoles = hasHoles(source);
  ChunkProgress progress(hooks, start);
  RangeCopier copier(from, to, progress);
  RegionWalk walk(from, static_cast<std::uint64_t>(source.st_size), withHoles, start);
  for (Region region; walk.next(region);) {
    if (!region.data) continue;
    const Result<DataCopy> result = copier.copy(region);
    if (result != DataCopy::Done) return result;
  }
  if (walk.error()) return failure(walk.error());
  // A hole at the end has no data to copy; the size makes it.
  if (withHoles && ftruncate(to, source.st_size) != 0) return failureFromErrno();
  return DataCopy::Done;
}

}  // namespace nuvelo
