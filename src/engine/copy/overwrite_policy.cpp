#include "engine/copy/overwrite_policy.h"

namespace nuvelo {
namespace {

std::int64_t milliseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

std::int64_t floorTo(std::int64_t value, std::int64_t step) {
  const std::int64_t q = value / step;
  return (value % step < 0 ? q - 1 : q) * step;
}

}  // namespace

OverwritePolicy overwritePolicyOf(std::int32_t stored) {
  return stored >= OverwriteAlways && stored <= OverwriteNever
             ? static_cast<OverwritePolicy>(stored)
             : OverwriteIfNewer;
}

bool shouldCopy(const EntryFacts& source, const EntryFacts& target, OverwritePolicy overwrite,
                std::int64_t targetTimeGranularityMs) {
  if (overwrite == OverwriteAlways || overwrite == OverwriteAsk) return true;
  if (overwrite == OverwriteNever) return !target.exists;
  // Newer only. A source that cannot be found is handed to the copy, which reports it.
  if (!source.exists || source.folder || !target.exists || target.folder) return true;
  return writtenLater(source.modified, target.modified, targetTimeGranularityMs);
}

bool writtenLater(const timespec& source, const timespec& target,
                  std::int64_t targetTimeGranularityMs) {
  const std::int64_t step = targetTimeGranularityMs > 0 ? targetTimeGranularityMs : 1;
  return floorTo(milliseconds(source), step) > milliseconds(target);
}

OverwritePolicy policyForDamagedCopy(OverwritePolicy overwrite) {
  return overwrite == OverwriteIfNewer ? OverwriteAlways : overwrite;
}

ReplaceMode replaceModeOf(OverwritePolicy overwrite) {
  if (overwrite == OverwriteAsk) return ReplaceMode::Ask;
  if (overwrite == OverwriteNever) return ReplaceMode::Never;
  return ReplaceMode::Silent;
}

}  // namespace nuvelo
