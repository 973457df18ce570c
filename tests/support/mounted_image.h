#pragma once
// A drive of a test's own: an image file in a fresh folder under /tmp, formatted as people
// format their USB drives (exFAT, FAT32, NTFS), attached to a loop device and mounted through
// FUSE, as a desktop without the kernel's drivers for these file systems mounts them. Whatever
// part of it was set up is taken down again when the object goes, however far setting it up
// got: the mount (lazily when it stays busy), the loop device, the image and its folder.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace nuvelo::testing {

enum class FileSystem { ExFat, Fat32, Ntfs };

// "exFAT", "FAT32" or "NTFS".
const char* fileSystemName(FileSystem fs);

// What a program did: its exit status (128 + the signal that ended it; -1 when it could not be
// started or was killed for running too long) and what it wrote to its standard streams.
struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program (argv[0] is its path) without a shell, standard input from /dev/null, and
// waits for it; one that runs longer than `limit` is killed.
ProgramRun runProgram(const std::vector<std::string>& argv,
                      std::chrono::seconds limit = std::chrono::seconds(300));

// The path of a program in PATH or in the system folders that root's PATH holds; empty when
// there is none.
std::string findProgram(const std::string& name);

class MountedImage {
 public:
  // Where setting up stopped; None when the drive is mounted.
  enum class Step { None, Prerequisites, Image, Format, LoopDevice, Mount };

  static constexpr std::uint64_t DefaultBytes = std::uint64_t{64} << 20;

  // Never throws: a drive that could not be set up says why in skipReason(). `mountOptions`
  // go to the FUSE program's -o.
  explicit MountedImage(FileSystem fs, std::uint64_t bytes = DefaultBytes,
                        const std::vector<std::string>& mountOptions = {}) noexcept;
  ~MountedImage();
  MountedImage(const MountedImage&) = delete;
  MountedImage& operator=(const MountedImage&) = delete;

  bool usable() const { return failedStep_ == Step::None; }
  // Why the drive cannot be used (with the failing program's stderr); empty when it can.
  const std::string& skipReason() const { return skipReason_; }
  Step failedStep() const { return failedStep_; }

  FileSystem fileSystem() const { return fs_; }
  // The mount point.
  const std::string& path() const { return mountPoint_; }
  // The loop device ("/dev/loop3"); empty when none was attached.
  const std::string& device() const { return device_; }
  const std::string& imageFile() const { return image_; }

  // Why no such drive can be made on this machine at all (not root, no /dev/fuse, no loop
  // devices, a program missing); empty when one can.
  static std::string missingPrerequisite(FileSystem fs);

 private:
  void setUp(std::uint64_t bytes, const std::vector<std::string>& mountOptions);
  void fail(Step step, std::string why);
  bool mountPointIsMounted() const;
  bool waitForMount() const;
  bool unmount();
  void detach(bool wait);

  FileSystem fs_;
  Step step_ = Step::Prerequisites;  // the step under way
  Step failedStep_ = Step::None;
  std::string skipReason_;
  std::string folder_;
  std::string image_;
  std::string mountPoint_;
  std::string device_;
  bool mountRan_ = false;  // the FUSE program was started: there may be a mount to take down
};

}  // namespace nuvelo::testing
