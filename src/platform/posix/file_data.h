#pragma once
// A file's bytes into the copy: a shared-extent clone where the file system offers one, else
// inside the kernel in chunks sized to the drive, else through a buffer. A file with holes has
// only its data regions copied and keeps its holes.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <system_error>

#include "platform/result.h"

struct stat;

namespace nuvelo {

// Progress and stops of a copy of data, and whether extents may be shared.
struct DataCopyHooks {
  std::function<void()> poll;  // between chunks of a large file
  // Called after each chunk with the bytes copied so far; false stops the copy.
  std::function<bool(std::uint64_t)> afterChunk;
  // Whether a file system that can share extents between files may do so (tests turn it off
  // to reach the chunk hook).
  bool allowClone = true;
  // Test seam: after each chunk is written, with the bytes copied so far; an errno value other
  // than 0 fails the copy with it, as a failed write would.
  std::function<int(std::uint64_t)> chunkFault;
};

// How a copy of data ended when nothing failed; a failure comes as the Result's error.
enum class DataCopy { Done, Stopped };

// Counts the bytes of a copy and hands each chunk to the hooks.
class ChunkProgress {
 public:
  explicit ChunkProgress(const DataCopyHooks& hooks, std::uint64_t copied = 0)
      : hooks_(hooks), copied_(copied) {}
  // Records a chunk: Done to go on, Stopped when the hooks ask to stop, or the failure the test
  // seam injects.
  Result<DataCopy> add(std::uint64_t bytes);
  // Gives the hooks their turn without new bytes (while a finished copy is read back).
  bool keepGoing();

 private:
  const DataCopyHooks& hooks_;
  std::uint64_t copied_;
};

// Whether the file has holes: its blocks hold less than its size.
bool hasHoles(const struct stat& st);

// A stretch of a file: data, or a hole that reads as zeros.
struct Region {
  static constexpr std::uint64_t ToTheEnd = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t offset = 0;
  std::uint64_t length = 0;  // ToTheEnd: data up to the end of the file, however far
  bool data = true;
};

// The regions of the first `size` bytes of a file from `start` on, in order. A file taken as
// without holes, or on a file system that cannot tell where its holes are, is one data region.
class RegionWalk {
 public:
  RegionWalk(int fd, std::uint64_t size, bool withHoles, std::uint64_t start = 0)
      : fd_(fd), size_(size), withHoles_(withHoles), start_(start), offset_(start) {}
  // The next region; false at the end, or on a failure (then error() says which).
  bool next(Region& region);
  const std::error_code& error() const { return error_; }

 private:
  bool wholeFile(Region& region);

  int fd_;
  std::uint64_t size_;
  bool withHoles_;
  std::uint64_t start_;
  std::uint64_t offset_;
  bool finished_ = false;
  std::error_code error_;
};

// Reads the data region (up to its end, or the end of the file if that comes first) chunk by
// chunk and hands each to `take(bytes, count, offset)`, which returns Done to go on, or how the
// reading ends.
using TakeChunk =
    std::function<Result<DataCopy>(const char* bytes, std::size_t count, std::uint64_t offset)>;
Result<DataCopy> readRegion(int fd, const Region& region, const TakeChunk& take);

// A taker of chunks that writes each at its own offset in `to` and records it in `progress`.
TakeChunk writeInPlace(int to, ChunkProgress& progress);

// Copies the source's bytes from `start` on into `to`, which holds the first `start` bytes
// already (none: it is empty); the source's size and holes come from `source` (its status as it
// was opened).
Result<DataCopy> copyFileData(int from, int to, const struct stat& source,
                              const DataCopyHooks& hooks, std::uint64_t start = 0);

}  // namespace nuvelo
