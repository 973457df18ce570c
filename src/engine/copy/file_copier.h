#pragma once
// Our one-file copier: a source file into a destination folder under its own name, through a
// temporary file that replaces the target only once it is complete, with the source's times,
// owner, permission bits, ACL and extended attributes as far as they grant no more than the
// source did. A symbolic link is copied as a link.

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/copy/dropped_attributes.h"
#include "engine/copy/overwrite_policy.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/file_data.h"
#include "platform/posix/temporary_files.h"
#include "platform/posix/temporary_names.h"

namespace nuvelo {

class CutCopy;

// The answer to the question whether an existing namesake is replaced.
enum class ReplaceAnswer { Replace, Keep, Stop };

// What became of one file of a copy run, from the copier up to the run's report.
enum class CopyKind {
  Copied,
  NotCopied,  // the policy leaves this file alone (a namesake exists and is never replaced)
  Declined,   // the user kept the existing file
  SameFile,   // the target is the source itself (same device and inode): never written
  Stopped,    // stopped at the question or between chunks; the target is as it was
  Failed,
  LinkLeftOut,  // a symbolic link the destination cannot keep, left out as the run was asked
};

struct CopyOutcome {
  using enum CopyKind;
  CopyKind kind = Failed;
  std::error_code code;  // why it failed: an errno value or a CopyError
  // Copied, but without what of its attributes the destination does not keep.
  DroppedAttributes attributesDropped{};
  // Failed once the copy had taken its name: another try would meet it as a namesake.
  bool afterPlacing = false;
  // Failed because the namesake it was to replace could not be kept (it stays in place).
  bool versionNotKept = false;
};

// Puts the finished temporary entry of the folder in place of its namesake `name`, keeping the
// namesake elsewhere first (see ReplacedVersions).
using ReplaceNamesake =
    std::function<CopyOutcome(int folderFd, const std::string& temporary, const std::string& name)>;

// Test seams and progress of one copy.
struct CopyHooks : DataCopyHooks {
  // Re-read the copy from the disk and compare it with the source before it is put in place.
  bool verify = false;
  // Called with the finished copy's descriptor just before it is read back (tests damage it).
  std::function<void(int copyFd)> beforeVerify = nullptr;
  // What the destination keeps besides content and last-write time: permission bits and
  // owner are not even tried where it keeps none, and links fail with a reason of their own.
  bool keepsAttributes = true;
  bool keepsLinks = true;
  // The file system sets the last-write time anew when a file is renamed: it is given again
  // once the copy is in place.
  bool timesLostByRename = false;
  // The destination folder has a default ACL, which a new file takes (true: not looked at).
  bool folderHasDefaultAcl = true;
  // Whether the run was aborted, asked while a copy waits before another try and while the kept
  // part of a cut copy is checked.
  std::function<bool()> abortRequested = nullptr;
  // Called with the kept part of a cut copy, reopened, just before it is checked (tests damage
  // it).
  std::function<void(int keptFd)> beforeResume = nullptr;
  // How a namesake is replaced; none: the copy is renamed over it, and it is gone.
  ReplaceNamesake replaceNamesake = nullptr;
  // Each copy is synced before it takes its name: a share stores it only when asked.
  bool syncBeforePlacing = false;
};

// Copies the entry at `source` (a regular file; a symbolic link is copied as a link) into the
// folder `folderFd` as `name`. An existing namesake is replaced silently, after `askReplace`
// answers Replace, or never, by `mode`; a folder in its place makes the copy fail, and the source
// itself in its place (SameFile) is left alone. A source that changes while it is copied is
// copied once more, then given up. Unless Copied, the target is as it was and the temporary
// file is gone.
CopyOutcome copyEntryInto(const std::string& source, int folderFd, const std::string& name,
                          ReplaceMode mode, const std::function<ReplaceAnswer()>& askReplace,
                          const CopyHooks& hooks = {});

// copyEntryInto in two steps, so that the decision (and its question) is taken on one thread
// and the writing may be done on another. The first step opens the source, looks at it and
// decides about the target; a link is copied there and then, being one request.
struct DecidedCopy {
  std::optional<CopyOutcome> settled;  // nothing is left to write: this is the outcome
  Descriptor from;                     // the open source
  struct stat looked {};               // what it looked like when it was opened
  bool replace = false;                // an existing namesake is replaced
};
// `lookedUp`, when given, is the target as the caller just looked it up (holding nothing when
// there is no entry of its name): it is not looked up again.
DecidedCopy decideEntryCopy(const std::string& source, int folderFd, const std::string& name,
                            ReplaceMode mode, const std::function<ReplaceAnswer()>& askReplace,
                            const CopyHooks& hooks = {},
                            const std::optional<struct stat>* lookedUp = nullptr);
// The second step: writes the decided copy through its temporary file and puts it in place.
// `askReplace` is asked only when a namesake appeared meanwhile. `cut`, when given, holds the
// kept part of an earlier try of the file to go on from, and keeps this try's temporary file
// when a failure that may pass cuts a large file short (see cut_copy.h).
CopyOutcome carryOutCopy(DecidedCopy& decided, const std::string& source, int folderFd,
                         const std::string& name, ReplaceMode mode,
                         const std::function<ReplaceAnswer()>& askReplace,
                         const CopyHooks& hooks = {}, CutCopy* cut = nullptr);

}  // namespace nuvelo
