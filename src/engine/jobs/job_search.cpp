#include "engine/jobs/job_search.h"

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <vector>

#include "engine/copy/destination_path.h"
#include "engine/jobs/content_comparison.h"
#include "engine/jobs/destination_copies.h"
#include "engine/search/descriptor_budget.h"
#include "engine/search/parallel_walk.h"
#include "platform/path_text.h"
#include "platform/posix/file_system_rules.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/sized_thread.h"

namespace nuvelo {
namespace {

constexpr std::size_t PollEveryEntries = 1024;

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

// What the comparison does with each file the source walk found.
enum class Take : std::uint8_t { No, Yes, AsDamaged };

Take takeByVerdict(CopyVerdict verdict) {
  switch (verdict) {
    case CopyVerdict::Missing:
    case CopyVerdict::Older:
      return Take::Yes;
    case CopyVerdict::Damaged:
      return Take::AsDamaged;
    case CopyVerdict::SameOnTheFace:
      break;
  }
  return Take::No;
}

// Whether the bytes of a file and its copy, the same by time and size, are worth reading: an
// empty file has none.
bool worthHashing(const WalkEntry& entry) {
  return entry.kind == EntryKind::File && entry.bytes > 0;
}

// The threads that read the files of a comparison of contents: as many as the walk of either
// side would use, so that a share gets its many requests in flight, and no more than the run's
// descriptors allow, each thread holding a file and its copy open.
unsigned hashingThreads(const WalkFilter& filter, const std::string& source,
                        const std::string& mirror) {
  const unsigned wanted =
      filter.threads > 0 ? filter.threads
                         : std::max(automaticWalkThreads(source), automaticWalkThreads(mirror));
  const std::size_t held = std::max<std::size_t>(runDescriptorBudget(filter.descriptors) / 2, 1);
  return static_cast<unsigned>(std::min<std::size_t>(wanted, held));
}

// The two sides of a comparison: the source folder, and the destination's copies of its files.
struct Sides {
  const std::string& source;
  const DestinationCopies& copies;
};

// Reads the bytes of the files at `candidates` (indexes into the entries) and of their copies;
// nothing when it was aborted.
std::optional<std::vector<PairOutcome>> hashCandidates(const std::vector<std::size_t>& candidates,
                                                       const std::vector<WalkEntry>& entries,
                                                       const Sides& sides, const WalkFilter& filter,
                                                       WalkObserver& observer) {
  ContentComparison comparison;
  comparison.pairs = candidates.size();
  comparison.pairAt = [&](std::size_t i) {
    const WalkEntry& entry = entries[candidates[i]];
    return FilePair{entry.path, sides.copies.copyPathOf(entry, sides.source)};
  };
  for (const std::size_t i : candidates)
    comparison.bytes += 2 * static_cast<std::uint64_t>(entries[i].bytes);
  comparison.threads = hashingThreads(filter, sides.source, sides.copies.root());
  return compareContents(comparison, observer);
}

// Takes the candidates whose bytes differ or whose copy cannot be read, as damaged; a source
// that cannot be read is a failure of the comparison.
void takeByContents(const std::vector<std::size_t>& candidates,
                    const std::vector<PairOutcome>& outcomes, const std::vector<WalkEntry>& entries,
                    const Sides& sides, std::vector<Take>& take, ComparisonFindings& findings) {
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const WalkEntry& entry = entries[candidates[i]];
    const PairOutcome& outcome = outcomes[i];
    switch (outcome.verdict) {
      case PairVerdict::Same:
      case PairVerdict::SourceGone:
        break;
      case PairVerdict::Differs:
        take[candidates[i]] = Take::AsDamaged;
        break;
      case PairVerdict::CopyUnreadable:
        take[candidates[i]] = Take::AsDamaged;
        findings.unreadableCopies.push_back(
            {outcome.code, sides.copies.copyPathOf(entry, sides.source)});
        break;
      case PairVerdict::SourceUnreadable:
        findings.unreadableSources.push_back({outcome.code, entry.path});
        break;
    }
  }
}

// Keeps the entries to take, in their order, and lists those taken as damaged.
void keepTaken(std::vector<WalkEntry>& entries, const std::vector<Take>& take,
               ComparisonFindings& findings) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (take[i] == Take::No) continue;
    if (take[i] == Take::AsDamaged) findings.damagedCopies.push_back(entries[i].path);
    if (kept != i) entries[kept] = std::move(entries[i]);
    ++kept;
  }
  entries.resize(kept);
}

