#pragma once
// The copy run, the same for the window and nuvelo-cli: the checks of the destination, the
// gathering of the sources still chosen (a folder stands for every file below it), and for each
// gathered file its destination folder, the overwrite decision and the copy; abort checks,
// counts, and whether the run may record its day. The front ends watch it through an observer:
// the window lets its events through and shows its boxes, the command line prints.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/copy/copy_runner.h"
#include "engine/search/search_run.h"

namespace nuvelo {

// One source of a copy run: a file (or a link) as itself, or a folder standing for every file
// below it.
struct CopySource {
  std::string path;
  bool isFolder = false;
  // The bytes it holds at most as its search listed them (a folder: its tree); none when not
  // known, so that a judge of the room looks at each file.
  std::optional<std::uint64_t> bytesAtMost;
};

// Whether the source at this index is still to be copied when the gathering reaches it: the
// window's check marks, which the user may change while the run gathers. Empty: every source.
using StillChosen = std::function<bool(std::size_t)>;

enum class DestinationState { NotGiven, Exists, Missing };
DestinationState destinationState(const std::string& destination);

// Creates the destination folder with every missing parent.
[[nodiscard]] Result<> makeDestination(const std::string& destination);

struct CopyRequest {
  DestinationRule rule;     // path mode and the source folder of the search
  std::string destination;  // the destination folder's text as the user gave it
  OverwritePolicy overwrite = OverwriteAsk;
  WalkFilter filter;                     // the exclusions that hold when a folder row is expanded
  bool dryRun = false;                   // decide and report, but write nothing
  bool verify = false;                   // re-read every copy before it is put in place
  std::optional<FileSystemRules> rules;  // given instead of learnt from the destination
  LinkMode links = LinkMode::Copy;       // a link the destination cannot keep: fail or leave out
  RetryPolicy retry;                     // a failure that may pass: how often, after what wait
  // Each file the copy replaces is kept below the versions root (replaced_versions.h).
  bool keepReplaced = false;
  std::string versionsFolder;  // versionsRootOf: empty for the destination's .nuvelo-versions
  // After the copy, the kept versions of runs older than this many days before the run's start
  // are removed; none: nothing is removed.
  std::optional<unsigned> pruneVersionsDays;
  // When the run started (its versions' folder is named after it); 0: when runCopy is called.
  std::time_t started = 0;
  // Test seam: called after each chunk a copy writes, on the thread that writes it (see
  // DataCopyHooks::chunkFault).
  std::function<int(std::uint64_t)> chunkFault;
  // What the run placed is on stable storage before runCopy returns (and so before anything of
  // the run is recorded). Off only to measure what that costs.
  bool flush = true;
  FlushWatch flushWatch;  // test seam: told of each sync of the flush before it is made
  // The files whose copies a comparison with the destination found damaged
  // (ComparisonFindings::damagedCopies): "newer only" replaces them too.
  std::shared_ptr<const DamagedCopies> damagedCopies;
  // Source files a comparison could not read: each is a failure of the run, told before the
  // gathering.
  std::vector<Failure> unreadableSources;
};

// The room the copy needs against the room the destination has, in bytes.
struct SpaceShortage {
  std::uint64_t needed = 0;
  std::uint64_t available = 0;
};

// How far a copy run has come: files done (whatever became of them) of all to copy, and their
// bytes, with the bytes of the file being copied so far. The bytes are counted only for an
// observer that asks for them (they cost a look-up of every file before the first copy).
struct CopyProgress {
  std::size_t filesDone = 0;
  std::size_t files = 0;
  std::uint64_t bytesDone = 0;
  std::uint64_t bytes = 0;
};

class CopyObserver : public virtual WalkObserver {
 public:
  // Gathering: after each source still chosen (a step of the progress).
  virtual void rowGathered() {}
  // Copying starts with this many files.
  virtual void copyStarting(std::size_t /*files*/) {}
  // An existing namesake at the destination: replace it, keep it, or stop the run.
  virtual ReplaceAnswer askReplace(const std::string& target) = 0;
  // A file (or a folder that could not be read while gathering) that could not be copied;
  // told before fileDone.
  virtual void copyFailed(const EntryReport&) {}
  // Now and then while a file's data is copied: the bytes of it copied so far.
  virtual void fileBytesCopied(std::uint64_t /*soFar*/) {}
  // After every gathered file, whatever became of it (a step of the progress).
  virtual void fileDone(const EntryReport&) {}
  // The files to copy need more room than the destination has: go on anyway?
  virtual bool proceedWithoutRoom(const SpaceShortage&) { return false; }
  // Whether the run is to count the bytes of its files for progress().
  virtual bool wantsBytes() const { return false; }
  // When copying starts, after each file, and after each chunk of a large one.
  virtual void progress(const CopyProgress&) {}
  // An abort flag that any thread of the run may read, where the front end has one: the files
  // being written then stop at their next chunk, and no new one starts, without waiting for the
  // run's own thread to pass the abort on.
  virtual const std::atomic<bool>* sharedAbortFlag() const { return nullptr; }
  // The files are placed; what they hold is now being written out to the drive, which on a
  // slow drive takes a while.
  virtual void flushing() {}
};

// What the destination's file system did not keep of the copies.
struct AttributesNote {
  std::string fileSystem;  // "exFAT", ...
  bool permissionBits = true;
  bool owners = true;
  bool acls = false;
  bool extendedAttributes = false;
};

struct CopyCounts {
  std::size_t copied = 0;
  std::size_t skipped = 0;  // left by the policy, declined at the question, or the source itself
  std::size_t failed = 0;
  // Of the skipped, the symbolic links left out because the destination cannot keep them.
  std::size_t linksLeftOut = 0;
};

// What the run did with the files whose copies were damaged (CopyRequest::damagedCopies).
struct DamagedCopyCounts {
  std::size_t replaced = 0;  // copied over the damaged copy (a dry run: would be)
  std::size_t kept = 0;      // left as they were: by the policy "never", or declined
};

// What the run did with the versions of the files it replaced.
struct VersionCounts {
  std::string root;                     // the versions root (versionsRootOf)
  std::size_t kept = 0;                 // files replaced and kept
  std::size_t pruned = 0;               // kept versions of older runs removed
  std::optional<Failure> pruneFailure;  // the first that could not be removed
};

struct CopyRunResult {
  bool aborted = false;
  bool refusedForRoom = false;  // ended before copying: too little room, and not to go on
  CopyCounts counts;
  DamagedCopyCounts damaged;
  VersionCounts versions;
  // Files were copied without attributes the destination does not keep: told once for the
  // run, not as a failure.
  std::optional<AttributesNote> attributesNote;
  std::vector<std::string> failedSources;  // in the order they failed
  // Of the failed sources, those that failed in a way no later run mends (isLastingFailure).
  std::vector<std::string> lastingFailures;
  // Of the failures, the folders that could not be read while a folder row was gathered.
  std::size_t unreadableFolders = 0;
  // The sizes of the files copied, counted for an observer that wantsBytes (0 otherwise).
  std::uint64_t bytesCopied = 0;
  // The copy list's first files, each told whatever became of it (the files are told in list
  // order): after an abort, the rest were not copied.
  std::size_t filesTold = 0;
  // Files of those told that were tried again after a failure that may pass, whatever became of
  // them then.
  std::size_t retried = 0;
  // Memory ran out: the run stopped there, with what it had done so far (no temporary file of
  // it is left behind); a file being copied then failed.
  bool outOfMemory = false;
  // What the run placed, brought onto stable storage; a failure there may have lost any of it.
  FlushResult flush;
  // Copied to its end: the job's day moves on, and what failed waits in its retry list.
  bool completed(bool dryRun) const {
    return !aborted && !refusedForRoom && !outOfMemory && !flush.failure && !dryRun;
  }
};

// The sources the run carried or deliberately left (copied, skipped by the policy, declined,
// the source itself): the files it told of that did not fail.
std::vector<std::string> carriedSources(const std::vector<std::string>& copyList,
                                        const CopyRunResult& result);

// Runs the copy of the sources still chosen, each asked as the gathering reaches it, through
// `copyList`, the run's list of source paths in copy order. The destination folder exists
// already. Memory that runs out anywhere in the run, on any of its threads, ends it with
// outOfMemory.
CopyRunResult runCopy(const std::vector<CopySource>& sources, const StillChosen& stillChosen,
                      const CopyRequest& request, CopyObserver& observer,
                      std::vector<std::string>& copyList);

}  // namespace nuvelo
