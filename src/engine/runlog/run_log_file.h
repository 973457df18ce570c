#pragma once
// The run log's file: where it lies, how a run appends its line, and how the last runs are read
// back.
//
// Where: the installed program's own settings (NVO.ini in the user's configuration folder) log
// to $XDG_STATE_HOME/nuvelo/runs.log (~/.local/state/nuvelo/runs.log); any other settings file
// (a build's or an unpacked folder's NVO.ini, or one given with --settings) logs beside itself,
// named after it: NVO-runs.log beside NVO.ini. The window and nuvelo-cli run with the same
// settings therefore write, and `nuvelo-cli log` reads, the same log.
//
// Bounded: a line that would take the log past `rotateAt` bytes first moves it aside (runs.log
// becomes runs.log.1, runs.log.1 becomes runs.log.2, and so on), keeping `rotatedKept` files
// beside the one being written (two by default, so about 3 MB at most). The reader reads on
// into the files moved aside, so the last runs survive a rotation.
//
// Safe between processes: each line is one write(2) on an O_APPEND descriptor, under an
// exclusive flock(2) of the log file itself. The writer checks, once it holds the lock, that
// the descriptor is still the file at the log's path (another writer may have moved it aside
// meanwhile) and opens it anew if not, so that no line goes to a file already moved aside, and
// no two writers move the same file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/runlog/run_log_entry.h"
#include "platform/result.h"

namespace nuvelo {

struct RunLogLimits {
  std::uint64_t rotateAt = 1024 * 1024;
  unsigned rotatedKept = 2;
};

// The log that runs with this settings file write.
std::string runLogPath(const std::string& settingsPath);
// The n-th file moved aside ("runs.log.1" for n = 1).
std::string rotatedRunLogPath(const std::string& logPath, unsigned n);

// Appends one line (with its "\n") to the log, making its folder when missing. The failure
// names the file.
[[nodiscard]] Result<> appendRunLog(const std::string& logPath, std::string_view line,
                                    const RunLogLimits& limits = {});

struct RunLogTail {
  std::vector<RunLogEntry> entries;  // oldest first
  std::vector<std::string> lines;    // each entry's line as the log holds it, without "\n"
  std::size_t skipped = 0;           // lines met on the way that hold no entry
};

// The last `count` entries of the log and the files moved aside, read from their ends: a long
// log costs no more than the lines wanted. A missing log has none.
RunLogTail readRunLog(const std::string& logPath, std::size_t count);

}  // namespace nuvelo
