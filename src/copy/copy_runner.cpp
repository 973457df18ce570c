#include "copy/copy_runner.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/filesystem.h"
#include "platform/path_text.h"

namespace nuvelo {
namespace {

EntryFacts factsOf(const struct stat& st) { return {true, S_ISDIR(st.st_mode), st.st_mtim}; }

}  // namespace

CopyRunner::CopyRunner(CopySettings settings,
                       std::function<bool(const std::string& target)> askReplace, CopyHooks hooks)
    : settings_(std::move(settings)),
      askReplace_(std::move(askReplace)),
      hooks_(std::move(hooks)),
      folders_(settings_.destination) {}

EntryReport CopyRunner::copy(const std::string& source) {
  EntryReport report;
  report.source = source;
  const std::string subpath = destinationSubpath(source, settings_.rule);
  const std::string name = fileNameOf(source, settings_.rule.style);
  report.target = joinPath(settings_.destination + subpath, name);

  std::string folderError;
  const int folder = folders_.open(subpath, folderError);

  EntryFacts sourceFacts;
  struct stat st {};
  if (lookUpEntry(source, st)) sourceFacts = factsOf(st);
  EntryFacts targetFacts;
  if (folder >= 0 && fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
    targetFacts = factsOf(st);
  const std::int64_t granularity = targetFacts.exists ? timeGranularityMs(folder) : 1;
  if (!ShouldCopy(sourceFacts, targetFacts, settings_.overwrite, granularity)) {
    report.kind = EntryReport::NotCopied;
    return report;
  }
  if (folder < 0) {
    report.reason = folderError;
    return report;
  }

  const CopyOutcome outcome =
      copyEntryInto(source, folder, name, replaceModeOf(settings_.overwrite),
                    [&] {
                      return askReplace_ && askReplace_(report.target) ? ReplaceAnswer::Replace
                                                                        : ReplaceAnswer::Keep;
                    },
                    hooks_);
  switch (outcome.kind) {
    case CopyOutcome::Copied: report.kind = EntryReport::Copied; break;
    case CopyOutcome::Declined: report.kind = EntryReport::Declined; break;
    case CopyOutcome::KeptExisting:
    case CopyOutcome::SameFile: report.kind = EntryReport::NotCopied; break;
    case CopyOutcome::Stopped:
    case CopyOutcome::Failed:
      report.kind = EntryReport::Failed;
      report.reason = outcome.reason;
      break;
  }
  return report;
}

EntryReport CopyRunner::plan(const std::string& source) const {
  EntryReport report;
  report.source = source;
  const std::string subpath = destinationSubpath(source, settings_.rule);
  report.target = joinPath(settings_.destination + subpath, fileNameOf(source, settings_.rule.style));
  EntryFacts sourceFacts;
  EntryFacts targetFacts;
  struct stat st {};
  if (lookUpEntry(source, st)) sourceFacts = factsOf(st);
  if (lookUpEntry(report.target, st, false)) targetFacts = factsOf(st);
  report.kind = ShouldCopy(sourceFacts, targetFacts, settings_.overwrite) ? EntryReport::Copied
                                                                          : EntryReport::NotCopied;
  return report;
}

std::string copyFailureText(const EntryReport& report) {
  return report.source + " を " + report.target + " にコピーできません。\n" + report.reason;
}

std::string replaceQuestionText(const std::string& target) {
  return target + " は既にあります。\n置き換えますか？";
}

}  // namespace nuvelo
