#include "engine/copy/destination_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/copy/copy_errors.h"

#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::TempFolder;
using testing::writeFile;

TEST(DestinationFolders, MakesMissingFoldersOneAtATime) {
  TempFolder tree;
  DestinationFolders folders(tree.path());
  const Result<int> fd = folders.open("/a/b/c");
  ASSERT_TRUE(fd) << fd.error().code.message();
  EXPECT_TRUE(std::filesystem::is_directory(tree.path() + "/a/b/c"));
  EXPECT_EQ(folders.open("/a/b/c"), *fd);  // the same folder stays open
  EXPECT_TRUE(folders.open(""));           // the destination itself
}

TEST(DestinationFolders, NeverFollowsALinkOrLeavesTheDestination) {
  TempFolder tree;
  const std::string destination = tree.path() + "/dest";
  const std::string outside = tree.path() + "/outside";
  std::filesystem::create_directories(destination);
  std::filesystem::create_directories(outside);
  std::filesystem::create_directory_symlink(outside, destination + "/docs");
  writeFile(destination + "/file", "");

  DestinationFolders folders(destination);
  const struct {
    const char* subpath;
    std::error_code why;
  } refused[] = {
      {"/docs/sub", std::make_error_code(std::errc::not_a_directory)},  // a link, never followed
      {"/file/sub", std::make_error_code(std::errc::not_a_directory)},
      {"/../outside", CopyError::OutsideDestination},
      {"/ok/../../outside", CopyError::OutsideDestination},
  };
  for (const auto& r : refused) {
    const Result<int> opened = folders.open(r.subpath);
    ASSERT_FALSE(opened) << r.subpath;
    EXPECT_EQ(opened.error().code, r.why) << r.subpath;
  }
  EXPECT_FALSE(std::filesystem::exists(outside + "/sub"));

  DestinationFolders missing(tree.path() + "/no-such-destination");
  const Result<int> noDestination = missing.open("/x");
  ASSERT_FALSE(noDestination);
  EXPECT_EQ(noDestination.error().code, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace nuvelo
