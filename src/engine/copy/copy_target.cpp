#include "engine/copy/copy_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/place_entry.h"

namespace nuvelo {
namespace {

// The copy goes ahead over a namesake only when the policy or the user says so; the outcome
// when it does not, else nothing.
std::optional<CopyOutcome> refusalToReplace(const CopyTarget& target) {
  if (target.mode == ReplaceMode::Never) return CopyOutcome{CopyOutcome::NotCopied, {}};
  if (target.mode == ReplaceMode::Silent) return std::nullopt;
  switch (target.askReplace ? target.askReplace() : ReplaceAnswer::Keep) {
    case ReplaceAnswer::Replace:
      return std::nullopt;
    case ReplaceAnswer::Keep:
      return CopyOutcome{CopyOutcome::Declined, {}};
    case ReplaceAnswer::Stop:
      break;
  }
  return stopped();
}

}  // namespace

CopyOutcome failedWith(std::error_code code) {
  return {CopyOutcome::Failed, code};
}
CopyOutcome failedWith(int error) {
  return failedWith(std::error_code(error, std::generic_category()));
}
CopyOutcome failedWith(CopyError error) {
  return failedWith(make_error_code(error));
}
CopyOutcome failedWith(const Failure& failure) {
  return failedWith(failure.code);
}
CopyOutcome stopped() {
  return {CopyOutcome::Stopped, {}};
}

bool isSameEntry(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

TargetDecision decideTarget(const CopyTarget& target, const struct stat& source) {
  struct stat existing {};
  if (fstatat(target.folderFd, target.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) return {};
  return decideTargetFrom(target, source, &existing);
}

TargetDecision decideTargetFrom(const CopyTarget& target, const struct stat& source,
                                const struct stat* existing) {
  if (!existing) return {};
  if (isSameEntry(*existing, source)) return {CopyOutcome{CopyOutcome::SameFile, {}}};
  if (S_ISDIR(existing->st_mode)) return {failedWith(EISDIR)};
  if (auto refusal = refusalToReplace(target)) return {std::move(refusal)};
  return {std::nullopt, true};
}

CopyOutcome putInPlace(const CopyTarget& target, const std::string& temporary, bool replace) {
  const char* from = temporary.c_str();
  const char* to = target.name.c_str();
  if (!replace) {
    const Result<> placed = placeWithoutReplacing(target.folderFd, from, to);
    if (placed) return {CopyOutcome::Copied, {}};
    if (placed.error().code != std::errc::file_exists) return failedWith(placed.error());
    if (auto refusal = refusalToReplace(target)) return *refusal;
  }
  if (target.replaceNamesake && *target.replaceNamesake)
    return (*target.replaceNamesake)(target.folderFd, temporary, target.name);
  if (renameat(target.folderFd, from, target.folderFd, to) != 0) return failedWith(errno);
  return {CopyOutcome::Copied, {}};
}

}  // namespace nuvelo
