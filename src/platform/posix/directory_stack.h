#pragma once
// Depth-first traversal of a folder tree through descriptor-relative calls: no recursion on the
// native stack, any depth, any path length, and a bounded number of open descriptors.
//
// Each folder's entries are read in full when the folder is entered, in the order the file
// system gives them ("." and ".." included). Only the deepest folders keep their descriptor
// open; an ancestor whose descriptor was closed is opened again on the way back up and checked
// to be the same folder.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/result.h"
#include "platform/type_names.h"

namespace nuvelo {

struct DirectoryEntry {
  std::string name;
  unsigned char type;  // d_type: DT_DIR, DT_REG, DT_LNK, DT_UNKNOWN, ...
};

// What an entry is by the type its folder's listing gave (d_type); nothing when the listing gave
// none and only a look-up tells.
std::optional<EntryKind> kindOfType(unsigned char type);
std::optional<EntryKind> kindByType(const DirectoryEntry& entry);
// What an entry is by the mode a look-up of it told.
EntryKind kindOfMode(mode_t mode);
// What an entry is for the walks (see platform/type_names.h), looked up when its type is unknown.
EntryKind kindOf(int folderFd, const DirectoryEntry& entry);

// Hands every entry of the open folder `fd` to `take`, its name (valid during the call only) and
// its d_type, calling `poll` (when given) now and then; 0, or the errno value of the read that
// failed (the entries read before it were handed out).
using FolderEntrySink = std::function<void(std::string_view name, unsigned char type)>;
int forEachFolderEntry(int fd, const FolderEntrySink& take, const std::function<void()>& poll = {});

// Reads every entry of the open folder `fd` into `entries`, as forEachFolderEntry.
int readFolderEntries(int fd, std::vector<DirectoryEntry>& entries,
                      const std::function<void()>& poll = {});

// A folder that is gone, or is no folder any more, was not lost: there is nothing to list, and
// nothing to report.
bool folderVanished(int error);

// A folder that could not be listed: its path, and why (an errno value).
using UnreadableFolderSink = std::function<void(const Failure& folder)>;

class DirectoryStack {
 public:
  // poll: called now and then while a long folder listing is read; unreadable: told of each
  // folder that cannot be listed (or whose listing breaks off), but not of one that vanished
  // or turned into something else since its parent was read. openFolders: how many
  // descriptors stay open at most below the root.
  explicit DirectoryStack(std::function<void()> poll = {}, UnreadableFolderSink unreadable = {},
                          std::size_t openFolders = DefaultOpenFolders);
  ~DirectoryStack();
  DirectoryStack(const DirectoryStack&) = delete;
  DirectoryStack& operator=(const DirectoryStack&) = delete;

  // Starts at a folder given by its path; false (and an empty stack) when it cannot be listed.
  bool openRoot(const std::string& path);
  // Enters a subfolder of the current folder; false when it cannot be listed (a symbolic link
  // is never followed here).
  bool enter(std::string_view name);
  // Leaves the current folder for its parent.
  void leave();

  bool empty() const { return frames_.empty(); }
  std::size_t depth() const { return frames_.size(); }
  // The next entry of the current folder, or nullptr when it has none left.
  const DirectoryEntry* nextEntry();
  // A descriptor of the current folder, for look-ups of its entries; -1 if it vanished.
  int folder();
  // The current folder's path: the root's text followed by "/" and each entered name.
  const std::string& path() const { return path_; }

  static constexpr std::size_t DefaultOpenFolders = 64;

 private:
  struct Frame {
    Descriptor fd;
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<DirectoryEntry> entries;
    std::size_t next = 0;
    std::size_t pathLength = 0;  // length of path_ for this frame
  };

  bool readEntries(Frame& frame);
  bool adopt(Descriptor fd, std::size_t pathLength);
  void reportUnreadable(const std::string& path, int error) const;
  void reopen(std::size_t index, int childFd);

  std::function<void()> poll_;
  UnreadableFolderSink unreadable_;
  std::size_t openFolders_;
  std::vector<Frame> frames_;
  std::string path_;
};

}  // namespace nuvelo
