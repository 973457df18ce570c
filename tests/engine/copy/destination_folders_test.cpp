#include "engine/copy/destination_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::TempFolder;
using testing::writeFile;

TEST(DestinationFolders, MakesMissingFoldersOneAtATime) {
  TempFolder tree;
  DestinationFolders folders(tree.path());
  std::string error;
  const int fd = folders.open("/a/b/c", error);
  ASSERT_GE(fd, 0) << error;
  EXPECT_TRUE(std::filesystem::is_directory(tree.path() + "/a/b/c"));
  EXPECT_EQ(folders.open("/a/b/c", error), fd);  // the same folder stays open
  EXPECT_GE(folders.open("", error), 0);         // the destination itself
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
  std::string error;
  EXPECT_EQ(folders.open("/docs/sub", error), -1);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(outside + "/sub"));
  EXPECT_EQ(folders.open("/file/sub", error), -1);
  EXPECT_EQ(folders.open("/../outside", error), -1);
  EXPECT_EQ(folders.open("/ok/../../outside", error), -1);

  DestinationFolders missing(tree.path() + "/no-such-destination");
  EXPECT_EQ(missing.open("/x", error), -1);
}

}  // namespace
}  // namespace nuvelo
