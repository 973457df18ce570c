#pragma once
// The folder walk of the search and of the copy's folder rows.

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/filesystem.h"
#include "platform/posix/directory_stack.h"
#include "engine/search/file_date.h"

namespace nuvelo {

// What the walk takes and what it leaves out.
struct WalkFilter {
  bool includeSubfolders = true;  // the subfolder switch
  // The source folder's text; an excluded-subfolder entry names the folder whose path is this
  // text followed by the entry.
  std::string sourceText;
  std::vector<std::string> excludedSubfolders;
  std::vector<std::string> excludedExtensions;  // without the dot
  bool pickupFolder = false;  // per-folder mode
  SinceThreshold since = SinceThreshold::forDay(0);
  // A folder below the source that is neither entered nor listed: the destination of the
  // copy, when it lies inside the source, so that a backup does not take in its own copies.
  std::optional<FileIdentity> leftOutFolder;
};

// What the walk learnt of a path it took: the look-up of its date test, so the rows need not
// look every path up again.
struct FoundEntry {
  std::int64_t bytes = 0;  // a regular file's size; folders and links count none
  std::int64_t modifiedSeconds = 0;
  bool folder = false;
  bool link = false;  // a symbolic link, by its own time
};

// How the walk hands control back while it runs.
struct WalkControl {
  std::function<bool()> aborted;  // asked where the walk would start on a folder
  std::function<void()> onEntry;         // once per enumerated entry, "." and ".." included
  std::function<void()> poll;            // now and then while a long folder listing is read
  UnreadableFolderSink unreadable;       // each folder that could not be listed
};

// Appends to resultList the full path of every file under `folder` that passes the filter, in
// depth-first order, each folder's entries in the order the file system gives them. In folder
// mode every file that no exclusion removes is taken without the date test, subfolders are
// always entered and per-folder mode does not apply. A symbolic link is an entry of its own,
// taken by its own time and never followed (a link to a folder is not entered); special files
// (devices, pipes, sockets) and the copier's temporary files are skipped. A folder that
// cannot be listed contributes nothing and is told to control.unreadable.
// With `found`, each path's FoundEntry is appended there too, at the same index.
void WalkFolder(const std::string& folder, std::vector<std::string>& resultList,
                const WalkFilter& filter, bool folderMode, const WalkControl& control,
                std::vector<FoundEntry>* found = nullptr);

// The extension of a name: from its last "." to the end, the dot included, ASCII letters
// lower-cased; empty when there is no dot.
std::string fileExtensionOf(std::string_view name);

// The date test: the entry (a symbolic link itself, unless followLinks) was last written on
// or after the threshold day. A look-up that fails (the entry vanished) does not pass. The
// look-up goes to `lookup` when given.
bool IsUpdatedSince(int folderFd, const char* name, const SinceThreshold& since,
                    struct stat* lookup = nullptr, bool followLinks = false);

}  // namespace nuvelo
