#pragma once
// One file of a copy run: where it lands, whether the policy copies it, and the copy.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

#include "engine/copy/copy_failure.h"
#include "engine/copy/copy_retry.h"
#include "engine/copy/destination_folders.h"
#include "engine/copy/destination_names.h"
#include "engine/copy/destination_path.h"
#include "engine/copy/file_copier.h"
#include "engine/copy/link_mode.h"
#include "engine/copy/placed_flush.h"
#include "engine/copy/replaced_versions.h"
#include "platform/posix/file_system_rules.h"

namespace nuvelo {

// The source files whose copies at the destination a comparison found damaged.
using DamagedCopies = std::unordered_set<std::string>;

struct CopySettings {
  DestinationRule rule;
  std::string destination;  // the destination folder's text as the user gave it
  OverwritePolicy overwrite = OverwriteAsk;
  bool verify = false;
  // The destination's rules when they are given rather than learnt from its file system (a
  // test double of a drive that folds case, keeps whole seconds, ...).
  std::optional<FileSystemRules> rules;
  // How a file whose copy failed in a way that may pass is tried again.
  RetryPolicy retry;
  // Where each replaced file is kept; none: a replaced file is gone.
  ReplacedVersions* versions = nullptr;
  // A symbolic link the destination cannot keep: tried (and failed), or left out.
  LinkMode links = LinkMode::Copy;
  // What the copy places is brought onto stable storage (flushPlaced): on a share each copy is
  // synced as it is placed. Off only to measure what that costs.
  bool flush = true;
  // Their copies are replaced under "newer only" too (policyForDamagedCopy).
  std::shared_ptr<const DamagedCopies> damagedCopies;
};

struct EntryReport {
  using enum CopyKind;
  CopyKind kind = Failed;
  std::string source;
  std::string target;   // destination folder + "/" + file name
  CopyFailure failure;  // for a failure: why
  // Copied, but without what of its attributes the destination does not keep.
  DroppedAttributes attributesDropped{};
  // Tried again after a failure that may pass (whatever became of it then).
  bool retried = false;
  // Its copy at the destination was found damaged (CopySettings::damagedCopies).
  bool damagedCopy = false;
};

// A file whose copy is decided and that is yet to be written: everything the writing needs,
// with a descriptor of its destination folder of its own, so another thread can write it.
struct PendingCopy {
  EntryReport report;
  std::string subpath;
  std::string name;
  // The folder's own descriptor, when it has one: shared by the files of one folder decided
  // one after the other, so that many files waiting to be written hold few descriptors.
  std::shared_ptr<const Descriptor> folder;
  int folderFd = -1;
  ReplaceMode mode = ReplaceMode::Never;
  CopyHooks hooks;
  DecidedCopy decided;
  const FileSystemRules* rules = nullptr;  // the destination folder's, owned by the runner
  // What another try needs: the destination folder's text, to open the folder anew, and the
  // policy, to decide anew about a namesake.
  std::string destination;
  OverwritePolicy overwrite = OverwriteAsk;
  RetryPolicy retry;
  // The folders another try made where a lost connection had kept the first from making them,
  // by their subpaths.
  std::vector<std::string> madeFolders;
};

// Whether writing the copy takes a writer's time: data to write, or a failure to try again
// after a wait.
bool needsAWriter(const PendingCopy& pending);

class CopyRunner {
 public:
  // askReplace: the question for one existing namesake (its path).
  CopyRunner(CopySettings settings,
             std::function<ReplaceAnswer(const std::string& target)> askReplace,
             CopyHooks hooks = {});

