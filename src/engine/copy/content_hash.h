#pragma once
// The XXH3-64 hash of a stream of bytes, for comparing a copy with its source.

#include <xxhash.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/posix/file_data.h"

namespace nuvelo {

class ContentHash {
 public:
  ContentHash() : state_(XXH3_createState(), &XXH3_freeState) { reset(); }

  void reset() { XXH3_64bits_reset(state_.get()); }
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

// Hashes the file's first `size` bytes from `start` on, region by region, a hole as the zeros it
// reads as, and hands each data chunk to `take` as well, which may stop the reading.
Result<DataCopy> hashRegions(int fd, std::uint64_t size, bool withHoles, ContentHash& hash,
                             const TakeChunk& take, std::uint64_t start = 0);

}  // namespace nuvelo
