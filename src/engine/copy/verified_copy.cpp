#include "engine/copy/verified_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <memory>

namespace nuvelo {
namespace {

// The XXH3-64 hash of a stream of bytes.
class ContentHash {
 public:
  ContentHash() : state_(XXH3_createState(), &XXH3_freeState) { XXH3_64bits_reset(state_.get()); }

  void add(const char* bytes, std::size_t count) { XXH3_64bits_update(state_.get(), bytes, count); }

  void addZeros(std::uint64_t count) {
    static const char zeros[64 << 10] = {};
    for (; count > 0; count -= std::min<std::uint64_t>(count, sizeof zeros))
      add(zeros, static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof zeros)));
  }

  std::uint64_t digest() const { return XXH3_64bits_digest(state_.get()); }

 private:
  std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state_;
};

// Hashes the file's regions in order, handing each data chunk to `take` as well.
Result<DataCopy> hashRegions(int fd, std::uint64_t size, bool withHoles, ContentHash& hash,
                             const TakeChunk& take) {
  RegionWalk walk(fd, size, withHoles);
  for (Region region; walk.next(region);) {
    if (!region.data) {
      hash.addZeros(region.length);
      continue;
    }
    const Result<DataCopy> result =
        readRegion(fd, region, [&](const char* bytes, std::size_t count, std::uint64_t offset) {
          hash.add(bytes, count);
          return take(bytes, count, offset);
        });
    if (result != DataCopy::Done) return result;
  }
  if (walk.error()) return failure(walk.error());
  return DataCopy::Done;
}

}  // namespace

Result<DataCopy> copyHashing(int from, int to, const struct stat& source, const CopyHooks& hooks,
                             std::uint64_t& digest) {
  posix_fadvise(from, 0, 0, POSIX_FADV_SEQUENTIAL);
  const bool withHoles = hasHoles(source);
  ContentHash hash;
  ChunkProgress progress(hooks);
  const Result<DataCopy> result = hashRegions(from, static_cast<std::uint64_t>(source.st_size),
                                              withHoles, hash, writeInPlace(to, progress));
  if (result != DataCopy::Done) return result;
  if (withHoles && ftruncate(to, source.st_size) != 0) return failureFromErrno();
  digest = hash.digest();
  return DataCopy::Done;
}

Result<ReadBack> readBackMatches(int copyFd, const struct stat& source, std::uint64_t digest,
                                 const CopyHooks& hooks) {
  if (fdatasync(copyFd) != 0) return failureFromErrno();
  // Clean pages leave the cache, so the bytes below come from the disk.
  posix_fadvise(copyFd, 0, 0, POSIX_FADV_DONTNEED);
  if (hooks.beforeVerify) hooks.beforeVerify(copyFd);
  ContentHash hash;
  ChunkProgress progress(hooks, static_cast<std::uint64_t>(source.st_size));
  const Result<DataCopy> result =
      hashRegions(copyFd, static_cast<std::uint64_t>(source.st_size), hasHoles(source), hash,
                  [&](const char*, std::size_t, std::uint64_t) -> Result<DataCopy> {
                    return progress.keepGoing() ? DataCopy::Done : DataCopy::Stopped;
                  });
  if (!result) return Unexpected(result.error());
  if (*result == DataCopy::Stopped) return ReadBack::Stopped;
  return hash.digest() == digest ? ReadBack::Matches : ReadBack::Differs;
}

}  // namespace nuvelo