// Walks the source, and on a thread of its own the destination's copy of it into `copies`; the
// two walks run at once and share the run's descriptors.
SearchOutcome walkBothSides(const std::string& source, const WalkFilter& filter,
                            WalkObserver& observer, DestinationCopies& copies,
                            std::atomic<bool>& stop) {
  const std::size_t descriptors = runDescriptorBudget(filter.descriptors);
  WalkFilter everything;
  everything.threads = filter.threads;
  everything.descriptors = std::max<std::size_t>(descriptors / 2, 1);
  WalkFilter ofSource = filter;
  ofSource.descriptors = std::max<std::size_t>(descriptors - everything.descriptors, 1);
  std::exception_ptr readerFailure;
  Result<SizedThread> reader = SizedThread::start(WorkerStackBytes, [&] {
    try {
      walkFolder(copies.root(), everything, WalkMode::WholeFolder, copies);
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
  if (!outcome.aborted && !outcome.outOfMemory && readerFailure)
    std::rethrow_exception(readerFailure);
  return outcome;
}

// What the copies' times, kinds and sizes say of each entry; the entries whose copies they say
// nothing against are `candidates` for a comparison of contents, when one is asked for.
std::vector<Take> judgeByCopies(const std::vector<WalkEntry>& entries, const Sides& sides,
                                bool contents, WalkObserver& observer,
                                std::vector<std::size_t>& candidates) {
  std::vector<Take> take(entries.size(), Take::No);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // A million entries take a while to look up: the window's events go on meanwhile.
    if ((i + 1) % PollEveryEntries == 0) observer.poll();
    const CopyVerdict verdict = sides.copies.verdict(entries[i], sides.source);
    take[i] = takeByVerdict(verdict);
    if (verdict == CopyVerdict::SameOnTheFace && contents && worthHashing(entries[i]))
      candidates.push_back(i);
  }
  return take;
}

SearchOutcome compareWithDestination(const Job& job, const WalkFilter& filter,
                                     WalkObserver& observer) {
  const std::string& source = job.options.search.sourceFolder;
  const std::string mirror = mirrorFolderOf(job);
  std::atomic<bool> stop{false};
  DestinationCopies copies(mirror, destinationRules(mirror, job.options.copy.destination), stop);
  SearchOutcome outcome = walkBothSides(source, filter, observer, copies, stop);
  if (outcome.aborted || outcome.outOfMemory) return outcome;
  const Sides sides{source, copies};
  std::vector<std::size_t> candidates;
  std::vector<Take> take =
      judgeByCopies(outcome.entries, sides, job.selection.contents, observer, candidates);
  if (!candidates.empty()) {
    const auto outcomes = hashCandidates(candidates, outcome.entries, sides, filter, observer);
    if (!outcomes) {
      SearchOutcome aborted;
      aborted.aborted = true;
      return aborted;
    }
    takeByContents(candidates, *outcomes, outcome.entries, sides, take, outcome.comparison);
  }
  // The files that wait from earlier runs are taken whatever their copies.
  for (std::size_t i = 0; i < outcome.entries.size(); ++i)
    if (take[i] == Take::No && waits(filter, outcome.entries[i].path)) take[i] = Take::Yes;
  keepTaken(outcome.entries, take, outcome.comparison);
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
