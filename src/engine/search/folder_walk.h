#pragma once
// The folder walk of the search and of the copy's folder rows.

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/search/exclusion_tally.h"
#include "engine/search/file_date.h"
#include "engine/search/waiting_files.h"
#include "platform/posix/directory_stack.h"
#include "platform/posix/filesystem.h"
#include "platform/result.h"

namespace nuvelo {

// The folder in which a copy keeps the files it replaced (engine/copy/replaced_versions.h):
// never walked, so that a search of a destination lists only what is current.
inline constexpr const char* VersionsFolderName = ".nuvelo-versions";

// What the walk takes and what it leaves out.
struct WalkFilter {
  bool includeSubfolders = true;  // the subfolder switch
  // The source folder's text; an excluded-subfolder entry names the folder at that path below
  // it ("obj", "/obj", "\\obj" and "obj/" all name the subfolder obj).
  std::string sourceText;
  std::vector<std::string> excludedSubfolders;
  std::vector<std::string> excludedExtensions;  // without the dot
  // Name patterns (engine/search/name_patterns.h): a file or folder whose own name one matches
  // is left out wherever it lies, a folder with everything below it.
  std::vector<std::string> excludedNames;
  bool perFolder = false;  // per-folder mode
  SinceThreshold since = SinceThreshold::forDay(0);
  // Files (and folders standing for every file below them) taken whatever their times: what
  // the job's earlier runs could not carry. None: no file waits.
  std::shared_ptr<const WaitingFiles> waiting;
  // A folder below the source that is neither entered nor listed: the destination of the
  // copy, when it lies inside the source, so that a backup does not take in its own copies.
  std::optional<FileIdentity> leftOutFolder;
  // Likewise the folder of the copy's kept versions, when the user named one below the source.
  std::optional<FileIdentity> leftOutVersions;
  // How many threads read folders and look entries up: 1 is the one-thread walk, 0 chooses by
  // the file system of the walked folder.
  unsigned threads = 0;
  // How many descriptors the walk (and a copy's threads) may hold open at once; 0: a quarter of
  // the process's limit (runDescriptorBudget).
  std::size_t descriptors = 0;
  // Where the walk counts what each exclusion left out; none: not counted.
  ExclusionTally* exclusionTally = nullptr;
};

// How the walk takes what it meets.
enum class WalkMode {
  Search,       // the date test, the subfolder switch and per-folder mode apply
  WholeFolder,  // a checked folder row of the copy: every file below it, whatever its date
  FolderSize,   // a folder row's size: every file below it, whatever its date or exclusions,
                // folders whose names begin with "." left out
};

// An entry the walk took, with what its look-up told, so the rows need not look it up again.
struct WalkEntry {
  std::string path;                  // the folder walked, then "/" and each name below it
  EntryKind kind = EntryKind::File;  // a file, a link (by its own time), or a folder taken whole
  std::int64_t bytes = 0;            // a regular file's size; folders and links count none
  std::int64_t modifiedSeconds = 0;
  std::int64_t changedSeconds = 0;       // the inode change time (ctime)
  std::int32_t modifiedNanoseconds = 0;  // the fraction of the last-write time's second
};

// Is told what the walk finds and meets, and is asked whether to go on.
class WalkVisitor {
 public:
  virtual ~WalkVisitor() = default;
  virtual void found(WalkEntry entry) = 0;
  // Asked where the walk would start on a further folder.
  virtual bool abortRequested() { return false; }
  // Once per enumerated entry, "." and ".." included.
  virtual void entryRead() {}
  // Now and then while a long folder listing is read.
  virtual void poll() {}
  // A folder that could not be listed (its path and an errno value); it contributes nothing.
  virtual void unreadable(const Failure& /*folder*/) {}
  // Whether the calling thread may read folders itself while it waits for the workers; not
  // for a window, whose thread must stay free for its events.
  virtual bool callingThreadMayRead() const { return true; }
};

// Walks `folder` depth first, each folder's entries in the order the file system gives them,
// and hands every entry that passes the filter to the visitor, on the calling thread and in
// that order whatever the number of threads that read. In WholeFolder mode every file
// that no exclusion removes is taken without the date test, subfolders are always entered and
// per-folder mode does not apply. A symbolic link is an entry of its own, taken by its own time
// and never followed (a link to a folder is not entered); special files (devices, pipes,
// sockets) and the copier's temporary files are skipped.
void walkFolder(const std::string& folder, const WalkFilter& filter, WalkMode mode,
                WalkVisitor& visitor);

// The entries of a walk, gathered (for callers that need neither progress nor an abort).
std::vector<WalkEntry> walkEntries(const std::string& folder, const WalkFilter& filter,
                                   WalkMode mode);

// The extension of a name: from its last "." to the end, the dot included, ASCII letters
// lower-cased; empty when there is no dot.
std::string fileExtensionOf(std::string_view name);

}  // namespace nuvelo
