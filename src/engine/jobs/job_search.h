#pragma once
// The search of a job. A day or an instant walks the source with the date test. A comparison
// with the destination reads the destination's copy of the source folder at the same time, on
// walks of its own threads, and takes every file of the source that is missing there or was
// written later than its copy there, whatever its times: it finds what no date can, a file
// deleted from the backup or one that arrived with old times.

#include "engine/jobs/job.h"
#include "engine/search/search_run.h"

namespace nuvelo {

// Walks the job's source with `filter` (walkFilterOf the job). The observer is told each entry
// taken, in the order of the result.
SearchOutcome runJobSearch(const Job& job, const WalkFilter& filter, WalkObserver& observer);

// Where the destination holds the copy of the job's source folder.
std::string mirrorFolderOf(const Job& job);

}  // namespace nuvelo
