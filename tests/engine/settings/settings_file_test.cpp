#include "engine/settings/settings_file.h"
#include "engine/settings/job_dates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "support/non_regular_entries.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

TEST(SettingsFile, FirstStartGivesDefaults) {
  TempFolder folder;
  const MainWindowSettings s = readMainWindowSettings(ProfileFile(folder.file("NVO.ini")));
  EXPECT_EQ(s.from, "");
  EXPECT_EQ(s.to, "");
  EXPECT_EQ(s.lastCopyDate, "");
  EXPECT_TRUE(s.dirAbs);
  EXPECT_TRUE(s.addDriveLetter);
  EXPECT_TRUE(s.includeSubfolders);
  EXPECT_TRUE(s.changeTime);  // moved-in files are taken unless turned off
  EXPECT_TRUE(s.showResult);
  EXPECT_FALSE(s.perFolder);
  EXPECT_EQ(s.overwrite, 1);
  EXPECT_EQ(s.threads, 0u);  // chosen by the file system
  EXPECT_TRUE(s.excludedExtensions.empty());
  EXPECT_TRUE(s.excludedNames.empty());
  EXPECT_EQ(s.columnWidths, (std::array<std::int32_t, 5>{-1, -1, -1, -1, -1}));  // not stored
  EXPECT_EQ(s.top, 0);
  EXPECT_EQ(s.left, 0);
  EXPECT_EQ(s.height, 440);
  EXPECT_EQ(s.width, 420);
}

TEST(SettingsFile, HandEditedValues) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  writeFile(
      path,
      "[default]\nfrom=\"/My Docs\"\nLastCopyDate=2024/05/01\n"
      "[Option]\nOverwrite=0x2\nDirKAI=5\nDirAbs=0\nShowResult=no\nEscExt=bak, tmp\nThreads=-3\n"
      "ExcludeNames=~$*, sub/x, \"\", *.tmp, ~$*\n"
      "[ListView]\nColumn2Width=$40\n[Window]\nTop=30\nLeft=abc\n");
  const MainWindowSettings s = readMainWindowSettings(ProfileFile(path));
  EXPECT_EQ(s.from, "\"/My Docs\"");
  EXPECT_EQ(s.lastCopyDate, "2024/05/01");
  EXPECT_EQ(s.overwrite, 2);
  EXPECT_TRUE(s.includeSubfolders);
  EXPECT_FALSE(s.dirAbs);
  EXPECT_TRUE(s.showResult);  // not a number: the default
  EXPECT_EQ(s.threads, 0u);   // no count below zero: chosen by the file system
  EXPECT_EQ(s.excludedExtensions, (std::vector<std::string>{"bak", "tmp"}));
  // Patterns that can name nothing are dropped, and each is kept once.
  EXPECT_EQ(s.excludedNames, (std::vector<std::string>{"~$*", "*.tmp"}));
  EXPECT_EQ(s.columnWidths[2], 64);
  EXPECT_EQ(s.top, 30);
  EXPECT_EQ(s.left, 0);
}

TEST(SettingsFile, CloseWritesItsKeysInOrderAndNoOthers) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  MainWindowSettings s;
  s.from = "/data/work";
  s.to = "/media/backup";
  s.includeSubfolders = false;
  s.overwrite = 2;
  s.excludedExtensions = {"bak", "a b"};
  s.excludedNames = {"~$*", "a,b", ".DS_Store"};
  s.changeTime = false;
  s.keepReplaced = true;
  s.versionsFolder = "old versions";
  s.columnWidths = {101, 81, 51, 101, 165};
  s.top = 10;
  s.left = 20;
  s.height = 500;
  s.width = 600;
  s.lastCopyDate = "2024/05/01";  // written by the copy run, never at close
  s.recentSources = {"/data/work", "/data/a,b"};
  s.recentDestinations = {"/media/backup"};
  ProfileFile file(path);
  ASSERT_TRUE(writeSettingsAtClose(file, s));

  EXPECT_EQ(readFile(path),
            "[Default]\nFrom=/data/work\nTo=/media/backup\n"
            "[Option]\nDirKAI=0\nShowResult=1\nPickupFolder=0\nOverwrite=2\nEscExt=bak,\"a b\"\n"
            "ExcludeNames=~$*,\"a,b\",.DS_Store\n"
            "ChangeTime=0\nKeepReplaced=1\nVersionsFolder=old versions\n"
            "[ListView]\nColumn0Width=101\nColumn1Width=81\nColumn2Width=51\nColumn3Width=101\n"
            "Column4Width=165\n"
            "[Window]\nTop=10\nLeft=20\nHeight=500\nWidth=600\n"
            "[Recent]\nFrom=/data/work,\"/data/a,b\"\nTo=/media/backup\n");

  MainWindowSettings back = readMainWindowSettings(ProfileFile(path));
  back.lastCopyDate = s.lastCopyDate;
  EXPECT_EQ(back.from, s.from);
  EXPECT_EQ(back.excludedExtensions, s.excludedExtensions);
  EXPECT_EQ(back.excludedNames, s.excludedNames);
  EXPECT_FALSE(back.changeTime);
  EXPECT_TRUE(back.keepReplaced);
  EXPECT_EQ(back.versionsFolder, s.versionsFolder);
  EXPECT_EQ(back.columnWidths, s.columnWidths);
  EXPECT_EQ(back.width, s.width);
  EXPECT_FALSE(back.includeSubfolders);
  EXPECT_EQ(back.recentSources, s.recentSources);
  EXPECT_EQ(back.recentDestinations, s.recentDestinations);
}

