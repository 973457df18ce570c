#include "engine/copy/copy_options.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

TEST(CopyOptionsRequest, CarriesEveryOption) {
  CopyOptions options;
  options.destination = "/media/backup";
  options.dirAbs = false;
  options.addDriveLetter = false;
  options.overwrite = 7;  // only a hand-edited settings file holds it
  options.verify = true;
  WalkFilter filter;
  filter.excludedExtensions = {"bak"};
  const CopyRequest request = copyRequestOf(options, "/data/work", filter);
  EXPECT_FALSE(request.rule.dirAbs);
  EXPECT_FALSE(request.rule.addDriveLetter);
  EXPECT_EQ(request.rule.searchRoot, "/data/work");
  EXPECT_EQ(request.rule.style, PathStyle::Posix);
  EXPECT_EQ(request.destination, "/media/backup");
  EXPECT_EQ(request.overwrite, OverwriteIfNewer);
  EXPECT_TRUE(request.verify);
  EXPECT_FALSE(request.dryRun);
  EXPECT_EQ(request.filter.excludedExtensions, (std::vector<std::string>{"bak"}));
}

}  // namespace
}  // namespace nuvelo
