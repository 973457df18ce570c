#pragma once
// The overwrite policies and the decision whether a file is copied.

#include <cstdint>
#include <ctime>

namespace nuvelo {

// The overwrite policy; its numbers are those the settings file stores and the detail
// settings' radio group shows.
enum OverwritePolicy : std::int32_t {
  OverwriteAlways = 0,   // "上書きする"
  OverwriteAsk = 1,      // "上書きするか確認する"
  OverwriteIfNewer = 2,  // "タイムスタンプが新しい時だけ上書き"
  OverwriteNever = 3,    // "コピーしない"
};

// The policy a stored number stands for. A number outside 0 to 3, which only a hand-edited
// settings file can hold, is taken as "newer only": the decision has always treated it so, and
// it replaces nothing that is not older.
OverwritePolicy overwritePolicyOf(std::int32_t stored);

// What the decision needs to know of the source and of its namesake at the destination.
struct EntryFacts {
  bool exists = false;
  bool folder = false;
  timespec modified{};
};

// Whether a source file is copied to a destination that may already hold a namesake. Always
// and Ask always copy (Ask asks before replacing); Never copies only where there is no
// namesake; IfNewer copies where there is no namesake or the source was written later, to the
// millisecond. A destination file system that keeps coarser times (FAT: 2 s)
// gives its granularity, so that a file copied there earlier counts as unchanged.
bool shouldCopy(const EntryFacts& source, const EntryFacts& target, OverwritePolicy overwrite,
                std::int64_t targetTimeGranularityMs = 1);

// The source was written later than its namesake at the destination, to the millisecond, the
// source's time cut to the destination's granularity first.
bool writtenLater(const timespec& source, const timespec& target,
                  std::int64_t targetTimeGranularityMs = 1);

// The policy for a file whose copy at the destination is damaged (a comparison found it of
// another size or with other bytes, though not older): "newer only" replaces it, since it does
// not hold what the source holds; the other policies stand, so "ask" asks and "never" keeps it.
OverwritePolicy policyForDamagedCopy(OverwritePolicy overwrite);

enum class ReplaceMode { Silent, Ask, Never };
ReplaceMode replaceModeOf(OverwritePolicy overwrite);

}  // namespace nuvelo
