// What a real install of nuvelo-cli alone (cmake --install --component cli) does where it lands:
// the program knows it is installed, and the example units name the prefix it was installed to.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;
using testing::TempFolder;
using testing::writeFile;

ProgramRun installCli(const std::string& prefix) {
  return runProgram(
      {NUVELO_CMAKE, "--install", NUVELO_BUILD_DIR, "--component", "cli", "--prefix", prefix},
      std::chrono::seconds(120));
}

// The value of each line "Key=value" of a unit file, the last one where a key repeats.
std::map<std::string, std::string> unitKeys(const std::string& path) {
  std::map<std::string, std::string> keys;
  std::istringstream lines(readFile(path));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || line[0] == '[' || equals == std::string::npos) continue;
    keys[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return keys;
}

// An installed nuvelo-cli keeps its settings in ~/.config/nuvelo even where it could write its
// own folder (the prefix is root's here), as the window does.
TEST(InstalledCli, KeepsItsSettingsInTheUsersConfigFolder) {
  TempFolder prefix, home, from, to;
  const ProgramRun installed = installCli(prefix.path());
  ASSERT_EQ(installed.status, 0) << installed.err;
  testing::makeFile(from.file("a.txt"), testing::localTime(2024, 5, 2));
  const ProgramRun copied =
      runProgram({"/usr/bin/env", "-i", "HOME=" + home.path(), "LANG=C",
                  prefix.file("bin/nuvelo-cli"), "copy", "--since", "2024-05-01", "--overwrite",
                  "always", "--relative", "-q", from.path(), to.path()});
  ASSERT_EQ(copied.status, 0) << copied.err;
  EXPECT_TRUE(std::filesystem::exists(to.file("a.txt")));
  EXPECT_NE(readFile(home.file(".config/nuvelo/NVO.ini")).find("[Jobs]"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(prefix.file("bin/NVO.ini")));
}

// Installed under any prefix, the service runs that prefix's nuvelo-cli, a failure starts the
// notifying service installed beside it, and that one points at the installed examples.
TEST(InstalledExamples, NameThePrefixTheyWereInstalledTo) {
  TempFolder prefix;
  const ProgramRun installed = installCli(prefix.path());
  ASSERT_EQ(installed.status, 0) << installed.err;
  const std::string examples = prefix.file("share/doc/nuvelo/examples/");
  auto backup = unitKeys(examples + "nuvelo-backup.service");
  EXPECT_EQ(backup["ExecStart"].substr(0, backup["ExecStart"].find(' ')),
            prefix.file("bin/nuvelo-cli"));
  ASSERT_EQ(backup["OnFailure"], "nuvelo-backup-failed.service");
  auto failed = unitKeys(examples + backup["OnFailure"]);
  EXPECT_NE(failed["Documentation"].find("file://" + examples + "nuvelo-backup.service"),
            std::string::npos)
      << failed["Documentation"];
  EXPECT_EQ(failed["ExecStart"].rfind("/usr/bin/gdbus call --session ", 0), 0u)
      << failed["ExecStart"];
  for (const char* said : {"バックアップに失敗しました", "journalctl --user -u nuvelo-backup"})
    EXPECT_NE(failed["ExecStart"].find(said), std::string::npos) << said;
}

// systemd reads the installed units without a complaint: every key known, every value valid,
// the commands present.
TEST(InstalledExamples, PassSystemdsVerify) {
  const std::string analyze = testing::findProgram("systemd-analyze");
  if (analyze.empty()) GTEST_SKIP() << "systemd-analyze is not installed";
  if (testing::findProgram("gdbus").empty()) GTEST_SKIP() << "gdbus is not installed";
  TempFolder prefix, runtime;
  const ProgramRun installed = installCli(prefix.path());
  ASSERT_EQ(installed.status, 0) << installed.err;
  const std::string examples = prefix.file("share/doc/nuvelo/examples/");
  const ProgramRun verified =
      runProgram({"/usr/bin/env", "XDG_RUNTIME_DIR=" + runtime.path(), analyze, "--user", "verify",
                  "--man=no", examples + "nuvelo-backup.service",
                  examples + "nuvelo-backup-failed.service", examples + "nuvelo-backup.timer"});
  EXPECT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.err, "");

  // The service bound to the drive's mount is verified beside a stand-in of that mount unit,
  // whose name it gives in each place it needs it.
  const std::string onDrive = readFile(examples + "nuvelo-backup-on-drive.service");
  for (const char* key : {"\nBindsTo=", "\nAfter=", "\nWantedBy="})
    EXPECT_NE(onDrive.find(std::string(key) + "media-me-BACKUP.mount\n"), std::string::npos) << key;
  TempFolder units;
  writeFile(units.file("nuvelo-backup-on-drive.service"), onDrive);
  writeFile(units.file("nuvelo-backup-failed.service"),
            readFile(examples + "nuvelo-backup-failed.service"));
  writeFile(units.file("media-me-BACKUP.mount"),
            "[Mount]\nWhat=/dev/disk/by-label/BACKUP\nWhere=/media/me/BACKUP\n");
  const ProgramRun bound =
      runProgram({"/usr/bin/env", "XDG_RUNTIME_DIR=" + runtime.path(), analyze, "--user", "verify",
                  "--man=no", units.file("nuvelo-backup-on-drive.service")});
  EXPECT_EQ(bound.status, 0) << bound.err;
  EXPECT_EQ(bound.err, "");
}

}  // namespace
}  // namespace nuvelo
