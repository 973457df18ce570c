#include "cli/cli_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include "build_commit.h"  // generated at every build: NUVELO_COMMIT
#include "cli/cli_job.h"
#include "cli/cli_run_log.h"
#include "cli/log_command.h"
#include "cli/search_printer.h"
#include "cli/terminal_observers.h"
#include "cli/versions_command.h"
#include "engine/copy/copy_options.h"
#include "engine/copy/copy_run.h"
#include "engine/copy/replaced_versions.h"
#include "engine/jobs/copy_run_record.h"
#include "engine/jobs/job_drive.h"
#include "engine/jobs/job_end.h"
#include "engine/jobs/job_search.h"
#include "engine/jobs/job_state.h"
#include "engine/search/search_run.h"
#include "engine/settings/job_file.h"
#include "engine/settings/profile_file.h"
#include "engine/text/output_text.h"
#include "messages/copy_messages.h"
#include "messages/failure_reasons.h"
#include "messages/file_messages.h"
#include "messages/job_messages.h"
#include "messages/run_messages.h"
#include "messages/usage_text.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

int refuse(CliEnvironment& env, const std::string& message) {
  env.err << "nuvelo-cli: " << message << '\n';
  return ExitStatus::BadUsage;
}

// Why the settings file cannot serve: a path that is no regular file is refused whatever the
// command (it is never read or replaced), and a real copy must be able to record its day
// there before it copies anything.
std::string settingsRefusal(const CliOptions& o, const std::string& path) {
  const Result<> writable = profileFileWritable(path);
  if (writable) return {};
  struct stat st {};
  if (lookUpEntry(path, st) && !S_ISREG(st.st_mode)) return notRegularFileText(path);
  return o.command == CliCommand::Copy && !o.dryRun ? cannotWriteText(writable.error().path)
                                                    : std::string();
}

// The source that cannot be searched, named with the reason: missing, not a folder, or not
// readable.
std::string sourceRefusalText(const std::string& source) {
  std::error_code why(ENOTDIR, std::generic_category());
  struct stat st {};
  if (!lookUpEntry(source, st))
    why = std::error_code(errno, std::generic_category());
  else if (S_ISDIR(st.st_mode) && access(source.c_str(), R_OK | X_OK) != 0)
    why = std::error_code(errno, std::generic_category());
  return sourceCannotBeSearchedText(terminalText(source), reasonText(why));
}

// Why the copy cannot start, before anything is searched or copied; empty when it can. A
// missing destination is made when the terminal says yes, as the window asks.
std::string copyRefusal(const CliOptions& o, CliEnvironment& env, const Job& job) {
  const std::string& destination = job.options.copy.destination;
  if (overwritePolicyOf(job.options.copy.overwrite) == OverwriteAsk && !o.dryRun && !env.canAsk)
    return askNeedsTerminalText();
  if (destination.empty()) return noDestinationText();
  if (!o.anyDrive)
    if (const auto mismatch = driveMismatch(job)) return terminalText(otherDriveText(*mismatch));
  if (destinationState(destination) == DestinationState::Exists) return {};
  // Something other than a folder (a file, a link to one) is in the way: nothing to make.
  if (struct stat st{}; lookUpEntry(destination, st, false))
    return destinationNotAFolderText(terminalText(destination));
  if (o.dryRun) return {};
  const auto answer = o.makeDestination       ? std::optional<bool>(true)
                      : env.canAsk && env.ask ? env.ask(missingDestinationQuestion())
                                              : std::nullopt;
  if (!answer || !*answer) return missingDestinationRefusedText(terminalText(destination));
  if (const Result<> made = makeDestination(destination); !made)
    return cannotMakeDestinationText(
        terminalText(made.error().path.empty() ? destination : made.error().path),
        reasonText(made.error().code));
  return {};
}

// Why the versions folder cannot take what the copy replaces; empty when it can or is not used.
std::string versionsRefusal(const Job& job) {
  const CopyOptions& copy = job.options.copy;
  if (!copy.keepReplaced) return {};
  const auto refusal =
      versionsFolderRefusal(copy.destination, copy.versionsFolder, job.options.search.sourceFolder);
  if (!refusal) return {};
  return terminalText(
      versionsFolderRefusalText(*refusal, versionsRootOf(copy.destination, copy.versionsFolder)));
}

