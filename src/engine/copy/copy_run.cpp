#include "engine/copy/copy_run.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <new>
#include <optional>
#include <unordered_set>

#include "engine/copy/background_writeback.h"
#include "engine/copy/copy_errors.h"
#include "engine/copy/copy_list.h"
#include "engine/copy/parallel_copies.h"
#include "engine/copy/version_history.h"
#include "engine/search/descriptor_budget.h"
#include "platform/path_text.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

EntryReport failedReport(const Failure& failure, std::string target) {
  EntryReport report;
  report.kind = EntryReport::Failed;
  report.source = failure.path;
  report.target = std::move(target);
  report.failure = {failure.code, {}};
  return report;
}

// A folder that could not be read while a folder row was expanded: its files are not carried,
// so it counts as a failure of the run.
EntryReport unreadableFolderReport(const UnreadableFolder& folder, const CopyRequest& request) {
  return failedReport(folder, destFolderOf(folder.path + "/", request.destination, request.rule));
}

// A source file a comparison could not read: nothing proves its copy, so it is a failure too.
EntryReport unreadableSourceReport(const Failure& source, const CopyRequest& request) {
  return failedReport(source, joinPath(destFolderOf(source.path, request.destination, request.rule),
                                       fileNameOf(source.path, request.rule.style)));
}

// Each source file a comparison could not read, told as a failure of the run.
void tellUnreadableSources(const CopyRequest& request, CopyObserver& observer,
                           CopyRunResult& result) {
  for (const Failure& source : request.unreadableSources) {
    ++result.counts.failed;
    result.failedSources.push_back(source.path);
    observer.copyFailed(unreadableSourceReport(source, request));
  }
}

// The run's note, told once, gathers what any copy or made folder went without.
void noteDropped(const DroppedAttributes& dropped, CopyRunner& runner, CopyRunResult& result) {
  if (!dropped.any()) return;
  const FileSystemRules& rules = runner.destinationRules();
  if (!result.attributesNote) result.attributesNote = AttributesNote{rules.name, false, false};
  AttributesNote& note = *result.attributesNote;
  if (dropped.permissionBits) {
    // Where permission bits are not kept, the owner is not even tried (see CopyHooks).
    note.permissionBits |= !rules.keepsPermissions;
    note.owners |= !rules.keepsPermissions || !rules.keepsOwners;
    // A file system that refused the bits against its rules.
    note.permissionBits |= !note.owners;
  }
  note.acls |= dropped.acls;
  note.extendedAttributes |= dropped.extendedAttributes;
}

void countDamaged(const EntryReport& report, DamagedCopyCounts& damaged) {
  if (!report.damagedCopy) return;
  if (report.kind == EntryReport::Copied) ++damaged.replaced;
  if (report.kind == EntryReport::NotCopied || report.kind == EntryReport::Declined) ++damaged.kept;
}

void count(const EntryReport& report, CopyCounts& counts) {
  switch (report.kind) {
    case EntryReport::Copied:
      ++counts.copied;
      break;
    case EntryReport::NotCopied:
    case EntryReport::Declined:
    case EntryReport::SameFile:
      ++counts.skipped;
      break;
    case EntryReport::LinkLeftOut:
      ++counts.skipped;
      ++counts.linksLeftOut;
      break;
    case EntryReport::Failed:
      ++counts.failed;
      break;
    case EntryReport::Stopped:
      break;
  }
}

// The folders' files join the list; their unreadable folders are failures of the run.
class GatherWalk : public ObservedWalk {
 public:
  GatherWalk(CopyObserver& observer, const CopyRequest& request, CopyRunResult& result,
             std::vector<std::string>& list)
      : ObservedWalk(observer, [&list](WalkEntry e) { list.push_back(std::move(e.path)); }),
        observer_(observer),
        request_(request),
        result_(result) {}
  void unreadable(const Failure& folder) override {
    const EntryReport report = unreadableFolderReport(folder, request_);
    ++result_.counts.failed;
    ++result_.unreadableFolders;
    result_.failedSources.push_back(report.source);
    observer_.copyFailed(report);
  }

 private:
  CopyObserver& observer_;
  const CopyRequest& request_;
  CopyRunResult& result_;
};

