#include "cli/cli_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "cli/output_text.h"
#include "cli/search_output.h"
#include "engine/copy/copy_run.h"
#include "engine/search/file_date.h"
#include "engine/search/search_run.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/profile_file.h"
#include "engine/settings/settings_file.h"
#include "messages/copy_messages.h"
#include "messages/failure_reasons.h"
#include "messages/run_messages.h"
#include "messages/totals_text.h"
#include "messages/wording.h"
#include "platform/posix/filesystem.h"
#include "platform/qtcore/display_formats.h"
#include "platform/qtcore/file_types.h"

namespace nuvelo {
namespace {

// The search and copy conditions after the settings file, a condition file and the options
// have had their say, in that order.
struct Job {
  std::string settingsPath;
  MainWindowSettings settings;
  std::string source;
  std::string destination;
  WalkFilter filter;
  bool dirAbs = true;
  bool driveLetter = true;
  OverwritePolicy overwrite = OverwriteAsk;
  bool verify = false;
};

// A progress line on a terminal's stderr, redrawn at most ten times a second.
class ProgressLine {
 public:
  explicit ProgressLine(CliEnvironment& env) : env_(env) {}
  ~ProgressLine() { clear(); }
  void show(const std::string& text) {
    if (!env_.progressOnErr) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    shown_ = true;
    env_.err << "\r\x1b[K" << text << std::flush;
  }
  void clear() {
    if (shown_) env_.err << "\r\x1b[K" << std::flush;
    shown_ = false;
  }

 private:
  CliEnvironment& env_;
  std::chrono::steady_clock::time_point last_;
  bool shown_ = false;
};

class NoTypes : public TypeNamer {
 public:
  std::uint16_t typeOf(std::string_view, EntryKind) override { return 0; }
};

bool interrupted(const CliEnvironment& env) {
  return env.interrupted && env.interrupted->load();
}

int refuse(CliEnvironment& env, const std::string& message) {
  env.err << message << '\n';
  return ExitStatus::BadUsage;
}

// The terminal's side of a walk: Ctrl+C aborts, a progress line counts the entries read, and
// every folder that cannot be read is named on stderr.
class TerminalWalkObserver : public virtual WalkObserver {
 public:
  TerminalWalkObserver(CliEnvironment& env, ProgressLine& progress, const char* activity)
      : env_(env), progress_(progress), activity_(activity) {}
  bool abortRequested() override { return interrupted(env_); }
  void entryRead() override {
    if (env_.progressOnErr)
      progress_.show(std::string(activity_) + " " + std::to_string(++entries_));
  }
  void folderUnreadable(const UnreadableFolder& folder) override {
    progress_.clear();
    env_.err << "nuvelo-cli: フォルダを読めません: " << terminalText(folder.path) << ": "
             << reasonText(folder.code) << '\n';
    ++unreadable_;
  }
  std::size_t unreadable() const { return unreadable_; }

 protected:
  CliEnvironment& env_;
  ProgressLine& progress_;

 private:
  const char* activity_;
  std::uint64_t entries_ = 0;
  std::size_t unreadable_ = 0;
};

std::string skipReason(const EntryReport& report, OverwritePolicy overwrite) {
  if (report.kind == EntryReport::SameFile) return sameFileText();
  if (report.kind == EntryReport::Declined) return "置き換えませんでした";
  if (overwrite == OverwriteNever) return "コピー先に同名のファイルがあります";
  return "コピー先のファイルは新しいか同じです";
}

// The terminal's side of a copy run: one line per file on stdout, failures on stderr, the
// replace question on the terminal.
class TerminalCopyObserver : public CopyObserver, public TerminalWalkObserver {
 public:
  TerminalCopyObserver(CliEnvironment& env, ProgressLine& progress, const CliOptions& options,
                       OverwritePolicy overwrite)
      : TerminalWalkObserver(env, progress, "収集中です"),
        options_(options),
        overwrite_(overwrite) {}

