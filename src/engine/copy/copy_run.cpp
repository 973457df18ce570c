#include "engine/copy/copy_run.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <optional>

#include "engine/copy/copy_errors.h"
#include "engine/copy/copy_list.h"
#include "platform/path_text.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

// A folder that could not be read while a folder row was expanded: its files are not carried,
// so it counts as a failure of the run.
EntryReport unreadableFolderReport(const UnreadableFolder& folder, const CopyRequest& request) {
  EntryReport report;
  report.kind = EntryReport::Failed;
  report.source = folder.path;
  report.target = DestFolderOf(folder.path + "/", request.destination, request.rule);
  report.failure = {folder.code, {}};
  return report;
}

AttributesNote attributesNoteFor(const FileSystemRules& rules) {
  // Where permission bits are not kept, the owner is not even tried (see CopyHooks).
  return {rules.name, !rules.keepsPermissions, !rules.keepsPermissions || !rules.keepsOwners};
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
    case EntryReport::Failed:
      ++counts.failed;
      break;
    case EntryReport::Stopped:
      break;
  }
}

// The folder rows' files join the list; their unreadable folders are failures of the run.
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
    result_.failedSources.push_back(report.source);
    observer_.copyFailed(report);
  }

 private:
  CopyObserver& observer_;
  const CopyRequest& request_;
  CopyRunResult& result_;
};

// Gathers the checked rows; false when an abort came meanwhile.
bool gather(const std::vector<ResultRow>& rows, const CopyRequest& request, CopyObserver& observer,
            std::vector<std::string>& list, CopyRunResult& result) {
  GatherWalk walk(observer, request, result, list);
  gatherCopyList(
      rows, request.rule.dirAbs, request.rule.searchRoot, request.filter, walk,
      [&observer] { observer.rowGathered(); }, list);
  return !observer.abortRequested();
}

// At most the bytes of the checked rows: each row's whole kibibytes, one more for the rest.
std::uint64_t roomAtMost(const std::vector<ResultRow>& rows) {
  std::uint64_t bytes = 0;
  for (const ResultRow& row : rows)
    if (row.checked) bytes += (static_cast<std::uint64_t>(row.sizeKiB) + 1) * 1024;
  return bytes;
}

std::uint64_t sizeOf(const std::string& path) {
  struct stat st {};
  return lookUpEntry(path, st, false) && S_ISREG(st.st_mode)
             ? static_cast<std::uint64_t>(st.st_size)
             : 0;
}

// The room the files the policy copies need beyond what the namesakes they replace free.
std::uint64_t roomNeeded(const std::vector<std::string>& list, const CopyRequest& request) {
  CopyRunner planner({request.rule, request.destination, request.overwrite, false, request.rules},
                     {});
  std::uint64_t needed = 0;
  for (const std::string& source : list) {
    const EntryReport plan = planner.plan(source);
    if (plan.kind != EntryReport::Copied) continue;
    const std::uint64_t size = sizeOf(source), replaced = sizeOf(plan.target);
    if (size > replaced) needed += size - replaced;
  }
  return needed;
}

std::optional<SpaceShortage> spaceShortage(const std::vector<ResultRow>& rows,
                                           const std::vector<std::string>& list,
                                           const CopyRequest& request) {
  struct statvfs fs {};
  // A file system that tells no size (some in user space give all zeros) cannot be judged.
  if (statvfs(request.destination.c_str(), &fs) != 0 || fs.f_blocks == 0) return std::nullopt;
  SpaceShortage shortage;
  shortage.available = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  // The rows' sizes bound the need without a look at any file; only when they exceed the room
  // is each file looked at.
  if (roomAtMost(rows) <= shortage.available) return std::nullopt;
  shortage.needed = roomNeeded(list, request);
  if (shortage.needed <= shortage.available) return std::nullopt;
  return shortage;
}

}  // namespace

bool anyRowChecked(const std::vector<ResultRow>& rows) {
  return std::any_of(rows.begin(), rows.end(), [](const ResultRow& r) { return r.checked; });
}

DestinationState destinationState(const std::string& destination) {
  if (destination.empty()) return DestinationState::NotGiven;
  return isExistingFolder(destination) ? DestinationState::Exists : DestinationState::Missing;
}

Result<> makeDestination(const std::string& destination) {
  return makeFolders(destination);
}

CopyRunResult runCopy(const std::vector<ResultRow>& rows, const CopyRequest& request,
                      CopyObserver& observer, std::vector<std::string>& list) {
  CopyRunResult result;
  list.clear();
  if (!gather(rows, request, observer, list, result)) {
    result.aborted = true;
    return result;
  }

  if (!request.dryRun) {
    if (const auto shortage = spaceShortage(rows, list, request);
        shortage && !observer.proceedWithoutRoom(*shortage)) {
      result.refusedForRoom = true;
      return result;
    }
  }

  CopySettings settings{request.rule, request.destination, request.overwrite, request.verify,
                        request.rules};
  CopyHooks hooks;
  hooks.poll = [&observer] { observer.poll(); };
  hooks.afterChunk = [&observer](std::uint64_t soFar) {
    observer.fileBytesCopied(soFar);
    return !observer.abortRequested();
  };
  CopyRunner runner(
      settings, [&observer](const std::string& target) { return observer.askReplace(target); },
      hooks);

  observer.copyStarting(list.size());
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
    count(report, result.counts);
    if (report.attributesDropped && !result.attributesNote)
      result.attributesNote = attributesNoteFor(runner.destinationRules());
    if (report.kind == EntryReport::Failed) {
      result.failedSources.push_back(report.source);
      observer.copyFailed(report);
    }
    observer.fileDone(report);
  }
  runner.finish();
  return result;
}

}  // namespace nuvelo
