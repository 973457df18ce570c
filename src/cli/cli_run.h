#pragma once
// What nuvelo-cli does with its command line: the window's search and copy runs, without a
// window.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "cli/cli_options.h"
#include "cli/replace_answer.h"
#include "engine/jobs/run_status.h"
#include "platform/posix/date_time_value.h"

namespace nuvelo {

struct CliEnvironment {
  std::ostream& out;
  std::ostream& err;
  // A yes/no question on the terminal; nothing when it got no answer (no terminal, end of
  // input, or Ctrl+C while it waited).
  std::function<std::optional<bool>(const std::string& question)> ask;
  // "Replace the file that is there?" on the terminal, answered as ask() is.
  std::function<std::optional<ReplaceChoice>(const std::string& question)> askReplace;
  bool progressOnErr = false;  // stderr is a terminal: show a progress line there
  const std::atomic<bool>* interrupted = nullptr;  // Ctrl+C
  std::string defaultSettingsPath;
  bool canAsk = false;  // standard input is a terminal that can answer questions
  // Today's local date, asked when a search starts; tests set it to cross midnight.
  std::function<CivilDate()> clock;
  CivilDate today() const { return clock ? clock() : civilDateOf(todayValue()); }
  // Test seam: the copy's CopyRequest::chunkFault.
  std::function<int(std::uint64_t)> chunkFault;
  // The signal that stopped the run (SIGINT or SIGTERM), where one did.
  const std::atomic<int>* stoppingSignal = nullptr;
};

int runCli(const CliOptions& options, CliEnvironment& environment);

}  // namespace nuvelo
