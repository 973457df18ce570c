#include "platform/posix/directory_stack.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/path_text.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr std::size_t PollEveryEntries = 1024;

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

EntryKind kindOfStat(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
  if (S_ISREG(st.st_mode)) return EntryKind::File;
  return EntryKind::Skipped;
}

// A folder that is gone, or is no folder any more, was not lost: there is nothing to list.
bool vanished(int error) { return error == ENOENT || error == ENOTDIR || error == ELOOP; }

}  // namespace

EntryKind kindOf(int folderFd, const DirectoryEntry& entry) {
  switch (entry.type) {
    case DT_DIR: return EntryKind::Folder;
    case DT_REG: return EntryKind::File;
    case DT_LNK: return EntryKind::Link;
    case DT_UNKNOWN: {
      struct stat st {};
      if (fstatat(folderFd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Skipped;
      return S_ISLNK(st.st_mode) ? EntryKind::Link : kindOfStat(st);
    }
    default: return EntryKind::Skipped;
  }
}

DirectoryStack::DirectoryStack(std::function<void()> poll, UnreadableFolderSink unreadable)
    : poll_(std::move(poll)), unreadable_(std::move(unreadable)) {}

void DirectoryStack::reportUnreadable(const std::string& path, int error) const {
  if (unreadable_ && !vanished(error)) unreadable_(path, error);
}

DirectoryStack::~DirectoryStack() {
  for (Frame& frame : frames_) closeIfOpen(frame.fd);
}

bool DirectoryStack::readEntries(Frame& frame) {
  alignas(dirent64) char buffer[64 * 1024];
  std::size_t sincePoll = 0;
  for (;;) {
    const long n = syscall(SYS_getdents64, frame.fd, buffer, sizeof buffer);
    if (n < 0) {
      reportUnreadable(path_, errno);
      return !frame.entries.empty();  // a listing cut short keeps what it read
    }
    if (n == 0) return true;
    for (long offset = 0; offset < n;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
      frame.entries.push_back({std::string(entry->d_name), entry->d_type});
      offset += entry->d_reclen;
      if (poll_ && ++sincePoll == PollEveryEntries) {
        sincePoll = 0;
        poll_();
      }
    }
  }
}

bool DirectoryStack::adopt(int fd, std::size_t pathLength) {
  Frame frame;
  frame.fd = fd;
  frame.pathLength = pathLength;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !readEntries(frame)) {
    closeIfOpen(frame.fd);
    return false;
  }
  frame.device = st.st_dev;
  frame.inode = st.st_ino;
  frames_.push_back(std::move(frame));
  // Keeps the number of open descriptors bounded however deep the tree goes.
  if (frames_.size() > OpenDescriptorBudget + 1)
    closeIfOpen(frames_[frames_.size() - 1 - OpenDescriptorBudget].fd);
  return true;
}

bool DirectoryStack::openRoot(const std::string& path) {
  path_ = path;
  const int fd = open(path.c_str(), FolderFlags);
  if (fd < 0) {
    reportUnreadable(path, errno);
    return false;
  }
  return adopt(fd, path_.size());
}

bool DirectoryStack::enter(std::string_view name) {
  const int parent = folder();
  if (parent < 0) return false;
  const std::string childName(name);
  const int fd = openat(parent, childName.c_str(), FolderFlags | O_NOFOLLOW);
  const std::size_t parentLength = path_.size();
  path_ = joinPath(path_, name);
  if (fd < 0) {
    reportUnreadable(path_, errno);
    path_.resize(parentLength);
    return false;
  }
  if (adopt(fd, path_.size())) return true;
  path_.resize(parentLength);
  return false;
}

void DirectoryStack::leave() {
  if (frames_.empty()) return;
  Frame child = std::move(frames_.back());
  frames_.pop_back();
  if (!frames_.empty()) {
    if (frames_.back().fd < 0) reopen(frames_.size() - 1, child.fd);
    path_.resize(frames_.back().pathLength);
  }
  closeIfOpen(child.fd);
}

// Opens the folder at `index` again from its child's "..", or else by its names from the
// nearest ancestor that is still open; a folder that moved or vanished meanwhile is finished.
void DirectoryStack::reopen(std::size_t index, int childFd) {
  Frame& frame = frames_[index];
  const auto isSame = [&](int fd) {
    struct stat st {};
    return fd >= 0 && fstat(fd, &st) == 0 && st.st_dev == frame.device && st.st_ino == frame.inode;
  };
  int fd = childFd >= 0 ? openat(childFd, "..", FolderFlags) : -1;
  if (!isSame(fd)) {
    closeIfOpen(fd);
    std::size_t open = index;
    while (open > 0 && frames_[open].fd < 0) --open;
    fd = frames_[open].fd >= 0 ? dup(frames_[open].fd) : -1;
    for (std::size_t k = open + 1; k <= index && fd >= 0; ++k) {
      const std::size_t start = frames_[k - 1].pathLength;
      std::string name = path_.substr(start, frames_[k].pathLength - start);
      if (!name.empty() && name.front() == '/') name.erase(0, 1);
      const int next = openat(fd, name.c_str(), FolderFlags | O_NOFOLLOW);
      close(fd);
      fd = next;
    }
  }
  if (isSame(fd)) {
    frame.fd = fd;
    return;
  }
  closeIfOpen(fd);
  frame.entries.clear();
  frame.next = 0;
}

const DirectoryEntry* DirectoryStack::nextEntry() {
  if (frames_.empty()) return nullptr;
  Frame& frame = frames_.back();
  if (frame.next >= frame.entries.size()) return nullptr;
  return &frame.entries[frame.next++];
}

int DirectoryStack::folder() { return frames_.empty() ? -1 : frames_.back().fd; }

}  // namespace nuvelo
