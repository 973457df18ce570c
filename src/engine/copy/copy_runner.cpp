#include "engine/copy/copy_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "engine/copy/copy_errors.h"
#include "engine/copy/cut_copy.h"
#include "platform/path_text.h"
#include "platform/posix/file_acl.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

EntryFacts factsOf(const struct stat& st) {
  return {true, S_ISDIR(st.st_mode), st.st_mtim};
}

// Why the file's name or the name of a folder of its subpath cannot be stored, or nothing.
std::optional<NameRefusal> unusableName(const std::string& name, const std::string& subpath,
                                        const FileSystemRules& rules) {
  if (auto why = nameRefusal(name, rules)) return why;
  for (std::size_t start = 0; start < subpath.size();) {
    const std::size_t end = std::min(subpath.find('/', start), subpath.size());
    if (end > start)
      if (auto why = nameRefusal(std::string_view(subpath).substr(start, end - start), rules))
        return why;
    start = end + 1;
  }
  return std::nullopt;
}

bool sameEntry(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Where the folders below the destination come from: in relative mode the source folder of
// the search, in absolute mode the root.
std::string sourceBaseOf(const DestinationRule& rule) {
  if (rule.dirAbs || rule.searchRoot == "/") return {};
  return withoutTrailingSeparator(rule.searchRoot);
}

std::optional<struct stat> lookUpOwn(const std::string& path) {
  struct stat st {};
  if (!lookUpEntry(path, st, false)) return std::nullopt;
  return st;
}

// The decision before any copy: the source itself at the target, or the policy leaving the
// file alone; nothing when the copy goes ahead. Without a namesake every policy copies, and
// the source need not be looked up.
std::optional<CopyKind> decisionBeforeCopy(const std::string& sourcePath,
                                           const std::optional<struct stat>& target,
                                           OverwritePolicy overwrite, std::int64_t granularityMs) {
  if (!target) return std::nullopt;
  const std::optional<struct stat> source = lookUpOwn(sourcePath);
  if (source && sameEntry(*source, *target)) return EntryReport::SameFile;
  const EntryFacts sourceFacts = source ? factsOf(*source) : EntryFacts{};
  if (!shouldCopy(sourceFacts, factsOf(*target), overwrite, granularityMs))
    return EntryReport::NotCopied;
  return std::nullopt;
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
  report.damagedCopy = settings_.damagedCopies && settings_.damagedCopies->contains(source);
  return report;
}

OverwritePolicy CopyRunner::overwriteFor(const EntryReport& report) const {
  return report.damagedCopy ? policyForDamagedCopy(settings_.overwrite) : settings_.overwrite;
}

EntryReport CopyRunner::copy(const std::string& source) {
  std::variant<EntryReport, PendingCopy> decided = decideCopy(source, false);
  if (auto* settled = std::get_if<EntryReport>(&decided)) return std::move(*settled);
  PendingCopy& pending = std::get<PendingCopy>(decided);
  const EntryReport written = write(pending, [&] {
    return askReplace_ ? askReplace_(pending.report.target) : ReplaceAnswer::Keep;
  });
  placed(pending, written);
  return written;
}

bool CopyRunner::settledAsUnkeptLink(EntryReport& report, const FileSystemRules& rules) const {
  struct stat st {};
  if (rules.keepsLinks || !lookUpEntry(report.source, st, false) || !S_ISLNK(st.st_mode))
    return false;
  if (settings_.links == LinkMode::Skip)
    report.kind = EntryReport::LinkLeftOut;
  else
    report.failure = {make_error_code(CopyError::NoLinks), {}};
  return true;
}

std::variant<EntryReport, PendingCopy> CopyRunner::decide(const std::string& source) {
  return decideCopy(source, true);
}

std::variant<EntryReport, PendingCopy> CopyRunner::decideCopy(const std::string& source,
                                                              bool ownFolder) {
  EntryReport report = reportFor(source);
  const std::string subpath = destinationSubpath(source, settings_.rule);
  const std::string name = fileNameOf(source, settings_.rule.style);
  if (settledAsUnkeptLink(report, destinationRules())) return report;
  if (auto why = unstorable(source, subpath, name, destinationRules())) {
    report.failure = std::move(*why);
    return report;
  }

  const Result<int> opened = folders_.open(subpath);
  int folder = opened.value_or(-1);
  const FileSystemRules& rules = folder >= 0 ? folderRules(subpath, folder) : destinationRules();
  if (auto clash = names_.clash(subpath, folder, name, source, rules)) {
    report.failure = {make_error_code(CopyError::NameClash), std::move(*clash)};
    return report;
  }
  std::optional<struct stat> target;
  struct stat st {};
  // Copies written on other threads look only at the names the folder may hold.
  const bool mayExist = folder >= 0 && (!ownFolder || known_.mayHold(subpath, folder, name));
  if (mayExist && fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) target = st;
  if (const auto decided =
          decisionBeforeCopy(source, target, overwriteFor(report), rules.timeGranularityMs)) {
    report.kind = *decided;
    return report;
  }
  if (!opened && !(settings_.retry.retries > 0 && isTransient(opened.error().code))) {
    report.failure = {opened.error().code, {}};
    return report;
  }

  PendingCopy pending = pendingCopy(std::move(report), subpath, name, rules);
  if (!opened) {
    // The folder is out of reach for the moment (a lost connection): the writer tries again.
    pending.decided.settled = CopyOutcome{CopyOutcome::Failed, opened.error().code};
    return pending;
  }
  if (ownFolder) {
    if (!ownFolder_ || ownFolderSubpath_ != subpath) {
      Result<Descriptor> own = duplicateDescriptor(folder);
      if (!own) {
        pending.report.failure = {own.error().code, {}};
        return std::move(pending.report);
      }
      ownFolder_ = std::make_shared<const Descriptor>(std::move(*own));
      ownFolderSubpath_ = subpath;
    }
    pending.folder = ownFolder_;
    folder = pending.folder->get();
  }
  pending.folderFd = folder;
  pending.hooks.folderHasDefaultAcl = lastFolderHasDefaultAcl_;
  // The target was looked up above (or is known not to be there): not looked up again.
  pending.decided = decideEntryCopy(
      source, folder, name, pending.mode,
      [&] { return askReplace_ ? askReplace_(pending.report.target) : ReplaceAnswer::Keep; },
      pending.hooks, &target);
  return pending;
}

PendingCopy CopyRunner::pendingCopy(EntryReport report, const std::string& subpath,
                                    const std::string& name, const FileSystemRules& rules) {
  PendingCopy pending;
  pending.report = std::move(report);
  pending.subpath = subpath;
  pending.name = name;
  pending.mode = replaceModeOf(overwriteFor(pending.report));
  pending.rules = &rules;
  pending.hooks = hooks_;
  pending.hooks.keepsAttributes = rules.keepsPermissions;
  pending.hooks.keepsLinks = rules.keepsLinks;
  pending.hooks.timesLostByRename = !rules.renameKeepsTimes;
  pending.hooks.syncBeforePlacing = settings_.flush && rules.flush != FlushWay::FileSystem;
  if (ReplacedVersions* versions = settings_.versions)
    pending.hooks.replaceNamesake = [versions, subpath](int folderFd, const std::string& temporary,
                                                        const std::string& name) {
      return versions->replace(folderFd, subpath, name, temporary);
    };
  pending.destination = settings_.destination;
  pending.overwrite = overwriteFor(pending.report);
  pending.retry = settings_.retry;
  return pending;
}

EntryReport CopyRunner::write(PendingCopy& pending,
                              const std::function<ReplaceAnswer()>& askAgain) {
  EntryReport report = pending.report;
  const CopyOutcome outcome = writeWithRetries(pending, askAgain, report.retried);
  report.kind = outcome.kind;
  report.attributesDropped = outcome.attributesDropped;
  if (report.kind == EntryReport::Failed) report.failure = {outcome.code, {}};
  if (outcome.versionNotKept) report.failure.detail = VersionNotKept{};
  return report;
}

CopyOutcome CopyRunner::writeWithRetries(PendingCopy& pending,
                                         const std::function<ReplaceAnswer()>& askAgain,
                                         bool& retried) {
  const RetryPolicy& policy = pending.retry;
  CutCopy cut;  // a large file's kept part between two tries; removed when no try takes it up
  CopyOutcome outcome =
      carryOutCopy(pending.decided, pending.report.source, pending.folderFd, pending.name,
                   pending.mode, askAgain, pending.hooks, policy.retries > 0 ? &cut : nullptr);
  for (unsigned retry = 1; retry <= policy.retries && mayBeRetried(outcome); ++retry) {
    retried = true;
    if (!waitBeforeRetry(policy.waitBefore(retry), pending.hooks.abortRequested,
                         pending.hooks.poll))
      return {CopyOutcome::Stopped, {}};
    outcome = tryAgain(pending, askAgain, cut);
  }
  return outcome;
}

// Another try from the start: what a lost connection may have left dead (the folder's
// descriptor, the source's) is opened anew, the folders the first try could not make are made,
// and the namesake is decided anew, since the first try may not have reached the folder at all.
CopyOutcome CopyRunner::tryAgain(PendingCopy& pending,
                                 const std::function<ReplaceAnswer()>& askAgain, CutCopy& cut) {
  Result<Descriptor> folder =
      openDestinationFolder(pending.destination, pending.subpath,
                            [&](std::string_view made) { pending.madeFolders.emplace_back(made); });
  if (!folder) return {CopyOutcome::Failed, folder.error().code};
  cut.movedTo(folder->get());
  pending.folder = std::make_shared<const Descriptor>(std::move(*folder));
  pending.folderFd = pending.folder->get();
  const std::string& source = pending.report.source;
  std::optional<struct stat> target;
  struct stat st {};
  if (fstatat(pending.folderFd, pending.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) target = st;
  if (const auto decided =
          decisionBeforeCopy(source, target, pending.overwrite, pending.rules->timeGranularityMs))
    return {*decided, {}};
  pending.decided = decideEntryCopy(source, pending.folderFd, pending.name, pending.mode, askAgain,
                                    pending.hooks, &target);
  return carryOutCopy(pending.decided, source, pending.folderFd, pending.name, pending.mode,
                      askAgain, pending.hooks, &cut);
}

bool needsAWriter(const PendingCopy& pending) {
  return !pending.decided.settled ||
         (pending.retry.retries > 0 && mayBeRetried(*pending.decided.settled));
}

void CopyRunner::placed(const PendingCopy& pending, const EntryReport& written) {
  // A file that needed another try may have found the open folder's descriptor dead, and a
  // try that a lost connection cut may have left its temporary file behind.
  if (written.retried) folders_.forgetOpenFolder();
  if (written.retried || (written.kind == EntryReport::Failed && isTransient(written.failure.code)))
    folders_.sweepAtFinish(pending.subpath);
  folders_.adoptMade(pending.madeFolders);
  if (written.kind != EntryReport::Copied) return;
  flush_.placed(*pending.rules, pending.subpath);
  names_.placed(pending.subpath, pending.name, written.source, *pending.rules);
  known_.placed(pending.subpath, pending.name);
}

std::string CopyRunner::targetKey(const std::string& source) {
  // Folded whatever the destination's rules, so a folder below it that folds is covered too.
  return foldedName(destinationSubpath(source, settings_.rule) + "/" +
                    fileNameOf(source, settings_.rule.style));
}

EntryReport CopyRunner::plan(const std::string& source) {
  probes_ = false;
  EntryReport report = reportFor(source);
  const std::string subpath = destinationSubpath(source, settings_.rule);
  const std::string name = fileNameOf(source, settings_.rule.style);
  const FileSystemRules& rules = destinationRules();
  if (settledAsUnkeptLink(report, rules)) return report;
  if (auto why = unstorable(source, subpath, name, rules)) {
    report.failure = std::move(*why);
    return report;
  }
  const Result<Descriptor> folder =
      openEntry(folderOf(report.target), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder that is not there yet has no namesakes on disk: -1 tells the check so.
  const auto clash = names_.clash(subpath, folder ? folder->get() : -1, name, source, rules);
  if (clash) {
    report.failure = {make_error_code(CopyError::NameClash), *clash};
    return report;
  }
  const auto decided = decisionBeforeCopy(source, lookUpOwn(report.target), overwriteFor(report),
                                          rules.timeGranularityMs);
  report.kind = decided.value_or(EntryReport::Copied);
  if (report.kind == EntryReport::Copied) names_.placed(subpath, name, source, rules);
  return report;
}

const FileSystemRules& CopyRunner::destinationRules() {
  if (settings_.rules) return *settings_.rules;
  if (rootRules_) return *rootRules_;
  const Result<Descriptor> root =
      openEntry(settings_.destination.empty() ? "." : settings_.destination,
                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A destination that cannot be opened gets the usual rules; the copy reports the failure.
  if (!root) return rules_[static_cast<dev_t>(-1)];
  rootRules_ = &rulesAt(root->get(), probes_, {});
  return *rootRules_;
}

// The same folder as the last file's shares its rules without a look-up.
const FileSystemRules& CopyRunner::folderRules(const std::string& subpath, int folderFd) {
  if (!lastRules_ || subpath != lastSubpath_) {
    lastRules_ = &rulesAt(folderFd, true, subpath);
    lastSubpath_ = subpath;
    lastFolderHasDefaultAcl_ = hasDefaultAcl(folderFd);
  }
  return *lastRules_;
}

const FileSystemRules& CopyRunner::rulesAt(int folderFd, bool probe, const std::string& subpath) {
  const FileSystemRules& rules = rulesOf(folderFd, probe);
  flush_.met(rules, folderFd, settings_.destination + subpath);
  return rules;
}

const FileSystemRules& CopyRunner::rulesOf(int folderFd, bool probe) {
  if (settings_.rules) return *settings_.rules;
  struct stat st {};
  if (fstat(folderFd, &st) != 0) return rules_[static_cast<dev_t>(-1)];
  const auto known = rules_.find(st.st_dev);
  if (known != rules_.end()) return known->second;
  return rules_.emplace(st.st_dev, probe ? probeRules(folderFd) : rulesByType(folderFd))
      .first->second;
}

std::optional<CopyFailure> CopyRunner::unstorable(const std::string& source,
                                                  const std::string& subpath,
                                                  const std::string& name,
                                                  const FileSystemRules& rules) {
  if (auto why = unusableName(name, subpath, rules))
    return CopyFailure{make_error_code(CopyError::UnusableName), *why};
  if (!rules.maxFileBytes) return std::nullopt;
  const std::optional<struct stat> st = lookUpOwn(source);
  if (!st || !S_ISREG(st->st_mode)) return std::nullopt;
  if (auto why = sizeRefusal(static_cast<std::uint64_t>(st->st_size), rules))
    return CopyFailure{make_error_code(CopyError::TooLarge), std::move(*why)};
  return std::nullopt;
}

std::optional<SizeRefusal> sizeRefusal(std::uint64_t bytes, const FileSystemRules& rules) {
  if (!rules.maxFileBytes || bytes <= *rules.maxFileBytes) return std::nullopt;
  return SizeRefusal{rules.name, *rules.maxFileBytes + 1};
}

DroppedAttributes CopyRunner::finish() {
  return folders_.finish();
}

FlushResult CopyRunner::flushPlaced(const FlushWatch& watch) {
  return flush_.flush(settings_.destination, settings_.versions, watch);
}

}  // namespace nuvelo
