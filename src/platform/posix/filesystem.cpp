#include "platform/posix/filesystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <vector>

#include "platform/path_text.h"
#include "platform/posix/path_walk.h"
#include "platform/posix/user_info.h"

namespace nuvelo {

bool isExistingFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isExistingEntry(const std::string& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool isWritableFolder(const std::string& path) {
  return isExistingFolder(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

Result<> makeFolders(const std::string& path) {
  if (path.empty()) return failure(std::errc::invalid_argument, path);
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    const std::string prefix = path.substr(0, pos);
    if (prefix.empty() || prefix.back() == '/') continue;
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return failureFromErrno(path);
  }
  if (!isExistingFolder(path)) return failure(std::errc::not_a_directory, path);
  return {};
}

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || !lookUpEntry(path, st)) return std::nullopt;
  return FileIdentity{st.st_dev, st.st_ino};
}

std::string currentFolder() {
  std::vector<char> buffer(PATH_MAX + 1);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string absoluteCleanPath(const std::string& path) {
  if (path.empty() || path.front() == '/') return lexicallyCleanPath(path);
  return lexicallyCleanPath(joinPath(currentFolder(), path));
}

std::string executableFolder() {
  const std::string path = executablePath();
  if (path.empty()) return ".";
  const auto slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

// $variable when it holds an absolute path, else the folder below the user's home.
std::string xdgFolder(const char* variable, const char* belowHome) {
  const char* xdg = std::getenv(variable);
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string homeFolder = home && home[0] ? home : "";
  if (homeFolder.empty())
    if (const auto user = runningUser()) homeFolder = user->home;
  return homeFolder + belowHome;
}

}  // namespace

std::string userConfigFolder() {
  return xdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string userStateFolder() {
  return xdgFolder("XDG_STATE_HOME", "/.local/state");
}

}  // namespace nuvelo

namespace nuvelo {

namespace {

// A descriptor of the folder that holds the last component of a long path, opening one folder
// after the other; the last component goes to `leaf`.
Result<Descriptor> openParentOfLongPath(const std::string& path, std::string& leaf) {
  const auto lastSlash = path.rfind('/');
  const std::string_view last = lastSlash == std::string::npos
                                    ? std::string_view(path)
                                    : std::string_view(path).substr(lastSlash + 1);
  leaf = last.empty() ? std::string_view(".") : last;
  const Descriptor start(
      open(!path.empty() && path.front() == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!start.isOpen()) return failureFromErrno();
  const std::string_view folders = lastSlash == std::string::npos
                                       ? std::string_view()
                                       : std::string_view(path).substr(0, lastSlash);
  return openComponents(
      start.get(), folders,
      [](int fd, const std::string& name, std::string_view) { return openFolderAt(fd, name); });
}

}  // namespace

bool lookUpEntry(const std::string& path, struct stat& result, bool followLinks) {
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  if (path.size() < PATH_MAX) return fstatat(AT_FDCWD, path.c_str(), &result, flags) == 0;
  std::string leaf;
  const Result<Descriptor> folder = openParentOfLongPath(path, leaf);
  return folder && fstatat(folder->get(), leaf.c_str(), &result, flags) == 0;
}

Result<Descriptor> openEntry(const std::string& path, int flags) {
  Descriptor entry;
  if (path.size() < PATH_MAX) {
    entry.reset(open(path.c_str(), flags));
  } else {
    std::string leaf;
    const Result<Descriptor> folder = openParentOfLongPath(path, leaf);
    if (!folder) return failure(folder.error().code, path);
    entry.reset(openat(folder->get(), leaf.c_str(), flags));
  }
  if (!entry.isOpen()) return failureFromErrno(path);
  return entry;
}

Result<Descriptor> duplicateDescriptor(int fd) {
  Descriptor copy(fcntl(fd, F_DUPFD_CLOEXEC, 0));
  if (!copy.isOpen()) return failureFromErrno();
  return copy;
}

}  // namespace nuvelo
