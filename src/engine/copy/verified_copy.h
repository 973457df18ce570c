#pragma once
// A copy that is checked: the source's bytes are hashed (XXH3-64) as they are copied through a
// buffer, and the finished copy is read back from the disk and hashed again before it is put in
// place. Both hashes cover the logical content: a hole counts as the zeros it reads as, so the
// two agree however the file systems lay out their holes.

#include <cstdint>

#include "engine/copy/file_copier.h"
#include "platform/posix/file_data.h"

struct stat;

namespace nuvelo {

// Copies the source into the empty file `to` through a buffer and hands back the hash of the
// bytes read in `digest`; holes stay holes.
Result<DataCopy> copyHashing(int from, int to, const struct stat& source, const CopyHooks& hooks,
                             std::uint64_t& digest);

// How a read-back ended when nothing failed; a failure comes as the Result's error.
enum class ReadBack { Matches, Differs, Stopped };

// Writes the copy out, drops it from the page cache and reads it back, comparing its hash with
// the source's `digest`.
Result<ReadBack> readBackMatches(int copyFd, const struct stat& source, std::uint64_t digest,
                                 const CopyHooks& hooks);

}  // namespace nuvelo
