#include "engine/jobs/job_end.h"

#include <sys/stat.h>

#include <unordered_set>

#include "engine/jobs/job_state.h"
#include "engine/search/waiting_files.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/settings_file.h"
#include "engine/settings/settings_lock.h"
#include "platform/path_text.h"
#include "platform/posix/drive_identity.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

bool isGone(const std::string& path) {
  struct stat st {};
  return !lookUpEntry(path, st, false);
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return lookUpEntry(path, st, false) && S_ISDIR(st.st_mode);
}

// Whether a path that waited stays waiting after the run.
class StillWaiting {
 public:
  StillWaiting(const RunRecord& run, const std::vector<std::string>& waitedAtStart)
      : run_(run),
        carried_(run.carried.begin(), run.carried.end()),
        waitedAtStart_(waitedAtStart.begin(), waitedAtStart.end()),
        listed_(run.listed) {}

  bool operator()(const std::string& path) const {
    if (carried_.contains(path) || isGone(path)) return false;
    if (!run_.completed || !waitedAtStart_.contains(path)) return true;
    // A folder that could be read this time had its files listed one by one.
    if (isFolder(path)) return false;
    return listed_.contains(path) || listed_.coversFolder(folderOf(path));
  }

 private:
  const RunRecord& run_;
  std::unordered_set<std::string> carried_;
  std::unordered_set<std::string> waitedAtStart_;
  WaitingFiles listed_;  // listed files, and folder rows standing for what lies below them
};

}  // namespace

std::vector<std::string> retryListAfter(const std::vector<std::string>& waiting,
                                        const RunRecord& run,
                                        const std::vector<std::string>& waitedAtStart) {
  std::vector<std::string> after;
  std::unordered_set<std::string> seen;
  for (const std::string& path : run.failed)
    if (seen.insert(path).second) after.push_back(path);
  if (waiting.empty()) return after;  // most runs: nothing to judge, no sets to build
  const StillWaiting stillWaiting(run, waitedAtStart);
  for (const std::string& path : waiting)
    if (!seen.contains(path) && stillWaiting(path) && seen.insert(path).second)
      after.push_back(path);
  return after;
}

Result<JobEnd> recordRun(const Job& job, const RunRecord& run) {
  JobEnd end;
  const Result<> recorded = changeSettingsFile(job.settingsPath, [&](ProfileFile& settings) {
    // Read again under the lock: another run of the job may have ended meanwhile.
    const std::vector<std::string> after =
        retryListAfter(readRetryList(job.stateFolder, job.key), run, job.waiting);
    if (Result<> written = writeRetryList(job.stateFolder, job.key, after); !written)
      return written;
    end.waiting = after.size();
    if (!run.completed) return Result<>();
    if (Result<> written = writeJobDay(settings, job.key, run.dayOfList, run.listStarted); !written)
      return written;
    if (keepsWindowsDay(job, settings))
      if (Result<> written = writeWindowDay(settings, run.dayOfList, run.listStarted); !written)
        return written;
    // The drive the copy went to is the job's drive from now on (most runs: the same one).
    if (const auto drive = driveOf(job.options.copy.destination))
      if (readJobDrive(settings, job.key) != drive->recordText())
        if (Result<> written = writeJobDrive(settings, job.key, drive->recordText()); !written)
          return written;
    end.dayRecorded = true;
    return Result<>();
  });
  if (!recorded) return Unexpected(recorded.error());
  return end;
}

}  // namespace nuvelo
