#include "engine/settings/stored_options.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

// Every option key away from its default, so that a key the conversion misses shows.
MainWindowSettings unusualSettings() {
  MainWindowSettings s;
  s.from = "/home/u/文書";
  s.to = "/media/backup";
  s.dirAbs = false;
  s.addDriveLetter = false;
  s.includeSubfolders = false;
  s.perFolder = true;
  s.overwrite = 3;
  s.verify = true;
  s.threads = 7;
  s.excludedExtensions = {"bak", "a b"};
  s.excludedNames = {"~$*", "a,b"};
  return s;
}

TEST(StoredOptions, EveryOptionKeyGoesOutAndComesBack) {
  const MainWindowSettings given = unusualSettings();
  MainWindowSettings stored;
  stored.showResult = false;
  stored.lastCopyDate = "2024/05/01";
  stored.width = 640;
  storeOptions(storedSearchOptions(given), storedCopyOptions(given), stored);
  EXPECT_EQ(stored.from, given.from);
  EXPECT_EQ(stored.to, given.to);
  EXPECT_EQ(stored.dirAbs, given.dirAbs);
  EXPECT_EQ(stored.addDriveLetter, given.addDriveLetter);
  EXPECT_EQ(stored.includeSubfolders, given.includeSubfolders);
  EXPECT_EQ(stored.perFolder, given.perFolder);
  EXPECT_EQ(stored.overwrite, given.overwrite);
  EXPECT_EQ(stored.verify, given.verify);
  EXPECT_EQ(stored.threads, given.threads);
  EXPECT_EQ(stored.excludedExtensions, given.excludedExtensions);
  EXPECT_EQ(stored.excludedNames, given.excludedNames);
  // Keys that are no option stay as they were.
  EXPECT_FALSE(stored.showResult);
  EXPECT_EQ(stored.lastCopyDate, "2024/05/01");
  EXPECT_EQ(stored.width, 640);
}

TEST(StoredOptions, ConditionFileKeepsTheSearchWithTheDestination) {
  SearchOptions search = storedSearchOptions(unusualSettings());
  search.excludedSubfolders = {"/cache", "/tmp"};
  search.since = 45000;  // not kept in a condition file
  const SearchConditions conditions = conditionsOf(search, "/media/backup");
  EXPECT_EQ(conditions.source, "/home/u/文書");
  EXPECT_EQ(conditions.destination, "/media/backup");
  EXPECT_FALSE(conditions.includeSubfolders);
  EXPECT_EQ(conditions.excludedSubfolders, (std::vector<std::string>{"/cache", "/tmp"}));
  EXPECT_EQ(conditions.excludedExtensions, (std::vector<std::string>{"bak", "a b"}));
}

}  // namespace
}  // namespace nuvelo
