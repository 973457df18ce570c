// A file with holes is copied with its holes: the same bytes where it has data, zeros elsewhere,
// and next to no blocks on the disk.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/copy/copier_fixture.h"
#include "engine/copy/file_copier.h"

namespace nuvelo {
namespace {

using testing::Copier;
using testing::statusOf;

constexpr off_t Size = off_t{2} << 30;
constexpr std::size_t DataBytes = 8 << 10;
constexpr off_t FirstData = off_t{256} << 20, SecondData = off_t{1536} << 20;
constexpr off_t FewBlocks = off_t{16} << 20;  // far below the size, whatever the block size

std::string bytesAt(const std::string& path, off_t offset, std::size_t count) {
  std::string bytes(count, '?');
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  bytes.resize(
      static_cast<std::size_t>(std::max<ssize_t>(0, pread(fd, bytes.data(), count, offset))));
  close(fd);
  return bytes;
}

void writeHoleyFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, std::string(DataBytes, 'a').data(), DataBytes, FirstData),
            static_cast<ssize_t>(DataBytes));
  ASSERT_EQ(pwrite(fd, std::string(DataBytes, 'b').data(), DataBytes, SecondData),
            static_cast<ssize_t>(DataBytes));
  ASSERT_EQ(ftruncate(fd, Size), 0);  // a hole at the end as well
  close(fd);
}

class CopierSparse : public Copier, public ::testing::WithParamInterface<bool> {};

TEST_P(CopierSparse, HolesStayHoles) {
  writeHoleyFile(sourceFile());
  if (statusOf(sourceFile()).st_blocks * 512 >= FewBlocks)
    GTEST_SKIP() << "the file system of the test folder does not make holes";
  CopyHooks hooks;
  hooks.allowClone = false;  // a clone would keep the holes whatever the copy does
  hooks.verify = GetParam();

  ASSERT_EQ(copy(ReplaceMode::Silent, ReplaceAnswer::Replace, hooks).kind, CopyOutcome::Copied);
  const struct stat st = statusOf(target());
  EXPECT_EQ(st.st_size, Size);
  EXPECT_LT(st.st_blocks * 512, FewBlocks);
  EXPECT_EQ(bytesAt(target(), FirstData, DataBytes), std::string(DataBytes, 'a'));
  EXPECT_EQ(bytesAt(target(), SecondData, DataBytes), std::string(DataBytes, 'b'));
  for (const off_t hole : {off_t{0}, FirstData + off_t{DataBytes}, Size - off_t{DataBytes}})
    EXPECT_EQ(bytesAt(target(), hole, DataBytes), std::string(DataBytes, '\0')) << hole;
}

// The verify compares what the files read as: zeros written where the source has a hole are the
// same content, any other byte there is not.
TEST_F(Copier, VerifyComparesContentNotLayoutOfHoles) {
  writeHoleyFile(sourceFile());
  for (const char written : {'\0', 'X'}) {
    CopyHooks hooks;
    hooks.allowClone = false;
    hooks.verify = true;
    hooks.beforeVerify = [written](int fd) {
      const std::string bytes(64 << 10, written);
      ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    };
    const CopyOutcome outcome = copy(ReplaceMode::Silent, ReplaceAnswer::Replace, hooks);
    EXPECT_EQ(outcome.kind, written == '\0' ? CopyOutcome::Copied : CopyOutcome::Failed);
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, CopierSparse, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Verified" : "Plain"; });

}  // namespace
}  // namespace nuvelo
