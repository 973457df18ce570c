#include "engine/jobs/run_status.h"

namespace nuvelo {

std::size_t failureCount(const CopyRunResult& result, std::size_t searchUnreadable) {
  return result.counts.failed + searchUnreadable;
}

std::size_t unreadableFolderCount(const CopyRunResult& result, std::size_t searchUnreadable) {
  return result.unreadableFolders + searchUnreadable;
}

int copyRunStatus(const CopyRunResult& result, std::size_t searchUnreadable, bool recordFailed) {
  if (result.refusedForRoom) return ExitStatus::BadUsage;
  if (result.aborted) return ExitStatus::Interrupted;
  if (failureCount(result, searchUnreadable) > 0 || result.outOfMemory || result.flush.failure ||
      recordFailed)
    return ExitStatus::SomeFailed;
  return ExitStatus::Done;
}

}  // namespace nuvelo