  void copyStarting(std::size_t files) override { files_ = files; }
  ReplaceAnswer askReplace(const std::string& target) override {
    progress_.clear();
    const auto answer =
        env_.ask ? env_.ask(terminalText(replaceQuestionText(target))) : std::nullopt;
    if (!answer) {
      unanswered_ = true;
      return ReplaceAnswer::Stop;
    }
    return *answer ? ReplaceAnswer::Replace : ReplaceAnswer::Keep;
  }
  void copyFailed(const EntryReport& report) override {
    progress_.clear();
    env_.err << "failed\t" << tsvField(report.source) << '\t' << tsvField(report.target) << '\t'
             << tsvField(reasonText(report.failure)) << '\n';
  }
  void fileDone(const EntryReport& report) override {
    progress_.clear();
    if (!options_.quiet) printLine(report);
    progress_.show("コピー中です " + std::to_string(++done_) + "/" + std::to_string(files_));
  }
  bool proceedWithoutRoom(const SpaceShortage& shortage) override {
    progress_.clear();
    env_.err << "nuvelo-cli: " << spaceShortageText(shortage)
             << (options_.ignoreFreeSpace ? "。--ignore-free-space によりコピーします\n"
                                          : "。それでもコピーするときは --ignore-free-space\n");
    return options_.ignoreFreeSpace;
  }
  bool unanswered() const { return unanswered_; }

 private:
  void printLine(const EntryReport& report) {
    const bool dry = options_.dryRun;
    switch (report.kind) {
      case EntryReport::Copied:
        env_.out << (dry ? "would copy\t" : "copied\t") << tsvField(report.source) << '\t'
                 << tsvField(report.target) << '\n';
        break;
      case EntryReport::NotCopied:
      case EntryReport::Declined:
      case EntryReport::SameFile:
        if (!options_.verbose) break;  // what stays as it was is told only when asked
        env_.out << (dry ? "would skip\t" : "skipped\t") << tsvField(report.source) << '\t'
                 << tsvField(report.target) << '\t' << skipReason(report, overwrite_) << '\n';
        break;
      case EntryReport::Stopped:
      case EntryReport::Failed:
        break;
    }
  }

