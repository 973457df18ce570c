#pragma once
// Folder reads for the parallel walk: each folder is opened, listed and its wanted entries
// looked up on the workers, a large folder's look-ups spread over all of them in slices; the
// walk's consumer waits for a read to be complete before it hands the folder out.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "engine/search/worker_pool.h"
#include "platform/posix/folder_listing.h"

namespace nuvelo {

struct FolderRead {
  std::string name;         // within its parent; empty for the walk's root
  std::string path;         // what failures name
  SharedDescriptor parent;  // held until the folder is opened; none for the root
  std::size_t entryInParent = 0;
  FolderListing listing;
  std::atomic<std::size_t> slicesLeft{0};
  bool complete = false;          // guarded by the reads' mutex
  std::atomic<bool> done{false};  // as complete, for a look without the lock

  // Kept by the walk's consumer alone, once the read is complete: the reads it started of this
  // folder's subfolders, in the order of their entries, and the next entry it will consider.
  std::deque<std::shared_ptr<FolderRead>> subfolderReads;
  std::size_t readAhead = 0;
};

// Which entries of a listing the walk will need looked up.
using LookupWanted = std::function<bool(const ListedName&)>;

class FolderReads {
 public:
  // helps: while the consumer waits it runs waiting reads and look-ups itself, instead of
  // sleeping until a worker is done (where each request is quick, a sleep and a wake cost more
  // than the request).
  // remote: each request waits for a round trip (see RemoteSliceEntries).
  FolderReads(unsigned threads, LookupWanted wanted, bool helps, bool remote);

  // Starts reading `read`; `depth` (of its parent) says how soon it is needed: deeper folders
  // first, then in the order asked.
  void start(const std::shared_ptr<FolderRead>& read, std::size_t depth);
  // Waits until the read is complete, calling `progress` whenever another read completed (so
  // that the reads of its subfolders can start) and `poll` now and then; false when `giveUp`,
  // asked after each poll, said to stop waiting first.
  bool await(const FolderRead& read, const std::function<void()>& progress,
             const std::function<void()>& poll, const std::function<bool()>& giveUp);
  // Whether the read is complete, its listing then the consumer's to read.
  static bool isDone(const FolderRead& read) { return read.done.load(std::memory_order_acquire); }
  // No further reads nor look-ups start; those running end.
  void stop() { pool_.stop(); }

 private:
  void readFolder(const std::shared_ptr<FolderRead>& read, Urgency urgency);
  void lookUpSlice(const std::shared_ptr<FolderRead>& read, std::size_t slice);
  void markComplete(FolderRead& read);
  // Throws, on the consumer's thread, what a read or a look-up threw on a worker (memory ran
  // out): the walk cannot go on without it.
  void throwWhatAWorkerThrew();

  LookupWanted wanted_;
  bool helps_;
  std::size_t sliceEntries_;  // look-ups one task makes
  std::uint64_t order_ = 0;
  std::mutex mutex_;
  std::condition_variable completed_;
  std::atomic<std::uint64_t> completions_{0};
  WorkerPool pool_;  // last: its threads end before what they use goes
};

}  // namespace nuvelo
