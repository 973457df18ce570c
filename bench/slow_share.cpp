// nuvelo-slow-share: a folder mounted through FUSE with a fixed delay on every request, standing
// in for a network share, where each look-up, directory read, create, write and rename costs a
// round trip. The requests are served on many threads, as a file server would, so a client that
// keeps several requests in flight gains from it and one that waits on each does not.
//
//   nuvelo-slow-share FOLDER MOUNTPOINT [-o delay_us=500] [-o attr_timeout=1]
//                     [-o fail_first=N] [-o fail_after=BYTES] [-o stats=FILE]
//                     [-o max_threads=N] [FUSE options]
//
// Directory listings come with their entries' attributes (readdirplus) in one round trip, and
// attributes and names are cached for attr_timeout seconds, as a network file system's client
// caches them. libfuse's -o max_threads=N sets how many requests are served at once (10 by
// default; a NAS serves many more).
// Unmount with `fusermount3 -u MOUNTPOINT` (or umount as root); with stats=FILE, the share then
// writes there how many requests it served, how many of them asked it to store a file or folder
// (fsync), and how many were in flight on average.
//
// For the tests of a client's retries, writes can fail as a share that drops its connection
// makes them fail: fail_first=N fails the first N write requests of each file with EIO, and
// fail_after=BYTES fails, once for each file, the write that would take it beyond BYTES. A
// client writes each copy through a temporary file of a fresh name, so a file is known by its
// first bytes (up to 4 KiB), whatever its name and however often it is opened.

#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

struct ShareOptions {
  char* folder = nullptr;
  int delayMicroseconds = 500;
  double attributeTimeout = 1.0;
  int failFirst = 0;            // write requests of each file that fail
  unsigned long failAfter = 0;  // a file's size beyond which one write fails; 0: none
  char* statsFile = nullptr;    // where the requests served are written when it unmounts
};

ShareOptions options;
int folderDescriptor = -1;

// Set while a listing is filled: the attributes libfuse asks for each entry of a listing with
// attributes come in the listing's own reply, as a file server sends them, not in a round trip
// each.
thread_local bool fillingListing = false;

// How many requests waited, and for how long in all: their sum over the time the share was
// busy is how many were in flight on average.
std::atomic<long> requestsServed{0};
std::atomic<long> syncsServed{0};  // of them, requests to store a file or folder (fsync)
std::atomic<long> waitedNanoseconds{0};
std::atomic<long> firstRequest{0};
std::atomic<long> lastRequest{0};

long nanosecondsNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000L + now.tv_nsec;
}

void countRequest(long start, long end) {
  ++requestsServed;
  waitedNanoseconds += end - start;
  long expected = 0;
  firstRequest.compare_exchange_strong(expected, start);
  long last = lastRequest.load();
  while (last < end && !lastRequest.compare_exchange_weak(last, end)) {
  }
}

void waitOneRoundTrip() {
  if (fillingListing) return;
  const long start = nanosecondsNow();
  timespec delay{options.delayMicroseconds / 1000000,
                 static_cast<long>(options.delayMicroseconds % 1000000) * 1000};
  while (nanosleep(&delay, &delay) == -1 && errno == EINTR) {
  }
  countRequest(start, nanosecondsNow());
}

void writeStats(void*) {
  if (options.statsFile == nullptr) return;
  FILE* file = std::fopen(options.statsFile, "w");
  if (file == nullptr) return;
  const double busy = static_cast<double>(lastRequest - firstRequest) / 1e9;
  std::fprintf(file, "requests %ld, syncs %ld, busy %.3f s, in flight on average %.1f\n",
               requestsServed.load(), syncsServed.load(), busy,
               busy > 0 ? static_cast<double>(waitedNanoseconds) / 1e9 / busy : 0.0);
  std::fclose(file);
}

// FUSE paths start with "/"; below the folder they are relative to its descriptor.
const char* relative(const char* path) {
  return path[1] == '\0' ? "." : path + 1;
}

int result(int value) {
  return value == -1 ? -errno : 0;
}

