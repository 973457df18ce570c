#include "cli/cli_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "build_commit.h"  // generated at every build: NUVELO_COMMIT
#include "cli/output_text.h"
#include "cli/search_printer.h"
#include "cli/terminal_observers.h"
#include "engine/copy/copy_run.h"
#include "engine/search/file_date.h"
#include "engine/search/search_run.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/profile_file.h"
#include "engine/settings/settings_file.h"
#include "messages/copy_messages.h"
#include "messages/failure_reasons.h"
#include "messages/run_messages.h"
#include "messages/wording.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

// The search and copy conditions after the settings file, a condition file and the options
// have had their say, in that order.
struct Job {
  std::string settingsPath;
  MainWindowSettings settings;
  std::string source;
  std::string destination;
  std::string jobKey;  // where --since-last finds this job's day in [Jobs]
  WalkFilter filter;
  bool dirAbs = true;
  bool driveLetter = true;
  OverwritePolicy overwrite = OverwriteAsk;
  bool verify = false;
};

class NoTypes : public TypeNamer {
 public:
  std::uint16_t typeOf(std::string_view, EntryKind) override { return 0; }
};

int refuse(CliEnvironment& env, const std::string& message) {
  env.err << message << '\n';
  return ExitStatus::BadUsage;
}

std::optional<CivilDate> parseSlashDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return std::nullopt;
  std::string iso = text;
  iso[4] = iso[7] = '-';
  return parseIsoDate(iso);
}

// The message for a settings file that cannot be written.
std::string settingsWriteText(const Failure& failure) {
  return fill("{1} に書き込めません", {failure.path});
}

// Why the settings file cannot serve: a path that is no regular file is refused whatever the
// command (it is never read or replaced), and a real copy must be able to record its day
// there before it copies anything.
std::string settingsRefusal(const CliOptions& o, const std::string& path) {
  const Result<> writable = profileFileWritable(path);
  if (writable) return {};
  struct stat st {};
  if (lookUpEntry(path, st) && !S_ISREG(st.st_mode))
    return fill("{1} は通常のファイルではありません", {path});
  return o.command == CliCommand::Copy && !o.dryRun ? settingsWriteText(writable.error())
                                                    : std::string();
}

// Resolves the job; a non-empty message on failure.
std::string resolveJob(const CliOptions& o, const CliEnvironment& env, Job& job) {
  job.settingsPath = o.settings.value_or(env.defaultSettingsPath);
  if (std::string why = settingsRefusal(o, job.settingsPath); !why.empty()) return why;
  job.settings = readMainWindowSettings(ProfileFile(job.settingsPath));
  std::optional<SearchConditions> conditions;
  if (o.conditions) {
    conditions = readConditionFile(*o.conditions);
    if (!conditions) return invalidConditionFileText();
  }
  job.source = cleanSourceFolder(o.source.value_or(conditions ? conditions->source : ""));
  job.destination = o.destination.value_or(conditions ? conditions->destination : "");

  job.jobKey = jobKey(o.conditions ? cleanSourceFolder(*o.conditions) : std::string(), job.source,
                      job.destination.empty() ? std::string() : cleanSourceFolder(job.destination));
  CivilDate since = civilDateOf(todayValue());
  if (o.sinceLast) {
    // A job copied before starts from its own day; a new one from the window's last copy.
    const auto last = parseSlashDate(
        readJobDate(ProfileFile(job.settingsPath), job.jobKey).value_or(job.settings.lastCopyDate));
    if (!last) return fill("前回コピーした日付がありません ({1})", {job.settingsPath});
    since = *last;
  } else if (o.since && o.since->day) {
    since = *o.since->day;
  }
  job.filter.since = o.since && o.since->instant ? SinceThreshold::forInstant(*o.since->instant)
                                                 : SinceThreshold::forDay(dateValueOf(since));
  job.filter.sourceText = job.source;
  job.filter.includeSubfolders =
      o.includeSubfolders.value_or(conditions ? conditions->includeSubfolders : job.settings.includeSubfolders);
  job.filter.excludedSubfolders =
      o.excludedSubfolders.value_or(conditions ? conditions->excludedSubfolders : std::vector<std::string>{});
  job.filter.excludedExtensions =
      o.excludedExtensions.value_or(conditions ? conditions->excludedExtensions : job.settings.excludedExtensions);
  job.filter.perFolder = o.perFolder.value_or(job.settings.perFolder);
  job.filter.threads = o.threads.value_or(job.settings.threads);
  job.dirAbs = o.dirAbs.value_or(job.settings.dirAbs);
  job.driveLetter = o.driveLetter.value_or(job.settings.addDriveLetter);
  job.overwrite = o.overwrite.value_or(overwritePolicyOf(job.settings.overwrite));
  job.verify = o.verify.value_or(job.settings.verify);
  return {};
}

