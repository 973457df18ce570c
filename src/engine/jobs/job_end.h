#pragma once
// The one day-and-retry rule, for the window and nuvelo-cli alike. A run that copied to its end
// records the day on which the search that made its list started (not the day the copy ended:
// a run that crosses midnight, or a list made on Monday and copied on Tuesday, would otherwise
// skip what changed late on the first day). What it could not carry (files that failed, folders
// that could not be read) goes into the job's retry list, so the day moves on and the next run
// takes those files again, whatever their times, until they are carried or gone.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/jobs/job.h"
#include "platform/posix/date_time_value.h"
#include "platform/result.h"

namespace nuvelo {

// What one run of a job did.
struct RunRecord {
  CivilDate dayOfList;           // the day its search started
  std::int64_t listStarted = 0;  // the instant it started, in seconds since the epoch
  bool completed = false;        // copied to its end: not aborted, not refused, not a dry run
  // What the search listed (files, links, folder rows); needed only when files waited before the
  // run.
  std::vector<std::string> listed;
  // Sources the copy carried or deliberately left, or that failed in a way no later run mends.
  std::vector<std::string> carried;
  // Sources the copy could not carry and folders that could not be read, by the search or
  // while a folder row was gathered.
  std::vector<std::string> failed;
};

struct JobEnd {
  std::size_t waiting = 0;  // files and folders the job's next run takes again
  bool dayRecorded = false;
};

// The retry list after a run: what failed now, and of what waits (`waiting`) what neither was
// carried nor is gone from the source; after a completed run, also not what the job no longer
// takes (a file its search did not list) nor a waiting folder its search could now read (its
// files were listed one by one). Only what waited when the run started (`waitedAtStart`) is
// judged by the search's list: what another run added meanwhile was not searched for.
std::vector<std::string> retryListAfter(const std::vector<std::string>& waiting,
                                        const RunRecord& run,
                                        const std::vector<std::string>& waitedAtStart);

// Under the settings lock: writes the retry list, and after a completed run the job's day
// ([Jobs]) and, for the window's own job (the window, or a run of the window's folders), the
// window's day, and the drive its destination lies on. The day is not moved when the retry list
// cannot be written.
Result<JobEnd> recordRun(const Job& job, const RunRecord& run);

}  // namespace nuvelo
