#pragma once
// What a copy run puts into its job's record, the same for the window and nuvelo-cli: the
// sources it settled and those that failed and wait for the next run. A failure that no later
// run mends (a link onto a drive that keeps none, a name the drive refuses, a file larger than it
// holds) is a failure of the run all the same, but waiting would only make every later run fail
// again: it is settled, and leaves the retry list when it waited there from an older run.

#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
#include "engine/jobs/job_end.h"

namespace nuvelo {

// Fills `run.carried` and `run.failed` from the copy; `copyList` is the run's list of sources.
void addCopyRun(RunRecord& run, const std::vector<std::string>& copyList,
                const CopyRunResult& result);

}  // namespace nuvelo
