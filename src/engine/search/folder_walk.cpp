#include "engine/search/folder_walk.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "engine/search/descriptor_budget.h"
#include "engine/search/parallel_walk.h"
#include "engine/search/walk_rules.h"
#include "platform/ascii_text.h"
#include "platform/path_text.h"
#include "platform/posix/directory_stack.h"

namespace nuvelo {
namespace {

// The walk's unreadable folders go to the visitor, which the directory stack does not know.
UnreadableFolderSink unreadableSinkOf(WalkVisitor& visitor) {
  return [&visitor](const Failure& folder) { visitor.unreadable(folder); };
}

class Walk {
 public:
  Walk(const WalkFilter& filter, WalkMode mode, WalkVisitor& visitor, std::size_t openFolders)
      : rules_(filter, mode),
        visitor_(visitor),
        stack_([&visitor] { visitor.poll(); }, unreadableSinkOf(visitor), openFolders) {}

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
    if (!rules_.entersSubfolders()) return;
    if (name == "." || name == ".." || rules_.skipsFolderNamed(name)) return;
    const std::string full = joinPath(stack_.path(), name);
    if (rules_.leavesOutFolder(full, name, WalkRules::Counting::Counted)) return;
    if (isLeftOut(name)) return;
    struct stat st {};
    if (rules_.takesChangedFolders() && lookUp(name, st) &&
        rules_.isUpdatedSince(stack_.path(), name, st.st_mtim.tv_sec, st.st_ctim.tv_sec)) {
      take(full, st);
      return;
    }
    // The walk notices an abort where it would start on a further folder.
    if (!visitor_.abortRequested()) stack_.enter(name);
  }

  // A regular file, or a symbolic link taken by its own time.
  void visitFile(const std::string& name) {
    if (rules_.skipsFileNamed(name, WalkRules::Counting::Counted)) return;
    struct stat st {};
    if (!lookUp(name, st)) return;
    if (rules_.wholeFolder() ||
        rules_.isUpdatedSince(stack_.path(), name, st.st_mtim.tv_sec, st.st_ctim.tv_sec))
      take(joinPath(stack_.path(), name), st);
  }

  // The entry itself, a link not followed; false when it vanished.
  bool lookUp(const std::string& name, struct stat& st) {
    return fstatat(stack_.folder(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  }

  bool isLeftOut(const std::string& name) {
    if (!rules_.hasLeftOutFolder()) return false;
    struct stat st {};
    return lookUp(name, st) && rules_.isLeftOut(st.st_dev, st.st_ino);
  }

  void take(std::string path, const struct stat& st) {
    visitor_.found(
        walkEntryOf(std::move(path), st.st_mode, st.st_size, st.st_mtim, st.st_ctim.tv_sec));
  }

  WalkRules rules_;
  WalkVisitor& visitor_;
  DirectoryStack stack_;
};

class Gatherer : public WalkVisitor {
 public:
  void found(WalkEntry entry) override { entries.push_back(std::move(entry)); }
  std::vector<WalkEntry> entries;
};

}  // namespace

void walkFolder(const std::string& folder, const WalkFilter& filter, WalkMode mode,
                WalkVisitor& visitor) {
  const unsigned threads = filter.threads > 0 ? filter.threads : automaticWalkThreads(folder);
  const std::size_t descriptors = runDescriptorBudget(filter.descriptors);
  if (threads <= 1)
    Walk(filter, mode, visitor, walkDescriptors(descriptors, 0).openFolders).run(folder);
  else
    walkInParallel(folder, filter, mode, visitor, threads, descriptors);
}

std::vector<WalkEntry> walkEntries(const std::string& folder, const WalkFilter& filter,
                                   WalkMode mode) {
  Gatherer gatherer;
  walkFolder(folder, filter, mode, gatherer);
  return std::move(gatherer.entries);
}

std::string fileExtensionOf(std::string_view name) {
  name = lastComponent(name);
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : asciiLowered(name.substr(dot));
}

}  // namespace nuvelo