// Gathers the sources still chosen; nothing when an abort came meanwhile.
std::optional<GatheredBytes> gather(const std::vector<CopySource>& sources,
                                    const StillChosen& stillChosen, const CopyRequest& request,
                                    CopyObserver& observer, std::vector<std::string>& list,
                                    CopyRunResult& result) {
  GatherWalk walk(observer, request, result, list);
  const GatheredBytes bytes = gatherCopyList(
      sources, stillChosen, request.filter, walk, [&observer] { observer.rowGathered(); }, list);
  if (observer.abortRequested()) return std::nullopt;
  return bytes;
}

std::uint64_t sizeOf(const std::string& path) {
  struct stat st {};
  return lookUpEntry(path, st, false) && S_ISREG(st.st_mode)
             ? static_cast<std::uint64_t>(st.st_size)
             : 0;
}

// The room the files the policy copies need beyond what the namesakes they replace free; a
// namesake that is kept among the versions frees nothing.
std::uint64_t roomNeeded(const std::vector<std::string>& list, const CopyRequest& request) {
  // A plan writes nothing, so it has nothing to try again.
  CopyRunner planner({request.rule,
                      request.destination,
                      request.overwrite,
                      false,
                      request.rules,
                      {0, {}},
                      nullptr,
                      request.links,
                      false,
                      request.damagedCopies},
                     {});
  std::uint64_t needed = 0;
  for (const std::string& source : list) {
    const EntryReport plan = planner.plan(source);
    if (plan.kind != EntryReport::Copied) continue;
    const std::uint64_t size = sizeOf(source),
                        replaced = request.keepReplaced ? 0 : sizeOf(plan.target);
    if (size > replaced) needed += size - replaced;
  }
  return needed;
}

std::optional<SpaceShortage> spaceShortage(const GatheredBytes& listed,
                                           const std::vector<std::string>& list,
                                           const CopyRequest& request) {
  struct statvfs fs {};
  // A file system that tells no size (some in user space give all zeros) cannot be judged.
  if (statvfs(request.destination.c_str(), &fs) != 0 || fs.f_blocks == 0) return std::nullopt;
  SpaceShortage shortage;
  shortage.available = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  // The sizes the search listed bound the need without a look at any file; only when they
  // exceed the room, or are not known, is each file looked at.
  if (listed.known && listed.atMost <= shortage.available) return std::nullopt;
  shortage.needed = roomNeeded(list, request);
  if (shortage.needed <= shortage.available) return std::nullopt;
  return shortage;
}

// Each file's size, looked up before the copy starts, for the progress in bytes.
std::vector<std::uint64_t> sizesOf(const std::vector<std::string>& list) {
  std::vector<std::uint64_t> sizes;
  sizes.reserve(list.size());
  for (const std::string& source : list) sizes.push_back(sizeOf(source));
  return sizes;
}

// The run's progress: files and bytes done, the running file's chunks counted until it ends.
class ProgressCount {
 public:
  ProgressCount(CopyObserver& observer, const std::vector<std::string>& list)
      : observer_(observer), sizes_(observer.wantsBytes() ? sizesOf(list) : decltype(sizes_){}) {
    progress_.files = list.size();
    for (const std::uint64_t size : sizes_) progress_.bytes += size;
  }
  void start() { observer_.progress(progress_); }
  void chunk(std::uint64_t fileBytesSoFar) {
    if (sizes_.empty()) return;
    CopyProgress now = progress_;
    now.bytesDone += std::min(fileBytesSoFar, sizes_[progress_.filesDone]);
    observer_.progress(now);
  }
  // The file's size, where the bytes are counted.
  std::uint64_t fileDone() {
    const std::uint64_t size = sizes_.empty() ? 0 : sizes_[progress_.filesDone];
    progress_.bytesDone += size;
    ++progress_.filesDone;
    observer_.progress(progress_);
    return size;
  }

 private:
  CopyObserver& observer_;
  const std::vector<std::uint64_t> sizes_;
  CopyProgress progress_;
};