struct RecentCase {
  const char* name;
  std::vector<std::string> before;
  std::string folder;
  std::vector<std::string> after;
};

class RecentFolders : public ::testing::TestWithParam<RecentCase> {};

TEST_P(RecentFolders, PutTheLastUsedFirstOnceAndKeepTen) {
  EXPECT_EQ(withRecentFolder(GetParam().before, GetParam().folder), GetParam().after);
}

std::vector<std::string> numbered(int from, int to) {
  std::vector<std::string> folders;
  for (int i = from; i <= to; ++i) folders.push_back("/f" + std::to_string(i));
  return folders;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RecentFolders,
    ::testing::Values(RecentCase{"First", {}, "/a", {"/a"}},
                      RecentCase{"New", {"/a", "/b"}, "/c", {"/c", "/a", "/b"}},
                      RecentCase{"AgainMovesUp", {"/a", "/b", "/c"}, "/c", {"/c", "/a", "/b"}},
                      RecentCase{"Empty", {"/a"}, "", {"/a"}},
                      RecentCase{"EleventhDropsTheOldest", numbered(1, 10), "/new",
                                 [] {
                                   auto kept = numbered(1, 9);
                                   kept.insert(kept.begin(), "/new");
                                   return kept;
                                 }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, ReadOnlyFileIsNeverWritten) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  const std::string content = "[Option]\nDirAbs=0\n";
  writeFile(path, content);
  chmod(path.c_str(), 0444);

  ProfileFile file(path);
  EXPECT_FALSE(readMainWindowSettings(file).dirAbs);
  EXPECT_FALSE(writeDetailOptions(file, true, true));
  EXPECT_FALSE(writeSettingsAtClose(file, MainWindowSettings{}));
  EXPECT_EQ(readFile(path), content);
}

TEST(SettingsFile, FifoGivesDefaultsAndIsNeverWritten) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
  ProfileFile file(path);  // must not wait for a writer
  EXPECT_EQ(readMainWindowSettings(file).width, 420);
  EXPECT_FALSE(writeWindowDay(file, CivilDate{2024, 5, 1}, 0));
  EXPECT_TRUE(S_ISFIFO(testing::entryType(path)));
}

TEST(SettingsLocation, BesideTheProgramWhenItsFolderIsWritable) {
  TempFolder folder;
  EXPECT_EQ(resolveSettingsPath(folder.path()), folder.path() + "/NVO.ini");
}

// Points XDG_CONFIG_HOME at a folder of the test's own while it lives.
class UserConfigFolder {
 public:
  UserConfigFolder() {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    if (saved) saved_ = saved;
    setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
  }
  ~UserConfigFolder() {
    if (saved_)
      setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  std::string settingsFile() const { return folder.path() + "/nuvelo/NVO.ini"; }
  TempFolder folder;

 private:
  std::optional<std::string> saved_;
};

TEST(SettingsLocation, UserConfigFolderForAProgramWhoseFolderCannotBeWritten) {
  UserConfigFolder config;
  // A folder that cannot be written to and holds no NVO.ini: here, one that does not exist.
  const std::string path = resolveSettingsPath(config.folder.path() + "/no/such/bin");
  EXPECT_EQ(path, config.settingsFile());
  EXPECT_TRUE(std::filesystem::is_directory(config.folder.path() + "/nuvelo"));
}

struct InstallCase {
  const char* name;
  bool installedData;   // <prefix>/share/nuvelo exists
  bool settingsBeside;  // an NVO.ini lies beside the program already
  bool besideProgram;   // where the settings go
};

class SettingsOfAnInstall : public ::testing::TestWithParam<InstallCase> {};

// An installed program keeps its settings in the user's configuration folder even where it may
// write its own folder (a prefix of the user's, or root's run); an NVO.ini already beside the
// program keeps a portable copy portable.
TEST_P(SettingsOfAnInstall, GoBesideTheProgramOnlyWhenPortable) {
  UserConfigFolder config;
  TempFolder prefix;
  std::filesystem::create_directories(prefix.path() + "/bin");
  if (GetParam().installedData)
    std::filesystem::create_directories(prefix.path() + "/share/nuvelo");
  if (GetParam().settingsBeside) writeFile(prefix.path() + "/bin/NVO.ini", "");
  EXPECT_EQ(resolveSettingsPath(prefix.path() + "/bin"),
            GetParam().besideProgram ? prefix.path() + "/bin/NVO.ini" : config.settingsFile());
}

INSTANTIATE_TEST_SUITE_P(Places, SettingsOfAnInstall,
                         ::testing::Values(InstallCase{"Installed", true, false, false},
                                           InstallCase{"InstalledPortable", true, true, true},
                                           InstallCase{"BuildOrUnpacked", false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
