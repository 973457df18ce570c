#include "engine/search/walk_rules.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/ascii_text.h"
#include "platform/posix/temporary_names.h"

namespace nuvelo {

WalkRules::WalkRules(const WalkFilter& filter, WalkMode mode)
    : filter_(filter),
      wholeFolder_(mode != WalkMode::Search),
      sizesOnly_(mode == WalkMode::FolderSize) {
  if (sizesOnly_) return;  // a folder's size counts everything below it
  for (const std::string& entry : filter.excludedSubfolders)
    excludedFolders_.push_back(filter.sourceText + entry);
  for (const std::string& extension : filter.excludedExtensions)
    excludedExtensions_.push_back("." + asciiLowered(extension));
}

bool WalkRules::isExcludedFolder(const std::string& path) const {
  return std::find(excludedFolders_.begin(), excludedFolders_.end(), path) !=
         excludedFolders_.end();
}

bool WalkRules::skipsFileNamed(std::string_view name) const {
  if (sizesOnly_) return false;
  if (isTemporaryName(name)) return true;
  if (excludedExtensions_.empty()) return false;
  const std::string extension = fileExtensionOf(name);
  return std::find(excludedExtensions_.begin(), excludedExtensions_.end(), extension) !=
         excludedExtensions_.end();
}

WalkEntry walkEntryOf(std::string path, mode_t mode, std::int64_t bytes,
                      std::int64_t modifiedSeconds) {
  const EntryKind kind = S_ISDIR(mode)   ? EntryKind::Folder
                         : S_ISLNK(mode) ? EntryKind::Link
                                         : EntryKind::File;
  return {std::move(path), kind, S_ISREG(mode) ? bytes : 0, modifiedSeconds};
}

}  // namespace nuvelo
