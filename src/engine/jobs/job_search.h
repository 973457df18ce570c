#pragma once
// The search of a job. A day or an instant walks the source with the date test. A comparison
// with the destination reads the destination's copy of the source folder at the same time, on
// walks of its own threads, and takes every file of the source that is missing there, was
// written later than its copy there, or whose copy is damaged (another size, or another kind of
// entry), whatever its times: it finds what no date can, a file deleted from the backup, one
// that arrived with old times, or a copy cut short. A comparison of contents then reads both
// sides of every other file and takes those whose bytes differ; the outcome's findings list
// the copies found damaged, and the files it could not read.

#include "engine/jobs/job.h"
#include "engine/search/search_run.h"

namespace nuvelo {

// Walks the job's source with `filter` (walkFilterOf the job). The observer is told each entry
// taken, in the order of the result.
SearchOutcome runJobSearch(const Job& job, const WalkFilter& filter, WalkObserver& observer);

// Where the destination holds the copy of the job's source folder.
std::string mirrorFolderOf(const Job& job);

}  // namespace nuvelo