  // Makes the file's destination folder (also when the file is then not copied), decides by
  // the policy and copies.
  EntryReport copy(const std::string& source);
  // copy() in three steps, for copies written on other threads: decide() does everything up to
  // the writing on the calling thread (folders, names, the policy and its question) and gives
  // either the file's report or the copy to write; write() writes it (on any thread, asking
  // `askAgain` only when a namesake appeared meanwhile); placed() tells the runner, on the
  // calling thread again, what became of it.
  std::variant<EntryReport, PendingCopy> decide(const std::string& source);
  // A file whose copy fails in a way that may pass is tried again by the settings' retry
  // policy, within write(): its folder and its source opened anew, its namesake decided anew.
  static EntryReport write(PendingCopy& pending, const std::function<ReplaceAnswer()>& askAgain);
  void placed(const PendingCopy& pending, const EntryReport& written);
  // Two files with the same key would land on the same destination entry (or one the
  // destination folds into it); the second is decided only once the first is written.
  std::string targetKey(const std::string& source);
  // What copy() would do, without touching the destination: Copied means it would copy
  // (perhaps after asking), NotCopied that the policy leaves the file alone.
  EntryReport plan(const std::string& source);
  // Gives the folders this runner made the modes, ACLs, attributes and times of their source
  // folders; call once the last file is in. Tells what of them the destination did not keep.
  DroppedAttributes finish();

  // Brings what this runner placed onto stable storage (see PlacedFlush); call after finish().
  FlushResult flushPlaced(const FlushWatch& watch = {});
  bool placedAnything() const { return flush_.anyPlaced(); }

  const CopySettings& settings() const { return settings_; }
  // The rules of the destination folder's file system: tried out with a probe file by a copy,
  // told by its type for a plan (which writes nothing).
  const FileSystemRules& destinationRules();

 private:
  EntryReport reportFor(const std::string& source) const;
  // A symbolic link where the destination keeps none: left out or failed, by the settings'
  // links; false for any other source.
  bool settledAsUnkeptLink(EntryReport& report, const FileSystemRules& rules) const;
  // The policy that decides the file of the report.
  OverwritePolicy overwriteFor(const EntryReport& report) const;
  // decide(); the pending copy keeps the runner's open folder, or a descriptor of its own.
  std::variant<EntryReport, PendingCopy> decideCopy(const std::string& source, bool ownFolder);
  PendingCopy pendingCopy(EntryReport report, const std::string& subpath, const std::string& name,
                          const FileSystemRules& rules);
  static CopyOutcome writeWithRetries(PendingCopy& pending,
                                      const std::function<ReplaceAnswer()>& askAgain,
                                      bool& retried);
  static CopyOutcome tryAgain(PendingCopy& pending, const std::function<ReplaceAnswer()>& askAgain,
                              CutCopy& cut);
  // The rules of the folder's file system; `subpath`: the folder below the destination.
  const FileSystemRules& rulesAt(int folderFd, bool probe, const std::string& subpath);
  const FileSystemRules& rulesOf(int folderFd, bool probe);
  const FileSystemRules& folderRules(const std::string& subpath, int folderFd);
  // Why the file cannot be stored at all: a name the destination does not take, or a size
  // beyond what it holds; nothing when it can.
  std::optional<CopyFailure> unstorable(const std::string& source, const std::string& subpath,
                                        const std::string& name, const FileSystemRules& rules);

  CopySettings settings_;
  std::function<ReplaceAnswer(const std::string&)> askReplace_;
  CopyHooks hooks_;
  DestinationFolders folders_;
  DestinationNames names_;
  KnownEntries known_;  // for the copies written on other threads
  std::unordered_map<dev_t, FileSystemRules> rules_;
  PlacedFlush flush_;
  bool probes_ = true;  // false once the runner only plans
  const FileSystemRules* rootRules_ = nullptr;
  const FileSystemRules* lastRules_ = nullptr;
  std::string lastSubpath_;
  // The last folder's default ACL, which its new files take (then taken from them where their
  // source has no ACL of its own); true until a folder is looked at.
  bool lastFolderHasDefaultAcl_ = true;
  // The own descriptor of the folder of the file decided last, for the files after it there.
  std::shared_ptr<const Descriptor> ownFolder_;
  std::string ownFolderSubpath_;
};

// Why a file of `bytes` cannot be stored under the rules, or nothing.
std::optional<SizeRefusal> sizeRefusal(std::uint64_t bytes, const FileSystemRules& rules);

}  // namespace nuvelo
