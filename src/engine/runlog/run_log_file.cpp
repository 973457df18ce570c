#include "engine/runlog/run_log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "engine/jobs/job_state.h"
#include "platform/path_text.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

constexpr int MostReopens = 1000;  // a log moved aside this often under one writer is given up
constexpr std::size_t ChunkBytes = 64 * 1024;

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The log file at `path`, opened for appending and locked, checked to be the file the path
// names now (not one another writer moved aside before the lock was ours).
Result<Descriptor> openLockedLog(const std::string& path, int lockMode, int openFlags,
                                 struct stat& st) {
  for (int attempt = 0; attempt < MostReopens; ++attempt) {
    Descriptor fd(::open(path.c_str(), openFlags | O_CLOEXEC | O_NOCTTY, 0600));
    if (!fd.isOpen()) return failureFromErrno(path);
    while (::flock(fd.get(), lockMode) != 0)
      if (errno != EINTR) return failureFromErrno(path);
    struct stat named {};
    if (::fstat(fd.get(), &st) != 0) return failureFromErrno(path);
    if (!S_ISREG(st.st_mode))
      return failure(std::make_error_code(std::errc::invalid_argument), path);
    if (::stat(path.c_str(), &named) == 0 && sameFile(st, named)) return fd;
  }
  return failure(std::make_error_code(std::errc::resource_unavailable_try_again), path);
}

// Moves the log aside under its lock: each file moved earlier one place on, the oldest gone.
Result<> rotate(const std::string& path, const RunLogLimits& limits) {
  if (limits.rotatedKept == 0) {
    if (::unlink(path.c_str()) != 0) return failureFromErrno(path);
    return {};
  }
  for (unsigned n = limits.rotatedKept; n > 1; --n) {
    const std::string older = rotatedRunLogPath(path, n - 1);
    if (::rename(older.c_str(), rotatedRunLogPath(path, n).c_str()) != 0 && errno != ENOENT)
      return failureFromErrno(older);
  }
  if (::rename(path.c_str(), rotatedRunLogPath(path, 1).c_str()) != 0)
    return failureFromErrno(path);
  return {};
}

Result<> writeWhole(int fd, std::string_view line, const std::string& path) {
  while (true) {
    const ssize_t n = ::write(fd, line.data(), line.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failureFromErrno(path);
    // One write is one line: a short one (a full disk) leaves a torn line the reader skips,
    // and is not patched with a second write another writer's line could come between.
    if (static_cast<std::size_t>(n) != line.size())
      return failure(std::make_error_code(std::errc::no_space_on_device), path);
    return {};
  }
}

// The lines of a file from its last to its first, read in chunks from its end.
class LinesFromEnd {
 public:
  explicit LinesFromEnd(int fd) : fd_(fd) {
    struct stat st {};
    left_ = ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  }

  // The next line back; false at the start of the file.
  bool previous(std::string& line) {
    while (true) {
      const std::size_t end = pending_.size() - (trailingBreak() ? 1 : 0);
      const std::size_t at = end == 0 ? std::string::npos : pending_.rfind('\n', end - 1);
      if (at != std::string::npos) {
        line.assign(pending_, at + 1, end - at - 1);
        pending_.resize(at + 1);
        return true;
      }
      if (left_ == 0) {
        if (pending_.empty()) return false;
        line.assign(pending_, 0, end);
        pending_.clear();
        return true;
      }
      readChunk();
    }
  }

 private:
  // The pending text ends with the break of its last line (every line but a torn last one).
  bool trailingBreak() const { return !pending_.empty() && pending_.back() == '\n'; }

  void readChunk() {
    const std::uint64_t size = std::min<std::uint64_t>(left_, ChunkBytes);
    std::string chunk(size, '\0');
    const ssize_t n = ::pread(fd_, chunk.data(), size, static_cast<off_t>(left_ - size));
    if (n != static_cast<ssize_t>(size)) {
      left_ = 0;  // a file cut shorter meanwhile: what was read stands
      return;
    }
    left_ -= size;
    pending_.insert(0, chunk);
  }

  int fd_;
  std::uint64_t left_ = 0;
  std::string pending_;
};

// Reads lines back from one file into the tail until it holds `count` entries.
void readBack(int fd, std::size_t count, RunLogTail& tail) {
  LinesFromEnd lines(fd);
  std::string line;
  while (tail.entries.size() < count && lines.previous(line)) {
    if (line.empty()) continue;
    if (auto entry = parseRunLogLine(line)) {
      tail.entries.push_back(std::move(*entry));
      tail.lines.push_back(line);
    } else {
      ++tail.skipped;
    }
  }
}

}  // namespace

std::string runLogPath(const std::string& settingsPath) {
  if (isUserSettingsFile(settingsPath)) return userStateFolder() + "/nuvelo/runs.log";
  return besideSettingsFile(settingsPath, "-runs.log");
}

std::string rotatedRunLogPath(const std::string& logPath, unsigned n) {
  return logPath + "." + std::to_string(n);
}

Result<> appendRunLog(const std::string& logPath, std::string_view line,
                      const RunLogLimits& limits) {
  if (Result<> made = makeFolders(folderOf(logPath)); !made) return made;
  for (int attempt = 0; attempt < MostReopens; ++attempt) {
    struct stat st {};
    auto fd = openLockedLog(logPath, LOCK_EX, O_WRONLY | O_APPEND | O_CREAT, st);
    if (!fd) return Unexpected(fd.error());
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0 || size + line.size() <= limits.rotateAt)
      return writeWhole(fd->get(), line, logPath);
    // Moved aside while locked: the writers waiting for this lock find the path names another
    // file and open that, and so does this one.
    if (Result<> rotated = rotate(logPath, limits); !rotated) return rotated;
  }
  return failure(std::make_error_code(std::errc::resource_unavailable_try_again), logPath);
}

RunLogTail readRunLog(const std::string& logPath, std::size_t count) {
  RunLogTail tail;
  struct stat st {};
  // A shared lock on the log holds off a rotation while the files are read one after the other.
  auto live = openLockedLog(logPath, LOCK_SH, O_RDONLY, st);
  if (live) readBack(live->get(), count, tail);
  for (unsigned n = 1; tail.entries.size() < count; ++n) {
    Descriptor fd(::open(rotatedRunLogPath(logPath, n).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.isOpen()) break;
    readBack(fd.get(), count, tail);
  }
  std::reverse(tail.entries.begin(), tail.entries.end());
  std::reverse(tail.lines.begin(), tail.lines.end());
  return tail;
}

}  // namespace nuvelo
