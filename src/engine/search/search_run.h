#pragma once
// The search run, the same for the window and nuvelo-cli: the checks of the source folder, the
// walk with its conditions, and what an abort does to the result. The front ends watch it
// through an observer.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/search/folder_walk.h"

namespace nuvelo {

// Why a search cannot start: no source folder given, or one that is not a folder.
enum class SearchRefusal { NoSource, BadSource };

// A folder that could not be listed: its path, and the reason (an errno value).
using UnreadableFolder = Failure;

// Why a search of this source folder cannot start, or nothing when it can.
std::optional<SearchRefusal> searchRefusal(const std::string& source);

// The source folder as the runs use it: absolute and cleaned as text, so that every spelling
// of one folder ("src", "./src/", "a/../src//") gives the same rows and the same copy.
std::string cleanSourceFolder(const std::string& text);

// The identity of the destination folder when it lies inside the source folder, so that the
// walk leaves it out; nothing when it lies elsewhere, is the source itself or does not exist.
std::optional<FileIdentity> destinationInsideSource(const std::string& source,
                                                    const std::string& destination);

class WalkObserver {
 public:
  virtual ~WalkObserver() = default;
  virtual bool abortRequested() = 0;
  // One directory entry read ("." and ".." included): a step of the progress.
  virtual void entryRead() {}
  // Now and then while a long listing is read.
  virtual void poll() {}
  virtual void folderUnreadable(const UnreadableFolder&) {}
  // As WalkVisitor::callingThreadMayRead.
  virtual bool callingThreadMayRead() const { return true; }
  // Now and then while a comparison of contents reads files: the bytes hashed so far, of both
  // sides, out of `total`.
  virtual void contentsHashed(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
  // An entry the search takes, as the walk finds it (in the order of the result).
  virtual void entryFound(const WalkEntry&) {}
  // Whether the observer keeps the entries itself: each is then handed to takeEntry instead of
  // entryFound, and the outcome lists none, so that a long result is not held twice.
  virtual bool takesEntries() const { return false; }
  virtual void takeEntry(WalkEntry) {}
  // Whether the outcome is to keep the entries found. An observer that has all it needs of
  // each in entryFound says no, and a large result then takes no memory: the outcome's
  // entries stay empty.
  virtual bool outcomeKeepsEntries() const { return true; }
};

// What a comparison with the destination found besides the files it takes.
struct ComparisonFindings {
  // The files taken because their copy is damaged though not older (another size or kind,
  // other bytes, or bytes that could not be read), in the order of the result.
  std::vector<std::string> damagedCopies;
  // Source files whose bytes could not be read: nothing proves their copies, and they are not
  // taken.
  std::vector<Failure> unreadableSources;
  // Copies whose bytes could not be read: taken, as damaged.
  std::vector<Failure> unreadableCopies;
};

struct SearchOutcome {
  bool aborted = false;            // the result lists are then empty
  bool outOfMemory = false;        // memory ran out: the search stopped, and its lists are empty
  std::vector<WalkEntry> entries;  // empty when the observer takes the entries
  std::vector<UnreadableFolder> unreadable;
  ComparisonFindings comparison;
};

// Tells the observer of entries the search takes, in their order: they stay in `entries`, or
// are handed over when the observer takes them, and `entries` is left empty.
void tellFound(WalkObserver& observer, std::vector<WalkEntry>& entries);

// Walks `source` (already checked and cleaned) with the filter. An abort seen while walking
// drops everything found, and so does memory that runs out on any of the walk's threads.
SearchOutcome runSearch(const std::string& source, const WalkFilter& filter,
                        WalkObserver& observer);

// A walk's visitor that hands progress, aborts and unreadable folders to an observer and each
// entry found to `take`.
class ObservedWalk : public WalkVisitor {
 public:
  ObservedWalk(WalkObserver& observer, std::function<void(WalkEntry)> take)
      : observer_(observer), take_(std::move(take)) {}
  void found(WalkEntry entry) override { take_(std::move(entry)); }
  bool abortRequested() override { return observer_.abortRequested(); }
  void entryRead() override { observer_.entryRead(); }
  void poll() override { observer_.poll(); }
  void unreadable(const Failure& folder) override { observer_.folderUnreadable(folder); }
  bool callingThreadMayRead() const override { return observer_.callingThreadMayRead(); }

 private:
  WalkObserver& observer_;
  std::function<void(WalkEntry)> take_;
};

}  // namespace nuvelo
