#include "platform/path_text.h"

#include <gtest/gtest.h>

#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

struct CleanCase {
  const char* path;
  const char* clean;
};

class CleanPath : public ::testing::TestWithParam<CleanCase> {};

// Cleaning is text only: ".." takes away the component before it even where that one is a
// link, as a user who typed it means.
TEST_P(CleanPath, DropsDoubledSeparatorsDotsAndTrailingSeparators) {
  EXPECT_EQ(lexicallyCleanPath(GetParam().path), GetParam().clean);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, CleanPath,
    ::testing::Values(CleanCase{"/data/src", "/data/src"}, CleanCase{"/data/src///", "/data/src"},
                      CleanCase{"//data//src/", "/data/src"},
                      CleanCase{"/data/./src/.", "/data/src"},
                      CleanCase{"/data/x/../src", "/data/src"}, CleanCase{"/../data", "/data"},
                      CleanCase{"/", "/"}, CleanCase{"///", "/"}, CleanCase{"src/", "src"},
                      CleanCase{"./src", "src"}, CleanCase{"a/../..", ".."}, CleanCase{".", "."},
                      CleanCase{"caf\xE9//x", "caf\xE9/x"}));

TEST(CleanPath, RelativePathsBecomeAbsoluteAgainstTheWorkingFolder) {
  const std::string here = currentFolder();
  ASSERT_FALSE(here.empty());
  EXPECT_EQ(absoluteCleanPath("src/"), joinPath(here, "src"));
  EXPECT_EQ(absoluteCleanPath("/x/../y"), "/y");
}

}  // namespace
}  // namespace nuvelo
