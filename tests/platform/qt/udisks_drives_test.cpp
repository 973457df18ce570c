#include "platform/qt/udisks_drives.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTest>

#include "support/fake_udisks.h"
#include "support/folder_browser.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::FakeUDisks;
using Outcome = DriveRemoval::Outcome;

template <class T>
bool awaitAnswer(const std::vector<T>& answers) {
  return QTest::qWaitFor([&] { return !answers.empty(); }, testing::HangBoundMs);
}

// A folder of the test's and UDisks2 on the tests' bus, which publishes the drive Stick: the
// file system sdb1, an unmounted sdb2, and the encrypted partition sdb3 unlocked as dm_2d0.
class UDisks : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
    ASSERT_TRUE(udisks.registered());
    struct stat status {};
    ASSERT_EQ(stat(folder.path().c_str(), &status), 0);
    device = status.st_dev;
  }
  void publishStick(const QVariantMap& drive, quint64 sdb1Device) {
    udisks.add("drives/Stick", "Drive", drive);
    udisks.addFileSystem("block_devices/sdb1", sdb1Device, "drives/Stick", true);
    udisks.addFileSystem("block_devices/sdb2", device + 1, "drives/Stick", false);
    udisks.add("block_devices/sdb3", "Block",
               {{"Drive", QVariant::fromValue(FakeUDisks::path("drives/Stick"))}});
    udisks.addFileSystem("block_devices/dm_2d0", device + 2, "", true, "block_devices/sdb3");
    udisks.addFileSystem("block_devices/sda1", device + 3, "drives/Internal", true);
  }
  std::optional<RemovableDrive> find() {
    std::vector<std::optional<RemovableDrive>> found;
    drives.findDrive(folder.path(), [&](auto drive) { found.push_back(drive); });
    return awaitAnswer(found) ? found[0] : std::nullopt;
  }
  testing::TempFolder folder;
  testing::PrivateBus bus;
  FakeUDisks udisks{bus};
  UDisksDrives drives{bus.connect()};
  quint64 device = 0;
};

struct LookupCase {
  const char* name;
  QVariantMap drive;  // its Drive properties
  int deviceOffset;   // from the folder's device number to sdb1's
  bool offered;
};

class DriveLookup : public UDisks, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(DriveLookup, FindsTheFoldersFileSystemByDeviceNumber) {
  publishStick(GetParam().drive, device + GetParam().deviceOffset);
  const RemovableDrive sdb1{UDisksPath + std::string("/block_devices/sdb1"),
                            UDisksPath + std::string("/drives/Stick")};
  EXPECT_EQ(find(), GetParam().offered ? std::optional(sdb1) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, DriveLookup,
    ::testing::Values(LookupCase{"UsbDisk", {{"ConnectionBus", "usb"}}, 0, true},
                      LookupCase{"MemoryCard", {{"MediaRemovable", true}}, 0, true},
                      LookupCase{"InternalDisk", {{"ConnectionBus", "sata"}}, 0, false},
                      LookupCase{"NotTheFolders", {{"Removable", true}}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct RemovalCase {
  const char* name;
  bool canPowerOff;
  const char* failing;  // the method that fails as busy
  QStringList calls;
  Outcome outcome;
};

const QStringList UnmountsAndLock = {"Unmount sdb1", "Unmount dm_2d0", "Lock sdb3"};

class DriveRemovalCalls : public UDisks, public ::testing::WithParamInterface<RemovalCase> {};

// Every mounted file system of the drive is unmounted, the folder's first, and its encrypted
// partition locked, before the drive is powered off (or ejected); the first call that fails
// ends the removal with UDisks2's reason.
TEST_P(DriveRemovalCalls, UnmountThenPowerOff) {
  publishStick({{"Ejectable", true}, {"CanPowerOff", GetParam().canPowerOff}}, device);
  udisks.fails[GetParam().failing] = {"org.freedesktop.UDisks2.Error.DeviceBusy", "in use"};
  const std::optional<RemovableDrive> stick = find();
  ASSERT_TRUE(stick);
  std::vector<DriveRemoval> removals;
  drives.removeDrive(*stick, [&](DriveRemoval removal) { removals.push_back(removal); });
  ASSERT_TRUE(awaitAnswer(removals));
  EXPECT_EQ(udisks.calls, GetParam().calls);
  EXPECT_EQ(removals[0].outcome, GetParam().outcome);
  EXPECT_EQ(removals[0].reason, GetParam().outcome == Outcome::Busy ? "in use" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Removals, DriveRemovalCalls,
    ::testing::Values(RemovalCase{"PowersOff", true, "",
                                  UnmountsAndLock + QStringList{"PowerOff Stick"},
                                  Outcome::Removed},
                      RemovalCase{"Ejects", false, "", UnmountsAndLock + QStringList{"Eject Stick"},
                                  Outcome::Removed},
                      RemovalCase{"Busy", true, "Unmount", {"Unmount sdb1"}, Outcome::Busy}),
    [](const auto& info) { return std::string(info.param.name); });

// A look-up returns at once and, without an answer, offers nothing once its deadline passed.
TEST_F(UDisks, SilentOffersNoDrive) {
  udisks.silent = true;
  UDisksDrives waiting(bus.connect(), 200);
  std::vector<std::optional<RemovableDrive>> found;
  waiting.findDrive(folder.path(), [&](auto drive) { found.push_back(drive); });
  EXPECT_TRUE(found.empty());
  ASSERT_TRUE(awaitAnswer(found));
  EXPECT_EQ(found, std::vector<std::optional<RemovableDrive>>{std::nullopt});
}

}  // namespace
}  // namespace nuvelo