// What became of one file, into the run's counts and to the observer.
void tell(const EntryReport& report, CopyRunner& runner, CopyObserver& observer,
          ProgressCount& progress, CopyRunResult& result) {
  count(report, result.counts);
  countDamaged(report, result.damaged);
  if (report.retried) ++result.retried;
  noteDropped(report.attributesDropped, runner, result);
  if (report.kind == EntryReport::Failed) {
    result.failedSources.push_back(report.source);
    if (isLastingFailure(report.failure.code)) result.lastingFailures.push_back(report.source);
    observer.copyFailed(report);
  }
  ++result.filesTold;
  observer.fileDone(report);
  const std::uint64_t size = progress.fileDone();
  if (report.kind == EntryReport::Copied) result.bytesCopied += size;
}

// One file after the other: decided, written and told before the next.
void copyInTurn(const std::vector<std::string>& list, const CopyRequest& request,
                CopyRunner& runner, CopyObserver& observer, ProgressCount& progress,
                CopyRunResult& result) {
  for (const std::string& source : list) {
    if (observer.abortRequested()) {
      result.aborted = true;
      break;
    }
    const EntryReport report = request.dryRun ? runner.plan(source) : runner.copy(source);
    if (report.kind == EntryReport::Stopped) {
      result.aborted = true;
      break;
    }
    tell(report, runner, observer, progress, result);
  }
}

// Several files written at once; decided and told one after the other on this thread. The
// progress moves as files are told, and within the first file of the list while it is waited for.
void copyAtOnce(const std::vector<std::string>& list, const CopyDescriptors& held,
                CopyRunner& runner, CopyObserver& observer, ProgressCount& progress,
                CopyRunResult& result, ParallelCopies*& running) {
  CopyCaller caller;
  caller.poll = [&observer] { observer.poll(); };
  caller.abortRequested = [&observer] { return observer.abortRequested(); };
  caller.askReplace = [&observer](const std::string& target) {
    return observer.askReplace(target);
  };
  caller.tell = [&](const EntryReport& report) {
    tell(report, runner, observer, progress, result);
  };
  caller.firstFileProgress = [&](std::uint64_t bytesSoFar) {
    progress.chunk(bytesSoFar);
    observer.fileBytesCopied(bytesSoFar);
  };
  caller.abortFlag = observer.sharedAbortFlag();
  ParallelCopies copies(runner, held.writers, held.ahead, std::move(caller));
  running = &copies;
  for (const std::string& source : list) {
    if (observer.abortRequested()) copies.stop();
    if (copies.stopped()) break;
    copies.add(source);
  }
  copies.drain();
  running = nullptr;
  copies.throwFailure();
  if (copies.stopped()) result.aborted = true;
}

// The files of the list, one after the other or several at once as the request's threads and
// the run's descriptors allow; memory that runs out stops the copy with what it did so far.
void copyFiles(const std::vector<std::string>& list, const CopyRequest& request, CopyRunner& runner,
               CopyObserver& observer, ProgressCount& progress, CopyRunResult& result,
               ParallelCopies*& running) {
  const unsigned threads =
      request.dryRun ? 1 : copyThreads(request.filter.threads, request.destination);
  const CopyDescriptors held =
      threads <= 1 ? CopyDescriptors{}
                   : copyDescriptors(runDescriptorBudget(request.filter.descriptors), threads);
  try {
    if (held.writers == 0)
      copyInTurn(list, request, runner, observer, progress, result);
    else
      copyAtOnce(list, held, runner, observer, progress, result, running);
  } catch (const std::bad_alloc&) {
    running = nullptr;
    result.outOfMemory = true;
  }
}

// Removes the versions of runs older than the request's days before the run's start.
void pruneOldVersions(const CopyRequest& request, std::time_t started, VersionCounts& counts) {
  constexpr std::time_t Day = 24 * 60 * 60;
  const std::time_t before = started - static_cast<std::time_t>(*request.pruneVersionsDays) * Day;
  const PruneResult pruned =
      pruneVersions(versionsRootOf(request.destination, request.versionsFolder), before);
  counts.pruned = pruned.versions;
  counts.pruneFailure = pruned.failure;
}

}  // namespace

