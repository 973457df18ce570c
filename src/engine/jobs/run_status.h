#pragma once
// How a copy run ended, in the one count of its failures and the one status that says it:
// nuvelo-cli exits with it, and the run log records the same status for a window's run that
// ended the same way.

#include <cstddef>

#include "engine/copy/copy_run.h"

namespace nuvelo {

namespace ExitStatus {
constexpr int Done = 0;
constexpr int SomeFailed = 1;
constexpr int BadUsage = 2;
// Another run of the same job is under way (EX_TEMPFAIL: worth trying again later).
constexpr int JobRunning = 75;
constexpr int Interrupted = 130;  // SIGINT (Ctrl+C), or the window's abort
constexpr int Terminated = 143;   // SIGTERM, as a shell reports 128 + the signal
}  // namespace ExitStatus

// What a copy run did not carry: the files that failed and the folders that could not be read,
// by the search (`searchUnreadable`) or while a folder row was gathered.
std::size_t failureCount(const CopyRunResult& result, std::size_t searchUnreadable);
// Of those, the folders that could not be read.
std::size_t unreadableFolderCount(const CopyRunResult& result, std::size_t searchUnreadable);

// The status of a copy run that started: too little room and not to go on is a refusal, an
// abort an interrupt, and any failure, memory that ran out, copies that could not be brought
// onto the drive for sure, or a record of the run that could not be written (`recordFailed`: the
// job's day or retry list, or the report) a failure.
int copyRunStatus(const CopyRunResult& result, std::size_t searchUnreadable, bool recordFailed);

}  // namespace nuvelo
