#include "engine/copy/overwrite_policy.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

enum class Target { Missing, Older, SameTime, Newer, SameMillisecond, Folder };

EntryFacts fileAt(long seconds, long nanoseconds = 0) {
  return {true, false, {seconds, nanoseconds}};
}

EntryFacts targetOf(Target t) {
  switch (t) {
    case Target::Missing:
      return {};
    case Target::Older:
      return fileAt(999);
    case Target::SameTime:
      return fileAt(1000, 500000000);
    case Target::Newer:
      return fileAt(1001);
    case Target::SameMillisecond:
      return fileAt(1000, 500999999);
    case Target::Folder:
      return {true, true, {}};
  }
  return {};
}

struct PolicyCase {
  std::int32_t overwrite;
  Target target;
  bool copies;
};

class Policy : public ::testing::TestWithParam<PolicyCase> {};

TEST_P(Policy, DecidesByTheDestinationsNamesake) {
  const EntryFacts source = fileAt(1000, 500000000);
  EXPECT_EQ(
      shouldCopy(source, targetOf(GetParam().target), overwritePolicyOf(GetParam().overwrite)),
      GetParam().copies);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Policy,
    ::testing::Values(PolicyCase{0, Target::Missing, true}, PolicyCase{0, Target::Newer, true},
                      PolicyCase{1, Target::Missing, true}, PolicyCase{1, Target::Newer, true},
                      PolicyCase{2, Target::Missing, true}, PolicyCase{2, Target::Older, true},
                      PolicyCase{2, Target::SameTime, false}, PolicyCase{2, Target::Newer, false},
                      PolicyCase{2, Target::SameMillisecond, false},
                      PolicyCase{2, Target::Folder, true},  // the copy then reports the folder
                      PolicyCase{3, Target::Missing, true}, PolicyCase{3, Target::Older, false},
                      PolicyCase{3, Target::Newer, false},
                      // Values a hand-edited file may hold act as policy 2.
                      PolicyCase{7, Target::Older, true}, PolicyCase{7, Target::SameTime, false},
                      PolicyCase{-1, Target::Newer, false}));

TEST(Policy, NewerOnlyCopiesSourcesItCannotJudge) {
  EXPECT_TRUE(shouldCopy(EntryFacts{}, fileAt(5), OverwriteIfNewer));                // vanished
  EXPECT_TRUE(shouldCopy(EntryFacts{true, true, {}}, fileAt(5), OverwriteIfNewer));  // a folder
}

TEST(Policy, CoarseDestinationTimesCountAsUnchanged) {
  // FAT keeps even seconds: a file copied there at 1001.7 s reads back as 1000 s.
  EXPECT_FALSE(shouldCopy(fileAt(1001, 700000000), fileAt(1000), OverwriteIfNewer, 2000));
  EXPECT_TRUE(shouldCopy(fileAt(1002), fileAt(1000), OverwriteIfNewer, 2000));
  EXPECT_TRUE(shouldCopy(fileAt(1001, 700000000), fileAt(1000), OverwriteIfNewer, 1));
}

TEST(Policy, ReplaceModes) {
  EXPECT_EQ(replaceModeOf(overwritePolicyOf(0)), ReplaceMode::Silent);
  EXPECT_EQ(replaceModeOf(overwritePolicyOf(1)), ReplaceMode::Ask);
  EXPECT_EQ(replaceModeOf(overwritePolicyOf(2)), ReplaceMode::Silent);
  EXPECT_EQ(replaceModeOf(overwritePolicyOf(3)), ReplaceMode::Never);
  // A number a hand-edited settings file may hold is "newer only" everywhere.
  EXPECT_EQ(overwritePolicyOf(9), OverwriteIfNewer);
  EXPECT_EQ(overwritePolicyOf(-1), OverwriteIfNewer);
  EXPECT_EQ(replaceModeOf(overwritePolicyOf(9)), ReplaceMode::Silent);
}

}  // namespace
}  // namespace nuvelo
