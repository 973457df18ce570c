#include "engine/search/folder_reads.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace nuvelo {
namespace {

// Look-ups one task makes: small enough that a large folder spreads over every worker and that
// a stop is noticed soon, large enough that a task is worth its scheduling.
constexpr std::size_t SliceEntries = 32;
// Where each look-up is a round trip, a client may look the names of one folder up one at a
// time (FUSE through libfuse 3.14 does): a folder of a few dozen entries is then better left to
// one worker while the others take other folders.
constexpr std::size_t RemoteSliceEntries = 128;

constexpr std::chrono::milliseconds PollEvery{10};
constexpr int SpinsBeforeSleep = 200;

std::size_t slicesOf(const FolderListing& listing, std::size_t sliceEntries) {
  return (listing.entries.size() + sliceEntries - 1) / sliceEntries;
}

}  // namespace

FolderReads::FolderReads(unsigned threads, LookupWanted wanted, bool helps, bool remote)
    : wanted_(std::move(wanted)),
      helps_(helps),
      sliceEntries_(remote ? RemoteSliceEntries : SliceEntries),
      pool_(threads) {}

void FolderReads::start(const std::shared_ptr<FolderRead>& read, std::size_t depth) {
  const Urgency urgency{depth, order_++};
  pool_.submit(urgency, [this, read, urgency] { readFolder(read, urgency); });
}

void FolderReads::readFolder(const std::shared_ptr<FolderRead>& read, Urgency urgency) {
  FolderListing& listing = read->listing;
  listing = read->parent ? readSubfolder(*read->parent, read->name, read->path)
                         : nuvelo::readFolder(read->path);
  read->parent.reset();
  for (ListedEntry& listed : listing.entries) listed.wanted = wanted_(listed.entry);
  const std::size_t slices = listing.listed ? slicesOf(listing, sliceEntries_) : 0;
  if (slices == 0) {
    markComplete(*read);
    return;
  }
  read->slicesLeft = slices;
  for (std::size_t slice = 1; slice < slices; ++slice)
    pool_.submit(urgency, [this, read, slice] { lookUpSlice(read, slice); });
  lookUpSlice(read, 0);
}

void FolderReads::lookUpSlice(const std::shared_ptr<FolderRead>& read, std::size_t slice) {
  std::vector<ListedEntry>& entries = read->listing.entries;
  const int fd = read->listing.fd->get();
  const std::size_t end = std::min(entries.size(), (slice + 1) * sliceEntries_);
  for (std::size_t i = slice * sliceEntries_; i < end && !pool_.stopping(); ++i)
    if (entries[i].wanted) lookUpEntry(fd, entries[i]);
  if (read->slicesLeft.fetch_sub(1) == 1) markComplete(*read);
}

void FolderReads::markComplete(FolderRead& read) {
  {
    const std::lock_guard lock(mutex_);
    read.complete = true;
    read.done.store(true, std::memory_order_release);
    completions_.fetch_add(1, std::memory_order_release);
  }
  completed_.notify_all();
}

bool FolderReads::await(const FolderRead& read, const std::function<void()>& progress,
                        const std::function<void()>& poll, const std::function<bool()>& giveUp) {
  std::uint64_t seen = completions_.load(std::memory_order_acquire);
  const auto progressed = [&] {
    const std::uint64_t now = completions_.load(std::memory_order_acquire);
    if (now == seen) return false;
    seen = now;
    return true;
  };
  if (helps_) {
    while (!isDone(read) && pool_.runOneWaiting())
      if (progressed()) progress();
    // A worker is finishing the read: on a local file system that takes microseconds, less
    // than going to sleep and being woken.
    for (int spin = 0; spin < SpinsBeforeSleep && !isDone(read); ++spin) std::this_thread::yield();
  }
  auto nextPoll = std::chrono::steady_clock::now() + PollEvery;
  std::unique_lock lock(mutex_);
  for (;;) {
    completed_.wait_until(lock, nextPoll, [&] {
      return read.complete || completions_.load(std::memory_order_relaxed) != seen;
    });
    if (read.complete) {
      lock.unlock();
      break;
    }
    lock.unlock();
    throwWhatAWorkerThrew();
    if (progressed()) progress();
    if (std::chrono::steady_clock::now() >= nextPoll) {
      poll();
      if (giveUp()) return false;
      nextPoll = std::chrono::steady_clock::now() + PollEvery;
    }
    lock.lock();
  }
  // A read completes early when a worker's failure stopped its look-ups: it is no read to use.
  throwWhatAWorkerThrew();
  return true;
}

void FolderReads::throwWhatAWorkerThrew() {
  if (!pool_.stopping()) return;
  if (const std::exception_ptr failure = pool_.failure()) std::rethrow_exception(failure);
}

}  // namespace nuvelo
