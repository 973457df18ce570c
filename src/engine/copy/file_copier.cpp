#include "engine/copy/file_copier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/copy/copy_attributes.h"
#include "engine/copy/copy_target.h"
#include "engine/copy/link_copy.h"
#include "engine/copy/verified_copy.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/file_data.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/temporary_files.h"

namespace nuvelo {
namespace {

// O_NONBLOCK keeps a named pipe from blocking the open (it is no file to copy anyway);
// O_NOFOLLOW makes a symbolic link fail with ELOOP, to be copied as a link.
constexpr int SourceFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
constexpr int Attempts = 2;

// Looks at the open source and readies it for reading; an outcome when it is no regular file.
std::optional<CopyOutcome> readyRegularSource(int fd, struct stat& st) {
  if (fstat(fd, &st) != 0) return failedWith(errno);
  if (S_ISDIR(st.st_mode)) return failedWith(EISDIR);
  if (!S_ISREG(st.st_mode)) return failedWith(CopyError::NotARegularFile);
  fcntl(fd, F_SETFL, 0);  // reads of the file wait for the drive as usual
  return std::nullopt;
}

// The failure of opening a symbolic link with O_NOFOLLOW.
bool isLink(const Failure& failure) {
  return failure.code == std::errc::too_many_symbolic_link_levels;
}

bool changedMeanwhile(const struct stat& before, const struct stat& after) {
  return before.st_size != after.st_size || before.st_mtim.tv_sec != after.st_mtim.tv_sec ||
         before.st_mtim.tv_nsec != after.st_mtim.tv_nsec;
}

// One attempt at copying the open source: its outcome, or that the source changed meanwhile and
// the copy was thrown away.
struct Attempt {
  CopyOutcome outcome;
  bool sourceChanged = false;
};

CopyOutcome outcomeOf(const Result<ReadBack>& readBack) {
  if (!readBack) return failedWith(readBack.error());
  switch (*readBack) {
    case ReadBack::Matches:
      break;
    case ReadBack::Differs:
      return failedWith(CopyError::Differs);
    case ReadBack::Stopped:
      return stopped();
  }
  return {CopyOutcome::Copied, {}};
}

Attempt copyOpenFile(int from, const struct stat& source, const CopyTarget& target, bool replace,
                     const CopyHooks& hooks) {
  Result<LockedTemporary> created = createLockedTemporary(target.folderFd);
  if (!created) return {failedWith(created.error())};
  // Declared after the file, so the file is removed while it is still locked.
  TemporaryEntry temporary(target.folderFd, created->name);
  Descriptor& copy = created->file;
  const std::string& name = created->name;

  std::uint64_t digest = 0;
  const Result<DataCopy> data = hooks.verify ? copyHashing(from, copy.get(), source, hooks, digest)
                                             : copyFileData(from, copy.get(), source, hooks);
  if (!data) return {failedWith(data.error())};
  if (*data == DataCopy::Stopped) return {stopped()};
  struct stat after {};
  if (fstat(from, &after) != 0) return {failedWith(errno)};
  if (changedMeanwhile(source, after)) return {{}, true};
  if (hooks.verify) {
    const CopyOutcome checked = outcomeOf(readBackMatches(copy.get(), source, digest, hooks));
    if (checked.kind != CopyOutcome::Copied) return {checked};
  }
  const Result<DroppedAttributes> given =
      giveFileAttributes(copy.get(), from, source, hooks.keepsAttributes);
  if (!given) return {failedWith(given.error())};
  // The file being replaced is only given up once its successor is safely on disk.
  if (replace && fsync(copy.get()) != 0) return {failedWith(errno)};

  CopyOutcome outcome = putInPlace(target, name, replace);
  if (outcome.kind != CopyOutcome::Copied) return {outcome};
  outcome.attributesDropped = *given;
  temporary.placed();
  // The lock is held until the name is final; a late write error still counts.
  if (!copy.close()) return {failedWith(errno)};
  if (hooks.timesLostByRename) {
    if (const Result<> times = giveTimesByName(target.folderFd, target.name, source); !times)
      return {failedWith(times.error())};
  }
  return {outcome};
}

}  // namespace

DecidedCopy decideEntryCopy(const std::string& source, int folderFd, const std::string& name,
                            ReplaceMode mode, const std::function<ReplaceAnswer()>& askReplace,
                            const CopyHooks& hooks, const std::optional<struct stat>* lookedUp) {
  const CopyTarget target{folderFd, name, mode, askReplace};
  DecidedCopy decided;
  Result<Descriptor> opened = openEntry(source, SourceFlags);
  if (!opened && isLink(opened.error())) {
    decided.settled =
        hooks.keepsLinks ? copyLinkInto(source, target) : failedWith(CopyError::NoLinks);
    return decided;
  }
  if (!opened) {
    decided.settled = failedWith(opened.error());
    return decided;
  }
  decided.from = std::move(*opened);
  if (auto refusal = readyRegularSource(decided.from.get(), decided.looked)) {
    decided.settled = *refusal;
    return decided;
  }
  const TargetDecision decision =
      lookedUp ? decideTargetFrom(target, decided.looked, *lookedUp ? &**lookedUp : nullptr)
               : decideTarget(target, decided.looked);
  decided.settled = decision.settled;
  decided.replace = decision.replace;
  return decided;
}

CopyOutcome carryOutCopy(DecidedCopy& decided, const std::string& source, int folderFd,
                         const std::string& name, ReplaceMode mode,
                         const std::function<ReplaceAnswer()>& askReplace, const CopyHooks& hooks) {
  if (decided.settled) return *decided.settled;
  const CopyTarget target{folderFd, name, mode, askReplace};
  struct stat& st = decided.looked;
  for (int attempt = 1;; ++attempt) {
    const Attempt result = copyOpenFile(decided.from.get(), st, target, decided.replace, hooks);
    if (!result.sourceChanged) return result.outcome;
    if (attempt == Attempts) return failedWith(CopyError::ChangedWhileCopied);
    Result<Descriptor> opened = openEntry(source, SourceFlags);
    if (!opened)
      return isLink(opened.error()) ? failedWith(CopyError::ChangedWhileCopied)
                                    : failedWith(opened.error());
    decided.from = std::move(*opened);
    if (auto refusal = readyRegularSource(decided.from.get(), st)) return *refusal;
  }
}

CopyOutcome copyEntryInto(const std::string& source, int folderFd, const std::string& name,
                          ReplaceMode mode, const std::function<ReplaceAnswer()>& askReplace,
                          const CopyHooks& hooks) {
  DecidedCopy decided = decideEntryCopy(source, folderFd, name, mode, askReplace, hooks);
  return carryOutCopy(decided, source, folderFd, name, mode, askReplace, hooks);
}

}  // namespace nuvelo
