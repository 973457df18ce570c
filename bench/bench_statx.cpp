// Looking entries up through io_uring against the walk's threads: every entry of a tree looked up
// with statx one call after the other, with statx through io_uring (every entry of a folder in
// flight at once, folders read in turn), and by walkFolder with the threads it chooses.
// Usage: bench-statx [FOLDER]   (default: the warm 200,000-entry tree of bench-walk)
// RUNS (default 5) rounds; PAUSE_SECONDS (default 0) before each run, to let a share's caches
// expire.

#include <dirent.h>
#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "engine/search/folder_walk.h"
#include "engine/search/parallel_walk.h"
#include "tree_generator.h"

using namespace nuvelo;
using namespace nuvelo::bench;

namespace {

constexpr unsigned Wanted = STATX_TYPE | STATX_MODE | STATX_MTIME | STATX_SIZE | STATX_INO;
constexpr unsigned RingEntries = 256;

struct Count {
  std::size_t entries = 0;
  std::size_t files = 0;
};

std::vector<std::string> namesIn(DIR* dir) {
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir))
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
      names.emplace_back(entry->d_name);
  return names;
}

void lookUpInTurn(int folder, const std::vector<std::string>& names,
                  std::vector<struct statx>& found) {
  for (std::size_t i = 0; i < names.size(); ++i)
    statx(folder, names[i].c_str(), AT_SYMLINK_NOFOLLOW, Wanted, &found[i]);
}

void lookUpThroughRing(io_uring& ring, int folder, const std::vector<std::string>& names,
                       std::vector<struct statx>& found) {
  std::size_t next = 0, done = 0;
  while (done < names.size()) {
    while (next < names.size()) {
      io_uring_sqe* sqe = io_uring_get_sqe(&ring);
      if (!sqe) break;
      io_uring_prep_statx(sqe, folder, names[next].c_str(), AT_SYMLINK_NOFOLLOW, Wanted,
                          &found[next]);
      ++next;
    }
    io_uring_submit_and_wait(&ring, 1);
    unsigned head = 0, completed = 0;
    io_uring_cqe* cqe = nullptr;
    io_uring_for_each_cqe(&ring, head, cqe) {
      ++completed;
    }
    io_uring_cq_advance(&ring, completed);
    done += completed;
  }
}

// Depth first, each folder's entries looked up before its subfolders are entered.
void walk(int fd, io_uring* ring, Count& count) {
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return;
  }
  const std::vector<std::string> names = namesIn(dir);
  std::vector<struct statx> found(names.size());
  if (ring)
    lookUpThroughRing(*ring, dirfd(dir), names, found);
  else
    lookUpInTurn(dirfd(dir), names, found);
  count.entries += names.size();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (S_ISREG(found[i].stx_mode)) ++count.files;
    if (!S_ISDIR(found[i].stx_mode)) continue;
    const int sub = openat(dirfd(dir), names[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (sub >= 0) walk(sub, ring, count);
  }
  closedir(dir);
}

Count lookUpTree(const std::string& root, io_uring* ring) {
  Count count;
  walk(open(root.c_str(), O_RDONLY | O_DIRECTORY), ring, count);
  return count;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string root = argc > 1 ? argv[1] : std::string();
  if (root.empty()) {
    TreeShape shape;
    shape.entries = 200000;
    shape.threshold = localMidnightDaysAgo(60);
    shape.newest = localMidnightDaysAgo(-1) - 1;
    shape.newShare = 0.1;
    root = benchFolder() + "/walk-200000";
    ensureTree(root, shape);
  }
  io_uring ring{};
  if (io_uring_queue_init(RingEntries, &ring, 0) != 0) {
    std::printf("bench-statx: skipped: io_uring is not available here\n");
    return 0;
  }
  WalkFilter filter;
  filter.sourceText = root;
  filter.since = SinceThreshold::forDay(0);
  const unsigned threads = automaticWalkThreads(root);
  struct Counting : WalkVisitor {
    std::size_t taken = 0;
    void found(WalkEntry) override { ++taken; }
  };

  Count inTurn, throughRing;
  std::size_t walked = 0;
  lookUpTree(root, nullptr);  // warms the cache
  const char* runsText = std::getenv("RUNS");
  const char* pauseText = std::getenv("PAUSE_SECONDS");
  const int runs = runsText && std::atoi(runsText) > 0 ? std::atoi(runsText) : 5;
  const auto pause = std::chrono::duration<double>(pauseText ? std::atof(pauseText) : 0.0);
  const auto timed = [&](const std::function<void()>& work) {
    std::this_thread::sleep_for(pause);
    return bestOf(1, work);
  };
  std::vector<double> inTurnTimes, ringTimes, walkTimes;
  for (int r = 0; r < runs; ++r) {
    inTurnTimes.push_back(timed([&] { inTurn = lookUpTree(root, nullptr); }));
    ringTimes.push_back(timed([&] { throughRing = lookUpTree(root, &ring); }));
    walkTimes.push_back(timed([&] {
      Counting visitor;
      walkFolder(root, filter, WalkMode::Search, visitor);
      walked = visitor.taken;
    }));
  }
  io_uring_queue_exit(&ring);
  const double inTurnSeconds = median(inTurnTimes);
  std::printf("%s: %zu entries, %zu files\n", root.c_str(), inTurn.entries, inTurn.files);
  std::printf("statx one after the other:  %.3f s (median of %d)\n", inTurnSeconds, runs);
  std::printf("statx through io_uring:     %.3f s, %.2f x the calls in turn (%zu entries)\n",
              median(ringTimes), median(ringTimes) / inTurnSeconds, throughRing.entries);
  std::printf("walkFolder with %u threads: %.3f s, %.2f x the calls in turn (%zu taken)\n", threads,
              median(walkTimes), median(walkTimes) / inTurnSeconds, walked);
  return 0;
}