// Why the copy cannot start, before anything is searched or copied; empty when it can. A
// missing destination is made when the terminal says yes, as the window asks.
std::string copyRefusal(const CliOptions& o, CliEnvironment& env, const Job& job) {
  if (job.overwrite == OverwriteAsk && !o.dryRun && !env.canAsk)
    return std::string(
        wording("--overwrite ask には質問に答える端末が要ります。端末なしで実行するときは "
                "--overwrite newer|always|never のどれかを指定してください"));
  switch (destinationState(job.destination)) {
    case DestinationState::NotGiven:
      return noDestinationText();
    case DestinationState::Exists:
      return {};
    case DestinationState::Missing:
      break;
  }
  if (o.dryRun) return {};
  const auto answer = o.makeDestination       ? std::optional<bool>(true)
                      : env.canAsk && env.ask ? env.ask(missingDestinationQuestion())
                                              : std::nullopt;
  if (!answer || !*answer)
    return std::string(wording("コピー先が存在しません。作るときは --mkdir を指定してください"));
  if (!makeDestination(job.destination)) return cannotMakeDestinationText();
  return {};
}

std::vector<ResultRow> rowsOf(const SearchOutcome& found, const Job& job, TypeNamer& types) {
  return buildResultRows(found.entries, job.dirAbs, job.source, types);
}

// Records the day only when everything listed was carried or deliberately left, and says so
// when it does not.
int recordDay(CliEnvironment& env, const Job& job, const CopyRunResult& result,
              std::size_t unreadable) {
  if (result.mayRecordDate(false) && unreadable == 0) {
    ProfileFile settingsFile(job.settingsPath);
    const CivilDate today = civilDateOf(todayValue());
    Result<> written = writeLastCopyDate(settingsFile, today);
    if (written) written = writeJobDate(settingsFile, job.jobKey, today);
    if (written) return ExitStatus::Done;
    env.err << settingsWriteText(written.error()) << '\n';
    return ExitStatus::SomeFailed;
  }
  env.err << fill(
                 "前回コピーした日付は変えません (失敗 {1}個: 次の --since-last "
                 "でもう一度対象になります)",
                 {std::to_string(result.counts.failed + unreadable)})
          << '\n';
  return ExitStatus::SomeFailed;
}

// The closing lines on stderr: what was copied, skipped and failed, the bytes and the time
// (also after an interrupt, so that the user learns how far it got), and the failed names.
void tellSummary(const CliOptions& o, CliEnvironment& env, const CopyRunResult& result,
                 const CopyMeter& meter) {
  if (o.quiet) return;
  const std::string counts =
      o.dryRun ? plannedCountsText(result.counts) : copyCountsText(result.counts);
  env.err << (result.aborted ? fill("中断しました: {1}", {counts}) : counts) << " ("
          << meter.summaryText(CopyMeter::Clock::now()) << ")\n";
  if (!result.failedSources.empty())
    env.err << terminalText(failedNamesText(result.failedSources)) << '\n';
}

// Ends the report with its summary line; a report that could not be written whole makes the
// run a failure.
int closeReport(const CliOptions& o, CliEnvironment& env, CopyReport* report,
                const CopyRunResult& result, const CopyMeter& meter, int status) {
  if (!report) return status;
  const auto now = CopyMeter::Clock::now();
  report->summary(result.counts, meter.bytesCopied(),
                  std::chrono::duration<double>(now - meter.started()).count(), o.dryRun,
                  result.aborted);
  if (report->close()) return status;
  env.err << "nuvelo-cli: " << terminalText(fill("{1} に書き込めません", {*o.report})) << '\n';
  return status == ExitStatus::Done ? ExitStatus::SomeFailed : status;
}

// The status of a copy that ran to its end, and the day recorded when it may be.
int copyStatus(const CliOptions& o, CliEnvironment& env, const Job& job,
               const CopyRunResult& result, std::size_t unreadable) {
  if (result.attributesNote && !o.quiet)
    env.err << "nuvelo-cli: " << attributesNoteText(*result.attributesNote) << '\n';
  if (o.dryRun)
    return result.counts.failed + unreadable ? ExitStatus::SomeFailed : ExitStatus::Done;
  return recordDay(env, job, result, unreadable);
}

