#pragma once
// A real copy's line in the run log, from nuvelo-cli: begun when its search starts, filled in
// as the run goes, and appended once its exit status is known.

#include <ctime>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "engine/jobs/job.h"
#include "engine/runlog/run_log_entry.h"
#include "engine/search/search_run.h"

namespace nuvelo {

class CliRunLog {
 public:
  CliRunLog(const CliOptions& options, const Job& job, std::time_t started);

  // What the search found: its rows, and the folders it could not read.
  void searched(const SearchOutcome& found);
  // What the copy did, the bytes it copied and the files its job's next run takes again.
  void copied(const CopyRunResult& result, std::uint64_t bytes, std::size_t waiting);
  // Appends the line with the run's exit status; a log that cannot be written is told on
  // stderr and changes nothing else.
  void end(CliEnvironment& env, int status, std::time_t ended);

 private:
  std::string settingsPath_;
  std::vector<std::string> unreadable_;
  RunLogEntry entry_;
};

}  // namespace nuvelo
