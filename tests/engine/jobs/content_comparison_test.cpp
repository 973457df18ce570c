// The comparison of contents: a file and its copy read whole and hashed, on worker threads that
// stop when the run is aborted.

#include "engine/jobs/content_comparison.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::TempFolder;
using testing::writeFile;

const std::string Bytes = std::string(3 << 20, 'a') + "end";

void bytes(const std::string& path) {
  writeFile(path, Bytes);
}
void otherBytes(const std::string& path) {
  writeFile(path, std::string(3 << 20, 'a') + "END");
}
void zerosThenEnd(const std::string& path) {
  writeFile(path, std::string(1 << 20, '\0') + "end");
}
// A hole, then "end": it reads as zerosThenEnd does.
void holeThenEnd(const std::string& path) {
  writeFile(path, {});
  ASSERT_EQ(truncate(path.c_str(), 1 << 20), 0);
  std::ofstream(path, std::ios::app | std::ios::binary) << "end";
}
void linkToBytes(const std::string& path) {
  bytes(path + ".target");
  std::filesystem::create_symlink(path + ".target", path);
}

bool always(std::uint64_t) {
  return true;
}

struct PairCase {
  const char* name;
  void (*source)(const std::string& path);  // nothing: no source
  void (*copy)(const std::string& path);    // nothing: no copy
  PairVerdict verdict;
  bool why;  // the outcome says why a side could not be read
};

class PairCases : public ::testing::TestWithParam<PairCase> {};

TEST_P(PairCases, GiveTheirVerdict) {
  const PairCase& c = GetParam();
  TempFolder folder;
  const FilePair pair{folder.file("source"), folder.file("copy")};
  if (c.source) c.source(pair.source);
  if (c.copy) c.copy(pair.copy);
  const std::optional<PairOutcome> outcome = comparePair(pair, always);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->verdict, c.verdict);
  EXPECT_EQ(static_cast<bool>(outcome->code), c.why);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PairCases,
    ::testing::Values(PairCase{"SameBytes", bytes, bytes, PairVerdict::Same, false},
                      PairCase{"LastBytesOther", bytes, otherBytes, PairVerdict::Differs, false},
                      PairCase{"OtherSize", bytes, zerosThenEnd, PairVerdict::Differs, false},
                      PairCase{"HoleAndZeros", holeThenEnd, zerosThenEnd, PairVerdict::Same, false},
                      PairCase{"SourceGone", nullptr, bytes, PairVerdict::SourceGone, true},
                      PairCase{"CopyGone", bytes, nullptr, PairVerdict::CopyUnreadable, true},
                      PairCase{"CopyIsALink", bytes, linkToBytes, PairVerdict::CopyUnreadable,
                               true}),
    [](const auto& info) { return info.param.name; });

// A large file stops at the next chunk of its reading.
TEST(ComparePair, StopsWhenAChunkSaysSo) {
  TempFolder folder;
  const FilePair pair{folder.file("source"), folder.file("copy")};
  bytes(pair.source);
  bytes(pair.copy);
  int chunks = 0;
  EXPECT_FALSE(comparePair(pair, [&chunks](std::uint64_t) { return ++chunks < 2; }));
  EXPECT_EQ(chunks, 2);
}

// A source that cannot be read is a failure; a copy that cannot be read cannot be proved.
TEST(ComparePair, TellsTheSideThatCannotBeReadAsOrdinaryUser) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file: ctest runs this as nobody";
  for (const bool sourceSide : {true, false}) {
    TempFolder folder;
    const FilePair pair{folder.file("source"), folder.file("copy")};
    bytes(pair.source);
    bytes(pair.copy);
    chmod((sourceSide ? pair.source : pair.copy).c_str(), 0);
    const std::optional<PairOutcome> outcome = comparePair(pair, always);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->verdict,
              sourceSide ? PairVerdict::SourceUnreadable : PairVerdict::CopyUnreadable);
    EXPECT_EQ(outcome->code, std::errc::permission_denied);
  }
}

TEST(CompareContents, TellsTheOutcomesInThePairsOrderOrNothingWhenAborted) {
  TempFolder folder;
  bytes(folder.file("same"));
  otherBytes(folder.file("other"));
  ContentComparison comparison{
      12, [&](std::size_t i) {
        return FilePair{folder.file("same"), folder.file(i % 3 == 0 ? "other" : "same")};
      }};
  comparison.threads = 4;
  struct : WalkObserver {
    bool abortRequested() override { return false; }
  } patient;
  const auto outcomes = compareContents(comparison, patient);
  ASSERT_TRUE(outcomes);
  ASSERT_EQ(outcomes->size(), 12u);
  for (std::size_t i = 0; i < 12; ++i)
    EXPECT_EQ((*outcomes)[i].verdict, i % 3 == 0 ? PairVerdict::Differs : PairVerdict::Same) << i;

  // The pairs are handed out only once the abort was asked for.
  struct : WalkObserver {
    bool abortRequested() override { return asked = true; }
    std::atomic<bool> asked = false;
  } aborting;
  comparison.pairAt = [&, pairAt = comparison.pairAt](std::size_t i) {
    while (!aborting.asked) std::this_thread::yield();
    return pairAt(i);
  };
  EXPECT_FALSE(compareContents(comparison, aborting));
}

}  // namespace
}  // namespace nuvelo