int runCopyJob(const CliOptions& o, CliEnvironment& env, const Job& job, const SearchOutcome& found,
               std::size_t unreadable, CopyReport* report) {
  ProgressLine progress(env);
  NoTypes noTypes;
  const std::vector<ResultRow> rows = rowsOf(found, job, noTypes);
  CopyRequest request;
  request.rule = {job.dirAbs, job.driveLetter, job.source, PathStyle::Posix};
  request.destination = job.destination;
  request.overwrite = job.overwrite;
  request.filter = job.filter;
  request.dryRun = o.dryRun;
  request.verify = job.verify;
  CopyMeter meter(CopyMeter::Clock::now());
  std::vector<std::string> copyList;
  TerminalCopyObserver observer(env, progress, o, job.overwrite, copyList, meter, report);
  const CopyRunResult result = runCopy(rows, request, observer, copyList);
  progress.clear();
  unreadable += observer.unreadable();
  if (result.refusedForRoom) return ExitStatus::BadUsage;
  if (result.aborted && !interrupted(env) && observer.unanswered())
    env.err << "nuvelo-cli: " << wording("質問に答えがなかったので中止しました") << '\n';
  tellSummary(o, env, result, meter);
  const int status =
      result.aborted ? ExitStatus::Interrupted : copyStatus(o, env, job, result, unreadable);
  return closeReport(o, env, report, result, meter, status);
}

// Output that could not be written is a failure, whatever else went well. A stream tells no
// reason of its own: errno, cleared before the flush, is what a failed write left.
int withOutputChecked(CliEnvironment& env, int status) {
  errno = 0;
  env.out.flush();
  if (env.out) return status;
  env.err << "nuvelo-cli: " << wording("標準出力に書き込めません")
          << (errno ? ": " + reasonText(std::error_code(errno, std::generic_category())) : "")
          << '\n';
  return status == ExitStatus::Done ? ExitStatus::SomeFailed : status;
}

// Names on stderr each exclusion of the list that left nothing out.
void warnOfUnmet(CliEnvironment& env, const std::vector<std::string>& entries,
                 const std::vector<std::atomic<std::uint64_t>>& counts, std::string_view pattern) {
  for (std::size_t i = 0; i < counts.size(); ++i)
    if (counts[i].load() == 0)
      env.err << "nuvelo-cli: " << terminalText(fill(pattern, {entries[i]})) << '\n';
}

// An exclusion given on the command line that left nothing out is most often a misspelt one:
// each is named on stderr. Those of the settings or condition file are standing lists, and a
// tree without such files is no mistake.
void warnOfUnmetExclusions(const CliOptions& o, CliEnvironment& env, const WalkFilter& filter,
                           const ExclusionTally& tally) {
  if (o.excludedSubfolders)
    warnOfUnmet(env, filter.excludedSubfolders, tally.folders,
                wording("--exclude-folder {1} に当たるフォルダはありませんでした"));
  if (o.excludedExtensions)
    warnOfUnmet(env, filter.excludedExtensions, tally.extensions,
                wording("--exclude-ext {1} に当たるファイルはありませんでした"));
}

int runJob(const CliOptions& o, CliEnvironment& env) {
  Job job;
  if (const std::string why = resolveJob(o, env, job); !why.empty()) return refuse(env, why);
  if (const auto refusal = searchRefusal(job.source))
    return refuse(env, searchRefusalText(*refusal));
  const bool copy = o.command == CliCommand::Copy;
  std::optional<CopyReport> report;
  if (copy) {
    if (const std::string why = copyRefusal(o, env, job); !why.empty()) return refuse(env, why);
    if (o.report && !report.emplace(*o.report).ok())
      return refuse(env, fill("{1} に書き込めません", {terminalText(*o.report)}));
    job.filter.leftOutFolder = destinationInsideSource(job.source, job.destination);
  }

  ExclusionTally tally(job.filter.excludedSubfolders.size(), job.filter.excludedExtensions.size());
  job.filter.exclusionTally = &tally;
  std::optional<SearchPrinter> printer;
  if (!copy) printer.emplace(o, env.out, job.dirAbs, job.source);
  SearchOutcome found;
  std::size_t unreadable = 0;
  {
    ProgressLine progress(env);
    TerminalWalkObserver observer(env, progress, std::string(wording("検索中です")));
    if (printer && printer->streams())
      observer.onFound([&printer, &progress](const WalkEntry& entry) {
        progress.clear();
        printer->found(entry);
      });
    found = runSearch(job.source, job.filter, observer);
    unreadable = found.unreadable.size();
  }
  if (found.aborted) return ExitStatus::Interrupted;
  if (!o.quiet) warnOfUnmetExclusions(o, env, job.filter, tally);
  if (copy) return runCopyJob(o, env, job, found, unreadable, report ? &*report : nullptr);
  printer->finish(found.entries);
  if (!o.quiet) env.err << printer->totalsText() << '\n';
  return unreadable ? ExitStatus::SomeFailed : ExitStatus::Done;
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
  return withOutputChecked(env, runJob(o, env));
}

}  // namespace nuvelo
