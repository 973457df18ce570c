#include "engine/jobs/job.h"

#include <ctime>

#include "engine/copy/replaced_versions.h"
#include "engine/jobs/job_state.h"
#include "engine/jobs/last_copy_day.h"
#include "engine/search/search_run.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/profile_file.h"
#include "engine/settings/settings_file.h"

namespace nuvelo {
namespace {

template <class T>
void takeFirst(Said<T>& option, const Said<T>& said) {
  if (!option.value && said.value) option = said;
}

std::string cleanedFolder(const std::string& text) {
  return text.empty() ? text : cleanSourceFolder(text);
}

std::string keyOf(const JobRequest& request, const JobOptions& options) {
  const std::string naming =
      request.namedBy == JobNamedBy::Folders ? std::string() : cleanedFolder(request.namingFile);
  return jobKey(naming, options.search.sourceFolder, cleanedFolder(options.copy.destination));
}

// The job's own day: its [Jobs] entry, or for the window's own job the window's day.
RecordedDay recordedDay(const Job& job, const ProfileFile& settings) {
  RecordedDay own = readJobDay(settings, job.key);
  if (own.day || !keepsWindowsDay(job, settings)) return own;
  return readWindowDay(settings);
}

// Where a LastCopy selection starts: the recorded day, or for a day that cannot be trusted a
// comparison with the destination; the refusal when there is no day to start from.
std::optional<JobRefusal> resolveLastCopy(Job& job, const ProfileFile& settings, std::int64_t now) {
  const RecordedDay recorded = recordedDay(job, settings);
  const DayJudgement judged = judgeRecordedDay(recorded.day, recorded.start, now);
  switch (judged.verdict) {
    case DayJudgement::Verdict::None:
      return JobRefusal{JobRefusal::Kind::NoDayOfItsOwn, recorded};
    case DayJudgement::Verdict::Unreadable:
      return JobRefusal{JobRefusal::Kind::UnreadableDay, recorded};
    case DayJudgement::Verdict::Future:
      job.untrustedDay = recorded.day;
      job.selection = {Selection::By::Destination, {}, 0};
      return std::nullopt;
    case DayJudgement::Verdict::Usable:
      job.selection = {Selection::By::Day, judged.from, 0};
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

// Each option the resolved layer does not hold yet, from this layer.
void fillFrom(OptionLayer& resolved, const OptionLayer& layer) {
  takeFirst(resolved.source, layer.source);
  takeFirst(resolved.destination, layer.destination);
  takeFirst(resolved.includeSubfolders, layer.includeSubfolders);
  takeFirst(resolved.excludedSubfolders, layer.excludedSubfolders);
  takeFirst(resolved.excludedExtensions, layer.excludedExtensions);
  takeFirst(resolved.excludedNames, layer.excludedNames);
  takeFirst(resolved.perFolder, layer.perFolder);
  takeFirst(resolved.changeTime, layer.changeTime);
  takeFirst(resolved.dirAbs, layer.dirAbs);
  takeFirst(resolved.addDriveLetter, layer.addDriveLetter);
  takeFirst(resolved.overwrite, layer.overwrite);
  takeFirst(resolved.verify, layer.verify);
  takeFirst(resolved.keepReplaced, layer.keepReplaced);
  takeFirst(resolved.versionsFolder, layer.versionsFolder);
  takeFirst(resolved.pruneVersionsDays, layer.pruneVersionsDays);
  takeFirst(resolved.threads, layer.threads);
  takeFirst(resolved.retries, layer.retries);
  takeFirst(resolved.retryWait, layer.retryWait);
  takeFirst(resolved.links, layer.links);
}

OptionLayer resolvedOptions(const std::vector<OptionLayer>& layers) {
  OptionLayer resolved;
  for (const OptionLayer& layer : layers) fillFrom(resolved, layer);
  fillFrom(resolved, builtInOptions());
  return resolved;
}

JobOptions jobOptionsOf(const OptionLayer& r) {
  JobOptions o;
  o.search.sourceFolder = cleanedFolder(*r.source.value);
  o.search.includeSubfolders = *r.includeSubfolders.value;
  o.search.excludedSubfolders = *r.excludedSubfolders.value;
  o.search.excludedExtensions = *r.excludedExtensions.value;
  o.search.excludedNames = *r.excludedNames.value;
  o.search.perFolder = *r.perFolder.value;
  o.search.changeTime = *r.changeTime.value;
  o.search.walkThreads = *r.threads.value;
  o.copy.destination = *r.destination.value;
  o.copy.dirAbs = *r.dirAbs.value;
  o.copy.addDriveLetter = *r.addDriveLetter.value;
  o.copy.overwrite = *r.overwrite.value;
  o.copy.verify = *r.verify.value;
  o.copy.retry = {*r.retries.value, *r.retryWait.value};
  o.copy.keepReplaced = *r.keepReplaced.value;
  o.copy.versionsFolder = *r.versionsFolder.value;
  o.copy.pruneVersionsDays = *r.pruneVersionsDays.value;
  o.copy.links = *r.links.value;
  return o;
}

OptionLayer optionLayerOf(const JobOptions& o, const std::string& where) {
  OptionLayer layer;
  layer.source.set(o.search.sourceFolder, where);
  layer.destination.set(o.copy.destination, where);
  layer.includeSubfolders.set(o.search.includeSubfolders, where);
  layer.excludedSubfolders.set(o.search.excludedSubfolders, where);
  layer.excludedExtensions.set(o.search.excludedExtensions, where);
  layer.excludedNames.set(o.search.excludedNames, where);
  layer.perFolder.set(o.search.perFolder, where);
  layer.changeTime.set(o.search.changeTime, where);
  layer.dirAbs.set(o.copy.dirAbs, where);
  layer.addDriveLetter.set(o.copy.addDriveLetter, where);
  layer.overwrite.set(overwritePolicyOf(o.copy.overwrite), where);
  layer.verify.set(o.copy.verify, where);
  layer.keepReplaced.set(o.copy.keepReplaced, where);
  layer.versionsFolder.set(o.copy.versionsFolder, where);
  layer.pruneVersionsDays.set(o.copy.pruneVersionsDays, where);
  layer.threads.set(o.search.walkThreads, where);
  layer.retries.set(o.copy.retry.retries, where);
  layer.retryWait.set(o.copy.retry.wait, where);
  layer.links.set(o.copy.links, where);
  return layer;
}

bool keepsWindowsDay(const Job& job, const ProfileFile& settings) {
  if (job.window) return true;
  if (job.namedBy == JobNamedBy::JobFile) return false;
  const WindowFolders window = windowFoldersOf(settings);
  return !window.from.empty() && !window.to.empty() &&
         cleanedFolder(window.from) == job.options.search.sourceFolder &&
         cleanedFolder(window.to) == cleanedFolder(job.options.copy.destination);
}

Expected<Job, JobRefusal> resolveJob(const JobRequest& request) {
  Job job;
  job.resolved = resolvedOptions(request.layers);
  job.options = jobOptionsOf(job.resolved);
  job.settingsPath = request.settingsPath;
  job.stateFolder = jobStateFolder(request.settingsPath);
  job.key = keyOf(request, job.options);
  job.namedBy = request.namedBy;
  job.window = request.window;
  job.selection = request.selection;
  const ProfileFile settings(job.settingsPath);
  if (job.selection.by == Selection::By::LastCopy)
    if (auto refusal =
            resolveLastCopy(job, settings, request.now ? request.now : std::time(nullptr)))
      return Unexpected(std::move(*refusal));
  job.waiting = readRetryList(job.stateFolder, job.key);
  if (const auto drive = readJobDrive(settings, job.key))
    job.recordedDrive = DriveIdentity::fromRecord(*drive);
  return job;
}

WalkFilter walkFilterOf(const Job& job) {
  WalkFilter filter = walkFilterOf(job.options.search, job.options.copy.destination);
  const bool changeTime = job.options.search.changeTime;
  switch (job.selection.by) {
    case Selection::By::Day:
    case Selection::By::LastCopy:
      filter.since =
          SinceThreshold::forDay(dateValueOf(job.selection.day)).withChangeTime(changeTime);
      break;
    case Selection::By::Instant:
      filter.since = SinceThreshold::forInstant(job.selection.instant).withChangeTime(changeTime);
      break;
    case Selection::By::Destination:
      filter.since = SinceThreshold::always();
      filter.perFolder = false;  // files are compared one by one
      break;
  }
  filter.leftOutVersions = destinationInsideSource(
      filter.sourceText,
      versionsRootOf(job.options.copy.destination, job.options.copy.versionsFolder));
  if (!job.waiting.empty()) filter.waiting = std::make_shared<const WaitingFiles>(job.waiting);
  return filter;
}

}  // namespace nuvelo
