// The share of the process's descriptors a run takes, and how its walk and its copies spend it.

#include "engine/search/descriptor_budget.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>

#include "platform/posix/process_limits.h"

namespace nuvelo {
namespace {

// Sets the soft limit on open files for the life of the object.
class OpenFilesLimit {
 public:
  explicit OpenFilesLimit(rlim_t soft) {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit changed = saved_;
    changed.rlim_cur = std::min(soft, saved_.rlim_max);
    setrlimit(RLIMIT_NOFILE, &changed);
  }
  ~OpenFilesLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }
  OpenFilesLimit(const OpenFilesLimit&) = delete;
  OpenFilesLimit& operator=(const OpenFilesLimit&) = delete;

 private:
  rlimit saved_{};
};

struct LimitCase {
  rlim_t limit;
  unsigned writers;       // of the 32 threads asked
  std::size_t readAhead;  // of the 128 folders a walk of 32 threads on a share wants
};

// A quarter of the limit is the run's; within it, a low limit still copies several files at once,
// and a usual one keeps every thread asked for busy.
TEST(DescriptorBudget, AQuarterOfTheLimitSharedByWhatAWalkAndACopyHold) {
  const LimitCase cases[] = {
      {64, 1, 4},
      {256, 8, 22},
      {1024, 32, 94},
      {20000, 32, 128},
  };
  for (const LimitCase& c : cases) {
    const OpenFilesLimit limit(c.limit);
    if (openFilesLimit() != c.limit) GTEST_SKIP() << "the hard limit is below " << c.limit;
    const std::size_t budget = runDescriptorBudget();
    EXPECT_EQ(budget, c.limit / 4);
    EXPECT_EQ(runDescriptorBudget(10), 10u) << "a given budget wins";

    const CopyDescriptors copies = copyDescriptors(budget, 32);
    EXPECT_EQ(copies.writers, c.writers) << c.limit;
    EXPECT_GE(copies.ahead, copies.writers) << "every writer has a file to write";
    EXPECT_LE(copies.ahead, 256u);

    const WalkDescriptors walk = walkDescriptors(budget, 128);
    EXPECT_EQ(walk.readAhead, c.readAhead) << c.limit;
    EXPECT_GE(walk.openFolders, 1u);
    EXPECT_LE(walk.openFolders, 64u);
  }
}

}  // namespace
}  // namespace nuvelo
