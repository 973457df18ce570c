#include "support/mounted_image.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

extern char** environ;

namespace nuvelo::testing {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long the mount may take to show once the FUSE program returned (it mounts before it
// returns, but a program that failed may still exit 0), and the loop device to go once let go.
constexpr auto MountLimit = 5s;
constexpr auto DetachLimit = 10s;

struct DriveTools {
  const char* mkfs;
  const char* mkfsPackage;
  std::vector<std::string> mkfsOptions;
  const char* mounter;
  const char* mounterPackage;
  std::vector<std::string> mountOptions;
};

DriveTools toolsFor(FileSystem fs) {
  switch (fs) {
    case FileSystem::ExFat:
      return {"mkfs.exfat", "exfatprogs", {}, "mount.exfat-fuse", "exfat-fuse", {}};
    case FileSystem::Fat32:  // fusefat mounts read-only unless told rw+
      return {"mkfs.vfat", "dosfstools", {"-F", "32"}, "fusefat", "fusefat", {"rw+"}};
    case FileSystem::Ntfs:
      return {"mkntfs", "ntfs-3g", {"-F", "-Q"}, "ntfs-3g", "ntfs-3g", {}};
  }
  return {};
}

std::string errorText(int error) {
  return std::strerror(error);
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string joined(const std::vector<std::string>& words, const char* between) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : between) + w;
  return text;
}

std::string failureOf(const std::string& program, const ProgramRun& run) {
  return program + " failed (exit status " + std::to_string(run.status) + ")" +
         (run.err.empty() ? "" : ": " + trimmed(run.err));
}

std::string readAll(int fd) {
  std::string text;
  char buffer[4096];
  lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

// The file a loop device reads from; empty when it is detached.
std::string backingFileOf(const std::string& device) {
  const std::string name = std::filesystem::path(device).filename().string();
  std::string line;
  std::getline(std::ifstream("/sys/block/" + name + "/loop/backing_file"), line);
  return line;
}

}  // namespace

const char* fileSystemName(FileSystem fs) {
  switch (fs) {
    case FileSystem::ExFat:
      return "exFAT";
    case FileSystem::Fat32:
      return "FAT32";
    case FileSystem::Ntfs:
      return "NTFS";
  }
  return "?";
}

ProgramRun runProgram(const std::vector<std::string>& argv, std::chrono::seconds limit) {
  ProgramRun run;
  if (argv.empty()) return run;
  // Memory files, not pipes: a FUSE program's daemon inherits them and may keep them open.
  const int out = memfd_create("stdout", MFD_CLOEXEC);
  const int err = memfd_create("stderr", MFD_CLOEXEC);
  if (out < 0 || err < 0) {
    run.err = "memfd_create: " + errorText(errno);
    if (out >= 0) close(out);
    if (err >= 0) close(err);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.err = argv[0] + ": " + errorText(spawned);
  } else {
    int status = 0;
    bool killed = false;
    for (const auto end = Clock::now() + limit;;) {
      const pid_t done = waitpid(child, &status, WNOHANG);
      if (done == child || (done < 0 && errno != EINTR)) break;
      if (Clock::now() > end) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        killed = true;
        break;
      }
      std::this_thread::sleep_for(5ms);
    }
    run.out = readAll(out);
    run.err = readAll(err);
    if (killed)
      run.err += "\n(killed after " + std::to_string(limit.count()) + " s)";
    else if (WIFEXITED(status))
      run.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
      run.status = 128 + WTERMSIG(status);
  }
  close(out);
  close(err);
  return run;
}

