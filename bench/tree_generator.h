#pragma once
// Generates folder trees for the benchmarks: a fixed shape of folders and files whose
// last-write times are spread over two years, a chosen share of them on or after a threshold
// day. The same parameters always give the same tree.

#include <cstdint>
#include <ctime>
#include <string>

namespace nuvelo::bench {

struct TreeShape {
  std::uint64_t entries = 1000000;  // files and folders together
  unsigned foldersPerFolder = 10;
  unsigned depth = 4;         // levels of folders below the root
  double newShare = 0.1;      // share of files on or after the threshold
  std::time_t threshold = 0;  // the threshold instant
  std::time_t newest = 0;     // the newest time given
};

struct TreeInfo {
  std::uint64_t folders = 0;
  std::uint64_t files = 0;
  std::uint64_t newFiles = 0;
};

// Makes the tree at `root` unless a tree of the same shape is already there; returns its counts.
TreeInfo ensureTree(const std::string& root, const TreeShape& shape);

// Midnight (local time) of the day `daysAgo` days before today, and its text as find's
// -newermt takes it (YYYY-MM-DD).
std::time_t localMidnightDaysAgo(int daysAgo);
std::string dayText(std::time_t midnight);

// The folder the benchmarks keep their trees in: $NUVELO_BENCH_DIR or /tmp/nuvelo-bench.
std::string benchFolder();

}  // namespace nuvelo::bench
