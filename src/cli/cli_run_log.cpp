#include "cli/cli_run_log.h"

#include "engine/runlog/run_log_file.h"
#include "engine/text/output_text.h"
#include "messages/failure_reasons.h"
#include "messages/run_log_texts.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {

CliRunLog::CliRunLog(const CliOptions& o, const Job& job, std::time_t started)
    : settingsPath_(job.settingsPath) {
  entry_.start = isoLocalTime(started);
  entry_.from = "cli";
  const auto& namingFile = o.job ? o.job : o.conditions;
  if (namingFile) entry_.job = absoluteCleanPath(*namingFile);
  // Absolute, as the log is read later from anywhere.
  entry_.source = absoluteCleanPath(job.options.search.sourceFolder);
  entry_.destination = absoluteCleanPath(job.options.copy.destination);
}

void CliRunLog::searched(const SearchOutcome& found) {
  entry_.found = found.entries.size();
  for (const UnreadableFolder& folder : found.unreadable) unreadable_.push_back(folder.path);
  countCopyRun(entry_, CopyRunResult{}, unreadable_);  // what stands if no copy follows
}

void CliRunLog::copied(const CopyRunResult& result, std::uint64_t bytes, std::size_t waiting) {
  countCopyRun(entry_, result, unreadable_);
  entry_.bytes = bytes;
  entry_.waiting = waiting;
}

void CliRunLog::end(CliEnvironment& env, int status, std::time_t ended) {
  entry_.end = isoLocalTime(ended);
  entry_.exitStatus = status;
  const std::string path = runLogPath(settingsPath_);
  if (const Result<> appended = appendRunLog(path, runLogLine(entry_)); !appended)
    env.err << "nuvelo-cli: "
            << terminalText(runLogUnwritableText(
                   appended.error().path.empty() ? path : appended.error().path,
                   reasonText(appended.error().code)))
            << '\n';
}

}  // namespace nuvelo
