#include "cli/cli_run.h"

#include <chrono>

#include "app/settings_file.h"
#include "cli/search_output.h"
#include "conditions/condition_file.h"
#include "copy/copy_list.h"
#include "copy/copy_runner.h"
#include "platform/filesystem.h"
#include "platform/path_text.h"
#include "search/display_formats.h"
#include "search/file_date.h"
#include "search/file_types.h"
#include "search/folder_walk.h"
#include "search/result_rows.h"

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
  std::int32_t overwrite = OverwriteAsk;
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
  std::uint16_t typeOf(std::string_view, bool) override { return 0; }
};

bool interrupted(const CliEnvironment& env) { return env.interrupted && env.interrupted->load(); }

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

// Resolves the job; a non-empty message on failure.
std::string resolveJob(const CliOptions& o, const CliEnvironment& env, Job& job) {
  job.settingsPath = o.settings.value_or(env.defaultSettingsPath);
  job.settings = readMainWindowSettings(ProfileFile(job.settingsPath));
  std::optional<SearchConditions> conditions;
  if (o.conditions) {
    conditions = readConditionFile(*o.conditions);
    if (!conditions) return InvalidConditionFileMessage;
  }
  job.source = withoutTrailingSeparator(o.source.value_or(conditions ? conditions->dirFrom : ""));
  job.destination = o.destination.value_or(conditions ? conditions->dirTo : "");

  CivilDate since = civilDateOf(todayValue());
  if (o.sinceLast) {
    const auto last = parseSlashDate(job.settings.lastCopyDate);
    if (!last) return "前回コピーした日付がありません (" + job.settingsPath + ")";
    since = *last;
  } else if (o.since) {
    since = *o.since;
  }
  job.filter.since = SinceThreshold::forDay(dateValueOf(since));
  job.filter.sourceText = job.source;
  job.filter.includeSubfolders = !o.noSubfolders && (!conditions || conditions->cbKai);
  job.filter.excludedSubfolders =
      o.excludeFolders.value_or(conditions ? conditions->folEx : std::vector<std::string>{});
  job.filter.excludedExtensions =
      o.excludeExtensions.value_or(conditions ? conditions->escExt : job.settings.escExt);
  job.filter.pickupFolder = o.perFolder;
  job.dirAbs = o.dirAbs.value_or(job.settings.dirAbs);
  job.driveLetter = o.driveLetter.value_or(job.settings.addDriveLetter);
  job.overwrite = o.overwrite.value_or(job.settings.overwrite);
  return {};
}

WalkControl walkControl(CliEnvironment& env, ProgressLine& progress, const char* activity) {
  WalkControl control;
  auto entries = std::make_shared<std::uint64_t>(0);
  control.aborted = [&env] { return interrupted(env); };
  if (env.progressOnErr)
    control.onEntry = [&progress, entries, activity] {
      progress.show(std::string(activity) + " " + std::to_string(++*entries));
    };
  return control;
}

int runSearch(const CliOptions& o, CliEnvironment& env, const Job& job,
              const std::vector<std::string>& paths, const std::vector<FoundEntry>& found) {
  FileTypeTable types;
  const std::vector<ResultRow> rows = buildResultRows(paths, job.dirAbs, job.source, types, {}, &found);
  const DisplayFormats formats = DisplayFormats::ofUser();
  std::vector<OutputRow> output;
  output.reserve(rows.size());
  LocalTimeCache times;
  std::vector<std::string> typeNames;  // each type's name once, not once per row
  const auto typeName = [&](std::uint16_t type) -> const std::string& {
    while (typeNames.size() <= type) typeNames.push_back(types.name(static_cast<std::uint16_t>(typeNames.size())).toStdString());
    return typeNames[type];
  };
  for (const ResultRow& r : rows) {
    output.push_back({std::string(r.name()), sizeText(r.sizeKiB), typeName(r.type),
                      dateTimeText(times.parts(r.modifiedSeconds), formats.dateSeparator,
                                   formats.timeSeparator),
                      r.pathText});
  }
  writeRows(env.out, output, o.format);
  env.out.flush();
  if (!o.quiet) env.err << totalsText(countChecked(rows), formats.decimalSeparator) << '\n';
  return ExitStatus::Done;
}

std::string skipReason(const EntryReport& report, std::int32_t overwrite) {
  if (report.kind == EntryReport::Declined) return "置き換えませんでした";
  if (overwrite == OverwriteNever) return "コピー先に同名のファイルがあります";
  return "コピー先のファイルは新しいか同じです";
}

