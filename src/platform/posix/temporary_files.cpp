#include "platform/posix/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/descriptor.h"
#include "platform/posix/temporary_names.h"

namespace nuvelo {
namespace {

// Calls `create` (false with errno set when it fails) with fresh names until one is not taken;
// the name it took.
template <typename Create>
Result<std::string> createUnderFreshName(Create create) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = freshTemporaryName();
    if (create(name.c_str())) return name;
    if (errno != EEXIST) return failureFromErrno();
  }
  return failure(std::errc::file_exists);
}

bool isSameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens and locks the temporary file `name` when no copy holds it: its lock is free and the name
// still names the file that was locked. A link or anything else under such a name is refused.
Result<Descriptor> openUnheld(int folderFd, const char* name, int access) {
  Descriptor file(openat(folderFd, name, access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file.isOpen() || flock(file.get(), LOCK_EX | LOCK_NB) != 0) return failureFromErrno();
  struct stat held {
  }, named{};
  if (fstat(file.get(), &held) != 0) return failureFromErrno();
  if (!S_ISREG(held.st_mode)) return failure(std::errc::invalid_argument);
  if (fstatat(folderFd, name, &named, AT_SYMLINK_NOFOLLOW) != 0) return failureFromErrno();
  if (!isSameInode(held, named)) return failure(std::errc::no_such_file_or_directory);
  return file;
}

// Whether `name` in the folder still names the open file `fd`.
bool stillNamed(int folderFd, const char* name, int fd) {
  struct stat held {
  }, named{};
  return fstat(fd, &held) == 0 && fstatat(folderFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         isSameInode(held, named);
}

// Removes the temporary file `name` when no copy holds it.
void removeIfUnheld(int folderFd, const char* name) {
  if (openUnheld(folderFd, name, O_RDONLY)) unlinkat(folderFd, name, 0);
}

}  // namespace

Result<LockedTemporary> createLockedTemporary(int folderFd) {
  Descriptor file;
  const auto createLocked = [&](const char* candidate) {
    file.reset(openat(folderFd, candidate, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!file.isOpen()) return false;
    // A sweep that opened the file in the moment before this lock is about to remove it, or
    // has removed it already and let go: leave it to the sweep and take another name. A file
    // system without locks has no sweep either.
    if (flock(file.get(), LOCK_EX | LOCK_NB) == 0) {
      if (stillNamed(folderFd, candidate, file.get())) return true;
    } else if (errno != EWOULDBLOCK) {
      return true;
    }
    file.reset();
    errno = EEXIST;
    return false;
  };
  Result<std::string> name = createUnderFreshName(createLocked);
  if (!name) return Unexpected(name.error());
  return LockedTemporary{std::move(file), std::move(*name)};
}

Result<std::string> createTemporaryLink(int folderFd, const std::string& linkText) {
  return createUnderFreshName(
      [&](const char* candidate) { return symlinkat(linkText.c_str(), folderFd, candidate) == 0; });
}

Result<Descriptor> reopenUnheldTemporary(int folderFd, const std::string& name) {
  Result<Descriptor> file = openUnheld(folderFd, name.c_str(), O_RDWR);
  // Reads and writes of the copy wait for the drive as usual.
  if (file) fcntl(file->get(), F_SETFL, 0);
  return file;
}

TemporaryEntry::TemporaryEntry(int folderFd, std::string_view name) noexcept : folderFd_(folderFd) {
  // Any other name is none of the copier's temporary files: it is left alone.
  if (isTemporaryName(name)) name.copy(name_.data(), TemporaryNameLength);
}

TemporaryEntry::~TemporaryEntry() {
  if (!placed_ && name_[0] != '\0') unlinkat(folderFd_, name_.data(), 0);
}

void removeStaleTemporaries(int folderFd) {
  // A descriptor of its own: reading the folder moves the position of the one it is given.
  const int listFd = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR* folder = fdopendir(listFd);
  if (!folder) {
    close(listFd);
    return;
  }
  while (const dirent* entry = readdir(folder))
    if (isTemporaryName(entry->d_name)) removeIfUnheld(folderFd, entry->d_name);
  closedir(folder);
}

}  // namespace nuvelo
