#pragma once
// The report a copy writes with --report FILE: one JSON line for each file, as it is done
// (copied, skipped with the reason, failed with the error), and a closing summary line, so
// that a script or a timer's log can tell what happened to every file.

#include <cstdint>
#include <ctime>
#include <fstream>
#include <string>

#include "engine/copy/copy_run.h"

namespace nuvelo {

class CopyReport {
 public:
  // Opens (replaces) the file; check ok() before the copy starts. `started`: when the run
  // started, for the summary.
  explicit CopyReport(const std::string& path, std::time_t started = std::time(nullptr))
      : out_(path, std::ios::trunc), started_(started) {}
  bool ok() const { return static_cast<bool>(out_); }

  // status: "copied", "skipped" or "failed" ("would copy" and "would skip" in a dry run);
  // detail: the reason of a skip or the error of a failure, and of a copy that replaces a
  // damaged one; empty for any other copy.
  void file(const char* status, const EntryReport& report, std::uint64_t bytes,
            const std::string& detail);
  // The run's start and end, its counts with the files tried again after a failure that may
  // pass, the damaged copies replaced and kept, and the versions kept and pruned; "failed" counts
  // the folders that could not be read
  // (`searchUnreadable` by the search) as stderr's summary does, and "unreadable_folders"
  // says how many of them were folders; waiting: the files the job's next run takes again.
  void summary(const CopyRunResult& result, std::size_t searchUnreadable, std::uint64_t bytes,
               double seconds, bool dryRun, bool interrupted, std::size_t waiting);
  // Everything written reached the file.
  bool close();

 private:
  std::ofstream out_;
  std::time_t started_;
};

}  // namespace nuvelo
