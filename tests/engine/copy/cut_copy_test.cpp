// A large file's copy cut short by a failure that may pass goes on, at its next try, from the
// part the cut left, when that part still holds the source's bytes; else it starts from zero.
// Whatever happens, the copy is the source byte for byte and no temporary file stays behind.

#include "engine/copy/cut_copy.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "engine/copy/copy_runner.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using namespace std::chrono_literals;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// Bytes that differ from place to place, so a part copied to the wrong place shows.
std::string varied(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

constexpr std::size_t LargeFile = 3 * ResumableFrom;

struct ResumeCase {
  const char* name;
  bool verify;          // the copy is read back before it is put in place
  bool damageKeptPart;  // the kept part no longer holds the source's bytes
  bool changeSource;    // the source is written anew between the tries
  bool resumes;         // the second try goes on from the kept part
};

void PrintTo(const ResumeCase& c, std::ostream* out) {
  *out << c.name;
}

class CutCopyResume : public ::testing::TestWithParam<ResumeCase> {
 protected:
  void SetUp() override { std::filesystem::create_directories(destination()); }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dest"; }
  CopyRunner runner(unsigned retries, const CopyHooks& hooks) const {
    CopySettings s;
    s.rule = {false, true, source(), PathStyle::Posix};
    s.destination = destination();
    s.overwrite = OverwriteAlways;
    s.verify = GetParam().verify;
    s.retry = {retries, 0ms};
    return CopyRunner(s, {}, hooks);
  }
  std::size_t entriesInDestination() const { return testing::entriesIn(destination()); }

  TempFolder tree;
};

TEST_P(CutCopyResume, GoesOnFromAKeptPartThatHoldsTheSourcesBytes) {
  const ResumeCase& c = GetParam();
  const std::string file = source() + "/big.bin";
  std::filesystem::create_directories(source());
  writeFile(file, varied(LargeFile, 1));

  // The first try is cut with EIO once a third of the file is copied; every chunk's count of
  // bytes so far is written down, to see where the second try starts.
  std::vector<std::uint64_t> counts;
  std::optional<std::size_t> cutAt;  // the index in `counts` of the cut
  ino_t keptInode = 0;
  CopyHooks hooks;
  hooks.allowClone = false;
  hooks.chunkFault = [&](std::uint64_t copied) {
    counts.push_back(copied);
    if (cutAt || copied < LargeFile / 3) return 0;
    cutAt = counts.size() - 1;
    if (c.changeSource) {
      writeFile(file, varied(LargeFile, 2));
      const timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
      utimensat(AT_FDCWD, file.c_str(), later, 0);
    }
    return EIO;
  };
  hooks.beforeResume = [&](int kept) {
    struct stat st {};
    fstat(kept, &st);
    keptInode = st.st_ino;
    if (c.damageKeptPart) pwrite(kept, "damaged", 7, 4096);
  };
  CopyRunner copier = runner(1, hooks);
  const EntryReport report = copier.copy(file);

  ASSERT_EQ(report.kind, CopyKind::Copied);
  EXPECT_TRUE(report.retried);
  ASSERT_TRUE(cutAt);
  ASSERT_GT(counts.size(), *cutAt + 1);
  const std::uint64_t cut = counts[*cutAt], firstAfter = counts[*cutAt + 1];
  if (c.resumes)
    EXPECT_GT(firstAfter, cut) << "the second try counts on from the kept part";
  else
    EXPECT_LE(firstAfter, cut) << "the second try starts from zero";
  // The kept temporary file itself became the copy.
  struct stat target {};
  ASSERT_EQ(stat(report.target.c_str(), &target), 0);
  EXPECT_EQ(target.st_ino, keptInode);
  EXPECT_TRUE(readFile(report.target) == readFile(file)) << "the copy differs from the source";
  EXPECT_EQ(entriesInDestination(), 1u);
}

INSTANTIATE_TEST_SUITE_P(KeptParts, CutCopyResume,
                         ::testing::Values(ResumeCase{"Intact", false, false, false, true},
                                           ResumeCase{"IntactVerified", true, false, false, true},
                                           ResumeCase{"Damaged", false, true, false, false},
                                           ResumeCase{"DamagedVerified", true, true, false, false},
                                           ResumeCase{"SourceChanged", false, false, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LeftoverCase {
  const char* name;
  std::size_t size;
  unsigned retries;
  int cuts;          // how many tries are cut
  bool abortInWait;  // the run is aborted while the file waits for its next try
  CopyKind kind;
  bool resumed;  // a kept part was taken up
};

void PrintTo(const LeftoverCase& c, std::ostream* out) {
  *out << c.name;
}

class CutCopyLeftovers : public ::testing::TestWithParam<LeftoverCase> {};

// However the file's tries end, the run leaves no temporary file behind.
TEST_P(CutCopyLeftovers, NoTemporaryStaysBehind) {
  const LeftoverCase& c = GetParam();
  TempFolder tree;
  const std::string destination = tree.path() + "/dest";
  std::filesystem::create_directories(destination);
  writeFile(tree.path() + "/big.bin", varied(c.size, 3));

  int cuts = 0;
  bool resumed = false;
  CopyHooks hooks;
  hooks.allowClone = false;
  // The first chunk of each of the first `cuts` tries fails: a try that goes on from a kept
  // part still gets further than the one before.
  hooks.chunkFault = [&](std::uint64_t) {
    if (cuts == c.cuts) return 0;
    ++cuts;
    return ECONNRESET;
  };
  hooks.beforeResume = [&](int) { resumed = true; };
  hooks.abortRequested = [&] { return c.abortInWait && cuts > 0; };
  CopySettings s;
  s.rule = {false, true, tree.path(), PathStyle::Posix};
  s.destination = destination;
  s.overwrite = OverwriteAlways;
  s.retry = {c.retries, c.abortInWait ? RetryPolicy::LongestWait : 0ms};
  CopyRunner copier(s, {}, hooks);
  const EntryReport report = copier.copy(tree.path() + "/big.bin");

  EXPECT_EQ(report.kind, c.kind);
  EXPECT_EQ(resumed, c.resumed);
  EXPECT_EQ(testing::entriesIn(destination), c.kind == CopyKind::Copied ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, CutCopyLeftovers,
    ::testing::Values(
        LeftoverCase{"ResumedTwice", LargeFile, 2, 2, false, CopyKind::Copied, true},
        LeftoverCase{"NoTriesLeft", LargeFile, 1, 2, false, CopyKind::Failed, true},
        LeftoverCase{"RetriesOff", LargeFile, 0, 1, false, CopyKind::Failed, false},
        LeftoverCase{"AbortedWhileWaiting", LargeFile, 2, 1, true, CopyKind::Stopped, false},
        // A small file is simply copied again.
        LeftoverCase{"SmallFile", ResumableFrom / 2, 2, 1, false, CopyKind::Copied, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CutCopy, IsKeptOnlyForALargeFileAndAFailureThatMayPass) {
  struct stat large {
  }, small{};
  large.st_size = static_cast<off_t>(ResumableFrom);
  small.st_size = static_cast<off_t>(ResumableFrom - 1);
  const std::error_code lost(ENOTCONN, std::generic_category());
  EXPECT_TRUE(keepsWhenCut(large, lost));
  EXPECT_FALSE(keepsWhenCut(small, lost));
  EXPECT_FALSE(keepsWhenCut(large, std::error_code(ENOSPC, std::generic_category())));
}

}  // namespace
}  // namespace nuvelo
