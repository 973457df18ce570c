#include "copy/copy_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/filesystem.h"
#include "platform/path_text.h"

namespace nuvelo {
namespace {

EntryFacts factsOf(const struct stat& st) { return {true, S_ISDIR(st.st_mode), st.st_mtim}; }

bool sameEntry(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Where the folders below the destination come from: in relative mode the source folder of
// the search, in absolute mode the root.
std::string sourceBaseOf(const DestinationRule& rule) {
  if (rule.dirAbs || rule.searchRoot == "/") return {};
  return withoutTrailingSeparator(rule.searchRoot);
}

EntryReport::Kind reportKindOf(CopyOutcome::Kind kind) {
  switch (kind) {
    case CopyOutcome::Copied: return EntryReport::Copied;
    case CopyOutcome::Declined: return EntryReport::Declined;
    case CopyOutcome::KeptExisting: return EntryReport::NotCopied;
    case CopyOutcome::SameFile: return EntryReport::SameFile;
    case CopyOutcome::Stopped: return EntryReport::Stopped;
    case CopyOutcome::Failed: break;
  }
  return EntryReport::Failed;
}

std::optional<struct stat> lookUpOwn(const std::string& path) {
  struct stat st {};
  if (!lookUpEntry(path, st, false)) return std::nullopt;
  return st;
}

// The decision before any copy: the source itself at the target, or the policy leaving the
// file alone; nothing when the copy goes ahead. Without a namesake every policy copies, and
// the source need not be looked up.
std::optional<EntryReport::Kind> decisionBeforeCopy(const std::string& sourcePath,
                                                    const std::optional<struct stat>& target,
                                                    std::int32_t overwrite,
                                                    std::int64_t granularityMs) {
  if (!target) return std::nullopt;
  const std::optional<struct stat> source = lookUpOwn(sourcePath);
  if (source && sameEntry(*source, *target)) return EntryReport::SameFile;
  const EntryFacts sourceFacts = source ? factsOf(*source) : EntryFacts{};
  if (!ShouldCopy(sourceFacts, factsOf(*target), overwrite, granularityMs)) return EntryReport::NotCopied;
  return std::nullopt;
}

// How finely the file system of a folder, given by its path, keeps times.
std::int64_t granularityAt(const std::string& folder) {
  const int fd = openEntry(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 1;
  const std::int64_t granularity = timeGranularityMs(fd);
  close(fd);
  return granularity;
}

}  // namespace

CopyRunner::CopyRunner(CopySettings settings,
                       std::function<ReplaceAnswer(const std::string& target)> askReplace,
                       CopyHooks hooks)
    : settings_(std::move(settings)),
      askReplace_(std::move(askReplace)),
      hooks_(std::move(hooks)),
      folders_(settings_.destination, sourceBaseOf(settings_.rule)) {
  if (settings_.verify) hooks_.verify = true;
}

EntryReport CopyRunner::reportFor(const std::string& source) const {
  EntryReport report;
  report.source = source;
  report.target = joinPath(settings_.destination + destinationSubpath(source, settings_.rule),
                           fileNameOf(source, settings_.rule.style));
  return report;
}

EntryReport CopyRunner::copy(const std::string& source) {
  EntryReport report = reportFor(source);
  const std::string subpath = destinationSubpath(source, settings_.rule);
  const std::string name = fileNameOf(source, settings_.rule.style);

  std::string folderError;
  const int folder = folders_.open(subpath, folderError);

  std::optional<struct stat> target;
  struct stat st {};
  if (folder >= 0 && fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) target = st;
  const std::int64_t granularity = target ? timeGranularityMs(folder) : 1;
  if (const auto decided = decisionBeforeCopy(source, target, settings_.overwrite, granularity)) {
    report.kind = *decided;
    return report;
  }
  if (folder < 0) {
    report.reason = folderError;
    return report;
  }

  const CopyOutcome outcome = copyEntryInto(
      source, folder, name, replaceModeOf(settings_.overwrite),
      [&] { return askReplace_ ? askReplace_(report.target) : ReplaceAnswer::Keep; }, hooks_);
  report.kind = reportKindOf(outcome.kind);
  if (report.kind == EntryReport::Failed) report.reason = outcome.reason;
  return report;
}

EntryReport CopyRunner::plan(const std::string& source) const {
  EntryReport report = reportFor(source);
  const std::optional<struct stat> target = lookUpOwn(report.target);
  const auto decided = decisionBeforeCopy(source, target, settings_.overwrite,
                                          target ? granularityAt(folderOf(report.target)) : 1);
  report.kind = decided.value_or(EntryReport::Copied);
  return report;
}

void CopyRunner::finish() { folders_.finish(); }

std::string copyFailureText(const EntryReport& report) {
  return report.source + " を " + report.target + " にコピーできません。\n" + report.reason;
}

std::string replaceQuestionText(const std::string& target) {
  return target + " は既にあります。\n置き換えますか？";
}

}  // namespace nuvelo