std::string findProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  std::istringstream folders(std::string(path ? path : "") +
                             ":/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + name;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

std::string MountedImage::missingPrerequisite(FileSystem fs) {
  if (geteuid() != 0) return "not root: a loop device and a mount need root";
  if (access("/dev/fuse", R_OK | W_OK) != 0) return "no /dev/fuse: " + errorText(errno);
  if (access("/dev/loop-control", R_OK | W_OK) != 0)
    return "no loop devices (/dev/loop-control: " + errorText(errno) + ")";
  const DriveTools tools = toolsFor(fs);
  for (const auto& [program, package] :
       {std::pair{tools.mkfs, tools.mkfsPackage}, std::pair{tools.mounter, tools.mounterPackage},
        std::pair{"losetup", "mount"}}) {
    if (findProgram(program).empty())
      return std::string(program) + " is missing (Debian package " + package + ")";
  }
  return {};
}

MountedImage::MountedImage(FileSystem fs, std::uint64_t bytes,
                           const std::vector<std::string>& mountOptions) noexcept
    : fs_(fs) {
  try {
    setUp(bytes, mountOptions);
  } catch (const std::exception& e) {
    fail(step_, e.what());
  } catch (...) {
    fail(step_, "setting up the drive threw");
  }
}

void MountedImage::fail(Step step, std::string why) {
  failedStep_ = step;
  skipReason_ = std::string(fileSystemName(fs_)) + " drive: " + std::move(why);
}

void MountedImage::setUp(std::uint64_t bytes, const std::vector<std::string>& mountOptions) {
  if (std::string why = missingPrerequisite(fs_); !why.empty()) return fail(step_, why);
  const DriveTools tools = toolsFor(fs_);

  step_ = Step::Image;
  std::string folder = (std::filesystem::temp_directory_path() / "nuvelo-drive-XXXXXX").string();
  if (!mkdtemp(folder.data()))
    return fail(step_, "cannot make " + folder + ": " + errorText(errno));
  folder_ = folder;
  image_ = folder_ + "/drive.img";
  const int fd = open(image_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return fail(step_, "cannot make " + image_ + ": " + errorText(errno));
  const bool sized = ftruncate(fd, static_cast<off_t>(bytes)) == 0;
  const int sizeError = errno;
  close(fd);
  if (!sized) return fail(step_, "cannot size " + image_ + ": " + errorText(sizeError));

  step_ = Step::Format;
  std::vector<std::string> format{findProgram(tools.mkfs)};
  format.insert(format.end(), tools.mkfsOptions.begin(), tools.mkfsOptions.end());
  format.push_back(image_);
  if (const ProgramRun run = runProgram(format, std::chrono::seconds(120)); run.status != 0)
    return fail(step_, failureOf(tools.mkfs, run));

  step_ = Step::LoopDevice;
  ProgramRun attach;
  // Tests running side by side may reach for the same free device: losetup then tries again.
  for (int attempt = 0; attempt < 3 && device_.empty(); ++attempt) {
    attach =
        runProgram({findProgram("losetup"), "--find", "--show", image_}, std::chrono::seconds(30));
    if (attach.status == 0 && attach.out.rfind("/dev/", 0) == 0) device_ = trimmed(attach.out);
  }
  if (device_.empty()) return fail(step_, "no free loop device: " + failureOf("losetup", attach));

  step_ = Step::Mount;
  mountPoint_ = folder_ + "/mnt";
  if (mkdir(mountPoint_.c_str(), 0755) != 0)
    return fail(step_, "cannot make " + mountPoint_ + ": " + errorText(errno));
  std::vector<std::string> options = tools.mountOptions;
  options.insert(options.end(), mountOptions.begin(), mountOptions.end());
  std::vector<std::string> mount{findProgram(tools.mounter)};
  if (!options.empty()) mount.insert(mount.end(), {"-o", joined(options, ",")});
  mount.insert(mount.end(), {device_, mountPoint_});
  mountRan_ = true;
  const ProgramRun mounted = runProgram(mount, std::chrono::seconds(60));
  if (mounted.status != 0) return fail(step_, failureOf(tools.mounter, mounted));
  if (!waitForMount())
    return fail(step_, std::string(tools.mounter) + " returned, but " + mountPoint_ +
                           " did not become a mount point" +
                           (mounted.err.empty() ? "" : ": " + trimmed(mounted.err)));
  step_ = Step::None;
}

// A mount point whose FUSE program went away cannot be looked at (ENOTCONN): still mounted.
bool MountedImage::mountPointIsMounted() const {
  struct stat point {
  }, parent{};
  if (stat(folder_.c_str(), &parent) != 0) return false;
  if (stat(mountPoint_.c_str(), &point) != 0) return errno != ENOENT;
  return point.st_dev != parent.st_dev;
}

// Whether the mount is there and answers, before the limit.
bool MountedImage::waitForMount() const {
  for (const auto end = Clock::now() + MountLimit;; std::this_thread::sleep_for(10ms)) {
    struct stat point {
    }, parent{};
    if (stat(folder_.c_str(), &parent) == 0 && stat(mountPoint_.c_str(), &point) == 0 &&
        point.st_dev != parent.st_dev)
      return true;
    if (Clock::now() > end) return false;
  }
}

// A mount still busy (a program of the test still in it) is tried again for two seconds, then
// detached lazily: it goes when the last user lets go. False when it had to be left so.
bool MountedImage::unmount() {
  for (int attempt = 0; mountPointIsMounted(); ++attempt) {
    if (umount2(mountPoint_.c_str(), 0) == 0) continue;
    if (errno != EBUSY || attempt == 20) {
      if (umount2(mountPoint_.c_str(), MNT_DETACH) != 0)
        std::cerr << "MountedImage: cannot unmount " << mountPoint_ << ": " << errorText(errno)
                  << '\n';
      return false;
    }
    std::this_thread::sleep_for(100ms);
  }
  return true;
}

// losetup -d on a device that the FUSE program still holds (it may still be closing it) marks it
// to go once that program lets go; waits for that, unless the mount was left to a user of it.
void MountedImage::detach(bool wait) {
  const ProgramRun run =
      runProgram({findProgram("losetup"), "-d", device_}, std::chrono::seconds(30));
  if (!wait) return;
  for (const auto end = Clock::now() + DetachLimit;; std::this_thread::sleep_for(10ms)) {
    if (backingFileOf(device_).rfind(image_, 0) != 0) return;
    if (Clock::now() > end) break;
  }
  std::cerr << "MountedImage: " << device_ << " is still attached to " << image_
            << (run.status != 0 ? ": " + failureOf("losetup -d", run) : std::string()) << '\n';
}

MountedImage::~MountedImage() {
  try {
    const bool unmounted = !mountRan_ || unmount();
    if (!device_.empty()) detach(unmounted);
    if (!image_.empty()) unlink(image_.c_str());
    if (!mountPoint_.empty()) rmdir(mountPoint_.c_str());
    if (!folder_.empty()) rmdir(folder_.c_str());
  } catch (const std::exception& e) {
    std::cerr << "MountedImage: taking down " << folder_ << ": " << e.what() << '\n';
  }
}

}  // namespace nuvelo::testing
