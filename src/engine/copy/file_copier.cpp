#include "engine/copy/file_copier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/copy/copy_attributes.h"
#include "engine/copy/copy_target.h"
#include "engine/copy/cut_copy.h"
#include "engine/copy/link_copy.h"
#include "engine/copy/verified_copy.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/durability.h"
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

CopyOutcome afterPlacing(CopyOutcome failed) {
  failed.afterPlacing = true;
  return failed;
}

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

// The temporary file a try writes into, from where: the kept part of a cut copy, or a fresh one.
Result<ResumedCopy> startCopy(int from, const struct stat& source, int folderFd,
                              const CopyHooks& hooks, ContentHash& hash, CutCopy* cut) {
  if (cut)
    if (auto resumed = cut->resume(from, source, hash, hooks)) return std::move(*resumed);
  Result<LockedTemporary> created = createLockedTemporary(folderFd);
  if (!created) return Unexpected(created.error());
  return ResumedCopy{std::move(*created), 0};
}

Result<DataCopy> copyData(int from, int to, const struct stat& source, const CopyHooks& hooks,
                          std::uint64_t start, ContentHash& hash) {
  return hooks.verify ? copyHashing(from, to, source, hooks, hash, start)
                      : copyFileData(from, to, source, hooks, start);
}

// `cut`, when given, holds the kept part of an earlier try to go on from, and takes this try's
// temporary file when a failure that may pass cuts a large file short.
Attempt copyOpenFile(int from, const struct stat& source, const CopyTarget& target, bool replace,
                     const CopyHooks& hooks, CutCopy* cut) {
  ContentHash hash;
  Result<ResumedCopy> started = startCopy(from, source, target.folderFd, hooks, hash, cut);
  if (!started) return {failedWith(started.error())};
  // Declared after the file, so the file is removed while it is still locked.
  TemporaryEntry temporary(target.folderFd, started->temporary.name);
  Descriptor& copy = started->temporary.file;
  const std::string& name = started->temporary.name;
  const auto cutShort = [&](std::error_code code) -> Attempt {
    if (cut && keepsWhenCut(source, code)) {
      temporary.keep();
      cut->keep(target.folderFd, std::move(started->temporary), source);
    }
    return {failedWith(code)};
  };

  const Result<DataCopy> data = copyData(from, copy.get(), source, hooks, started->offset, hash);
  if (!data) return cutShort(data.error().code);
  if (*data == DataCopy::Stopped) return {stopped()};
  struct stat after {};
  if (fstat(from, &after) != 0) return cutShort(std::error_code(errno, std::generic_category()));
  if (changedMeanwhile(source, after)) return {{}, true};
  if (hooks.verify) {
    const CopyOutcome checked =
        outcomeOf(readBackMatches(copy.get(), source, hash.digest(), hooks));
    if (checked.kind != CopyOutcome::Copied) return {checked};
  }
  const Result<DroppedAttributes> given = giveFileAttributes(
      copy.get(), from, source, hooks.keepsAttributes, hooks.folderHasDefaultAcl);
  if (!given) return cutShort(given.error().code);
  // The file being replaced is only given up once its successor is safely on disk; on a share
  // each copy is.
  if (replace || hooks.syncBeforePlacing)
    if (const Result<> synced = syncEntry(copy.get()); !synced)
      return cutShort(synced.error().code);

  CopyOutcome outcome = putInPlace(target, name, replace);
  if (outcome.kind != CopyOutcome::Copied) return {outcome};
  outcome.attributesDropped = *given;
  temporary.placed();
  // The lock is held until the name is final; a late write error still counts.
  if (!copy.close()) return {afterPlacing(failedWith(errno))};
  if (hooks.timesLostByRename) {
    if (const Result<> times = giveTimesByName(target.folderFd, target.name, source); !times)
      return {afterPlacing(failedWith(times.error()))};
  }
  return {outcome};
}

}  // namespace

DecidedCopy decideEntryCopy(const std::string& source, int folderFd, const std::string& name,
                            ReplaceMode mode, const std::function<ReplaceAnswer()>& askReplace,
                            const CopyHooks& hooks, const std::optional<struct stat>* lookedUp) {
  const CopyTarget target{folderFd, name, mode, askReplace, &hooks.replaceNamesake};
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
                         const std::function<ReplaceAnswer()>& askReplace, const CopyHooks& hooks,
                         CutCopy* cut) {
  if (decided.settled) return *decided.settled;
  const CopyTarget target{folderFd, name, mode, askReplace, &hooks.replaceNamesake};
  struct stat& st = decided.looked;
  for (int attempt = 1;; ++attempt) {
    const Attempt result =
        copyOpenFile(decided.from.get(), st, target, decided.replace, hooks, cut);
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
