#include "platform/posix/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <vector>

#include "platform/path_text.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/temporary_files.h"

namespace nuvelo {
namespace {

std::error_code lastError() {
  return {errno, std::generic_category()};
}

// The path a write has to replace: the final target of a chain of symbolic links.
std::string resolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = readlink(current.c_str(), target.data(), target.size() - 1);
    if (n < 0) return current;
    std::string next(target.data(), static_cast<std::size_t>(n));
    if (!next.empty() && next.front() != '/') {
      const auto slash = current.rfind('/');
      if (slash != std::string::npos) next = current.substr(0, slash + 1) + next;
    }
    current = next;
  }
  return current;
}

mode_t currentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::error_code refusalOfTarget(const std::string& target) {
  const std::string folder = folderOf(target);
  if (!isExistingFolder(folder)) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (!isWritableFolder(folder)) return std::make_error_code(std::errc::permission_denied);
  struct stat st {};
  if (lstat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) return {};  // a new file
    return lastError();
  }
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(st.st_mode)) return std::make_error_code(std::errc::invalid_argument);
  // The owner's write bit counts for root too, whom access checks let write anything: a
  // read-only file stays read-only.
  if ((st.st_mode & S_IWUSR) == 0 || faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    return std::make_error_code(std::errc::permission_denied);
  return {};
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
  // The type is looked at before the open, since opening some devices has effects of its own,
  // and again on the open descriptor, in case the entry changed in between. O_NONBLOCK keeps
  // the open of a FIFO without a writer from waiting for one.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return content;
}

std::error_code replacementRefusal(const std::string& path) {
  return refusalOfTarget(resolveLinks(path));
}

std::error_code replaceFileAtomically(const std::string& path, std::string_view content) {
  const std::string target = resolveLinks(path);
  if (const std::error_code refusal = refusalOfTarget(target)) return refusal;
  const Descriptor folder(open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.isOpen()) return lastError();
  std::string temp;
  Descriptor file(createLockedTemporary(folder.get(), temp));
  if (!file.isOpen()) return lastError();
  TemporaryEntry entry(folder.get(), temp);

  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
  if (!writeAll(file.get(), content) || fchmod(file.get(), mode) != 0 || fsync(file.get()) != 0)
    return lastError();
  // Keeps the owner where we may (as root); an ordinary user keeps their own.
  if (exists && fchown(file.get(), existing.st_uid, existing.st_gid) != 0) errno = 0;
  const std::string name(lastComponent(target));
  if (renameat(folder.get(), temp.c_str(), folder.get(), name.c_str()) != 0) return lastError();
  entry.placed();
  if (!file.close()) return lastError();
  fsync(folder.get());
  return {};
}

}  // namespace nuvelo
