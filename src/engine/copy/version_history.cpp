#include "engine/copy/version_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "engine/copy/replaced_versions.h"
#include "engine/search/folder_walk.h"
#include "platform/path_text.h"
#include "platform/posix/directory_stack.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/path_walk.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// The number written with exactly `digits` digits at `at`, or nothing.
std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t digits) {
  if (at + digits > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// "_2", "_3", ...: which run of the same second; nothing for anything else.
std::optional<unsigned> runSuffixOf(std::string_view suffix) {
  if (suffix.empty()) return 1;
  if (suffix.size() < 2 || suffix.size() > 5 || suffix.front() != '_' || suffix[1] == '0')
    return std::nullopt;
  const auto number = digitsAt(suffix, 1, suffix.size() - 1);
  if (!number || *number < 2) return std::nullopt;
  return static_cast<unsigned>(*number);
}

// The names of the folder's entries, read before any of them is removed.
std::vector<std::string> entryNames(int folderFd) {
  std::vector<DirectoryEntry> entries;
  readFolderEntries(folderFd, entries);
  std::vector<std::string> names;
  for (DirectoryEntry& entry : entries)
    if (entry.name != "." && entry.name != "..") names.push_back(std::move(entry.name));
  return names;
}

bool isFolderEntry(int parent, const std::string& name) {
  struct stat st {};
  return fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Keeps errno as the prune's failure unless an earlier one is kept already.
void noteFailure(PruneResult& result, const std::string& name) {
  if (!result.failure)
    result.failure = Failure{std::error_code(errno, std::generic_category()), name};
}

// Removes the folder `name` of `parent` and everything in it, entering no symbolic link (a
// link is removed as an entry).
void removeTree(int parent, const std::string& name, PruneResult& result) {
  const Descriptor folder(openat(parent, name.c_str(), FolderFlags));
  if (!folder.isOpen()) {
    noteFailure(result, name);
    return;
  }
  // Every name is read before any entry is removed.
  std::vector<DirectoryEntry> entries;
  if (const int error = readFolderEntries(folder.get(), entries); error != 0) {
    errno = error;
    noteFailure(result, name);
  }
  for (const DirectoryEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (kindOf(folder.get(), entry) == EntryKind::Folder) {
      removeTree(folder.get(), entry.name, result);
    } else if (unlinkat(folder.get(), entry.name.c_str(), 0) == 0) {
      ++result.versions;
    } else {
      noteFailure(result, entry.name);
    }
  }
  if (unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0) noteFailure(result, name);
}

// A version's look-up: the entry at `relative` below the run folder, its folders entered
// without following links.
std::optional<struct stat> lookUpBelow(int runFd, const std::string& relative) {
  const Result<Descriptor> folder = openComponents(
      runFd, folderOf(relative),
      [](int parent, const std::string& name, auto) { return openFolderAt(parent, name, true); });
  if (!folder) return std::nullopt;
  struct stat st {};
  const std::string name(lastComponent(relative));
  if (fstatat(folder->get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
    return std::nullopt;
  return st;
}

bool newerRun(const KeptVersion& a, const KeptVersion& b) {
  const auto x = parseVersionStamp(a.stamp), y = parseVersionStamp(b.stamp);
  if (x->started != y->started) return x->started > y->started;
  return x->run > y->run;
}

bool isRealFolder(const std::string& path) {
  struct stat st {};
  return lookUpEntry(path, st, false) && S_ISDIR(st.st_mode);
}

}  // namespace

std::optional<VersionStamp> parseVersionStamp(std::string_view name) {
  // 2024-05-01_093000
  constexpr std::size_t StampLength = 17;
  if (name.size() < StampLength || name[4] != '-' || name[7] != '-' || name[10] != '_')
    return std::nullopt;
  const auto year = digitsAt(name, 0, 4), month = digitsAt(name, 5, 2), day = digitsAt(name, 8, 2);
  const auto hour = digitsAt(name, 11, 2), minute = digitsAt(name, 13, 2),
             second = digitsAt(name, 15, 2);
  const auto run = runSuffixOf(name.substr(StampLength));
  if (!year || !month || !day || !hour || !minute || !second || !run) return std::nullopt;
  struct tm local {};
  local.tm_year = *year - 1900;
  local.tm_mon = *month - 1;
  local.tm_mday = *day;
  local.tm_hour = *hour;
  local.tm_min = *minute;
  local.tm_sec = *second;
  local.tm_isdst = -1;
  const std::time_t started = mktime(&local);
  // A date that does not exist (February 30th) comes back as another one.
  if (started == -1 || local.tm_mday != *day || local.tm_mon != *month - 1) return std::nullopt;
  return VersionStamp{started, *run};
}

std::vector<KeptVersion> keptVersionsOf(const std::string& root, const std::string& relative) {
  std::vector<KeptVersion> versions;
  const Result<Descriptor> rootFd = openEntry(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (!rootFd || relative.empty()) return versions;
  for (const std::string& stamp : entryNames(rootFd->get())) {
    if (!parseVersionStamp(stamp)) continue;
    const Descriptor run(openat(rootFd->get(), stamp.c_str(), FolderFlags));
    if (!run.isOpen()) continue;
    if (const auto st = lookUpBelow(run.get(), relative))
      versions.push_back({stamp, joinPath(joinPath(root, stamp), relative),
                          static_cast<std::int64_t>(st->st_size), st->st_mtim.tv_sec});
  }
  std::sort(versions.begin(), versions.end(), newerRun);
  return versions;
}

std::optional<std::string> pathBelow(const std::string& path, const std::string& folder) {
  const std::string file = absoluteCleanPath(path), base = absoluteCleanPath(folder);
  if (base == "/") return file.size() > 1 ? std::optional(file.substr(1)) : std::nullopt;
  if (file.size() <= base.size() + 1 || file.compare(0, base.size(), base) != 0 ||
      file[base.size()] != '/')
    return std::nullopt;
  return file.substr(base.size() + 1);
}

std::optional<VersionsPlace> versionsPlaceOf(const std::string& path, const std::string& folder) {
  const std::string file = absoluteCleanPath(path);
  for (std::string at = folderOf(file);; at = folderOf(at)) {
    const std::string root = versionsRootOf(at, folder);
    const bool holds =
        folder.empty() ? isRealFolder(root) : !keptVersionsOf(root, *pathBelow(file, at)).empty();
    if (holds) return VersionsPlace{at, root};
    if (at == "/" || at.empty()) return std::nullopt;
  }
}

PruneResult pruneVersions(const std::string& root, std::time_t before) {
  PruneResult result;
  const Result<Descriptor> rootFd = openEntry(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (!rootFd) {
    if (rootFd.error().code != std::errc::no_such_file_or_directory)
      result.failure = rootFd.error();
    return result;
  }
  for (const std::string& name : entryNames(rootFd->get())) {
    const auto stamp = parseVersionStamp(name);
    if (!stamp || stamp->started >= before || !isFolderEntry(rootFd->get(), name)) continue;
    removeTree(rootFd->get(), name, result);
    ++result.runs;
  }
  return result;
}

}  // namespace nuvelo
