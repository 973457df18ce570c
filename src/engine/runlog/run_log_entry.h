#pragma once
// One line of the run log: what one copy run did, from the window or from nuvelo-cli, as a JSON
// object on a line of its own.
//
// Fields: "start", "end" (ISO 8601 with the offset from UTC), "from" ("window" or "cli"),
// "job" (the job or condition file, "" for a run of folders), "source", "destination",
// "found" (what the search listed), "copied", "skipped", "failed" (files that failed and
// folders that could not be read), "unreadable_folders" (of those, the folders),
// "links_left_out" (of the skipped, the links the destination cannot keep), "bytes" (of
// the files copied), "exit_status" (nuvelo-cli's, or what a nuvelo-cli run that ended so would
// exit with), "failed_files" (the first 20 that failed), "waiting" (the job's retry list after
// the run). A path that is not UTF-8 has its bytes beside it as in nuvelo-cli's JSON output
// ("source_bytes", and "failed_files_bytes" for the whole list).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/copy/copy_run.h"

namespace nuvelo {

struct RunLogEntry {
  static constexpr std::size_t MostFailedFiles = 20;

  std::string start;
  std::string end;
  std::string from;  // "window" or "cli"
  std::string job;
  std::string source;
  std::string destination;
  std::uint64_t found = 0;
  std::uint64_t copied = 0;
  std::uint64_t skipped = 0;
  std::uint64_t failed = 0;
  std::uint64_t unreadableFolders = 0;
  std::uint64_t linksLeftOut = 0;
  std::uint64_t bytes = 0;
  int exitStatus = 0;
  std::vector<std::string> failedFiles;
  std::uint64_t waiting = 0;

  bool operator==(const RunLogEntry&) const = default;
};

// The counts of a copy run that started, the failed files first, then the folders the search
// could not read (`searchUnreadable`), as many as the entry keeps.
void countCopyRun(RunLogEntry& entry, const CopyRunResult& result,
                  const std::vector<std::string>& searchUnreadable);

// The entry as its line, "\n" included.
std::string runLogLine(const RunLogEntry& entry);
// The entry a line holds (with or without its "\n"); nothing for a line that is not one (torn,
// foreign, or not JSON at all).
std::optional<RunLogEntry> parseRunLogLine(std::string_view line);

// The run's start as its own clock read it: "2024-05-01T09:30:00+09:00" as
// "2024-05-01 09:30:00", with `dateSeparator` between the parts of the day.
std::string runStartText(const RunLogEntry& entry, char dateSeparator = '-');

// What names the run in a list: its job file, else its source folder.
const std::string& runPlace(const RunLogEntry& entry);

}  // namespace nuvelo
