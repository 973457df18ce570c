#include "engine/copy/placed_flush.h"

#include <fcntl.h>

#include <algorithm>

#include "engine/copy/replaced_versions.h"
#include "platform/path_text.h"
#include "platform/posix/durability.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

void keepFirst(std::optional<Failure>& first, const Result<>& synced, const std::string& path) {
  if (synced || first) return;
  first = synced.error();
  if (first->path.empty()) first->path = path;
}

// The folder and every folder above it up to the destination: each took an entry when a folder
// below it was made.
std::set<std::string> withParents(const std::set<std::string>& subpaths) {
  std::set<std::string> folders{""};
  for (std::string subpath : subpaths)
    while (!subpath.empty() && folders.insert(subpath).second)
      subpath.erase(std::min(subpath.rfind('/'), subpath.size()));
  return folders;
}

}  // namespace

void PlacedFlush::met(const FileSystemRules& rules, int folderFd, const std::string& path) {
  if (targets_.contains(&rules)) return;
  Target& target = targets_[&rules];
  target.way = rules.flush;
  target.path = path;
  if (Result<Descriptor> own = duplicateDescriptor(folderFd)) target.folder = std::move(*own);
}

bool PlacedFlush::anyPlaced() const {
  return std::any_of(targets_.begin(), targets_.end(),
                     [](const auto& target) { return target.second.placed; });
}

void PlacedFlush::placed(const FileSystemRules& rules, const std::string& subpath) {
  const auto found = targets_.find(&rules);
  if (found == targets_.end()) return;
  found->second.placed = true;
  if (found->second.way != FlushWay::FileSystem) found->second.subpaths.insert(subpath);
}

void PlacedFlush::syncFolders(const std::string& destination, const Target& target,
                              const FlushWatch& watch, FlushResult& result) {
  // Deepest first: a folder's own entry is synced after what it holds.
  const std::set<std::string> folders = withParents(target.subpaths);
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    const std::string path = destination + *folder;
    if (watch) watch({FlushStep::Kind::Folder, path});
    Result<Descriptor> opened =
        openEntry(path.empty() ? "." : path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (!opened) {
      keepFirst(result.failure, Unexpected(opened.error()), path);
      continue;
    }
    keepFirst(result.failure, syncEntry(opened->get()), path);
  }
}

FlushResult PlacedFlush::flush(const std::string& destination, ReplacedVersions* versions,
                               const FlushWatch& watch) {
  FlushResult result;
  if (!anyPlaced()) return result;
  bool allDrives = false, eachFolder = false;
  for (const auto& [rules, target] : targets_) {
    if (!target.placed) continue;
    if (target.way == FlushWay::FileSystem) {
      if (watch) watch({FlushStep::Kind::FileSystem, target.path});
      keepFirst(result.failure,
                target.folder.isOpen() ? syncFileSystem(target.folder.get())
                                       : Result<>(failure(std::errc::bad_file_descriptor)),
                target.path);
      continue;
    }
    syncFolders(destination, target, watch, result);
    eachFolder = true;
    allDrives |= target.way == FlushWay::EachFileAndAllDrives;
  }
  // The kept versions lie on the destination's file system: their folders need it where its
  // folders do.
  if (eachFolder && versions) keepFirst(result.failure, versions->syncKept(), destination);
  if (allDrives) {
    if (watch) watch({FlushStep::Kind::AllDrives, {}});
    syncAllDrives();
  }
  result.flushed = !result.failure;
  return result;
}

}  // namespace nuvelo
