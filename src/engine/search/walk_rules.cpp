#include "engine/search/walk_rules.h"

#include <sys/stat.h>

#include <algorithm>

#include "engine/search/name_patterns.h"
#include "platform/ascii_text.h"
#include "platform/path_text.h"
#include "platform/posix/temporary_names.h"

namespace nuvelo {

WalkRules::WalkRules(const WalkFilter& filter, WalkMode mode)
    : filter_(filter),
      wholeFolder_(mode != WalkMode::Search),
      sizesOnly_(mode == WalkMode::FolderSize) {
  if (sizesOnly_) return;  // a folder's size counts everything below it
  for (const std::string& entry : filter.excludedSubfolders) {
    const std::string below = subfolderEntryOf(entry);
    // An empty entry would name the source folder itself, which is no subfolder.
    excludedFolders_.push_back(below.size() > 1 ? joinPath(filter.sourceText, below.substr(1))
                                                : filter.sourceText);
  }
  for (const std::string& extension : filter.excludedExtensions)
    excludedExtensions_.push_back("." + asciiLowered(extension));
  excludedNames_ = filter.excludedNames;
}

namespace {

// Whether `value` is in the list, counting each entry it matches in `tally` where given.
bool countedMatch(const std::vector<std::string>& list, const std::string& value,
                  std::vector<std::atomic<std::uint64_t>>* tally) {
  bool matched = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] != value) continue;
    matched = true;
    if (tally) (*tally)[i].fetch_add(1, std::memory_order_relaxed);
  }
  return matched;
}

}  // namespace

bool WalkRules::leavesOutFolder(const std::string& path, std::string_view name,
                                Counting counting) const {
  if (excludedFolders_.empty() && excludedNames_.empty()) return false;
  // A counted decision asks every exclusion, so that each one that fits is counted as met.
  const bool byPath = isExcludedFolder(path, counting);
  if (byPath && counting == Counting::Uncounted) return true;
  return matchesExcludedName(name, counting) || byPath;
}

bool WalkRules::skipsFileNamed(std::string_view name, Counting counting) const {
  if (sizesOnly_) return false;
  if (isTemporaryName(name)) return true;
  const bool byExtension = hasExcludedExtension(name, counting);
  if (byExtension && counting == Counting::Uncounted) return true;
  return matchesExcludedName(name, counting) || byExtension;
}

bool WalkRules::isExcludedFolder(const std::string& path, Counting counting) const {
  if (excludedFolders_.empty()) return false;
  ExclusionTally* tally = tallyFor(counting);
  return countedMatch(excludedFolders_, path, tally ? &tally->folders : nullptr);
}

bool WalkRules::hasExcludedExtension(std::string_view name, Counting counting) const {
  if (excludedExtensions_.empty()) return false;
  ExclusionTally* tally = tallyFor(counting);
  return countedMatch(excludedExtensions_, fileExtensionOf(name),
                      tally ? &tally->extensions : nullptr);
}

bool WalkRules::matchesExcludedName(std::string_view name, Counting counting) const {
  if (excludedNames_.empty()) return false;
  ExclusionTally* tally = tallyFor(counting);
  bool matched = false;
  for (std::size_t i = 0; i < excludedNames_.size(); ++i) {
    if (!matchesNamePattern(excludedNames_[i], name)) continue;
    matched = true;
    if (!tally) return true;
    tally->names[i].fetch_add(1, std::memory_order_relaxed);
  }
  return matched;
}

bool WalkRules::isUpdatedSince(std::string_view folderPath, std::string_view name,
                               std::int64_t modifiedSeconds, std::int64_t changedSeconds) const {
  return filter_.since.passes(modifiedSeconds, changedSeconds) || waits(folderPath, name);
}

bool WalkRules::waits(std::string_view folderPath, std::string_view name) const {
  const WaitingFiles* waiting = filter_.waiting.get();
  if (!waiting || waiting->empty()) return false;
  if (folderPath != waitingAskedFor_) {
    waitingAskedFor_ = folderPath;
    waitingFolder_ = waiting->coversFolder(folderPath);
  }
  return waitingFolder_ || waiting->contains(joinPath(folderPath, name));
}

std::string subfolderEntryOf(std::string text) {
  if (!text.empty() && text.front() == '\\') std::replace(text.begin(), text.end(), '\\', '/');
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text.empty() || text.front() == '/' ? text : "/" + text;
}

WalkEntry walkEntryOf(std::string path, mode_t mode, std::int64_t bytes, const timespec& modified,
                      std::int64_t changedSeconds) {
  const EntryKind kind = S_ISDIR(mode)   ? EntryKind::Folder
                         : S_ISLNK(mode) ? EntryKind::Link
                                         : EntryKind::File;
  return {std::move(path), kind,           S_ISREG(mode) ? bytes : 0,
          modified.tv_sec, changedSeconds, static_cast<std::int32_t>(modified.tv_nsec)};
}

}  // namespace nuvelo
