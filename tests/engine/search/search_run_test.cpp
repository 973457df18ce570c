#include "engine/search/search_run.h"

#include <gtest/gtest.h>

#include <new>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::TempFolder;

// Records what the search tells as it goes; takes the entries when told to.
class Recorder : public WalkObserver {
 public:
  explicit Recorder(bool takes = false, bool keeps = true) : takes_(takes), keeps_(keeps) {}
  bool abortRequested() override { return false; }
  void entryFound(const WalkEntry& entry) override { found.push_back(entry.path); }
  bool takesEntries() const override { return takes_; }
  void takeEntry(WalkEntry entry) override { taken.push_back(std::move(entry.path)); }
  bool outcomeKeepsEntries() const override { return keeps_; }
  std::vector<std::string> found;
  std::vector<std::string> taken;

 private:
  bool takes_;
  bool keeps_;
};

// A front end that writes rows as they are found (nuvelo-cli's JSON Lines) is told of every
// entry the result holds, in the result's order, and of nothing else, whatever the threads.
TEST(SearchRun, TellsEachEntryAsItIsFoundInTheResultsOrder) {
  TempFolder tree;
  const std::string source = tree.path() + "/src";
  for (const char* name : {"b.txt", "a.txt", "sub/c.txt", "sub/deeper/d.txt", "z/e.txt"})
    makeFile(source + "/" + name, localTime(2024, 5, 2));
  makeFile(source + "/old.txt", localTime(2024, 4, 1));
  makeFile(source + "/skip.bak", localTime(2024, 5, 2));
  for (const unsigned threads : {1u, 4u}) {
    WalkFilter filter;
    filter.sourceText = source;
    filter.since = SinceThreshold::forDay(dateValueOf({2024, 5, 1}));
    filter.excludedExtensions = {"bak"};
    filter.threads = threads;
    Recorder recorder;
    const SearchOutcome outcome = runSearch(source, filter, recorder);
    std::vector<std::string> result;
    for (const WalkEntry& e : outcome.entries) result.push_back(e.path);
    EXPECT_EQ(result.size(), 5u) << threads;
    EXPECT_EQ(recorder.found, result) << threads;
    EXPECT_TRUE(recorder.taken.empty()) << threads;

    // A window that builds its rows as the entries come takes them: the same entries in the
    // same order, and the outcome holds no second list of them.
    Recorder taker(true);
    const SearchOutcome handedOver = runSearch(source, filter, taker);
    EXPECT_EQ(taker.taken, result) << threads;
    EXPECT_TRUE(taker.found.empty()) << threads;
    EXPECT_TRUE(handedOver.entries.empty()) << threads;

    // An observer that keeps the entries itself is told the same; the outcome holds none.
    Recorder streaming(false, false);
    EXPECT_TRUE(runSearch(source, filter, streaming).entries.empty()) << threads;
    EXPECT_EQ(streaming.found, result) << threads;
  }
}

// Memory that runs out while the search walks (here, as it takes an entry) drops what it found
// and says why, whatever its threads.
TEST(SearchRun, MemoryThatRunsOutEndsTheSearchWithNothingFound) {
  TempFolder tree;
  for (int i = 0; i < 200; ++i)
    makeFile(tree.path() + "/d" + std::to_string(i % 20) + "/" + std::to_string(i),
             localTime(2024, 5, 2));
  struct RunningOut : Recorder {
    void entryFound(const WalkEntry& entry) override {
      if (found.size() == 50) throw std::bad_alloc();
      Recorder::entryFound(entry);
    }
  };
  for (const unsigned threads : {1u, 4u}) {
    WalkFilter filter;
    filter.since = SinceThreshold::forDay(dateValueOf({2024, 5, 1}));
    filter.threads = threads;
    RunningOut observer;
    const SearchOutcome outcome = runSearch(tree.path(), filter, observer);
    EXPECT_TRUE(outcome.outOfMemory) << threads;
    EXPECT_FALSE(outcome.aborted);
    EXPECT_TRUE(outcome.entries.empty());
  }
}

}  // namespace
}  // namespace nuvelo
