#include "platform/posix/atomic_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>

#include "platform/posix/descriptor.h"
#include "platform/posix/temporary_files.h"
#include "support/file_size_limit.h"
#include "support/non_regular_entries.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::entriesIn;
using testing::entryType;
using testing::FileSizeLimit;
using testing::makeEntry;
using testing::nameOf;
using testing::NonRegularKind;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

TEST(AtomicFile, ReplacesContentAndKeepsPermissionBits) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  writeFile(path, "old");
  chmod(path.c_str(), 0640);

  ASSERT_TRUE(replaceFileAtomically(path, "new content"));
  EXPECT_EQ(readFile(path), "new content");
  struct stat st {};
  stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(entriesIn(folder.path()), 1u);  // no temporary file left behind
}

TEST(AtomicFile, FullDiskLeavesOldFileWholeAndNoTemporaryFile) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  const std::string old = "[Default]\nFrom=/old\n";
  writeFile(path, old);

  Result<> replaced;
  {
    FileSizeLimit limit(8);
    replaced = replaceFileAtomically(path, std::string(4096, 'x'));
  }
  ASSERT_FALSE(replaced);
  EXPECT_EQ(replaced.error().code, std::errc::file_too_large);
  EXPECT_EQ(replaced.error().path, path);
  EXPECT_EQ(readFile(path), old);
  EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(AtomicFile, ReadWholeFileTellsMissingFromEmpty) {
  TempFolder folder;
  writeFile(folder.file("empty"), "");
  EXPECT_EQ(readWholeFile(folder.file("empty")), std::string());
  EXPECT_FALSE(readWholeFile(folder.file("missing")));
  EXPECT_FALSE(readWholeFile(folder.path()));  // a folder is no file
}

TEST(AtomicFile, OnlyRegularFilesAreReadOrReplaced) {
  for (const NonRegularKind kind : {NonRegularKind::CharacterDevice, NonRegularKind::Fifo,
                                    NonRegularKind::Socket, NonRegularKind::Folder}) {
    TempFolder folder;
    const std::string path = folder.file("entry");
    if (!makeEntry(kind, path)) continue;  // a device needs root
    const mode_t type = entryType(path);
    EXPECT_FALSE(readWholeFile(path)) << nameOf(kind);  // a FIFO without a writer, unblocked
    EXPECT_FALSE(replaceFileAtomically(path, "x")) << nameOf(kind);
    EXPECT_EQ(entryType(path), type) << nameOf(kind);
    EXPECT_EQ(entriesIn(folder.path()), 1u) << nameOf(kind);
  }
}

// A temporary file that a killed writer left goes with the next write beside it; one a writer
// still holds, and a name that only looks like one, stay.
TEST(AtomicFile, RemovesTheTemporaryFilesNoWriterHolds) {
  TempFolder folder;
  const Descriptor dir(open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const Result<LockedTemporary> held = createLockedTemporary(dir.get());
  ASSERT_TRUE(held);
  const std::string left = freshTemporaryName(), lookAlike = ".nuvelo-1.tmp";
  for (const std::string& name : {left, lookAlike}) writeFile(folder.file(name), "half a file");
  ASSERT_TRUE(replaceFileAtomically(folder.file("NVO.ini"), "[Default]\n"));
  EXPECT_FALSE(std::filesystem::exists(folder.file(left)));
  EXPECT_TRUE(std::filesystem::exists(folder.file(held->name)));
  EXPECT_TRUE(std::filesystem::exists(folder.file(lookAlike)));
}

}  // namespace
}  // namespace nuvelo
