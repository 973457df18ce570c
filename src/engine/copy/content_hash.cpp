#include "engine/copy/content_hash.h"

namespace nuvelo {

Result<DataCopy> hashRegions(int fd, std::uint64_t size, bool withHoles, ContentHash& hash,
                             const TakeChunk& take, std::uint64_t start) {
  RegionWalk walk(fd, size, withHoles, start);
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

}  // namespace nuvelo
