// A copy run within the process's limits: the descriptors it holds at once stay within its
// budget whatever its threads, and memory that runs out, on a worker or on the run's own
// thread, ends the run as failed with everything it did told and no temporary file left.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
#include "platform/posix/temporary_names.h"
#include "support/file_tree.h"
#include "support/open_descriptors.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::openDescriptors;
using testing::readFile;
using testing::TempFolder;

const timespec Day = localTime(2024, 5, 2);

// Tells what became of each file, counts the descriptors open whenever the run tells it
// something, and throws std::bad_alloc where a test wants memory to run out on the run's thread.
class LimitObserver : public CopyObserver {
 public:
  bool abortRequested() override { return false; }
  void poll() override { sample(); }
  ReplaceAnswer askReplace(const std::string&) override { return ReplaceAnswer::Replace; }
  void copyFailed(const EntryReport& report) override { failures.push_back(report.failure.code); }
  void fileDone(const EntryReport& report) override {
    sample();
    if (report.kind == CopyKind::Copied) copied.insert(report.source);
    if (throwAtFile && ++done == throwAtFile) throw std::bad_alloc();
  }
  void progress(const CopyProgress&) override { sample(); }

  std::size_t mostOpen = 0;
  std::set<std::string> copied;
  std::vector<std::error_code> failures;
  std::size_t throwAtFile = 0;  // 0: never

 private:
  void sample() { mostOpen = std::max(mostOpen, openDescriptors()); }
  std::size_t done = 0;
};

class RunLimits : public ::testing::Test {
 protected:
  // `count` files of 1 to 64 KiB in ten folders, checked.
  std::vector<ResultRow> files(std::size_t count) {
    std::vector<ResultRow> rows;
    for (std::size_t i = 0; i < count; ++i) {
      const std::string name = "f" + std::to_string(i % 10) + "/" + std::to_string(i) + ".bin";
      makeFile(source() + "/" + name, Day, 1024 * (1 + i % 64));
      ResultRow row;
      row.pathText = name;
      rows.push_back(row);
    }
    std::filesystem::create_directories(destination());
    return rows;
  }
  CopyRequest request(unsigned threads) const {
    CopyRequest r;
    r.rule = {false, true, source(), PathStyle::Posix};
    r.destination = destination();
    r.overwrite = OverwriteAlways;
    r.filter.sourceText = source();
    r.filter.threads = threads;
    return r;
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }

  // The sources whose copies are at the destination, each whole; temporary files fail the test.
  std::set<std::string> copiesAtDestination() const {
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(destination())) {
      const std::string name = entry.path().filename();
      EXPECT_FALSE(isTemporaryName(name)) << entry.path() << " left behind";
      if (!entry.is_regular_file()) continue;
      const std::string below = entry.path().string().substr(destination().size());
      EXPECT_EQ(readFile(entry.path()), readFile(source() + below)) << below << " is not whole";
      present.insert(source() + below);
    }
    return present;
  }

  TempFolder tree;
  LimitObserver observer;
  std::vector<std::string> copyList;
};

struct BudgetCase {
  const char* name;
  std::size_t descriptors;
  unsigned threads;
};

class RunLimitsBudget : public RunLimits, public ::testing::WithParamInterface<BudgetCase> {};

// However many threads are asked for, the run holds no more descriptors than its budget, and it
// still copies every file.
TEST_P(RunLimitsBudget, HoldsNoMoreDescriptorsThanItsBudgetAndCopiesEverything) {
  const BudgetCase& c = GetParam();
  const std::vector<ResultRow> rows = files(300);
  CopyRequest r = request(c.threads);
  r.filter.descriptors = c.descriptors;
  const std::size_t before = openDescriptors();

  const CopyRunResult result = runCopy(rows, r, observer, copyList);
  EXPECT_TRUE(result.completed(false));
  EXPECT_EQ(result.counts.copied, rows.size());
  EXPECT_LE(observer.mostOpen - before, c.descriptors);
  EXPECT_EQ(copiesAtDestination().size(), rows.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, RunLimitsBudget,
                         ::testing::Values(BudgetCase{"QuarterOf64", 16, 32},
                                           BudgetCase{"TooFewForTwoCopies", 8, 32},
                                           BudgetCase{"Forty", 40, 8},
                                           BudgetCase{"QuarterOf1024", 256, 32}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MemoryCase {
  const char* name;
  unsigned threads;
  std::size_t throwAtChunk;  // the chunk of all the copies' that throws; 0: none
  std::size_t throwAtFile;   // the file told whose telling throws; 0: none
  bool fileFails;            // the file whose copy threw is told as failed for want of memory
};

class RunLimitsMemory : public RunLimits, public ::testing::WithParamInterface<MemoryCase> {};

// Memory that runs out ends the run as failed, not as a crash: it is not completed (its day is
// not recorded), what it told is at the destination whole, and nothing else is there.
TEST_P(RunLimitsMemory, EndsTheRunAsFailedWithWhatItDidAndNoTemporaryFile) {
  const MemoryCase& c = GetParam();
  const std::vector<ResultRow> rows = files(100);
  CopyRequest r = request(c.threads);
  std::atomic<std::size_t> chunks{0};
  if (c.throwAtChunk)
    r.chunkFault = [&](std::uint64_t) {
      if (++chunks == c.throwAtChunk) throw std::bad_alloc();
      return 0;
    };
  observer.throwAtFile = c.throwAtFile;

  const CopyRunResult result = runCopy(rows, r, observer, copyList);
  EXPECT_TRUE(result.outOfMemory);
  EXPECT_FALSE(result.aborted);
  EXPECT_FALSE(result.completed(false));
  EXPECT_LT(result.filesTold, rows.size());
  EXPECT_EQ(result.counts.copied, observer.copied.size());
  EXPECT_EQ(copiesAtDestination(), observer.copied);
  const auto outOfMemory = std::make_error_code(std::errc::not_enough_memory);
  EXPECT_EQ(std::count(observer.failures.begin(), observer.failures.end(), outOfMemory) > 0,
            c.fileFails);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunLimitsMemory,
    ::testing::Values(MemoryCase{"CopyingOneFileAfterTheOther", 1, 10, 0, false},
                      MemoryCase{"CopyingOnAWorker", 8, 10, 0, true},
                      MemoryCase{"TellingOneFileAfterTheOther", 1, 0, 10, false},
                      MemoryCase{"TellingWhileWorkersWrite", 8, 0, 10, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The search's side: memory that runs out while it walks (here, as it takes an entry) drops what
// it found and says why, whatever its threads.
TEST(SearchRunLimits, MemoryThatRunsOutEndsTheSearchWithNothingFound) {
  TempFolder tree;
  for (int i = 0; i < 200; ++i)
    makeFile(tree.path() + "/d" + std::to_string(i % 20) + "/" + std::to_string(i), Day, 10);
  struct ThrowingObserver : WalkObserver {
    bool abortRequested() override { return false; }
    void entryFound(const WalkEntry&) override {
      if (++found == 50) throw std::bad_alloc();
    }
    int found = 0;
  };
  for (const unsigned threads : {1u, 4u}) {
    WalkFilter filter;
    filter.since = SinceThreshold::forDay(dateValueOf({2024, 5, 1}));
    filter.threads = threads;
    ThrowingObserver observer;
    const SearchOutcome outcome = runSearch(tree.path(), filter, observer);
    EXPECT_TRUE(outcome.outOfMemory) << threads << " threads";
    EXPECT_FALSE(outcome.aborted);
    EXPECT_TRUE(outcome.entries.empty());
  }
}

}  // namespace
}  // namespace nuvelo
