// The search walk against `find TREE -newermt DAY` on the same tree, warm cache, same run.
// Usage: bench-walk [ENTRIES]   (default 1,000,000; the tree is kept for later runs)

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "engine/search/folder_walk.h"
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
  const auto walk = [&] {
    PumpLikeWalk visitor(gaps, calls);
    gaps.restart();
    WalkFolder(root, filter, WalkMode::Search, visitor);
    found = visitor.taken;
  };
  walk();

  const int runs = 3;
  double findSeconds = 0;
  double walkSeconds = 0;
  // Alternate the two so that both see the same state of the machine.
  for (int r = 0; r < runs; ++r) {
    const double f = bestOf(1, [&] { runQuietly(find); });
    const double w = bestOf(1, walk);
    findSeconds = r == 0 ? f : std::min(findSeconds, f);
    walkSeconds = r == 0 ? w : std::min(walkSeconds, w);
  }

  std::printf("tree: %s: %llu folders, %llu files, %llu changed since %s\n", root.c_str(),
              static_cast<unsigned long long>(info.folders),
              static_cast<unsigned long long>(info.files),
              static_cast<unsigned long long>(info.newFiles), day.c_str());
  std::printf("find -newermt:  %.3f s (best of %d)\n", findSeconds, runs);
  std::printf("WalkFolder:     %.3f s (best of %d), %zu files found\n", walkSeconds, runs, found);
  std::printf("ratio walk/find: %.2f (target at most 1.10)\n", walkSeconds / findSeconds);
  std::printf("longest pause between event turns: %.1f ms (target at most 50)\n",
              gaps.longestSeconds() * 1000);
  return 0;
}
