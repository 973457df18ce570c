#pragma once
// The overwrite policies and the decision whether a file is copied.

#include <cstdint>
#include <ctime>

namespace nuvelo {

enum OverwritePolicy : std::int32_t {
  OverwriteAlways = 0,      // "上書きする"
  OverwriteAsk = 1,         // "上書きするか確認する"
  OverwriteIfNewer = 2,     // "タイムスタンプが新しい時だけ上書き"
  OverwriteNever = 3,       // "コピーしない"
};

// What the decision needs to know of the source and of its namesake at the destination.
struct EntryFacts {
  bool exists = false;
  bool folder = false;
  timespec modified{};
};

// Whether a source file is copied to a destination that may already hold a namesake. Policies
// 0 and 1 always copy (1 asks before replacing); 3 copies only where there is no namesake;
// 2, and any value outside 0 to 3, copies where there is no namesake or the source was written
// later, to the millisecond. A destination file system that keeps coarser times (FAT: 2 s)
// gives its granularity, so that a file copied there earlier counts as unchanged.
bool ShouldCopy(const EntryFacts& source, const EntryFacts& target, std::int32_t overwrite,
                std::int64_t targetTimeGranularityMs = 1);

enum class ReplaceMode { Silent, Ask, Never };
ReplaceMode replaceModeOf(std::int32_t overwrite);

}  // namespace nuvelo
