#pragma once
// The report a copy writes with --report FILE (or onto standard output with --report -): one
// JSON line for each file, as it is done (copied, skipped with the reason, failed with the
// error), and a closing summary line, so that a script or a timer's log can tell what happened
// to every file.

#include <cstdint>
#include <ctime>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "engine/copy/copy_run.h"

namespace nuvelo {

class CopyReport {
 public:
  // Opens (replaces) the file; check ok() before the copy starts. `started`: when the run
  // started, for the summary.
  explicit CopyReport(const std::string& path, std::time_t started = std::time(nullptr))
      : file_(std::make_unique<std::ofstream>(path, std::ios::trunc)),
        out_(*file_),
        started_(started) {}
  // Writes to a stream that stays open after close() (standard output).
  CopyReport(std::ostream& out, std::time_t started) : out_(out), started_(started) {}
  bool ok() const { return static_cast<bool>(out_); }

  // status: "copied", "skipped" or "failed" ("would copy" and "would skip" in a dry run);
  // detail: the reason of a skip or the error of a failure, and of a copy that replaces a
  // damaged one; empty for any other copy.
  void file(const char* status, const EntryReport& report, std::uint64_t bytes,
            const std::string& detail);
  // The run's start and end, its counts with the files tried again after a failure that may
  // pass, the links left out (of the skipped), the damaged copies replaced and kept, and the
  // versions kept and pruned; "failed" counts the folders that could not be read
  // (`searchUnreadable` by the search) as stderr's summary does, and "unreadable_folders"
  // says how many of them were folders; waiting: the files the job's next run takes again.
  void summary(const CopyRunResult& result, std::size_t searchUnreadable, std::uint64_t bytes,
               double seconds, bool dryRun, bool interrupted, std::size_t waiting);
  // Everything written reached the file (or the stream).
  bool close();

 private:
  std::unique_ptr<std::ofstream> file_;  // the report's own file, when it has one
  std::ostream& out_;
  std::time_t started_;
};

}  // namespace nuvelo
