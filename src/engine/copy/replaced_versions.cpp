#include "engine/copy/replaced_versions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "engine/copy/copy_errors.h"
#include "engine/copy/copy_target.h"
#include "engine/search/folder_walk.h"
#include "platform/path_text.h"
#include "platform/posix/durability.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/path_walk.h"
#include "platform/posix/place_entry.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// The versions are the user's own: others do not browse what was replaced.
constexpr mode_t RootMode = 0700;
constexpr int MostRunsInOneSecond = 1000;

// The path as far as it exists with every link resolved, the rest as written.
std::string resolvedAsFar(const std::string& path) {
  std::string existing = absoluteCleanPath(path);
  std::string rest;
  while (true) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(existing.c_str(), nullptr),
                                                         &std::free);
    if (resolved)
      return rest.empty() ? std::string(resolved.get()) : joinPath(resolved.get(), rest);
    if (existing == "/" || existing.empty()) return absoluteCleanPath(path);
    const std::string_view last = lastComponent(existing);
    rest = rest.empty() ? std::string(last) : joinPath(last, rest);
    existing = folderOf(existing);
  }
}

bool isSameOrBelow(const std::string& path, const std::string& folder) {
  if (path == folder) return true;
  if (folder == "/") return true;
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

// The device of the path's nearest folder that exists.
std::optional<dev_t> deviceOf(const std::string& resolved) {
  for (std::string at = resolved;; at = folderOf(at)) {
    struct stat st {};
    if (stat(at.c_str(), &st) == 0) return st.st_dev;
    if (at == "/" || at.empty()) return std::nullopt;
  }
}

// Hard links are refused by the file system (FAT, exFAT, some in user space) or for this file
// (too many links, a file the user may not link): the entry is moved instead.
bool linksRefused(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

// The new entry where the old one vanished meanwhile: nothing is left to keep.
CopyOutcome placedWhereFree(int folderFd, const std::string& temporary, const std::string& name) {
  const Result<> placed = placeWithoutReplacing(folderFd, temporary.c_str(), name.c_str());
  if (!placed) return failedWith(placed.error());
  return {CopyOutcome::Copied, {}};
}

CopyOutcome notKept(int error) {
  CopyOutcome outcome = failedWith(error);
  outcome.versionNotKept = true;
  return outcome;
}

CopyOutcome notKept(const Failure& failure) {
  CopyOutcome outcome = failedWith(failure);
  outcome.versionNotKept = true;
  return outcome;
}

// Opens the folder `name` of `parent` without following a link, making it when missing.
int enterOrMake(int parent, const std::string& name, mode_t mode) {
  if (name == "..") {
    errno = EINVAL;
    return -1;
  }
  const int next = openFolderAt(parent, name, true);
  if (next >= 0 || errno != ENOENT) return next;
  if (mkdirat(parent, name.c_str(), mode) != 0 && errno != EEXIST) return -1;
  return openFolderAt(parent, name, true);
}

}  // namespace

std::string versionsRootOf(const std::string& destination, const std::string& folder) {
  if (folder.empty()) return joinPath(destination, VersionsFolderName);
  if (folder.front() == '/') return folder;
  return joinPath(destination, folder);
}

std::optional<VersionsFolderRefusal> versionsFolderRefusal(const std::string& destination,
                                                           const std::string& folder,
                                                           const std::string& source) {
  const std::string root = resolvedAsFar(versionsRootOf(destination, folder));
  const std::string to = resolvedAsFar(destination);
  if (root == to) return VersionsFolderRefusal::IsDestination;
  // A destination inside the source is never searched, and nor is what lies below it.
  if (!source.empty() && isSameOrBelow(root, resolvedAsFar(source)) && !isSameOrBelow(root, to))
    return VersionsFolderRefusal::InsideSource;
  if (deviceOf(root) != deviceOf(to)) return VersionsFolderRefusal::OtherFileSystem;
  return std::nullopt;
}

std::string versionStampText(std::time_t started) {
  struct tm local {};
  localtime_r(&started, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d_%H%M%S", &local);
  return text;
}

ReplacedVersions::ReplacedVersions(std::string destination, std::string folder, std::time_t started,
                                   Seams seams)
    : destination_(std::move(destination)),
      folder_(std::move(folder)),
      stamp_(versionStampText(started)),
      seams_(std::move(seams)) {}

CopyOutcome ReplacedVersions::replace(int folderFd, const std::string& subpath,
                                      const std::string& name, const std::string& temporary) {
  const Result<Descriptor> version = versionFolder(subpath);
  if (!version) return notKept(version.error());
  if (!seams_.noHardLinks)
    if (auto linked = keepByLink(folderFd, version->get(), name, temporary)) return *linked;
  return keepByMove(folderFd, version->get(), name, temporary);
}

// The old entry gets a second name in the versions folder; the new one then takes its name in
// one rename, as without versions. Nothing where the file system refuses the link.
std::optional<CopyOutcome> ReplacedVersions::keepByLink(int folderFd, int versionFd,
                                                        const std::string& name,
                                                        const std::string& temporary) {
  if (linkat(folderFd, name.c_str(), versionFd, name.c_str(), 0) != 0) {
    if (errno == ENOENT) return placedWhereFree(folderFd, temporary, name);
    if (linksRefused(errno)) return std::nullopt;
    return notKept(errno);
  }
  after(Step::OldKept);
  if (renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0) {
    const int error = errno;
    unlinkat(versionFd, name.c_str(), 0);  // the old entry is still in place
    return failedWith(error);
  }
  after(Step::NewPlaced);
  ++kept_;
  return CopyOutcome{CopyOutcome::Copied, {}};
}

// The old entry moves into the versions folder, and the new one takes its free name; when it
// cannot, the old one moves back.
CopyOutcome ReplacedVersions::keepByMove(int folderFd, int versionFd, const std::string& name,
                                         const std::string& temporary) {
  if (const Result<> moved = moveWithoutReplacing(folderFd, name.c_str(), versionFd, name.c_str());
      !moved) {
    if (moved.error().code == std::errc::no_such_file_or_directory)
      return placedWhereFree(folderFd, temporary, name);
    return notKept(moved.error());
  }
  after(Step::OldKept);
  if (const Result<> placed = placeWithoutReplacing(folderFd, temporary.c_str(), name.c_str());
      !placed) {
    static_cast<void>(moveWithoutReplacing(versionFd, name.c_str(), folderFd, name.c_str()));
    return failedWith(placed.error());
  }
  after(Step::NewPlaced);
  ++kept_;
  return {CopyOutcome::Copied, {}};
}

Result<Descriptor> ReplacedVersions::versionFolder(const std::string& subpath) {
  const std::lock_guard lock(mutex_);
  if (last_.isOpen() && subpath == lastSubpath_) return duplicateDescriptor(last_.get());
  const Result<int> run = runFolder();
  if (!run) return Unexpected(run.error());
  Result<Descriptor> folder =
      openComponents(*run, subpath, [](int parent, const std::string& name, std::string_view) {
        return enterOrMake(parent, name, 0777);
      });
  if (!folder) return folder;
  last_ = std::move(*folder);
  lastSubpath_ = subpath;
  touched_.insert(subpath);
  return duplicateDescriptor(last_.get());
}

// The run's folder, made at the first replacement, so that a run that replaces nothing leaves
// no trace.
Result<int> ReplacedVersions::runFolder() {
  if (run_.isOpen()) return run_.get();
  const Result<Descriptor> root = openRoot();
  if (!root) return Unexpected(root.error());
  for (int n = 1; n <= MostRunsInOneSecond; ++n) {
    const std::string name = n == 1 ? stamp_ : stamp_ + "_" + std::to_string(n);
    if (mkdirat(root->get(), name.c_str(), 0777) != 0) {
      if (errno == EEXIST) continue;
      return failureFromErrno();
    }
    run_.reset(openFolderAt(root->get(), name, true));
    if (!run_.isOpen()) return failureFromErrno();
    return run_.get();
  }
  return failure(std::errc::file_exists);
}

// The default root is entered from the destination without following a link; a folder the
// user named is taken as named, as the destination is.
Result<Descriptor> ReplacedVersions::openRoot() {
  const std::string root = versionsRootOf(destination_, folder_);
  if (!folder_.empty()) {
    if (Result<> made = makeFolders(root); !made) return Unexpected(made.error());
    return openEntry(root, FolderFlags);
  }
  Result<Descriptor> destination =
      openEntry(destination_.empty() ? "." : destination_, FolderFlags);
  if (!destination) return destination;
  const int fd = enterOrMake(destination->get(), VersionsFolderName, RootMode);
  if (fd < 0) return failureFromErrno();
  return Descriptor(fd);
}

Result<> ReplacedVersions::syncKept() {
  const std::lock_guard lock(mutex_);
  if (!run_.isOpen()) return {};
  // Deepest first; a subpath without components is the run's folder, synced after them.
  for (auto subpath = touched_.rbegin(); subpath != touched_.rend(); ++subpath) {
    const Result<Descriptor> folder = openComponents(
        run_.get(), *subpath, [](int parent, const std::string& name, std::string_view) {
          return openFolderAt(parent, name, true);
        });
    if (!folder) return Unexpected(folder.error());
    if (Result<> synced = syncEntry(folder->get()); !synced) return synced;
  }
  if (Result<> synced = syncEntry(run_.get()); !synced) return synced;
  const Result<Descriptor> root = openRoot();
  if (!root) return Unexpected(root.error());
  return syncEntry(root->get());
}

void ReplacedVersions::after(Step step) const {
  if (seams_.afterStep) seams_.afterStep(step);
}

}  // namespace nuvelo
