#include "engine/copy/verified_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/copy/content_hash.h"

namespace nuvelo {

Result<DataCopy> copyHashing(int from, int to, const struct stat& source, const CopyHooks& hooks,
                             ContentHash& hash, std::uint64_t start) {
  posix_fadvise(from, 0, 0, POSIX_FADV_SEQUENTIAL);
  const bool withHoles = hasHoles(source);
  ChunkProgress progress(hooks, start);
  const Result<DataCopy> result = hashRegions(from, static_cast<std::uint64_t>(source.st_size),
                                              withHoles, hash, writeInPlace(to, progress), start);
  if (result != DataCopy::Done) return result;
  if (withHoles && ftruncate(to, source.st_size) != 0) return failureFromErrno();
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