// Holds the job's run lock for a real copy: a second run of the same job exits at once, or
// with --wait waits for the first to end. Nothing but a status to return when it cannot run.
std::optional<int> lockRun(const CliOptions& o, CliEnvironment& env, const Job& job,
                           FileLock& lock) {
  auto taken = lockJobRun(job.stateFolder, job.key, o.wait ? LockWait::UntilFree : LockWait::Never,
                          [&env] { return interrupted(env); });
  if (taken) {
    lock = std::move(*taken);
    return std::nullopt;
  }
  if (taken.error().code == std::errc::operation_canceled) return ExitStatus::Interrupted;
  env.err << "nuvelo-cli: "
          << terminalText(
                 jobRunningText(job.options.search.sourceFolder, job.options.copy.destination))
          << '\n';
  return ExitStatus::JobRunning;
}

// The closing lines on stderr: what was copied, skipped and failed, the bytes and the time
// (also after an interrupt, so that the user learns how far it got), the failed names and
// how many files wait for the next run.
void tellSummary(const CliOptions& o, CliEnvironment& env, const CopyRunResult& result,
                 std::size_t searchUnreadable, const CopyMeter& meter, std::size_t waiting) {
  if (o.quiet) return;
  // The folders that could not be read count as failures here as in the report and the log.
  CopyCounts shown = result.counts;
  shown.failed = failureCount(result, searchUnreadable);
  const std::string counts = o.dryRun ? plannedCountsText(shown) : copyCountsText(shown);
  env.err << (result.aborted ? interruptedCountsText(counts) : counts) << " ("
          << meter.summaryText(CopyMeter::Clock::now()) << ")\n";
  if (!result.failedSources.empty())
    env.err << terminalText(failedNamesText(result.failedSources)) << '\n';
  if (result.retried > 0) env.err << retriedFilesText(result.retried) << '\n';
  if (result.counts.linksLeftOut > 0)
    env.err << linksLeftOutText(result.counts.linksLeftOut) << '\n';
  if (const std::string damaged = damagedCopyCountsText(result.damaged, o.dryRun); !damaged.empty())
    env.err << damaged << '\n';
  if (const std::string versions = versionCountsText(result.versions); !versions.empty())
    env.err << terminalText(versions) << '\n';
  if (waiting > 0) env.err << waitingFilesText(waiting) << '\n';
  // Said only once everything placed is synced: the drive may be pulled on reading it.
  if (result.flush.flushed) env.err << driveMayBeRemovedText() << '\n';
}

// Ends the report with its summary line; a report that could not be written whole makes the
// run a failure.
int closeReport(const CliOptions& o, CliEnvironment& env, CopyReport* report,
                const CopyRunResult& result, std::size_t searchUnreadable, const CopyMeter& meter,
                std::size_t waiting, int status) {
  if (!report) return status;
  const auto now = CopyMeter::Clock::now();
  report->summary(result, searchUnreadable, meter.bytesCopied(),
                  std::chrono::duration<double>(now - meter.started()).count(), o.dryRun,
                  result.aborted, waiting);
  if (report->close()) return status;
  // Standard output that failed is told once, when the run ends.
  if (!o.reportsToStandardOutput())
    env.err << "nuvelo-cli: " << terminalText(cannotWriteText(*o.report)) << '\n';
  return status == ExitStatus::Done ? ExitStatus::SomeFailed : status;
}

// The copy's sources: the entries the search found, a file by its size with a kibibyte to spare
// as the window's rows count it, a folder taken whole by what its tree holds when gathered.
std::vector<CopySource> copySourcesOf(const std::vector<WalkEntry>& entries) {
  std::vector<CopySource> sources;
  sources.reserve(entries.size());
  for (const WalkEntry& entry : entries) {
    CopySource source{entry.path, entry.kind == EntryKind::Folder, std::nullopt};
    if (!source.isFolder)
      source.bytesAtMost = (static_cast<std::uint64_t>(entry.bytes) / 1024 + 1) * 1024;
    sources.push_back(std::move(source));
  }
  return sources;
}

// What the search found, for the job's record of the run.
struct SearchRecord {
  CivilDate dayOfList;
  std::int64_t listStarted = 0;
  std::vector<std::string> listed;
  std::vector<std::string> unreadable;
};

// Records the run in the job's state: its day when it copied to its end, and its retry list.
// Nothing is recorded of a dry run or of a copy that never started.
std::optional<JobEnd> recordCopy(CliEnvironment& env, const CliOptions& o, const Job& job,
                                 const SearchRecord& search, const CopyRunResult& result,
                                 const std::vector<std::string>& copyList, int& status) {
  if (o.dryRun || result.refusedForRoom) return std::nullopt;
  RunRecord run;
  run.dayOfList = search.dayOfList;
  run.listStarted = search.listStarted;
  run.completed = result.completed(false);
  run.listed = search.listed;
  addCopyRun(run, copyList, result);
  run.failed.insert(run.failed.end(), search.unreadable.begin(), search.unreadable.end());
  const Result<JobEnd> end = recordRun(job, run);
  if (end) return *end;
  env.err << "nuvelo-cli: " << terminalText(cannotWriteText(end.error().path)) << '\n';
  if (status == ExitStatus::Done) status = ExitStatus::SomeFailed;
  return std::nullopt;
}