// The write faults, for every open file: which file each open descriptor writes, and the
// faults each file has had.
class WriteFaults {
 public:
  // The error a write of `size` bytes at `offset` through `fd` is to get, or 0.
  int before(int fd, const char* buffer, size_t size, off_t offset) {
    if (options.failFirst <= 0 && options.failAfter == 0) return 0;
    const std::lock_guard lock(mutex_);
    const std::size_t file = fileOf(fd, buffer, size, offset);
    if (failed_[file] < options.failFirst) {
      ++failed_[file];
      return EIO;
    }
    const auto end = static_cast<unsigned long>(offset) + size;
    if (options.failAfter > 0 && end > options.failAfter && cut_.insert(file).second) return EIO;
    return 0;
  }
  void released(int fd) {
    const std::lock_guard lock(mutex_);
    files_.erase(fd);
  }

 private:
  static constexpr std::size_t KnownBy = 4096;

  // The file's first bytes, from this write when it starts the file, else from the file.
  std::size_t fileOf(int fd, const char* buffer, size_t size, off_t offset) {
    const auto known = files_.find(fd);
    if (known != files_.end()) return known->second;
    std::string first(KnownBy, '\0');
    ssize_t count = 0;
    if (offset == 0) {
      count = static_cast<ssize_t>(std::min(size, KnownBy));
      first.assign(buffer, static_cast<std::size_t>(count));
    } else {
      count = pread(fd, first.data(), KnownBy, 0);
      first.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    }
    const std::size_t file = std::hash<std::string>()(first);
    files_.emplace(fd, file);
    return file;
  }

  std::mutex mutex_;
  std::unordered_map<int, std::size_t> files_;   // by open descriptor
  std::unordered_map<std::size_t, int> failed_;  // by file: writes failed by fail_first
  std::unordered_set<std::size_t> cut_;          // files cut by fail_after
};

WriteFaults writeFaults;

void* initShare(fuse_conn_info* connection, fuse_config* config) {
  // Look-ups and listings of one folder run at once, as on a file server's client. (libfuse
  // 3.14 does not pass this on to the kernel, which then looks a folder's names up one at a
  // time: requests for different folders still run at once.)
  if ((connection->capable & FUSE_CAP_PARALLEL_DIROPS) != 0)
    connection->want |= FUSE_CAP_PARALLEL_DIROPS;
  config->use_ino = 1;
  config->attr_timeout = options.attributeTimeout;
  config->entry_timeout = options.attributeTimeout;
  config->negative_timeout = 0;
  return nullptr;
}

int getAttributes(const char* path, struct stat* status, fuse_file_info* file) {
  waitOneRoundTrip();
  if (file != nullptr) return result(fstat(static_cast<int>(file->fh), status));
  return result(fstatat(folderDescriptor, relative(path), status, AT_SYMLINK_NOFOLLOW));
}

int readLink(const char* path, char* buffer, size_t size) {
  waitOneRoundTrip();
  const ssize_t length = readlinkat(folderDescriptor, relative(path), buffer, size - 1);
  if (length == -1) return -errno;
  buffer[length] = '\0';
  return 0;
}

int readFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
               fuse_readdir_flags flags) {
  waitOneRoundTrip();
  const int descriptor =
      openat(folderDescriptor, relative(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  if (descriptor == -1) return -errno;
  DIR* folder = fdopendir(descriptor);
  if (folder == nullptr) {
    close(descriptor);
    return -errno;
  }
  const bool withAttributes = (flags & FUSE_READDIR_PLUS) != 0;
  while (const dirent* entry = readdir(folder)) {
    struct stat status {};
    status.st_ino = entry->d_ino;
    status.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
    auto fillFlags = static_cast<fuse_fill_dir_flags>(0);
    if (withAttributes &&
        fstatat(dirfd(folder), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
      fillFlags = FUSE_FILL_DIR_PLUS;
    }
    fillingListing = true;
    const int full = fill(buffer, entry->d_name, &status, 0, fillFlags);
    fillingListing = false;
    if (full != 0) break;
  }
  closedir(folder);
  return 0;
}

int makeFolder(const char* path, mode_t mode) {
  waitOneRoundTrip();
  return result(mkdirat(folderDescriptor, relative(path), mode));
}

int removeFile(const char* path) {
  waitOneRoundTrip();
  return result(unlinkat(folderDescriptor, relative(path), 0));
}

int removeFolder(const char* path) {
  waitOneRoundTrip();
  return result(unlinkat(folderDescriptor, relative(path), AT_REMOVEDIR));
}

int makeLink(const char* target, const char* path) {
  waitOneRoundTrip();
  return result(symlinkat(target, folderDescriptor, relative(path)));
}

int renameEntry(const char* from, const char* to, unsigned int flags) {
  waitOneRoundTrip();
  return result(renameat2(folderDescriptor, relative(from), folderDescriptor, relative(to), flags));
}

int makeHardLink(const char* from, const char* to) {
  waitOneRoundTrip();
  return result(linkat(folderDescriptor, relative(from), folderDescriptor, relative(to), 0));
}

int changeMode(const char* path, mode_t mode, fuse_file_info* file) {
  waitOneRoundTrip();
  if (file != nullptr) return result(fchmod(static_cast<int>(file->fh), mode));
  return result(fchmodat(folderDescriptor, relative(path), mode, 0));
}

int changeOwner(const char* path, uid_t owner, gid_t group, fuse_file_info* file) {
  waitOneRoundTrip();
  if (file != nullptr) return result(fchown(static_cast<int>(file->fh), owner, group));
  return result(fchownat(folderDescriptor, relative(path), owner, group, AT_SYMLINK_NOFOLLOW));
}

int truncateFile(const char* path, off_t size, fuse_file_info* file) {
  waitOneRoundTrip();
  if (file != nullptr) return result(ftruncate(static_cast<int>(file->fh), size));
  const int descriptor = openat(folderDescriptor, relative(path), O_WRONLY | O_CLOEXEC);
  if (descriptor == -1) return -errno;
  const int outcome = result(ftruncate(descriptor, size));
  close(descriptor);
  return outcome;
}

int setTimes(const char* path, const timespec times[2], fuse_file_info* file) {
  waitOneRoundTrip();
  if (file != nullptr) return result(futimens(static_cast<int>(file->fh), times));
  return result(utimensat(folderDescriptor, relative(path), times, AT_SYMLINK_NOFOLLOW));
}

int createFile(const char* path, mode_t mode, fuse_file_info* file) {
  waitOneRoundTrip();
  const int descriptor = openat(folderDescriptor, relative(path), file->flags | O_CLOEXEC, mode);
  if (descriptor == -1) return -errno;
  file->fh = static_cast<uint64_t>(descriptor);
  return 0;
}

int openFile(const char* path, fuse_file_info* file) {
  waitOneRoundTrip();
  const int descriptor = openat(folderDescriptor, relative(path), file->flags | O_CLOEXEC);
  if (descriptor == -1) return -errno;
  file->fh = static_cast<uint64_t>(descriptor);
  return 0;
}

int readFile(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file) {
  waitOneRoundTrip();
  const ssize_t count = pread(static_cast<int>(file->fh), buffer, size, offset);
  return count == -1 ? -errno : static_cast<int>(count);
}

int writeFile(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* file) {
  waitOneRoundTrip();
  const int fd = static_cast<int>(file->fh);
  if (const int fault = writeFaults.before(fd, buffer, size, offset); fault != 0) return -fault;
  const ssize_t count = pwrite(fd, buffer, size, offset);
  return count == -1 ? -errno : static_cast<int>(count);
}

int fileSystemStatus(const char* path, struct statvfs* status) {
  waitOneRoundTrip();
  const int descriptor =
      openat(folderDescriptor, relative(path), O_RDONLY | O_CLOEXEC | O_PATH | O_NOFOLLOW);
  if (descriptor == -1) return -errno;
  const int outcome = result(fstatvfs(descriptor, status));
  close(descriptor);
  return outcome;
}

int releaseFile(const char*, fuse_file_info* file) {
  writeFaults.released(static_cast<int>(file->fh));
  close(static_cast<int>(file->fh));
  return 0;
}

int syncFile(const char*, int dataOnly, fuse_file_info* file) {
  waitOneRoundTrip();
  ++syncsServed;
  const int descriptor = static_cast<int>(file->fh);
  return result(dataOnly != 0 ? fdatasync(descriptor) : fsync(descriptor));
}

// A folder's entries are stored when the client asks, as a file server stores them.
int syncFolder(const char* path, int, fuse_file_info*) {
  waitOneRoundTrip();
  ++syncsServed;
  const int descriptor = openat(folderDescriptor, relative(path), O_RDONLY | O_DIRECTORY);
  if (descriptor == -1) return -errno;
  const int outcome = result(fsync(descriptor));
  close(descriptor);
  return outcome;
}

fuse_operations shareOperations() {
  fuse_operations operations{};
  operations.init = initShare;
  operations.destroy = writeStats;
  operations.getattr = getAttributes;
  operations.readlink = readLink;
  operations.readdir = readFolder;
  operations.mkdir = makeFolder;
  operations.unlink = removeFile;
  operations.rmdir = removeFolder;
  operations.symlink = makeLink;
  operations.rename = renameEntry;
  operations.link = makeHardLink;
  operations.chmod = changeMode;
  operations.chown = changeOwner;
  operations.truncate = truncateFile;
  operations.utimens = setTimes;
  operations.create = createFile;
  operations.open = openFile;
  operations.read = readFile;
  operations.write = writeFile;
  operations.statfs = fileSystemStatus;
  operations.release = releaseFile;
  operations.fsync = syncFile;
  operations.fsyncdir = syncFolder;
  return operations;
}

const fuse_opt optionTable[] = {
    {"delay_us=%d", offsetof(ShareOptions, delayMicroseconds), 0},
    {"attr_timeout=%lf", offsetof(ShareOptions, attributeTimeout), 0},
    {"fail_first=%d", offsetof(ShareOptions, failFirst), 0},
    {"fail_after=%lu", offsetof(ShareOptions, failAfter), 0},
    {"stats=%s", offsetof(ShareOptions, statsFile), 0},
    FUSE_OPT_END,
};

// The first argument that is not an option is the folder to share; the rest go to FUSE.
int takeFolderArgument(void* data, const char* argument, int key, fuse_args*) {
  auto* parsed = static_cast<ShareOptions*>(data);
  if (key == FUSE_OPT_KEY_NONOPT && parsed->folder == nullptr) {
    parsed->folder = realpath(argument, nullptr);
    if (parsed->folder == nullptr) {
      std::fprintf(stderr, "nuvelo-slow-share: %s: %s\n", argument, std::strerror(errno));
      return -1;
    }
    return 0;
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  fuse_args arguments = FUSE_ARGS_INIT(argc, argv);
  if (fuse_opt_parse(&arguments, &options, optionTable, takeFolderArgument) == -1) return 1;
  if (options.folder == nullptr) {
    std::fprintf(stderr,
                 "usage: nuvelo-slow-share FOLDER MOUNTPOINT [-o delay_us=N] "
                 "[-o attr_timeout=S] [-o fail_first=N] [-o fail_after=BYTES] [-o stats=FILE] "
                 "[-o max_threads=N] [FUSE options]\n");
    return 2;
  }
  folderDescriptor = open(options.folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderDescriptor == -1) {
    std::fprintf(stderr, "nuvelo-slow-share: %s: %s\n", options.folder, std::strerror(errno));
    return 1;
  }
  const fuse_operations operations = shareOperations();
  const int status = fuse_main(arguments.argc, arguments.argv, &operations, nullptr);
  fuse_opt_free_args(&arguments);
  close(folderDescriptor);
  std::free(options.folder);
  return status;
}