  const CliOptions& options_;
  OverwritePolicy overwrite_;
  std::size_t files_ = 0;
  std::size_t done_ = 0;
  bool unanswered_ = false;
};

std::optional<CivilDate> parseSlashDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return std::nullopt;
  std::string iso = text;
  iso[4] = iso[7] = '-';
  return parseIsoDate(iso);
}

// The message for a settings file that cannot be written.
std::string settingsWriteText(const Failure& failure) {
  return failure.path + " に書き込めません";
}

// Why the settings file cannot serve: a path that is no regular file is refused whatever the
// command (it is never read or replaced), and a real copy must be able to record its day
// there before it copies anything.
std::string settingsRefusal(const CliOptions& o, const std::string& path) {
  const Result<> writable = profileFileWritable(path);
  if (writable) return {};
  struct stat st {};
  if (lookUpEntry(path, st) && !S_ISREG(st.st_mode))
    return path + " は通常のファイルではありません";
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
  job.source = cleanSourceFolder(o.source.value_or(conditions ? conditions->dirFrom : ""));
  job.destination = o.destination.value_or(conditions ? conditions->dirTo : "");

  CivilDate since = civilDateOf(todayValue());
  if (o.sinceLast) {
    const auto last = parseSlashDate(job.settings.lastCopyDate);
    if (!last) return fill("前回コピーした日付がありません ({1})", {job.settingsPath});
    since = *last;
  } else if (o.since && o.since->day) {
    since = *o.since->day;
  }
  job.filter.since = o.since && o.since->instant ? SinceThreshold::forInstant(*o.since->instant)
                                                 : SinceThreshold::forDay(dateValueOf(since));
  job.filter.sourceText = job.source;
  job.filter.includeSubfolders =
      o.subfolders.value_or(conditions ? conditions->cbKai : job.settings.dirKai);
  job.filter.excludedSubfolders =
      o.excludeFolders.value_or(conditions ? conditions->folEx : std::vector<std::string>{});
  job.filter.excludedExtensions =
      o.excludeExtensions.value_or(conditions ? conditions->escExt : job.settings.escExt);
  job.filter.pickupFolder = o.perFolder.value_or(job.settings.pickupFolder);
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
    return "--overwrite ask には質問に答える端末が要ります。端末なしで実行するときは "
           "--overwrite newer|always|never のどれかを指定してください";
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

// The part of a path below the source folder.
std::string belowSource(const std::string& path, const std::string& source) {
  const std::size_t cut = source.size() + (source.back() == '/' ? 0 : 1);
  return path.size() > cut ? path.substr(cut) : std::string();
}

// What machines read of a row: the exact size, the time with its offset, both paths.
void describeForMachines(OutputRow& out, const ResultRow& row, const WalkEntry& entry,
                         const std::string& source) {
  out.absolute = entry.path;
  out.relative = belowSource(entry.path, source);
  out.kind = row.folder ? "folder" : row.link ? "link" : "file";
  out.bytes = row.folder ? static_cast<std::int64_t>(FolderByteSize(entry.path)) : entry.bytes;
  out.modifiedIso = isoLocalTime(row.modifiedSeconds);
  while (!out.type.empty() && out.type.back() == ' ') out.type.pop_back();
}

int printSearch(const CliOptions& o, CliEnvironment& env, const Job& job,
                const SearchOutcome& found, std::size_t unreadable) {
  FileTypeTable types;
  const std::vector<ResultRow> rows = rowsOf(found, job, types);
  const DisplayFormats formats = DisplayFormats::ofUser();
  std::vector<OutputRow> output;
  output.reserve(rows.size());
  LocalTimeCache times;
  std::vector<std::string> typeNames;  // each type's name once, not once per row
  const auto typeName = [&](std::uint16_t type) -> const std::string& {
    while (typeNames.size() <= type)
      typeNames.push_back(types.name(static_cast<std::uint16_t>(typeNames.size())).toStdString());
    return typeNames[type];
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ResultRow& r = rows[i];
    OutputRow row;
    row.name = r.name();
    row.size = sizeText(r.sizeKiB);
    row.type = typeName(r.type);
    row.modified =
        dateTimeText(times.parts(r.modifiedSeconds), formats.dateSeparator, formats.timeSeparator);
    row.path = r.pathText;
    if (o.format == OutputFormat::Json || o.print0)
      describeForMachines(row, r, found.entries[i], job.source);
    output.push_back(std::move(row));
  }
  if (o.print0)
    writeNulSeparated(env.out, output);
  else
    writeRows(env.out, output, o.format);
  if (!o.quiet) env.err << totalsText(countChecked(rows), formats.decimalSeparator) << '\n';
  return unreadable ? ExitStatus::SomeFailed : ExitStatus::Done;
}

// Records the day only when everything listed was carried or deliberately left, and says so
// when it does not.
int recordDay(CliEnvironment& env, const Job& job, const CopyRunResult& result,
              std::size_t unreadable) {
  if (result.mayRecordDate(false) && unreadable == 0) {
    ProfileFile settingsFile(job.settingsPath);
    const Result<> written = writeLastCopyDate(settingsFile, civilDateOf(todayValue()));
    if (written) return ExitStatus::Done;
    env.err << settingsWriteText(written.error()) << '\n';
    return ExitStatus::SomeFailed;
  }
  env.err << "前回コピーした日付は変えません (失敗 " << result.counts.failed + unreadable
          << "個: 次の --since-last でもう一度対象になります)\n";
  return ExitStatus::SomeFailed;
}

int runCopyJob(const CliOptions& o, CliEnvironment& env, const Job& job, const SearchOutcome& found,
               std::size_t unreadable) {
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
  TerminalCopyObserver observer(env, progress, o, job.overwrite);
  std::vector<std::string> copyList;
  const CopyRunResult result = runCopy(rows, request, observer, copyList);
  progress.clear();
  unreadable += observer.unreadable();
  if (result.refusedForRoom) return ExitStatus::BadUsage;
  if (result.aborted) {
    if (!interrupted(env) && observer.unanswered())
      env.err << "nuvelo-cli: 質問に答えがなかったので中止しました\n";
    return ExitStatus::Interrupted;
  }
  if (result.attributesNote && !o.quiet)
    env.err << "nuvelo-cli: " << attributesNoteText(*result.attributesNote) << '\n';
  if (!o.quiet) {
    env.err << (o.dryRun ? plannedCountsText(result.counts) : copyCountsText(result.counts))
            << '\n';
    if (!result.failedSources.empty())
      env.err << terminalText(failedNamesText(result.failedSources)) << '\n';
  }
  if (o.dryRun)
    return result.counts.failed + unreadable ? ExitStatus::SomeFailed : ExitStatus::Done;
  return recordDay(env, job, result, unreadable);
}

// Output that could not be written is a failure, whatever else went well. A stream tells no
// reason of its own: errno, cleared before the flush, is what a failed write left.
int withOutputChecked(CliEnvironment& env, int status) {
  errno = 0;
  env.out.flush();
  if (env.out) return status;
  env.err << "nuvelo-cli: 標準出力に書き込めません"
          << (errno ? std::string(": ") + std::strerror(errno) : "") << '\n';
  return status == ExitStatus::Done ? ExitStatus::SomeFailed : status;
}

// Names on stderr each exclusion of the list that left nothing out.
void warnOfUnmet(CliEnvironment& env, const std::vector<std::string>& entries,
                 const std::vector<std::atomic<std::uint64_t>>& counts, std::string_view pattern) {
  for (std::size_t i = 0; i < counts.size(); ++i)
    if (counts[i].load() == 0)
      env.err << "nuvelo-cli: " << terminalText(fill(pattern, {entries[i]})) << '\n';
}

// An exclusion that left nothing out is most often a misspelt one: each is named on stderr.
void warnOfUnmetExclusions(CliEnvironment& env, const WalkFilter& filter,
                           const ExclusionTally& tally) {
  warnOfUnmet(env, filter.excludedSubfolders, tally.folders,
              wording("--exclude-folder {1} に当たるフォルダはありませんでした"));
  warnOfUnmet(env, filter.excludedExtensions, tally.extensions,
              wording("--exclude-ext {1} に当たるファイルはありませんでした"));
}

int runJob(const CliOptions& o, CliEnvironment& env) {
  Job job;
  if (const std::string why = resolveJob(o, env, job); !why.empty()) return refuse(env, why);
  if (const auto refusal = searchRefusal(job.source))
    return refuse(env, searchRefusalText(*refusal));
  const bool copy = o.command == CliCommand::Copy;
  if (copy) {
    if (const std::string why = copyRefusal(o, env, job); !why.empty()) return refuse(env, why);
    job.filter.leftOutFolder = destinationInsideSource(job.source, job.destination);
  }

  ExclusionTally tally(job.filter.excludedSubfolders.size(), job.filter.excludedExtensions.size());
  job.filter.exclusionTally = &tally;
  SearchOutcome found;
  std::size_t unreadable = 0;
  {
    ProgressLine progress(env);
    TerminalWalkObserver observer(env, progress, "検索中です");
    found = runSearch(job.source, job.filter, observer);
    unreadable = found.unreadable.size();
  }
  if (found.aborted) return ExitStatus::Interrupted;
  if (!o.quiet) warnOfUnmetExclusions(env, job.filter, tally);
  return copy ? runCopyJob(o, env, job, found, unreadable)
              : printSearch(o, env, job, found, unreadable);
}

}  // namespace

int runCli(const CliOptions& o, CliEnvironment& env) {
  if (o.command == CliCommand::Help) {
    env.out << usageText();
    return withOutputChecked(env, ExitStatus::Done);
  }
  if (o.command == CliCommand::Version) {
    env.out << "nuvelo-cli " << NUVELO_VERSION << '\n';
    return withOutputChecked(env, ExitStatus::Done);
  }
  return withOutputChecked(env, runJob(o, env));
}

}  // namespace nuvelo