int runCopyJob(const CliOptions& o, CliEnvironment& env, const Job& job, const WalkFilter& filter,
               const SearchOutcome& found, const SearchRecord& search, CopyReport* report,
               CliRunLog* log) {
  ProgressLine progress(env);
  const std::vector<CopySource> sources = copySourcesOf(found.entries);
  CopyRequest request = copyRequestOf(job.options.copy, job.options.search.sourceFolder, filter);
  request.dryRun = o.dryRun;
  request.chunkFault = env.chunkFault;
  request.flushWatch = env.flushWatch;
  const ComparisonFindings& comparison = found.comparison;
  if (!comparison.damagedCopies.empty())
    request.damagedCopies = std::make_shared<const DamagedCopies>(comparison.damagedCopies.begin(),
                                                                  comparison.damagedCopies.end());
  request.unreadableSources = comparison.unreadableSources;
  CopyMeter meter(CopyMeter::Clock::now());
  std::vector<std::string> copyList;
  const OverwritePolicy overwrite = overwritePolicyOf(job.options.copy.overwrite);
  TerminalCopyObserver observer(env, progress, o, overwrite, copyList, meter, report);
  const CopyRunResult result = runCopy(sources, {}, request, observer, copyList);
  observer.finishProgress();
  if (log) log->copied(result, meter.bytesCopied(), 0);
  if (result.refusedForRoom) return copyRunStatus(result, 0, false);
  if (result.aborted && !interrupted(env) && observer.unanswered())
    env.err << "nuvelo-cli: " << unansweredQuestionText() << '\n';
  if (result.attributesNote && !o.quiet)
    env.err << "nuvelo-cli: " << attributesNoteText(*result.attributesNote) << '\n';
  if (result.versions.pruneFailure)
    env.err << "nuvelo-cli: " << terminalText(pruneFailureText(*result.versions.pruneFailure))
            << '\n';
  if (result.outOfMemory) env.err << "nuvelo-cli: " << copyOutOfMemoryText() << '\n';
  if (result.flush.failure)
    env.err << "nuvelo-cli: " << terminalText(flushFailureText(*result.flush.failure)) << '\n';
  const std::size_t unreadable = found.unreadable.size() + observer.unreadable();
  int status = copyRunStatus(result, unreadable, false);
  const auto end = recordCopy(env, o, job, search, result, copyList, status);
  const std::size_t waiting = end ? end->waiting : 0;
  if (log) log->copied(result, meter.bytesCopied(), waiting);
  tellSummary(o, env, result, unreadable, meter, waiting);
  return closeReport(o, env, report, result, unreadable, meter, waiting, status);
}

// Why standard output could not be written, said once. A stream tells no reason of its own:
// errno, cleared before the last flush, is what a failed write left.
std::string outputFailureText(const CliEnvironment& env, int error) {
  if (env.outputClosed && env.outputClosed()) return outputClosedText();
  return cannotWriteStandardOutputText() +
         (error ? ": " + reasonText(std::error_code(error, std::generic_category())) : "");
}

// Output that could not be written, on stdout or on stderr (where nothing more can be said),
// is a failure, whatever else went well.
int withOutputChecked(CliEnvironment& env, int status) {
  errno = 0;
  env.out.flush();
  const int error = errno;
  const bool outWritten = static_cast<bool>(env.out);
  if (!outWritten) env.err << "nuvelo-cli: " << outputFailureText(env, error) << '\n';
  env.err.flush();
  if (outWritten && env.err) return status;
  return status == ExitStatus::Done ? ExitStatus::SomeFailed : status;
}

// Names on stderr each exclusion of the list that left nothing out, in the words `unmet` gives.
template <class Unmet>
void warnOfUnmet(CliEnvironment& env, const std::vector<std::string>& entries,
                 const std::vector<std::atomic<std::uint64_t>>& counts, Unmet unmet) {
  for (std::size_t i = 0; i < counts.size(); ++i)
    if (counts[i].load() == 0) env.err << "nuvelo-cli: " << terminalText(unmet(entries[i])) << '\n';
}

