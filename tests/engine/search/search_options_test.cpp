#include "engine/search/search_options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::TempFolder;

SearchOptions optionsBelow(const std::string& source) {
  SearchOptions options;
  options.sourceFolder = source;
  options.since = dateValueOf({2024, 5, 1});
  options.includeSubfolders = false;
  options.perFolder = true;
  options.excludedSubfolders = {"/cache"};
  options.excludedExtensions = {"bak", "tmp"};
  return options;
}

TEST(SearchOptionsFilter, CarriesEveryCondition) {
  const WalkFilter filter = walkFilterOf(optionsBelow("/data/work/"), "");
  EXPECT_EQ(filter.sourceText, "/data/work");  // cleaned as the runs use it
  EXPECT_FALSE(filter.includeSubfolders);
  EXPECT_TRUE(filter.perFolder);
  EXPECT_EQ(filter.excludedSubfolders, (std::vector<std::string>{"/cache"}));
  EXPECT_EQ(filter.excludedExtensions, (std::vector<std::string>{"bak", "tmp"}));
  EXPECT_EQ(filter.since.firstSecond(),
            SinceThreshold::forDay(dateValueOf({2024, 5, 1})).firstSecond());
  EXPECT_FALSE(filter.leftOutFolder);
}

// The destination is left out of the walk only when it lies inside the source.
struct LeftOutCase {
  const char* destination;  // below the test's folder; "" for none
  bool leftOut;
};

class SearchOptionsDestination : public ::testing::TestWithParam<LeftOutCase> {};

TEST_P(SearchOptionsDestination, IsLeftOutOnlyInsideTheSource) {
  TempFolder folder;
  for (const char* name : {"/src", "/src/backup", "/elsewhere"})
    mkdir((folder.path() + name).c_str(), 0755);
  const std::string destination =
      *GetParam().destination ? folder.path() + GetParam().destination : std::string();
  const WalkFilter filter = walkFilterOf(optionsBelow(folder.path() + "/src"), destination);
  EXPECT_EQ(filter.leftOutFolder.has_value(), GetParam().leftOut) << GetParam().destination;
}

INSTANTIATE_TEST_SUITE_P(
    Places, SearchOptionsDestination,
    ::testing::Values(LeftOutCase{"/src/backup", true}, LeftOutCase{"/src/backup/", true},
                      LeftOutCase{"/elsewhere", false}, LeftOutCase{"/src", false},
                      LeftOutCase{"/src/missing", false}, LeftOutCase{"", false}));

}  // namespace
}  // namespace nuvelo
