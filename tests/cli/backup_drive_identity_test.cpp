// A job knows its backup drive: the first copy records the drive its destination lies on, and a
// later run whose destination lies elsewhere (a drive that is not connected leaves its empty
// mount point on the system disk) is refused, naming the folder and both drives, unless told to
// take the new drive. A tmpfs stands in for the drive.

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>

#include "engine/settings/job_dates.h"
#include "engine/settings/profile_file.h"
#include "support/file_tree.h"
#include "support/mounted_image.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

using testing::ProgramRun;
using testing::runProgram;
using testing::TempFolder;

struct SecondRun {
  const char* name;
  bool driveConnected;
  std::vector<std::string> options;
  int status;
  bool copied;             // the file reached the destination folder
  const char* recordedOn;  // where the job's drive is recorded afterwards: "drive" or "system"
};

void PrintTo(const SecondRun& c, std::ostream* out) {
  *out << c.name;
}

class BackupDriveIdentity : public ::testing::TestWithParam<SecondRun> {
 protected:
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return drive.path() + "/Backup"; }
  std::string settings() const { return tree.file("NVO.ini"); }
  ProgramRun copy(const std::vector<std::string>& options) const {
    std::vector<std::string> argv{NUVELO_CLI_PATH, "copy",       "--since",
                                  "2000-01-01",    "--relative", "--overwrite=always",
                                  "--mkdir",       "--settings", settings()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {source(), destination()});
    return runProgram(argv);
  }
  std::string recordedDrive() const {
    return readJobDrive(ProfileFile(settings()), jobKey("", source(), destination())).value_or("");
  }

  TempFolder tree;
  testing::MemoryMount drive{"tmpfs", "size=1m"};
};

TEST_P(BackupDriveIdentity, ALaterRunCopiesOnlyToTheDriveItRecorded) {
  const SecondRun& c = GetParam();
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  std::filesystem::create_directories(source());
  testing::writeFile(source() + "/a.txt", "first");
  const ProgramRun first = copy({});
  ASSERT_EQ(first.status, 0) << first.err;
  const std::string onDrive = recordedDrive();
  EXPECT_EQ(onDrive, "tmpfs on " + drive.path());

  std::filesystem::remove(destination() + "/a.txt");
  if (!c.driveConnected) {
    ASSERT_EQ(umount2(drive.path().c_str(), 0), 0);
  }
  const ProgramRun second = copy(c.options);
  EXPECT_EQ(second.status, c.status) << second.err;
  EXPECT_EQ(std::filesystem::exists(destination() + "/a.txt"), c.copied);
  if (c.status == 2) {
    // The refusal names the folder, the drive expected and what was found, and makes nothing.
    for (const std::string& named : {destination(), onDrive, std::string("--any-drive")})
      EXPECT_NE(second.err.find(named), std::string::npos) << named << ": " << second.err;
    EXPECT_FALSE(std::filesystem::exists(destination()));
  }
  EXPECT_EQ(recordedDrive() == onDrive, std::string(c.recordedOn) == "drive") << recordedDrive();
  if (!c.driveConnected) {
    std::filesystem::remove_all(destination());  // off the system disk
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, BackupDriveIdentity,
    ::testing::Values(SecondRun{"SameDrive", true, {}, 0, true, "drive"},
                      SecondRun{"DriveNotConnected", false, {}, 2, false, "drive"},
                      SecondRun{"DryRunDriveNotConnected", false, {"-n"}, 2, false, "drive"},
                      SecondRun{
                          "AnyDriveTakesTheNewOne", false, {"--any-drive"}, 0, true, "system"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