// An exclusion the user wrote for this job (on the command line, or excluded folders in its
// condition or job file) that left nothing out is most often a misspelt one: each is named on
// stderr. The settings file's extensions are a standing list, and a tree without such files is
// no mistake; so are name patterns read from a file (--exclude-from, a job file, the settings),
// lists of the clutter some trees hold and others do not. `typedNames`: the --exclude-name ones.
void warnOfUnmetExclusions(CliEnvironment& env, const OptionLayer& resolved,
                           const std::vector<std::string>& typedNames, const WalkFilter& filter,
                           const ExclusionTally& tally) {
  const std::string commandLine = commandLineOrigin();
  const std::string& foldersFrom = resolved.excludedSubfolders.where;
  if (foldersFrom == commandLine)
    warnOfUnmet(env, filter.excludedSubfolders, tally.folders, unmetFolderExclusionText);
  else if (!foldersFrom.empty())
    warnOfUnmet(env, filter.excludedSubfolders, tally.folders,
                [&foldersFrom](const std::string& folder) {
                  return unmetListedFolderExclusionText(foldersFrom, folder);
                });
  if (resolved.excludedExtensions.where == commandLine)
    warnOfUnmet(env, filter.excludedExtensions, tally.extensions, unmetExtensionExclusionText);
  if (resolved.excludedNames.where == commandLine)
    for (std::size_t i = 0; i < tally.names.size(); ++i)
      if (tally.names[i].load() == 0 && std::find(typedNames.begin(), typedNames.end(),
                                                  filter.excludedNames[i]) != typedNames.end())
        env.err << "nuvelo-cli: " << terminalText(unmetNameExclusionText(filter.excludedNames[i]))
                << '\n';
}

// The search of the job, its rows printed as the printer wants them.
SearchOutcome searchJob(CliEnvironment& env, const Job& job, const WalkFilter& filter,
                        SearchPrinter* printer) {
  ProgressLine progress(env);
  TerminalWalkObserver observer(env, progress, searchingText());
  if (printer && printer->streams())
    observer.onFound(
        [printer, &progress](const WalkEntry& entry) {
          progress.clear();
          printer->found(entry);
        },
        false);
  if (printer) observer.abortWhen(printer->unwritable());
  SearchOutcome found = runJobSearch(job, filter, observer);
  observer.finishProgress();
  return found;
}

// What a comparison could not read, on stderr: each copy it takes as damaged, and for a search
// each source it could not read (a copy tells those as its failures).
void tellUnreadSides(const CliOptions& o, CliEnvironment& env, const ComparisonFindings& found) {
  for (const Failure& copy : found.unreadableCopies)
    env.err << "nuvelo-cli: " << terminalText(unreadableCopyText(copy.path, reasonText(copy.code)))
            << '\n';
  if (o.command == CliCommand::Copy) return;
  for (const Failure& source : found.unreadableSources)
    env.err << "nuvelo-cli: "
            << terminalText(unreadableSourceText(source.path, reasonText(source.code))) << '\n';
}

// A search that ran out of memory: nothing is copied, and a copy still ends with its summary and
// its report's last line.
int searchOutOfMemory(const CliOptions& o, CliEnvironment& env, CopyReport* report) {
  env.err << "nuvelo-cli: " << searchOutOfMemoryText() << '\n';
  if (o.command != CliCommand::Copy) return ExitStatus::SomeFailed;
  CopyRunResult nothing;
  nothing.outOfMemory = true;
  const CopyMeter meter(CopyMeter::Clock::now());
  tellSummary(o, env, nothing, 0, meter, 0);
  return closeReport(o, env, report, nothing, 0, meter, 0, ExitStatus::SomeFailed);
}

SearchRecord searchRecordOf(const Job& job, CivilDate dayOfList, std::int64_t listStarted,
                            const SearchOutcome& found) {
  SearchRecord record;
  record.dayOfList = dayOfList;
  record.listStarted = listStarted;
  // The list is read only to judge the files that waited.
  if (!job.waiting.empty())
    for (const WalkEntry& entry : found.entries) record.listed.push_back(entry.path);
  for (const UnreadableFolder& folder : found.unreadable) record.unreadable.push_back(folder.path);
  return record;
}