std::vector<std::string> carriedSources(const std::vector<std::string>& copyList,
                                        const CopyRunResult& result) {
  const std::unordered_set<std::string> failed(result.failedSources.begin(),
                                               result.failedSources.end());
  std::vector<std::string> carried;
  const std::size_t told = std::min(result.filesTold, copyList.size());
  for (std::size_t i = 0; i < told; ++i)
    if (!failed.contains(copyList[i])) carried.push_back(copyList[i]);
  return carried;
}

DestinationState destinationState(const std::string& destination) {
  if (destination.empty()) return DestinationState::NotGiven;
  return isExistingFolder(destination) ? DestinationState::Exists : DestinationState::Missing;
}

Result<> makeDestination(const std::string& destination) {
  return makeFolders(destination);
}

namespace {

void runCopyInto(CopyRunResult& result, const std::vector<CopySource>& sources,
                 const StillChosen& stillChosen, const CopyRequest& request, CopyObserver& observer,
                 std::vector<std::string>& list) {
  list.clear();
  tellUnreadableSources(request, observer, result);
  const std::optional<GatheredBytes> listed =
      gather(sources, stillChosen, request, observer, list, result);
  if (!listed) {
    result.aborted = true;
    return;
  }

  if (!request.dryRun) {
    if (const auto shortage = spaceShortage(*listed, list, request);
        shortage && !observer.proceedWithoutRoom(*shortage)) {
      result.refusedForRoom = true;
      return;
    }
  }

  const std::time_t started = request.started ? request.started : std::time(nullptr);
  std::optional<ReplacedVersions> versions;
  if (request.keepReplaced && !request.dryRun)
    versions.emplace(request.destination, request.versionsFolder, started);
  CopySettings settings{request.rule,
                        request.destination,
                        request.overwrite,
                        request.verify,
                        request.rules,
                        request.retry,
                        versions ? &*versions : nullptr,
                        request.links,
                        request.flush && !request.dryRun,
                        request.damagedCopies};
  ProgressCount progress(observer, list);
  CopyHooks hooks;
  hooks.poll = [&observer] { observer.poll(); };
  hooks.afterChunk = [&observer, &progress](std::uint64_t fileBytesSoFar) {
    progress.chunk(fileBytesSoFar);
    observer.fileBytesCopied(fileBytesSoFar);
    return !observer.abortRequested();
  };
  hooks.abortRequested = [&observer] { return observer.abortRequested(); };
  hooks.chunkFault = request.chunkFault;
  // While copies are written at once, a question waits until the files before it are told.
  ParallelCopies* running = nullptr;
  CopyRunner runner(
      settings,
      [&observer, &running](const std::string& target) {
        if (running) {
          running->drain();
          if (running->stopped()) return ReplaceAnswer::Stop;
        }
        return observer.askReplace(target);
      },
      hooks);

  observer.copyStarting(list.size());
  progress.start();
  {
    // A file system synced whole at the end writes out while the copy goes on.
    std::optional<BackgroundWriteback> writeback;
    if (request.flush && !request.dryRun && runner.destinationRules().flush == FlushWay::FileSystem)
      writeback.emplace(request.destination);
    copyFiles(list, request, runner, observer, progress, result, running);
  }
  // The folders made get their modes and times also after a stop.
  noteDropped(runner.finish(), runner, result);
  result.versions.root = versionsRootOf(request.destination, request.versionsFolder);
  if (versions) result.versions.kept = versions->kept();
  if (request.pruneVersionsDays && !request.dryRun && !result.aborted && !result.outOfMemory)
    pruneOldVersions(request, started, result.versions);
  // Also after a stop: what was placed is recorded (as carried) like what a completed run placed.
  if (request.flush && runner.placedAnything()) {
    observer.flushing();
    result.flush = runner.flushPlaced(request.flushWatch);
  }
}

}  // namespace

CopyRunResult runCopy(const std::vector<CopySource>& sources, const StillChosen& stillChosen,
                      const CopyRequest& request, CopyObserver& observer,
                      std::vector<std::string>& list) {
  CopyRunResult result;
  try {
    runCopyInto(result, sources, stillChosen, request, observer, list);
  } catch (const std::bad_alloc&) {
    result.outOfMemory = true;
  }
  return result;
}

}  // namespace nuvelo
