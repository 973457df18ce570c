// What bringing a copy onto stable storage costs: the same copy run of FILES small files (20,000
// of 4 KiB by default) into an empty folder under DEST_PARENT, with the
// flush that ends every real run and without it, in turns, RUNS times each. The disk is synced
// before each run, so that no run pays for the one before, and each run copies into a folder of
// its own, all removed at the end: ext4 does not give out the inodes of files deleted moments
// before, and a run that came just after a removal of 20,000 files would pay for seeking past
// them. Prints the medians, the ratio of the medians and the ratios pair by pair, and the syncs
// the flush made.
// Usage: nuvelo-bench-flush [FILES] [DEST_PARENT] [RUNS] [TARGET]
//        (defaults 20000, the bench folder, 5, none: the ratio it is held to, when it is)

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "engine/copy/copy_run.h"
#include "platform/posix/process_limits.h"
#include "tree_generator.h"

using namespace nuvelo;
using namespace nuvelo::bench;

namespace {

// Answers every question with Replace, and notes when the flush began.
class QuietObserver : public CopyObserver {
 public:
  bool abortRequested() override { return false; }
  ReplaceAnswer askReplace(const std::string&) override { return ReplaceAnswer::Replace; }
  void flushing() override { flushStarted = Clock::now(); }
  std::optional<Clock::time_point> flushStarted;
};

// A tree of `count` small files in folders of 100, made when it is not there yet.
std::vector<CopySource> smallFiles(const std::string& root, std::size_t count) {
  const std::string marker = root + ".ready";
  const bool ready = access(marker.c_str(), F_OK) == 0;
  if (!ready) removeTree(root);
  std::vector<CopySource> sources;
  const std::string block(4096, 'x');
  for (std::size_t i = 0; i < count; ++i) {
    const std::string folder = root + "/dir" + std::to_string(i / 100);
    const std::string path = folder + "/file" + std::to_string(i) + ".dat";
    if (!ready) {
      mkdir(root.c_str(), 0755);
      mkdir(folder.c_str(), 0755);
      FILE* file = std::fopen(path.c_str(), "w");
      if (!file || std::fwrite(block.data(), 1, block.size(), file) != block.size()) std::exit(1);
      std::fclose(file);
    }
    // The size is known, as a search lists it: the room is judged without a look at each file.
    sources.push_back({path, false, block.size()});
  }
  if (!ready) std::fclose(std::fopen(marker.c_str(), "w"));
  return sources;
}

struct Timed {
  double seconds = 0;
  double flushSeconds = 0;  // of them, the flush's
  std::size_t copied = 0;
  std::size_t syncs = 0;  // of the flush at the end
};

Timed copyInto(const std::vector<CopySource>& sources, const std::string& root,
               const std::string& destination, bool flush) {
  sync();
  mkdir(destination.c_str(), 0755);
  CopyRequest request;
  request.rule = {false, false, root, PathStyle::Posix};
  request.destination = destination;
  request.overwrite = OverwriteAlways;
  request.filter.sourceText = root;
  request.flush = flush;
  Timed timed;
  request.flushWatch = [&timed](const FlushStep&) { ++timed.syncs; };
  QuietObserver observer;
  std::vector<std::string> list;
  const auto start = Clock::now();
  const CopyRunResult result = runCopy(sources, {}, request, observer, list);
  timed.seconds = secondsSince(start);
  if (observer.flushStarted) timed.flushSeconds = secondsSince(*observer.flushStarted);
  timed.copied = result.counts.copied;
  return timed;
}

}  // namespace

int main(int argc, char* argv[]) {
  raiseOpenFileLimit();  // as nuvelo-cli does: the copy's writers share the descriptors
  const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
  const std::string parent = argc > 2 ? argv[2] : benchFolder();
  const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  const char* target = argc > 4 ? argv[4] : nullptr;
  mkdir(benchFolder().c_str(), 0755);
  const std::string root = benchFolder() + "/flush-tree-" + std::to_string(count);
  const std::vector<CopySource> sources = smallFiles(root, count);
  const std::string outputs = parent + "/flush-out";
  removeTree(outputs);
  mkdir(outputs.c_str(), 0755);
  std::vector<double> flushed, unflushed, ratios, flushes;
  Timed with, without;
  for (int run = 0; run < runs; ++run) {
    // Each pair in turn starts with the other, so neither always runs on a warmer machine.
    const bool flushFirst = run % 2 == 0;
    const std::string pair = outputs + "/" + std::to_string(run);
    const Timed first = copyInto(sources, root, pair + "-a", flushFirst);
    const Timed second = copyInto(sources, root, pair + "-b", !flushFirst);
    with = flushFirst ? first : second;
    without = flushFirst ? second : first;
    flushed.push_back(with.seconds);
    flushes.push_back(with.flushSeconds);
    unflushed.push_back(without.seconds);
    ratios.push_back(with.seconds / without.seconds);
  }
  removeTree(outputs);
  std::printf("%zu files of 4 KiB into %s, %d runs each way:\n", count, parent.c_str(), runs);
  std::printf("  with the flush    %.3f s median (%zu copied; the flush %.3f s, %zu syncs)\n",
              median(flushed), with.copied, median(flushes), with.syncs);
  std::printf("  without it        %.3f s median (%zu copied)\n", median(unflushed),
              without.copied);
  std::printf("ratio with/without: %.2f (pairs: median %.2f, from %.2f to %.2f)",
              median(flushed) / median(unflushed), median(ratios),
              *std::min_element(ratios.begin(), ratios.end()),
              *std::max_element(ratios.begin(), ratios.end()));
  if (target) std::printf(", target at most %s", target);
  std::printf("\n");
  return with.copied == count && without.copied == count ? 0 : 1;
}
