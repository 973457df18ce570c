#pragma once
// Folder reads for the parallel walk: each folder is opened, listed and its wanted entries
// looked up on the workers, a large folder's look-ups spread over all of them in slices; the
// walk's consumer waits for a read to be complete before it hands the folder out.

#include <atomic>
#include <condition_variable>
#include <cstdint>
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
  bool complete = false;  // guarded by the reads' mutex
};

// Which entries of a listing the walk will need looked up.
using LookupWanted = std::function<bool(const ListedName&)>;

class FolderReads {
 public:
  // helps: while the consumer waits it runs waiting reads and look-ups itself, instead of
  // sleeping until a worker is done (where each request is quick, a sleep and a wake cost more
  // than the request).
  FolderReads(unsigned threads, LookupWanted wanted, bool helps);

  // Starts reading `read`; `depth` (of its parent) says how soon it is needed: deeper folders
  // first, then in the order asked.
  void start(const std::shared_ptr<FolderRead>& read, std::size_t depth);
  // Waits until the read is complete, calling `poll` now and then meanwhile; false when
  // `giveUp`, asked after each poll, said to stop waiting first.
  bool await(const FolderRead& read, const std::function<void()>& poll,
             const std::function<bool()>& giveUp);
  // No further reads nor look-ups start; those running end.
  void stop() { pool_.stop(); }

 private:
  void readFolder(const std::shared_ptr<FolderRead>& read, Urgency urgency);
  void lookUpSlice(const std::shared_ptr<FolderRead>& read, std::size_t slice);
  void markComplete(FolderRead& read);
  bool isComplete(const FolderRead& read);

  LookupWanted wanted_;
  bool helps_;
  std::uint64_t order_ = 0;
  std::mutex mutex_;
  std::condition_variable completed_;
  WorkerPool pool_;  // last: its threads end before what they use goes
};

}  // namespace nuvelo
