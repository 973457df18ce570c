#include "engine/search/folder_walk.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/ascii_text.h"
#include "platform/path_text.h"
#include "platform/posix/temporary_names.h"
#include "platform/posix/directory_stack.h"

namespace nuvelo {
namespace {

class Walk {
 public:
  Walk(std::vector<std::string>& results, std::vector<FoundEntry>* found, const WalkFilter& filter,
       bool folderMode, const WalkControl& control)
      : results_(results),
        found_(found),
        filter_(filter),
        folderMode_(folderMode),
        control_(control),
        stack_(control.poll, control.unreadable) {
    for (const std::string& entry : filter.excludedSubfolders)
      excludedFolders_.push_back(filter.sourceText + entry);
    for (const std::string& extension : filter.excludedExtensions)
      excludedExtensions_.push_back("." + asciiLowered(extension));
  }

  void run(const std::string& root) {
    if (aborted() || !stack_.openRoot(root)) return;
    while (!stack_.empty()) {
      const DirectoryEntry* entry = stack_.nextEntry();
      if (!entry) {
        stack_.leave();
        continue;
      }
      if (control_.onEntry) control_.onEntry();
      switch (kindOf(stack_.folder(), *entry)) {
        case EntryKind::Folder: visitFolder(entry->name); break;
        case EntryKind::File:
        case EntryKind::Link: visitFile(entry->name); break;
        case EntryKind::Skipped: break;
      }
    }
  }

 private:
  bool aborted() const { return control_.aborted && control_.aborted(); }

  void visitFolder(const std::string& name) {
    if (!filter_.includeSubfolders && !folderMode_) return;
    if (name == "." || name == "..") return;
    const std::string full = joinPath(stack_.path(), name);
    if (std::find(excludedFolders_.begin(), excludedFolders_.end(), full) != excludedFolders_.end())
      return;
    if (isLeftOut(name)) return;
    struct stat st {};
    if (filter_.pickupFolder && !folderMode_ &&
        IsUpdatedSince(stack_.folder(), name.c_str(), filter_.since, &st)) {
      take(full, st);
      return;
    }
    // The walk notices an abort where it would start on a further folder.
    if (!aborted()) stack_.enter(name);
  }

  // A regular file, or a symbolic link taken by its own time.
  void visitFile(const std::string& name) {
    if (isExcluded(name) || isTemporaryName(name)) return;
    struct stat st {};
    if (folderMode_) {
      if (found_ && fstatat(stack_.folder(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return;
      take(joinPath(stack_.path(), name), st);
    } else if (IsUpdatedSince(stack_.folder(), name.c_str(), filter_.since, &st)) {
      take(joinPath(stack_.path(), name), st);
    }
  }

  bool isLeftOut(const std::string& name) {
    if (!filter_.leftOutFolder) return false;
    struct stat st {};
    return fstatat(stack_.folder(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           FileIdentity{st.st_dev, st.st_ino} == *filter_.leftOutFolder;
  }

  void take(std::string path, const struct stat& st) {
    results_.push_back(std::move(path));
    if (!found_) return;
    const bool link = S_ISLNK(st.st_mode);
    found_->push_back({S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0,
                       st.st_mtim.tv_sec, S_ISDIR(st.st_mode), link});
  }

  bool isExcluded(std::string_view name) const {
    if (excludedExtensions_.empty()) return false;
    const std::string extension = fileExtensionOf(name);
    return std::find(excludedExtensions_.begin(), excludedExtensions_.end(), extension) !=
           excludedExtensions_.end();
  }

  std::vector<std::string>& results_;
  std::vector<FoundEntry>* found_;
  const WalkFilter& filter_;
  bool folderMode_;
  const WalkControl& control_;
  DirectoryStack stack_;
  std::vector<std::string> excludedFolders_;
  std::vector<std::string> excludedExtensions_;
};

}  // namespace

void WalkFolder(const std::string& folder, std::vector<std::string>& resultList,
                const WalkFilter& filter, bool folderMode, const WalkControl& control,
                std::vector<FoundEntry>* found) {
  Walk(resultList, found, filter, folderMode, control).run(folder);
}

std::string fileExtensionOf(std::string_view name) {
  name = lastComponent(name);
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : asciiLowered(name.substr(dot));
}

bool IsUpdatedSince(int folderFd, const char* name, const SinceThreshold& since,
                    struct stat* lookup, bool followLinks) {
  struct stat own {};
  struct stat& st = lookup ? *lookup : own;
  return fstatat(folderFd, name, &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) == 0 &&
         since.passes(st.st_mtim);
}

}  // namespace nuvelo
