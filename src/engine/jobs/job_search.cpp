#include "engine/jobs/job_search.h"

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <unordered_map>

#include "engine/copy/destination_path.h"
#include "engine/copy/overwrite_policy.h"
#include "engine/search/descriptor_budget.h"
#include "platform/path_text.h"
#include "platform/posix/file_system_rules.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/sized_thread.h"

namespace nuvelo {
namespace {

constexpr std::size_t PollEveryEntries = 1024;

// The part of a path below a folder.
std::string_view below(std::string_view path, std::string_view folder) {
  const std::size_t cut = folder.size() + (folder.back() == '/' ? 0 : 1);
  return path.size() > cut ? path.substr(cut) : std::string_view();
}

// The last-write times of every file and link below the destination's copy of the source,
// keyed by their path below it as the destination compares names.
class MirrorTimes : public WalkVisitor {
 public:
  MirrorTimes(std::string root, FileSystemRules rules, const std::atomic<bool>& stop)
      : root_(std::move(root)), rules_(std::move(rules)), stop_(stop) {}

  void found(WalkEntry entry) override {
    times_.emplace(comparableName(below(entry.path, root_), rules_),
                   timespec{entry.modifiedSeconds, entry.modifiedNanoseconds});
  }
  bool abortRequested() override { return stop_.load(std::memory_order_relaxed); }

  // Whether the source file below `sourceRoot` is missing here or written later than its copy.
  bool wants(const WalkEntry& source, const std::string& sourceRoot) const {
    const auto copy = times_.find(comparableName(below(source.path, sourceRoot), rules_));
    if (copy == times_.end()) return true;
    return writtenLater({source.modifiedSeconds, source.modifiedNanoseconds}, copy->second,
                        rules_.timeGranularityMs);
  }

 private:
  std::string root_;
  FileSystemRules rules_;
  const std::atomic<bool>& stop_;
  std::unordered_map<std::string, timespec> times_;
};

FileSystemRules destinationRules(const std::string& mirror, const std::string& destination) {
  for (const std::string& folder : {mirror, destination})
    if (const auto fd = openEntry(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC))
      return rulesByType(fd->get());
  return {};
}

// The search's observer, but for the entries found: the comparison decides which are taken
// only once both walks have ended.
class UntoldFinds : public WalkObserver {
 public:
  explicit UntoldFinds(WalkObserver& observer) : observer_(observer) {}
  bool abortRequested() override { return observer_.abortRequested(); }
  void entryRead() override { observer_.entryRead(); }
  void poll() override { observer_.poll(); }
  void folderUnreadable(const UnreadableFolder& folder) override {
    observer_.folderUnreadable(folder);
  }
  bool callingThreadMayRead() const override { return observer_.callingThreadMayRead(); }

 private:
  WalkObserver& observer_;
};

bool waits(const WalkFilter& filter, const std::string& path) {
  return filter.waiting &&
         (filter.waiting->contains(path) || filter.waiting->coversFolder(folderOf(path)));
}

SearchOutcome outOfMemory() {
  SearchOutcome outcome;
  outcome.outOfMemory = true;
  return outcome;
}

SearchOutcome compareWithDestination(const Job& job, const WalkFilter& filter,
                                     WalkObserver& observer) {
  const std::string& source = job.options.search.sourceFolder;
  const std::string mirror = mirrorFolderOf(job);
  std::atomic<bool> stop{false};
  MirrorTimes copies(mirror, destinationRules(mirror, job.options.copy.destination), stop);
  // The two walks run at once and share the run's descriptors.
  const std::size_t descriptors = runDescriptorBudget(filter.descriptors);
  WalkFilter everything;
  everything.threads = filter.threads;
  everything.descriptors = std::max<std::size_t>(descriptors / 2, 1);
  WalkFilter ofSource = filter;
  ofSource.descriptors = std::max<std::size_t>(descriptors - everything.descriptors, 1);
  std::exception_ptr readerFailure;
  Result<SizedThread> reader = SizedThread::start(WorkerStackBytes, [&] {
    try {
      walkFolder(mirror, everything, WalkMode::WholeFolder, copies);
    } catch (...) {
      readerFailure = std::current_exception();
    }
  });
  if (!reader) return outOfMemory();
  SearchOutcome outcome;
  try {
    UntoldFinds quiet(observer);
    outcome = runSearch(source, ofSource, quiet);
  } catch (...) {
    stop = true;
    reader->join();
    throw;
  }
  if (outcome.aborted || outcome.outOfMemory) stop = true;
  reader->join();
  if (outcome.aborted || outcome.outOfMemory) return outcome;
  if (readerFailure) std::rethrow_exception(readerFailure);
  // A million entries take a while to look up: the window's events go on meanwhile.
  std::size_t sincePoll = 0;
  std::erase_if(outcome.entries, [&](const WalkEntry& entry) {
    if (++sincePoll % PollEveryEntries == 0) observer.poll();
    return !copies.wants(entry, source) && !waits(filter, entry.path);
  });
  tellFound(observer, outcome.entries);
  return outcome;
}

}  // namespace

std::string mirrorFolderOf(const Job& job) {
  const std::string& source = job.options.search.sourceFolder;
  const DestinationRule rule{job.options.copy.dirAbs, job.options.copy.addDriveLetter, source,
                             PathStyle::Posix};
  return destFolderOf(joinPath(source, "-"), job.options.copy.destination, rule);
}

SearchOutcome runJobSearch(const Job& job, const WalkFilter& filter, WalkObserver& observer) {
  if (job.selection.by != Selection::By::Destination)
    return runSearch(job.options.search.sourceFolder, filter, observer);
  try {
    return compareWithDestination(job, filter, observer);
  } catch (const std::bad_alloc&) {
    return outOfMemory();
  }
}

}  // namespace nuvelo
