#include "platform/posix/filesystem.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/path_text.h"

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

std::error_code makeFolders(const std::string& path) {
  if (path.empty()) return std::make_error_code(std::errc::invalid_argument);
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    const std::string prefix = path.substr(0, pos);
    if (prefix.empty() || prefix.back() == '/') continue;
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
      return {errno, std::generic_category()};
  }
  return isExistingFolder(path) ? std::error_code{}
                                : std::make_error_code(std::errc::not_a_directory);
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
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return ".";
  std::string path(buffer.data(), static_cast<std::size_t>(n));
  const auto slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string userConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string homeFolder = home && home[0] ? home : "";
  if (homeFolder.empty()) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
      homeFolder = found->pw_dir;
  }
  return homeFolder + "/.config";
}

}  // namespace nuvelo

namespace nuvelo {

namespace {

// A descriptor of the folder that holds the last component of a long path, opening one folder
// after the other; the last component goes to `leaf`.
int openParentOfLongPath(const std::string& path, std::string& leaf) {
  const auto lastSlash = path.rfind('/');
  leaf = lastSlash == std::string::npos ? path : path.substr(lastSlash + 1);
  if (leaf.empty()) leaf = ".";
  int folder = open(!path.empty() && path.front() == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lastSlash == std::string::npos) return folder;
  std::size_t start = 0;
  while (folder >= 0 && start < lastSlash) {
    const std::size_t end = path.find('/', start);
    if (end == start) {  // the leading "/" or a doubled one
      ++start;
      continue;
    }
    const std::string component = path.substr(start, end - start);
    const int next = openat(folder, component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int saved = errno;
    close(folder);
    errno = saved;
    folder = next;
    start = end + 1;
  }
  return folder;
}

}  // namespace

bool lookUpEntry(const std::string& path, struct stat& result, bool followLinks) {
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  if (path.size() < PATH_MAX) return fstatat(AT_FDCWD, path.c_str(), &result, flags) == 0;
  std::string leaf;
  const int folder = openParentOfLongPath(path, leaf);
  if (folder < 0) return false;
  const bool found = fstatat(folder, leaf.c_str(), &result, flags) == 0;
  close(folder);
  return found;
}

int openEntry(const std::string& path, int flags) {
  if (path.size() < PATH_MAX) return open(path.c_str(), flags);
  std::string leaf;
  const int folder = openParentOfLongPath(path, leaf);
  if (folder < 0) return -1;
  const int fd = openat(folder, leaf.c_str(), flags);
  const int saved = errno;
  close(folder);
  errno = saved;
  return fd;
}

}  // namespace nuvelo
