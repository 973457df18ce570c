// A folder read in one go for the parallel walk: its names kept in one buffer of the listing.

#include "platform/posix/folder_listing.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::TempFolder;

// Every name comes back once, with its type, and is looked up by its name after the listing
// has been moved about: more names than one read of the folder returns, names of every length
// up to the longest a file system allows, and bytes that are not UTF-8.
TEST(FolderListing, KeepsEveryNameThroughMovesAndLooksEachUp) {
  TempFolder tree;
  std::map<std::string, unsigned char> made;  // name -> d_type
  for (int i = 0; i < 3000; ++i) {
    const std::string name = "file-" + std::to_string(i) + std::string(i % 200, 'x');
    testing::writeFile(tree.file(name), std::string(static_cast<std::size_t>(i % 7), 'y'));
    made[name] = DT_REG;
  }
  for (const std::string& name : {std::string(255, 'n'), std::string("caf\xE9"), std::string("a"),
                                  std::string("tab\tand\nline")}) {
    std::filesystem::create_directory(tree.file(name));
    made[name] = DT_DIR;
  }
  std::filesystem::create_symlink("a", tree.file("link"));
  made["link"] = DT_LNK;

  std::vector<FolderListing> moved;
  moved.push_back(readFolder(tree.path()));
  for (int i = 0; i < 5; ++i) moved.emplace_back();  // the first listing moves as they grow
  FolderListing listing = std::move(moved.front());
  ASSERT_TRUE(listing.listed);
  EXPECT_FALSE(listing.unreadable);

  std::map<std::string, unsigned char> listed;
  for (ListedEntry& entry : listing.entries) {
    const std::string name(entry.entry.name);
    if (name == "." || name == "..") continue;
    EXPECT_TRUE(listed.emplace(name, entry.entry.type).second) << name;
    lookUpEntry(listing.fd->get(), entry);
    ASSERT_EQ(entry.lookup.state, EntryLookup::State::Found) << name;
    struct stat st {};
    ASSERT_EQ(lstat(tree.file(name).c_str(), &st), 0) << name;
    EXPECT_EQ(entry.lookup.inode, st.st_ino) << name;
    EXPECT_EQ(entry.lookup.bytes, st.st_size) << name;
  }
  // Where the file system tells no types, the look-ups do; the names are what matter.
  if (!listed.empty() && listed.begin()->second == DT_UNKNOWN)
    for (auto& [name, type] : made) type = DT_UNKNOWN;
  EXPECT_EQ(listed, made);
}

TEST(FolderListing, AFolderThatCannotBeOpenedListsNothing) {
  TempFolder tree;
  const FolderListing vanished = readFolder(tree.file("none"));
  EXPECT_FALSE(vanished.listed);
  EXPECT_FALSE(vanished.unreadable);  // gone: nothing to report
  EXPECT_TRUE(vanished.entries.empty());
}

}  // namespace
}  // namespace nuvelo
