#pragma once
// Runs nuvelo-cli's command line in this process, with its output caught, a settings file of
// the test's own and scripted answers for the terminal.

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"

namespace nuvelo::testing {

class CliHarness {
 public:
  explicit CliHarness(std::string settingsPath) : settingsPath_(std::move(settingsPath)) {}

  // The words of a command line, split at blanks.
  int run(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream in(line);
    for (std::string w; in >> w;) args.push_back(w);
    return run(args);
  }
  int run(const std::vector<std::string>& args) {
    out.str({});
    err.str({});
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.options) {
      err << parsed.error;
      return ExitStatus::BadUsage;
    }
    CliEnvironment env{
        out,   err,          ask,           askReplace ? askReplace : yesOrNoToReplace(),
        false, &interrupted, settingsPath_, static_cast<bool>(ask || askReplace),
        clock, chunkFault};
    return runCli(*parsed.options, env);
  }
  // The lines of standard output, sorted.
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) result.push_back(l);
    std::sort(result.begin(), result.end());
    return result;
  }

  std::ostringstream out;
  std::ostringstream err;
  std::atomic<bool> interrupted{false};
  std::function<std::optional<bool>(const std::string&)> ask;
  // The replace question; when not set, ask() answers it with yes or no.
  std::function<std::optional<ReplaceChoice>(const std::string&)> askReplace;
  std::function<CivilDate()> clock;  // nothing: the real today
  // Called after each chunk a copy writes, on the thread that writes it (a fault to inject).
  std::function<int(std::uint64_t)> chunkFault;

 private:
  std::function<std::optional<ReplaceChoice>(const std::string&)> yesOrNoToReplace() {
    if (!ask) return {};
    return [this](const std::string& question) -> std::optional<ReplaceChoice> {
      const auto yes = ask(question);
      if (!yes) return std::nullopt;
      return *yes ? ReplaceChoice::Replace : ReplaceChoice::Keep;
    };
  }

  std::string settingsPath_;
};

}  // namespace nuvelo::testing
