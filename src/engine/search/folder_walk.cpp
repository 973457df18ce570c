#include "engine/search/folder_walk.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/ascii_text.h"
#include "platform/path_text.h"
#include "platform/posix/directory_stack.h"
#include "platform/posix/temporary_names.h"

namespace nuvelo {
namespace {

// The walk's unreadable folders go to the visitor, which the directory stack does not know.
UnreadableFolderSink unreadableSinkOf(WalkVisitor& visitor) {
  return [&visitor](const Failure& folder) { visitor.unreadable(folder); };
}

class Walk {
 public:
  Walk(const WalkFilter& filter, WalkMode mode, WalkVisitor& visitor)
      : filter_(filter),
        wholeFolder_(mode == WalkMode::WholeFolder),
        visitor_(visitor),
        stack_([&visitor] { visitor.poll(); }, unreadableSinkOf(visitor)) {
    for (const std::string& entry : filter.excludedSubfolders)
      excludedFolders_.push_back(filter.sourceText + entry);
    for (const std::string& extension : filter.excludedExtensions)
      excludedExtensions_.push_back("." + asciiLowered(extension));
  }

  void run(const std::string& root) {
    if (visitor_.abortRequested() || !stack_.openRoot(root)) return;
    while (!stack_.empty()) {
      const DirectoryEntry* entry = stack_.nextEntry();
      if (!entry) {
        stack_.leave();
        continue;
      }
      visitor_.entryRead();
      switch (kindOf(stack_.folder(), *entry)) {
        case EntryKind::Folder:
          visitFolder(entry->name);
          break;
        case EntryKind::File:
        case EntryKind::Link:
          visitFile(entry->name);
          break;
        case EntryKind::Skipped:
          break;
      }
    }
  }

 private:
  void visitFolder(const std::string& name) {
    if (!filter_.includeSubfolders && !wholeFolder_) return;
    if (name == "." || name == "..") return;
    const std::string full = joinPath(stack_.path(), name);
    if (std::find(excludedFolders_.begin(), excludedFolders_.end(), full) != excludedFolders_.end())
      return;
    if (isLeftOut(name)) return;
    struct stat st {};
    if (filter_.pickupFolder && !wholeFolder_ &&
        IsUpdatedSince(stack_.folder(), name.c_str(), filter_.since, &st)) {
      take(full, st);
      return;
    }
    // The walk notices an abort where it would start on a further folder.
    if (!visitor_.abortRequested()) stack_.enter(name);
  }

  // A regular file, or a symbolic link taken by its own time.
  void visitFile(const std::string& name) {
    if (isExcluded(name) || isTemporaryName(name)) return;
    struct stat st {};
    if (wholeFolder_) {
      if (fstatat(stack_.folder(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return;
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
    const EntryKind kind = S_ISDIR(st.st_mode)   ? EntryKind::Folder
                           : S_ISLNK(st.st_mode) ? EntryKind::Link
                                                 : EntryKind::File;
    visitor_.found({std::move(path), kind,
                    S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0,
                    st.st_mtim.tv_sec});
  }

  bool isExcluded(std::string_view name) const {
    if (excludedExtensions_.empty()) return false;
    const std::string extension = fileExtensionOf(name);
    return std::find(excludedExtensions_.begin(), excludedExtensions_.end(), extension) !=
           excludedExtensions_.end();
  }

  const WalkFilter& filter_;
  bool wholeFolder_;
  WalkVisitor& visitor_;
  DirectoryStack stack_;
  std::vector<std::string> excludedFolders_;
  std::vector<std::string> excludedExtensions_;
};

class Gatherer : public WalkVisitor {
 public:
  void found(WalkEntry entry) override { entries.push_back(std::move(entry)); }
  std::vector<WalkEntry> entries;
};

}  // namespace

void WalkFolder(const std::string& folder, const WalkFilter& filter, WalkMode mode,
                WalkVisitor& visitor) {
  Walk(filter, mode, visitor).run(folder);
}

std::vector<WalkEntry> walkEntries(const std::string& folder, const WalkFilter& filter,
                                   WalkMode mode) {
  Gatherer gatherer;
  WalkFolder(folder, filter, mode, gatherer);
  return std::move(gatherer.entries);
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
