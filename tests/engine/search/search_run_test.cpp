#include "engine/search/search_run.h"

#include <gtest/gtest.h>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::TempFolder;

// Records what the search tells as it goes.
class Recorder : public WalkObserver {
 public:
  explicit Recorder(bool keeps = true) : keeps_(keeps) {}
  bool abortRequested() override { return false; }
  void entryFound(const WalkEntry& entry) override { found.push_back(entry.path); }
  bool outcomeKeepsEntries() const override { return keeps_; }
  std::vector<std::string> found;

 private:
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
    // An observer that keeps the entries itself is told the same; the outcome holds none.
    Recorder streaming(false);
    EXPECT_TRUE(runSearch(source, filter, streaming).entries.empty()) << threads;
    EXPECT_EQ(streaming.found, result) << threads;
  }
}

}  // namespace
}  // namespace nuvelo
