// The drives of the backup tests: an exFAT, FAT32 or NTFS image mounted through FUSE for one
// test, and taken down however far setting it up got and however the test left. Each case needs
// root, /dev/fuse, a loop device and the file system's programs, and is skipped without them.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::FileSystem;
using testing::MountedImage;
using testing::readFile;
using testing::writeFile;

// The drive itself: mounted when it says so, and gone without a trace afterwards, however far
// setting it up got and however the test left.

bool isMountPoint(const std::string& path) {
  std::ifstream table("/proc/self/mountinfo");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    fields >> id >> parent >> device >> root >> point;
    if (point == path) return true;
  }
  return false;
}

bool loopDeviceReads(const std::string& image) {
  for (const auto& block : std::filesystem::directory_iterator("/sys/block")) {
    std::string backing;
    std::getline(std::ifstream(block.path() / "loop/backing_file"), backing);
    if (!image.empty() && backing.rfind(image, 0) == 0) return true;
  }
  return false;
}

struct SetUpCase {
  const char* name;
  FileSystem fs;
  std::uint64_t bytes;
  std::vector<std::string> mountOptions;
  MountedImage::Step failedStep;
  const char* reasonSays;
};

const SetUpCase SetUps[] = {
    {"ExFatMounts", FileSystem::ExFat, MountedImage::DefaultBytes, {}, MountedImage::Step::None, ""},
    {"Fat32Mounts", FileSystem::Fat32, MountedImage::DefaultBytes, {}, MountedImage::Step::None, ""},
    {"NtfsMounts", FileSystem::Ntfs, MountedImage::DefaultBytes, {}, MountedImage::Step::None, ""},
    {"NtfsTooSmallToFormat", FileSystem::Ntfs, 64 << 10, {}, MountedImage::Step::Format,
     "too small"},
    // fusefat exits 0 on an option that libfuse refuses, but mounts nothing.
    {"Fat32MountThatNeverAppears", FileSystem::Fat32, MountedImage::DefaultBytes,
     {"nuvelo_no_such_option"}, MountedImage::Step::Mount, "nuvelo_no_such_option"},
};

void PrintTo(const SetUpCase& c, std::ostream* out) { *out << c.name; }

class DriveSetUp : public ::testing::TestWithParam<SetUpCase> {};

TEST_P(DriveSetUp, LeavesNothingBehind) {
  const SetUpCase& c = GetParam();
  if (const std::string why = MountedImage::missingPrerequisite(c.fs); !why.empty()) GTEST_SKIP() << why;
  std::string point, image, device;
  try {
    MountedImage drive(c.fs, c.bytes, c.mountOptions);
    if (drive.failedStep() == MountedImage::Step::LoopDevice) GTEST_SKIP() << drive.skipReason();
    point = drive.path();
    image = drive.imageFile();
    device = drive.device();
    EXPECT_EQ(drive.failedStep(), c.failedStep) << drive.skipReason();
    EXPECT_NE(drive.skipReason().find(c.reasonSays), std::string::npos) << drive.skipReason();
    EXPECT_EQ(drive.usable(), drive.skipReason().empty());
    EXPECT_EQ(isMountPoint(point), drive.usable());
    if (drive.usable()) {
      EXPECT_TRUE(loopDeviceReads(image)) << device;
      writeFile(point + "/kept.txt", "on the drive");
      EXPECT_EQ(readFile(point + "/kept.txt"), "on the drive");
    }
    throw std::runtime_error("the test leaves by an exception");
  } catch (const std::runtime_error&) {
  }
  ASSERT_FALSE(image.empty());
  EXPECT_FALSE(isMountPoint(point));
  EXPECT_FALSE(loopDeviceReads(image)) << device;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(image).parent_path()));
}

INSTANTIATE_TEST_SUITE_P(Drives, DriveSetUp, ::testing::ValuesIn(SetUps),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