// Makes sure the destination folder exists, asking as the window does before making it.
std::string prepareDestination(const CliOptions& o, CliEnvironment& env, const Job& job) {
  if (job.destination.empty()) return "コピー先フォルダを指定してください";
  if (isExistingFolder(job.destination) || o.dryRun) return {};
  const auto answer = env.ask ? env.ask("コピー先が存在しません。作成しますか？") : std::nullopt;
  if (!answer || !*answer) return "コピー先が存在しません。";
  if (makeFolders(job.destination)) return "ディレクトリを作成できません";
  return {};
}

int runCopy(const CliOptions& o, CliEnvironment& env, const Job& job,
            const std::vector<std::string>& paths, const std::vector<FoundEntry>& found) {
  if (const std::string why = prepareDestination(o, env, job); !why.empty()) return refuse(env, why);
  ProgressLine progress(env);
  NoTypes noTypes;
  const std::vector<ResultRow> rows = buildResultRows(paths, job.dirAbs, job.source, noTypes, {}, &found);
  std::vector<std::string> copyList;
  gatherCopyList(rows, job.dirAbs, job.source, job.filter, walkControl(env, progress, "収集中です"),
                 {}, copyList);
  if (interrupted(env)) return ExitStatus::Interrupted;

  CopySettings settings;
  settings.rule = {job.dirAbs, job.driveLetter, job.source, PathStyle::Posix};
  settings.destination = job.destination;
  settings.overwrite = job.overwrite;
  const auto askReplace = [&](const std::string& target) {
    progress.clear();
    const auto answer = env.ask ? env.ask(replaceQuestionText(target)) : std::nullopt;
    return answer.value_or(false);
  };
  CopyHooks hooks;
  hooks.afterChunk = [&env](std::uint64_t) { return !interrupted(env); };
  CopyRunner runner(settings, askReplace, hooks);

  std::size_t copied = 0, skipped = 0, failed = 0;
  for (std::size_t i = 0; i < copyList.size(); ++i) {
    if (interrupted(env)) return ExitStatus::Interrupted;
    const EntryReport report = o.dryRun ? runner.plan(copyList[i]) : runner.copy(copyList[i]);
    if (interrupted(env) && report.kind == EntryReport::Failed) return ExitStatus::Interrupted;
    progress.clear();
    switch (report.kind) {
      case EntryReport::Copied:
        ++copied;
        if (!o.quiet)
          env.out << (o.dryRun ? "would copy\t" : "copied\t") << report.source << '\t' << report.target << '\n';
        break;
      case EntryReport::NotCopied:
      case EntryReport::Declined:
        ++skipped;
        if (!o.quiet)
          env.out << (o.dryRun ? "would skip\t" : "skipped\t") << report.source << '\t' << report.target
                  << '\t' << skipReason(report, job.overwrite) << '\n';
        break;
      case EntryReport::Failed:
        ++failed;
        env.err << "failed\t" << report.source << '\t' << report.target << '\t' << report.reason << '\n';
        break;
    }
    progress.show("コピー中です " + std::to_string(i + 1) + "/" + std::to_string(copyList.size()));
  }
  progress.clear();
  env.out.flush();
  if (!o.quiet)
    env.err << (o.dryRun ? "コピー予定 " : "コピー ") << copied << "個, スキップ " << skipped
            << "個, 失敗 " << failed << "個\n";
  if (!o.dryRun) {
    try {
      ProfileFile settingsFile(job.settingsPath);
      writeLastCopyDate(settingsFile, civilDateOf(todayValue()));
    } catch (const ProfileWriteError& error) {
      env.err << error.what() << '\n';
      return ExitStatus::SomeFailed;
    }
  }
  return failed ? ExitStatus::SomeFailed : ExitStatus::Done;
}

}  // namespace

int runCli(const CliOptions& o, CliEnvironment& env) {
  if (o.command == CliCommand::Help) {
    env.out << usageText();
    return ExitStatus::Done;
  }
  if (o.command == CliCommand::Version) {
    env.out << "nuvelo-cli " << NUVELO_VERSION << '\n';
    return ExitStatus::Done;
  }
  Job job;
  if (const std::string why = resolveJob(o, env, job); !why.empty()) return refuse(env, why);
  if (job.source.empty()) return refuse(env, "更新元フォルダを指定してください");
  if (!isExistingFolder(job.source)) return refuse(env, "更新元フォルダが不正です。");

  std::vector<std::string> paths;
  std::vector<FoundEntry> found;
  {
    ProgressLine progress(env);
    WalkFolder(job.source, paths, job.filter, false, walkControl(env, progress, "検索中です"), &found);
  }
  if (interrupted(env)) return ExitStatus::Interrupted;
  return o.command == CliCommand::Search ? runSearch(o, env, job, paths, found)
                                         : runCopy(o, env, job, paths, found);
}

}  // namespace nuvelo
