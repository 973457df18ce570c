#pragma once
// A copy that is checked: the source's bytes are hashed (XXH3-64) as they are copied through a
// buffer, and the finished copy is read back from the disk and hashed again before it is put in
// place. Both hashes cover the logical content: a hole counts as the zeros it reads as, so the
// two agree however the file systems lay out their holes.

#include <cstdint>

#include "engine/copy/content_hash.h"
#include "engine/copy/file_copier.h"
#include "platform/posix/file_data.h"

struct stat;

namespace nuvelo {

// Copies the source from `start` on into `to`, which holds its first `start` bytes already (none:
// it is empty), through a buffer, adding the bytes read to `hash`, which holds those first
// bytes; holes stay holes.
Result<DataCopy> copyHashing(int from, int to, const struct stat& source, const CopyHooks& hooks,
                             ContentHash& hash, std::uint64_t start = 0);

// How a read-back ended when nothing failed; a failure comes as the Result's error.
enum class ReadBack { Matches, Differs, Stopped };

// Writes the copy out, drops it from the page cache and reads it back, comparing its hash with
// the source's `digest`.
Result<ReadBack> readBackMatches(int copyFd, const struct stat& source, std::uint64_t digest,
                                 const CopyHooks& hooks);

}  // namespace nuvelo
