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

// Whether the final target of a replacement may be replaced; the failure names `path`, the
// path the caller gave.
Result<> replaceableTarget(const std::string& target, const std::string& path) {
  const std::string folder = folderOf(target);
  if (!isExistingFolder(folder)) return failure(std::errc::no_such_file_or_directory, path);
  if (!isWritableFolder(folder)) return failure(std::errc::permission_denied, path);
  struct stat st {};
  if (lstat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) return {};  // a new file
    return failureFromErrno(path);
  }
  if (S_ISDIR(st.st_mode)) return failure(std::errc::is_a_directory, path);
  if (!S_ISREG(st.st_mode)) return failure(std::errc::invalid_argument, path);
  // The owner's write bit counts for root too, whom access checks let write anything: a
  // read-only file stays read-only.
  if ((st.st_mode & S_IWUSR) == 0 || faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    return failure(std::errc::permission_denied, path);
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

Result<> checkReplaceable(const std::string& path) {
  return replaceableTarget(resolveLinks(path), path);
}

Result<> replaceFileAtomically(const std::string& path, std::string_view content) {
  const std::string target = resolveLinks(path);
  if (Result<> replaceable = replaceableTarget(target, path); !replaceable) return replaceable;
  const Descriptor folder(open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.isOpen()) return failureFromErrno(path);
  // A writer killed before its rename left its temporary file beside the target; no writer
  // holds it any more, while one that is writing holds its own locked.
  removeStaleTemporaries(folder.get());
  Result<LockedTemporary> temporary = createLockedTemporary(folder.get());
  if (!temporary) return failure(temporary.error().code, path);
  // Declared after the file, so the file is removed while it is still locked.
  TemporaryEntry entry(folder.get(), temporary->name);
  Descriptor& file = temporary->file;

  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
  if (!writeAll(file.get(), content) || fchmod(file.get(), mode) != 0 || fsync(file.get()) != 0)
    return failureFromErrno(path);
  // Keeps the owner where we may (as root); an ordinary user keeps their own, so a refusal is
  // no failure.
  if (exists) fchown(file.get(), existing.st_uid, existing.st_gid);
  const std::string name(lastComponent(target));
  if (renameat(folder.get(), temporary->name.c_str(), folder.get(), name.c_str()) != 0)
    return failureFromErrno(path);
  entry.placed();
  if (!file.close()) return failureFromErrno(path);
  // The new content is in place and complete; a folder that cannot be flushed only leaves the
  // rename to the system's own timing, which nothing here could improve.
  fsync(folder.get());
  return {};
}

}  // namespace nuvelo
