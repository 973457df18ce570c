// nuvelo-bench-tree ROOT ENTRIES DAYS_AGO NEW_SHARE [DEPTH]: makes (or keeps) a benchmark tree and
// prints the threshold day (YYYY-MM-DD) that NEW_SHARE of its files are on or after. A negative
// DAYS_AGO puts the threshold in the future (the new files' times up to a week after it): every
// change time of the tree then lies before the threshold, as in a tree nothing was moved into.
// DEPTH is the levels of folders below ROOT (4 unless given); 0 puts every file in ROOT itself,
// one huge folder.

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tree_generator.h"

int main(int argc, char* argv[]) {
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr, "usage: nuvelo-bench-tree ROOT ENTRIES DAYS_AGO NEW_SHARE [DEPTH]\n");
    return 2;
  }
  using namespace nuvelo::bench;
  TreeShape shape;
  shape.entries = std::strtoull(argv[2], nullptr, 10);
  shape.threshold = localMidnightDaysAgo(std::atoi(argv[3]));
  shape.newest = std::max(localMidnightDaysAgo(-1) - 1, shape.threshold + 7 * 86400);
  shape.newShare = std::atof(argv[4]);
  if (argc == 6) shape.depth = static_cast<unsigned>(std::atoi(argv[5]));
  ensureTree(argv[1], shape);
  std::printf("%s\n", dayText(shape.threshold).c_str());
  return 0;
}