// A real copy is logged from the moment its search starts (`log`); what is refused before that
// never ran.
int runJob(const CliOptions& o, CliEnvironment& env, std::optional<CliRunLog>& log) {
  const std::string settingsPath = o.settings.value_or(env.defaultSettingsPath);
  if (std::string why = settingsRefusal(o, settingsPath); !why.empty()) return refuse(env, why);
  Job job;
  if (std::string why = resolveCliJob(o, env, settingsPath, job); !why.empty())
    return refuse(env, why);
  if (o.verbose) tellOptionOrigins(env, job.resolved);
  if (job.untrustedDay && !o.quiet)
    env.err << "nuvelo-cli: " << terminalText(futureLastCopyDayText(*job.untrustedDay)) << '\n';
  const std::string& source = job.options.search.sourceFolder;
  if (const auto refusal = searchRefusal(source))
    return refuse(env, *refusal == SearchRefusal::BadSource ? sourceRefusalText(source)
                                                            : searchRefusalText(*refusal));
  const bool copy = o.command == CliCommand::Copy;
  std::optional<CopyReport> report;
  FileLock runLock;
  if (copy) {
    if (const std::string why = copyRefusal(o, env, job); !why.empty()) return refuse(env, why);
    if (const std::string why = versionsRefusal(job); !why.empty()) return refuse(env, why);
    if (!o.dryRun)
      if (const auto status = lockRun(o, env, job, runLock)) return *status;
    const std::time_t started = std::time(nullptr);
    if (o.reportsToStandardOutput())
      report.emplace(env.out, started);
    else if (o.report && !report.emplace(*o.report, started).ok())
      return refuse(env, cannotWriteText(terminalText(*o.report)));
    if (!o.dryRun) log.emplace(o, job, started);
  }

  WalkFilter filter = walkFilterOf(job);
  ExclusionTally tally(filter.excludedSubfolders.size(), filter.excludedExtensions.size(),
                       filter.excludedNames.size());
  filter.exclusionTally = &tally;
  std::optional<SearchPrinter> printer;
  if (!copy) printer.emplace(o, env.out, job.options.copy.dirAbs, source);
  // The day the list is made: what changes after this moment is taken by the next run.
  const CivilDate dayOfList = env.today();
  const std::int64_t listStarted = std::time(nullptr);
  const SearchOutcome found = searchJob(env, job, filter, printer ? &*printer : nullptr);
  if (log) log->searched(found);
  if (found.aborted) {
    if (printer) printer->finish({});  // the rows streamed before the abort
    // Not interrupted: the search's rows could no longer be written, and it stopped.
    return interrupted(env) ? ExitStatus::Interrupted : ExitStatus::SomeFailed;
  }
  if (found.outOfMemory) return searchOutOfMemory(o, env, report ? &*report : nullptr);
  if (!o.quiet) warnOfUnmetExclusions(env, job.resolved, o.excludedNames, filter, tally);
  tellUnreadSides(o, env, found.comparison);
  if (copy)
    return runCopyJob(o, env, job, filter, found,
                      searchRecordOf(job, dayOfList, listStarted, found),
                      report ? &*report : nullptr, log ? &*log : nullptr);
  printer->finish(found.entries);
  if (!o.quiet) {
    env.err << printer->totalsText() << '\n';
    if (const std::size_t damaged = found.comparison.damagedCopies.size(); damaged > 0)
      env.err << damagedCopiesFoundText(damaged) << '\n';
  }
  return found.unreadable.empty() && found.comparison.unreadableSources.empty()
             ? ExitStatus::Done
             : ExitStatus::SomeFailed;
}

}  // namespace

int runCli(const CliOptions& o, CliEnvironment& env) {
  if (o.command == CliCommand::Help) {
    env.out << usageText();
    return withOutputChecked(env, ExitStatus::Done);
  }
  if (o.command == CliCommand::Version) {
    env.out << "nuvelo-cli " << NUVELO_VERSION;
    if (*NUVELO_COMMIT) env.out << " (" << NUVELO_COMMIT << ')';
    env.out << '\n';
    return withOutputChecked(env, ExitStatus::Done);
  }
  if (o.command == CliCommand::Versions) return withOutputChecked(env, runVersions(o, env));
  if (o.command == CliCommand::Log) return withOutputChecked(env, runLogCommand(o, env));
  std::optional<CliRunLog> log;
  int status = ExitStatus::SomeFailed;
  try {
    status = withOutputChecked(env, runJob(o, env, log));
  } catch (const std::bad_alloc&) {
    // Memory ran out beyond the search's and the copy's own runs (which end with their summary):
    // the run ends as failed, not as a crash, and records nothing but its line in the log.
    env.err << "nuvelo-cli: "
            << (o.command == CliCommand::Copy ? copyOutOfMemoryText() : searchOutOfMemoryText())
            << '\n';
  }
  // A run stopped by SIGTERM ends as a shell reports a program that SIGTERM ended.
  if (status == ExitStatus::Interrupted && env.stoppingSignal &&
      env.stoppingSignal->load() == SIGTERM)
    status = ExitStatus::Terminated;
  if (log) log->end(env, status, std::time(nullptr));
  return status;
}

}  // namespace nuvelo
