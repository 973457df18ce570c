// The search walk against `find TREE -newermt DAY` on the same tree, warm cache, same run: the
// one-thread walk, and the walk with the threads chosen for the tree's file system (or THREADS).
// Usage: bench-walk [ENTRIES [THREADS]]   (default 1,000,000 and 0, chosen; the tree is kept for
// later runs)

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "engine/search/folder_walk.h"
#include "engine/search/parallel_walk.h"
#include "tree_generator.h"

using namespace nuvelo;
using namespace nuvelo::bench;

int main(int argc, char* argv[]) {
  TreeShape shape;
  shape.entries = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  shape.threshold = localMidnightDaysAgo(60);
  shape.newest = localMidnightDaysAgo(-1) - 1;
  shape.newShare = 0.1;
  const std::string root = benchFolder() + "/walk-" + std::to_string(shape.entries);
  const TreeInfo info = ensureTree(root, shape);
  const std::string day = dayText(shape.threshold);

  WalkFilter filter;
  filter.sourceText = root;
  std::tm local{};
  localtime_r(&shape.threshold, &local);
  filter.since =
      SinceThreshold::forDay(dateValueOf({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}));

  const std::vector<std::string> find = {"find", root, "-newermt", day};
  runQuietly(find);  // warms the cache
  std::size_t found = 0;
  GapMeter gaps;
  unsigned calls = 0;
  // Like the window's event pump: a step, and a look at the clock every 16 entries.
  struct PumpLikeWalk : WalkVisitor {
    GapMeter& gaps;
    unsigned& calls;
    std::size_t taken = 0;
    PumpLikeWalk(GapMeter& g, unsigned& c) : gaps(g), calls(c) {}
    void found(WalkEntry) override { ++taken; }
    void entryRead() override {
      if (++calls % 16 == 0) gaps.tick();
    }
    void poll() override { gaps.tick(); }
  };
  const auto walkWith = [&](unsigned threads) {
    return [&, threads] {
      PumpLikeWalk visitor(gaps, calls);
      gaps.restart();
      WalkFilter threaded = filter;
      threaded.threads = threads;
      walkFolder(root, threaded, WalkMode::Search, visitor);
      found = visitor.taken;
    };
  };
  const unsigned threads =
      argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : automaticWalkThreads(root);
  const auto oneThread = walkWith(1);
  const auto walk = walkWith(threads);
  walk();

  const int runs = 5;
  std::vector<double> findTimes, oneThreadTimes, walkTimes;
  // Alternate them so that all see the same state of the machine.
  for (int r = 0; r < runs; ++r) {
    findTimes.push_back(bestOf(1, [&] { runQuietly(find); }));
    oneThreadTimes.push_back(bestOf(1, oneThread));
    walkTimes.push_back(bestOf(1, walk));
  }
  const double findSeconds = median(findTimes);
  const double oneThreadSeconds = median(oneThreadTimes);
  const double walkSeconds = median(walkTimes);

  std::printf("tree: %s: %llu folders, %llu files, %llu changed since %s\n", root.c_str(),
              static_cast<unsigned long long>(info.folders),
              static_cast<unsigned long long>(info.files),
              static_cast<unsigned long long>(info.newFiles), day.c_str());
  std::printf("find -newermt:  %.3f s (median of %d)\n", findSeconds, runs);
  std::printf("walkFolder, 1 thread:   %.3f s (median of %d), ratio to find %.2f\n",
              oneThreadSeconds, runs, oneThreadSeconds / findSeconds);
  std::printf("walkFolder, %u threads: %.3f s (median of %d), %zu files found\n", threads,
              walkSeconds, runs, found);
  std::printf("ratio walk/find: %.2f (target at most 0.60; %u cores)\n", walkSeconds / findSeconds,
              std::thread::hardware_concurrency());
  std::printf("longest pause between event turns: %.1f ms (target at most 50)\n",
              gaps.longestSeconds() * 1000);
  return 0;
}
