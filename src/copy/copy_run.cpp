#include "copy/copy_run.h"

#include <algorithm>
#include <cstring>

#include "copy/copy_list.h"
#include "platform/filesystem.h"

namespace nuvelo {
namespace {

// A folder that could not be read while a folder row was expanded: its files are not carried,
// so it counts as a failure of the run.
EntryReport unreadableFolderReport(const UnreadableFolder& folder, const CopyRequest& request) {
  EntryReport report;
  report.kind = EntryReport::Failed;
  report.source = folder.path;
  report.target = DestFolderOf(folder.path + "/", request.destination, request.rule);
  report.reason = std::strerror(folder.error);
  return report;
}

void count(const EntryReport& report, CopyCounts& counts) {
  switch (report.kind) {
    case EntryReport::Copied: ++counts.copied; break;
    case EntryReport::NotCopied:
    case EntryReport::Declined:
    case EntryReport::SameFile: ++counts.skipped; break;
    case EntryReport::Failed: ++counts.failed; break;
    case EntryReport::Stopped: break;
  }
}

// Gathers the checked rows; false when an abort came meanwhile.
bool gather(const std::vector<ResultRow>& rows, const CopyRequest& request, CopyObserver& observer,
            std::vector<std::string>& list, CopyRunResult& result) {
  WalkControl control = walkControlOf(observer);
  control.unreadable = [&](const std::string& path, int error) {
    const EntryReport report = unreadableFolderReport({path, error}, request);
    ++result.counts.failed;
    observer.copyFailed(report);
  };
  gatherCopyList(rows, request.rule.dirAbs, request.rule.searchRoot, request.filter, control,
                 [&observer] { observer.rowGathered(); }, list);
  return !observer.abortRequested();
}

}  // namespace

bool anyRowChecked(const std::vector<ResultRow>& rows) {
  return std::any_of(rows.begin(), rows.end(), [](const ResultRow& r) { return r.checked; });
}

DestinationState destinationState(const std::string& destination) {
  if (destination.empty()) return DestinationState::NotGiven;
  return isExistingFolder(destination) ? DestinationState::Exists : DestinationState::Missing;
}

std::error_code makeDestination(const std::string& destination) { return makeFolders(destination); }

CopyRunResult runCopy(const std::vector<ResultRow>& rows, const CopyRequest& request,
                      CopyObserver& observer, std::vector<std::string>& list) {
  CopyRunResult result;
  list.clear();
  if (!gather(rows, request, observer, list, result)) {
    result.aborted = true;
    return result;
  }

  CopySettings settings{request.rule, request.destination, request.overwrite, request.verify};
  CopyHooks hooks;
  hooks.poll = [&observer] { observer.poll(); };
  hooks.afterChunk = [&observer](std::uint64_t) { return !observer.abortRequested(); };
  CopyRunner runner(settings, [&observer](const std::string& target) { return observer.askReplace(target); },
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
    if (report.kind == EntryReport::Failed) observer.copyFailed(report);
    observer.fileDone(report);
  }
  runner.finish();
  return result;
}

}  // namespace nuvelo
