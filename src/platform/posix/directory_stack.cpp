#include "platform/posix/directory_stack.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/path_text.h"
#include "platform/posix/path_walk.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr std::size_t PollEveryEntries = 1024;

}  // namespace

bool folderVanished(int error) {
  return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

int forEachFolderEntry(int fd, const FolderEntrySink& take, const std::function<void()>& poll) {
  alignas(dirent64) char buffer[64 * 1024];
  std::size_t sincePoll = 0;
  for (;;) {
    const long n = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
    if (n < 0) return errno;
    if (n == 0) return 0;
    for (long offset = 0; offset < n;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
      take(entry->d_name, entry->d_type);
      offset += entry->d_reclen;
      if (poll && ++sincePoll == PollEveryEntries) {
        sincePoll = 0;
        poll();
      }
    }
  }
}

int readFolderEntries(int fd, std::vector<DirectoryEntry>& entries,
                      const std::function<void()>& poll) {
  return forEachFolderEntry(
      fd,
      [&entries](std::string_view name, unsigned char type) {
        entries.push_back({std::string(name), type});
      },
      poll);
}

std::optional<EntryKind> kindByType(const DirectoryEntry& entry) {
  return kindOfType(entry.type);
}

std::optional<EntryKind> kindOfType(unsigned char type) {
  switch (type) {
    case DT_DIR:
      return EntryKind::Folder;
    case DT_REG:
      return EntryKind::File;
    case DT_LNK:
      return EntryKind::Link;
    case DT_UNKNOWN:
      return std::nullopt;
    default:
      return EntryKind::Skipped;
  }
}

EntryKind kindOfMode(mode_t mode) {
  if (S_ISLNK(mode)) return EntryKind::Link;
  if (S_ISDIR(mode)) return EntryKind::Folder;
  if (S_ISREG(mode)) return EntryKind::File;
  return EntryKind::Skipped;
}

EntryKind kindOf(int folderFd, const DirectoryEntry& entry) {
  if (const std::optional<EntryKind> kind = kindByType(entry)) return *kind;
  struct stat st {};
  if (fstatat(folderFd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return EntryKind::Skipped;
  return kindOfMode(st.st_mode);
}

DirectoryStack::DirectoryStack(std::function<void()> poll, UnreadableFolderSink unreadable,
                               std::size_t openFolders)
    : poll_(std::move(poll)),
      unreadable_(std::move(unreadable)),
      openFolders_(std::max<std::size_t>(openFolders, 1)) {}

void DirectoryStack::reportUnreadable(const std::string& path, int error) const {
  if (unreadable_ && !folderVanished(error))
    unreadable_(Failure{std::error_code(error, std::generic_category()), path});
}

DirectoryStack::~DirectoryStack() = default;

bool DirectoryStack::readEntries(Frame& frame) {
  const int error = readFolderEntries(frame.fd.get(), frame.entries, poll_);
  if (error == 0) return true;
  reportUnreadable(path_, error);
  return !frame.entries.empty();  // a listing cut short keeps what it read
}

bool DirectoryStack::adopt(Descriptor fd, std::size_t pathLength) {
  Frame frame;
  frame.fd = std::move(fd);
  frame.pathLength = pathLength;
  struct stat st {};
  if (fstat(frame.fd.get(), &st) != 0 || !readEntries(frame)) return false;
  frame.device = st.st_dev;
  frame.inode = st.st_ino;
  frames_.push_back(std::move(frame));
  // Keeps the number of open descriptors bounded however deep the tree goes.
  if (frames_.size() > openFolders_ + 1) frames_[frames_.size() - 1 - openFolders_].fd.reset();
  return true;
}

bool DirectoryStack::openRoot(const std::string& path) {
  path_ = path;
  Descriptor fd(open(path.c_str(), FolderFlags));
  if (!fd.isOpen()) {
    reportUnreadable(path, errno);
    return false;
  }
  return adopt(std::move(fd), path_.size());
}

bool DirectoryStack::enter(std::string_view name) {
  const int parent = folder();
  if (parent < 0) return false;
  Descriptor fd(openFolderAt(parent, std::string(name), true));
  const std::size_t parentLength = path_.size();
  path_ = joinPath(path_, name);
  if (!fd.isOpen()) {
    reportUnreadable(path_, errno);
    path_.resize(parentLength);
    return false;
  }
  if (adopt(std::move(fd), path_.size())) return true;
  path_.resize(parentLength);
  return false;
}

void DirectoryStack::leave() {
  if (frames_.empty()) return;
  Frame child = std::move(frames_.back());
  frames_.pop_back();
  if (frames_.empty()) return;
  if (!frames_.back().fd.isOpen()) reopen(frames_.size() - 1, child.fd.get());
  path_.resize(frames_.back().pathLength);
}

// Opens the folder at `index` again from its child's "..", or else by its names from the
// nearest ancestor that is still open; a folder that moved or vanished meanwhile is finished.
void DirectoryStack::reopen(std::size_t index, int childFd) {
  Frame& frame = frames_[index];
  const auto isSame = [&](const Descriptor& fd) {
    struct stat st {};
    return fd.isOpen() && fstat(fd.get(), &st) == 0 && st.st_dev == frame.device &&
           st.st_ino == frame.inode;
  };
  Descriptor fd(childFd >= 0 ? openat(childFd, "..", FolderFlags) : -1);
  if (!isSame(fd)) {
    std::size_t open = index;
    while (open > 0 && !frames_[open].fd.isOpen()) --open;
    const std::size_t from = frames_[open].pathLength;
    fd = frames_[open].fd.isOpen()
             ? openComponents(frames_[open].fd.get(),
                              std::string_view(path_).substr(from, frame.pathLength - from),
                              [](int parent, const std::string& name, std::string_view) {
                                return openFolderAt(parent, name, true);
                              })
                   .value_or(Descriptor())
             : Descriptor();
  }
  if (isSame(fd)) {
    frame.fd = std::move(fd);
    return;
  }
  frame.entries.clear();
  frame.next = 0;
}

const DirectoryEntry* DirectoryStack::nextEntry() {
  if (frames_.empty()) return nullptr;
  Frame& frame = frames_.back();
  if (frame.next >= frame.entries.size()) return nullptr;
  return &frame.entries[frame.next++];
}

int DirectoryStack::folder() {
  return frames_.empty() ? -1 : frames_.back().fd.get();
}

}  // namespace nuvelo
