#include "cli/cli_job.h"

#include "engine/copy/copy_retry.h"
#include "engine/search/walk_rules.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/job_file.h"
#include "engine/settings/name_pattern_file.h"
#include "engine/settings/profile_file.h"
#include "engine/settings/settings_file.h"
#include "engine/text/output_text.h"
#include "messages/failure_reasons.h"
#include "messages/job_messages.h"
#include "messages/option_messages.h"
#include "messages/run_messages.h"

namespace nuvelo {
namespace {

// The command line's say, each value named as given on it.
OptionLayer commandLineLayer(const CliOptions& o) {
  const std::string here = commandLineOrigin();
  OptionLayer layer;
  if (o.source) layer.source.set(*o.source, here);
  if (o.destination) layer.destination.set(*o.destination, here);
  if (o.includeSubfolders) layer.includeSubfolders.set(*o.includeSubfolders, here);
  if (o.excludedSubfolders) layer.excludedSubfolders.set(*o.excludedSubfolders, here);
  if (o.excludedExtensions) layer.excludedExtensions.set(*o.excludedExtensions, here);
  if (o.perFolder) layer.perFolder.set(*o.perFolder, here);
  if (o.changeTime) layer.changeTime.set(*o.changeTime, here);
  if (o.dirAbs) layer.dirAbs.set(*o.dirAbs, here);
  if (o.driveLetter) layer.addDriveLetter.set(*o.driveLetter, here);
  if (o.overwrite) layer.overwrite.set(*o.overwrite, here);
  if (o.verify) layer.verify.set(*o.verify, here);
  if (o.keepReplaced) layer.keepReplaced.set(*o.keepReplaced, here);
  if (o.versionsFolder) layer.versionsFolder.set(*o.versionsFolder, here);
  if (o.pruneVersionsDays) layer.pruneVersionsDays.set(o.pruneVersionsDays, here);
  if (o.threads) layer.threads.set(*o.threads, here);
  if (o.retries) layer.retries.set(*o.retries, here);
  if (o.retryWait) layer.retryWait.set(*o.retryWait, here);
  if (o.links) layer.links.set(*o.links, here);
  return layer;
}

std::string patternFileProblemText(const NamePatternFileProblem& problem, const std::string& path) {
  if (problem.unreadable)
    return unreadablePatternFileText(terminalText(path), reasonText(problem.unreadable->code));
  return slashInPatternFileText(terminalText(path), problem.badLine.line,
                                terminalText(problem.badLine.pattern));
}

// The command line's name patterns, when it gives any: those of each --exclude-from file, then
// each --exclude-name, each pattern once. A file that cannot serve refuses the run.
std::string addNamePatterns(const CliOptions& o, OptionLayer& layer) {
  if (o.excludeFromFiles.empty() && o.excludedNames.empty()) return {};
  std::vector<std::string> patterns;
  for (const std::string& path : o.excludeFromFiles) {
    auto read = readNamePatternFile(path);
    if (!read) return patternFileProblemText(read.error(), path);
    patterns.insert(patterns.end(), read->begin(), read->end());
  }
  patterns.insert(patterns.end(), o.excludedNames.begin(), o.excludedNames.end());
  layer.excludedNames.set(usableNamePatterns(patterns), commandLineOrigin());
  return {};
}

Selection selectionOf(const CliOptions& o, const CliEnvironment& env) {
  Selection selection;
  if (o.sinceLast)
    selection.by = Selection::By::LastCopy;
  else if (o.compare) {
    selection.by = Selection::By::Destination;
    selection.contents = o.compareContents;
  } else if (o.since && o.since->instant) {
    selection.by = Selection::By::Instant;
    selection.instant = *o.since->instant;
  } else {
    selection.day = o.since && o.since->day ? *o.since->day : env.today();
  }
  return selection;
}

}  // namespace

std::string jobFileProblemText(const JobFileProblem& problem, const std::string& path) {
  if (problem.kind == JobFileProblem::Kind::NotAJobFile) return notAJobFileText(terminalText(path));
  if (problem.kind == JobFileProblem::Kind::Repeated)
    return repeatedInJobFileText(terminalText(path), problem.line, terminalText(problem.key));
  return invalidJobValueText(terminalText(path), problem.key, terminalText(problem.value));
}

namespace {

// The layers below the command line: the job file alone, or a condition file and the settings.
std::string fileLayers(const CliOptions& o, const std::string& settingsPath, JobRequest& request) {
  if (o.job) {
    auto layer = readJobFile(*o.job);
    if (!layer) return jobFileProblemText(layer.error(), *o.job);
    request.layers.push_back(std::move(*layer));
    request.namedBy = JobNamedBy::JobFile;
    request.namingFile = *o.job;
    return {};
  }
  if (o.conditions) {
    const auto conditions = readConditionFile(*o.conditions);
    if (!conditions) return invalidConditionFileText();
    request.layers.push_back(optionLayerOf(*conditions, *o.conditions));
    request.namedBy = JobNamedBy::ConditionFile;
    request.namingFile = *o.conditions;
  }
  request.layers.push_back(optionLayerOf(ProfileFile(settingsPath)));
  return {};
}

std::string yesOrNo(bool value, const char* yes, const char* no) {
  return value ? yes : no;
}

std::string listText(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
  return text.empty() ? "\"\"" : text;
}

}  // namespace

std::string resolveCliJob(const CliOptions& o, const CliEnvironment& env,
                          const std::string& settingsPath, Job& job) {
  JobRequest request;
  request.settingsPath = settingsPath;
  OptionLayer commandLine = commandLineLayer(o);
  if (std::string why = addNamePatterns(o, commandLine); !why.empty()) return why;
  request.layers.push_back(std::move(commandLine));
  if (std::string why = fileLayers(o, settingsPath, request); !why.empty()) return why;
  request.selection = selectionOf(o, env);
  auto resolved = resolveJob(request);
  if (!resolved) {
    const RecordedDay& day = resolved.error().day;
    if (resolved.error().kind == JobRefusal::Kind::UnreadableDay)
      return unreadableLastCopyDayText(terminalText(day.file), day.line, day.key,
                                       terminalText(day.day.value_or("")));
    const JobOptions options = jobOptionsOf(resolvedOptions(request.layers));
    return noLastCopyDayText(terminalText(options.search.sourceFolder),
                             terminalText(options.copy.destination));
  }
  job = std::move(*resolved);
  return {};
}

void tellOptionOrigins(CliEnvironment& env, const OptionLayer& r) {
  const auto tell = [&env](const std::string& option, const std::string& where) {
    env.err << "nuvelo-cli: " << terminalText(option) << "  ("
            << terminalText(where.empty() ? defaultOrigin() : where) << ")\n";
  };
  tell("SOURCE " + *r.source.value, r.source.where);
  tell("DEST " + *r.destination.value, r.destination.where);
  tell(yesOrNo(*r.includeSubfolders.value, "--subfolders", "--no-subfolders"),
       r.includeSubfolders.where);
  tell("--exclude-folder " + listText(*r.excludedSubfolders.value), r.excludedSubfolders.where);
  tell("--exclude-ext " + listText(*r.excludedExtensions.value), r.excludedExtensions.where);
  tell("--exclude-name " + listText(*r.excludedNames.value), r.excludedNames.where);
  tell(yesOrNo(*r.perFolder.value, "--per-folder", "--no-per-folder"), r.perFolder.where);
  tell(yesOrNo(*r.changeTime.value, "--change-time", "--no-change-time"), r.changeTime.where);
  tell(yesOrNo(*r.dirAbs.value, "--absolute", "--relative"), r.dirAbs.where);
  tell(yesOrNo(*r.addDriveLetter.value, "--drive-letter", "--no-drive-letter"),
       r.addDriveLetter.where);
  tell(std::string("--overwrite ") + overwritePolicyName(*r.overwrite.value), r.overwrite.where);
  tell(yesOrNo(*r.verify.value, "--verify", "--no-verify"), r.verify.where);
  tell("--threads " + std::to_string(*r.threads.value), r.threads.where);
  tell("--retries " + std::to_string(*r.retries.value), r.retries.where);
  tell("--retry-wait " + retryWaitText(*r.retryWait.value), r.retryWait.where);
  tell(std::string("--links ") + linkModeName(*r.links.value), r.links.where);
  tell(yesOrNo(*r.keepReplaced.value, "--keep-replaced", "--no-keep-replaced"),
       r.keepReplaced.where);
  tell("--keep-replaced=" +
           (r.versionsFolder.value->empty() ? std::string("\"\"") : *r.versionsFolder.value),
       r.versionsFolder.where);
  const auto& prune = *r.pruneVersionsDays.value;
  tell("--prune-versions " + (prune ? std::to_string(*prune) : std::string("\"\"")),
       r.pruneVersionsDays.where);
}

}  // namespace nuvelo
