#include "engine/copy/version_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "engine/copy/replaced_versions.h"
#include "engine/search/folder_walk.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

namespace fs = std::filesystem;
using testing::localTime;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

void put(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  writeFile(path, content);
}

struct StampCase {
  const char* text;
  std::optional<unsigned> run;  // nothing: no stamp
};

TEST(VersionStamp, ReadsBackOnlyNamesThatAreStamps) {
  const StampCase cases[] = {
      {"2024-05-02_093000", 1},
      {"2024-05-02_093000_2", 2},
      {"2024-05-02_093000_117", 117},
      {"2024-05-02_093000_1", std::nullopt},
      {"2024-05-02_093000_02", std::nullopt},
      {"2024-05-02_093000_", std::nullopt},
      {"2024-05-02_093000x", std::nullopt},
      {"2024-02-30_093000", std::nullopt},
      {"2024-05-02 093000", std::nullopt},
      {"2024-05-02_09300", std::nullopt},
      {"notes", std::nullopt},
      {"", std::nullopt},
  };
  for (const StampCase& c : cases) {
    SCOPED_TRACE(c.text);
    const auto stamp = parseVersionStamp(c.text);
    ASSERT_EQ(stamp.has_value(), c.run.has_value());
    if (!stamp) continue;
    EXPECT_EQ(stamp->run, *c.run);
    EXPECT_EQ(stamp->started, localTime(2024, 5, 2, 9, 30, 0).tv_sec);
  }
  const std::time_t now = std::time(nullptr);
  EXPECT_EQ(parseVersionStamp(versionStampText(now))->started, now);
}

// A destination with three runs' versions of docs/report.odt and one of another file.
class History : public ::testing::Test {
 protected:
  void SetUp() override {
    put(root() + "/2024-05-01_080000/docs/report.odt", "first");
    put(root() + "/2024-05-02_093000/docs/report.odt", "second, longer");
    put(root() + "/2024-05-02_093000_2/docs/report.odt", "third");
    put(root() + "/2024-05-03_100000/other.txt", "other");
    put(root() + "/notes/docs/report.odt", "not a run");
    put(destination() + "/docs/report.odt", "current");
  }
  std::string destination() const { return tree.path() + "/dst"; }
  std::string root() const { return destination() + "/.nuvelo-versions"; }
  TempFolder tree;
};

TEST_F(History, ListsEveryVersionOfAFileNewestFirst) {
  const std::vector<KeptVersion> versions = keptVersionsOf(root(), "docs/report.odt");
  ASSERT_EQ(versions.size(), 3u);
  EXPECT_EQ(versions[0].stamp, "2024-05-02_093000_2");
  EXPECT_EQ(versions[1].stamp, "2024-05-02_093000");
  EXPECT_EQ(versions[2].stamp, "2024-05-01_080000");
  EXPECT_EQ(versions[1].bytes, 14);
  EXPECT_EQ(readFile(versions[2].path), "first");
  EXPECT_TRUE(keptVersionsOf(root(), "docs/missing.odt").empty());
}

TEST_F(History, NeverListsThroughALink) {
  TempFolder outside;
  put(outside.path() + "/report.odt", "outside");
  fs::create_directories(root() + "/2024-05-04_000000");
  fs::create_directory_symlink(outside.path(), root() + "/2024-05-04_000000/docs");
  EXPECT_EQ(keptVersionsOf(root(), "docs/report.odt").size(), 3u);
}

struct PlaceCase {
  const char* name;
  std::string path;                        // below the test's folder
  std::string folder;                      // the named versions folder, empty for the default
  std::optional<std::string> destination;  // below the test's folder
};

TEST_F(History, FindsTheDestinationOfAFileFromItsFolderUp) {
  put(tree.path() + "/dst/kept/2024-05-01_080000/docs/report.odt", "named");
  const PlaceCase cases[] = {
      {"Default", "dst/docs/report.odt", "", "dst"},
      {"FileNoLongerThere", "dst/docs/gone/old.txt", "", "dst"},
      {"Named", "dst/docs/report.odt", "kept", "dst"},
      {"NamedWithoutVersions", "dst/docs/other.odt", "kept", std::nullopt},
      {"Outside", "elsewhere/file.txt", "", std::nullopt},
  };
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto place = versionsPlaceOf(tree.path() + "/" + c.path, c.folder);
    ASSERT_EQ(place.has_value(), c.destination.has_value());
    if (!place) continue;
    EXPECT_EQ(place->destination, tree.path() + "/" + *c.destination);
    EXPECT_EQ(place->root, versionsRootOf(place->destination, c.folder));
  }
}

TEST_F(History, PrunesOnlyOldRunFoldersAndNeverFollowsALink) {
  TempFolder outside;
  put(outside.path() + "/precious", "keep me");
  fs::create_directory_symlink(outside.path(), root() + "/2024-05-01_080000/docs/link");
  fs::create_directory_symlink(outside.path(), root() + "/2000-01-01_000000");
  put(root() + "/1999-01-01_000000", "a file named like a run");
  const PruneResult pruned = pruneVersions(root(), localTime(2024, 5, 2, 9, 30, 0).tv_sec);
  EXPECT_FALSE(pruned.failure);
  EXPECT_EQ(pruned.runs, 1u);
  EXPECT_EQ(pruned.versions, 2u);  // the version and the link beside it
  EXPECT_FALSE(fs::exists(root() + "/2024-05-01_080000"));
  for (const char* left : {"2024-05-02_093000", "2024-05-02_093000_2", "2024-05-03_100000", "notes",
                           "1999-01-01_000000"})
    EXPECT_TRUE(fs::exists(root() + "/" + left)) << left;
  EXPECT_TRUE(fs::is_symlink(root() + "/2000-01-01_000000"));
  EXPECT_EQ(readFile(outside.path() + "/precious"), "keep me");
  EXPECT_EQ(pruneVersions(tree.path() + "/none", 0).runs, 0u);
}

// A search of a destination lists what is current, not what was kept: in both walks, and in the
// whole-folder walk that reads a destination for a comparison.
TEST_F(History, TheWalkLeavesTheVersionsOut) {
  for (const unsigned threads : {1u, 4u}) {
    for (const WalkMode mode : {WalkMode::Search, WalkMode::WholeFolder}) {
      WalkFilter filter;
      filter.sourceText = destination();
      filter.since = SinceThreshold::forDay(0);
      filter.threads = threads;
      const auto entries = walkEntries(destination(), filter, mode);
      ASSERT_EQ(entries.size(), 1u);
      EXPECT_EQ(entries[0].path, destination() + "/docs/report.odt");
    }
  }
}

TEST_F(History, TheWalkLeavesANamedVersionsFolderOut) {
  put(destination() + "/kept/2024-05-01_080000/docs/report.odt", "named");
  WalkFilter filter;
  filter.sourceText = destination();
  filter.leftOutVersions = identityOf(destination() + "/kept");
  for (const unsigned threads : {1u, 4u}) {
    filter.threads = threads;
    EXPECT_EQ(walkEntries(destination(), filter, WalkMode::Search).size(), 1u);
  }
}

}  // namespace
}  // namespace nuvelo
