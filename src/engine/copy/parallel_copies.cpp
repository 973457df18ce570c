#include "engine/copy/parallel_copies.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "engine/search/parallel_walk.h"
#include "platform/posix/folder_listing.h"

namespace nuvelo {
namespace {

// How long the calling thread waits for a copy before it lets its events through.
constexpr std::chrono::milliseconds PollEvery{20};
// Workers writing in one folder at once. A file system makes or renames one entry of a folder
// at a time (a share from user space without parallel directory operations, and every
// rename): more writers there only queue, and after an abort each queued one must still make
// its temporary file and remove it again before the run can end.
constexpr unsigned WritersPerFolder = 4;
// Copies written at once where each request waits for a network: more than this only adds to
// the queue of the destination folders, whose entries are made one at a time.
constexpr unsigned RemoteCopyThreads = 32;

EntryReport stoppedReport(const PendingCopy& pending) {
  EntryReport report = pending.report;
  report.kind = EntryReport::Stopped;
  return report;
}

bool isOutOfMemory(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return true;
  } catch (...) {
    return false;
  }
}

// The file whose writing threw: failed for want of memory; stopped, as the files after it, for
// anything else (which the run throws again). Moved, not copied: memory may have run out.
void reportThrown(std::optional<EntryReport>& written, EntryReport&& report, bool outOfMemory) {
  EntryReport& told = written.emplace(std::move(report));
  told.kind = outOfMemory ? EntryReport::Failed : EntryReport::Stopped;
  if (outOfMemory) told.failure = {std::make_error_code(std::errc::not_enough_memory), {}};
}

}  // namespace

unsigned copyThreads(unsigned asked, const std::string& destination) {
  if (asked > 0) return asked;
  return isOnRemoteFileSystem(destination) ? RemoteCopyThreads : 1;
}

ParallelCopies::ParallelCopies(CopyRunner& runner, unsigned writers, std::size_t ahead,
                               CopyCaller caller)
    : runner_(runner),
      caller_(std::move(caller)),
      limit_(std::max<std::size_t>(ahead, 1)),
      pool_(writers) {}

ParallelCopies::~ParallelCopies() {
  // Left by an exception on the calling thread: the files written meanwhile are still told if
  // they can be, and none is started.
  if (!slots_.empty()) stop();
  try {
    drain();
  } catch (...) {
    abandon();
  }
}

void ParallelCopies::abandon() {
  {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  answered_.notify_all();
}

void ParallelCopies::keepFailure(std::exception_ptr error) {
  stop();
  const std::lock_guard lock(mutex_);
  if (!failure_) failure_ = std::move(error);
}

void ParallelCopies::throwFailure() {
  std::exception_ptr failure;
  {
    const std::lock_guard lock(mutex_);
    failure = failure_;
  }
  if (failure) std::rethrow_exception(failure);
}

void ParallelCopies::add(const std::string& source) {
  std::string key = runner_.targetKey(source);
  // The names check and the policy of a file see what an earlier file of the same target
  // left, as in a copy one file after the other.
  if (keys_.contains(key)) drain();
  while (slots_.size() >= limit_) tellFirst();

  auto slot = std::make_shared<Slot>();
  slot->key = std::move(key);
  try {
    slot->decided = runner_.decide(source);
  } catch (...) {
    // Nothing of the file was written; the files before it are told as they end.
    keepFailure(std::current_exception());
    return;
  }
  ++keys_[slot->key];
  Slot& added = *slots_.emplace_back(std::move(slot));
  if (auto* pending = std::get_if<PendingCopy>(&added.decided)) hand(added, *pending);
  tellThoseDone();
}

void ParallelCopies::hand(Slot& slot, PendingCopy& pending) {
  // The observer belongs to the calling thread: a worker only looks at the stop flag.
  pending.hooks.poll = nullptr;
  pending.hooks.afterChunk = [this, &slot](std::uint64_t bytesSoFar) {
    slot.bytesSoFar.store(bytesSoFar);
    return !stopping();
  };
  pending.hooks.abortRequested = [this] { return stopping(); };
  if (!needsAWriter(pending)) {
    writeCaught(slot, pending, [&] { write(slot, pending); });  // nothing left to write
    return;
  }
  // The task holds the slot: the calling thread may have written and told the file before.
  pool_.submit(urgencyOf(pending), [this, held = slots_.back()] {
    if (held->taken.exchange(true)) return;
    auto& pending = std::get<PendingCopy>(held->decided);
    writeCaught(*held, pending, [&] { write(*held, pending); });
  });
}

template <class Write>
void ParallelCopies::writeCaught(Slot& slot, PendingCopy& pending, Write&& writing) {
  try {
    writing();
  } catch (...) {
    // Unwinding removed the file's temporary file; its descriptors go now.
    const std::exception_ptr error = std::current_exception();
    keepFailure(error);
    pending.decided.from.reset();
    pending.folder.reset();
    const bool outOfMemory = isOutOfMemory(error);
    const std::lock_guard lock(mutex_);
    reportThrown(slot.written, std::move(pending.report), outOfMemory);
    changed_.notify_all();
  }
}

Urgency ParallelCopies::urgencyOf(const PendingCopy& pending) {
  if (pending.subpath != lastFolder_) {
    lastFolder_ = pending.subpath;
    inFolder_ = 0;
  }
  // The n-th files of the folders in the window come before their (n+1)-th files.
  return {0, (inFolder_++ << 32) | (handed_++ & 0xffffffff)};
}

bool ParallelCopies::enterFolder(const std::string& subpath) {
  std::unique_lock lock(foldersMutex_);
  while (writersInFolder_[subpath] >= WritersPerFolder) {
    if (stopping()) return false;
    folderLeft_.wait_for(lock, PollEvery);
  }
  ++writersInFolder_[subpath];
  return true;
}

void ParallelCopies::leaveFolder(const std::string& subpath) {
  {
    const std::lock_guard lock(foldersMutex_);
    if (--writersInFolder_[subpath] == 0) writersInFolder_.erase(subpath);
  }
  folderLeft_.notify_all();
}

void ParallelCopies::write(Slot& slot, PendingCopy& pending) {
  const std::string subpath = pending.subpath;
  const bool entered = enterFolder(subpath);
  EntryReport report = !entered || stopping()
                           ? stoppedReport(pending)
                           : CopyRunner::write(pending, [&] { return askOnCaller(slot); });
  if (entered) leaveFolder(subpath);
  pending.decided.from.reset();
  pending.folder.reset();
  const std::lock_guard lock(mutex_);
  slot.written = std::move(report);
  changed_.notify_all();
}

void ParallelCopies::writeOnCaller(Slot& slot, PendingCopy& pending) {
  // On this thread the copy may let the observer's events through and see its abort itself.
  pending.hooks.poll = caller_.poll;
  pending.hooks.afterChunk = [this](std::uint64_t bytesSoFar) {
    if (caller_.firstFileProgress) caller_.firstFileProgress(bytesSoFar);
    if (caller_.abortRequested()) stop();
    return !stop_.load();
  };
  pending.hooks.abortRequested = [this] {
    if (caller_.abortRequested()) stop();
    return stop_.load();
  };
  EntryReport report = stop_.load() ? stoppedReport(pending) : CopyRunner::write(pending, [&] {
    return stop_.load() ? ReplaceAnswer::Stop : caller_.askReplace(pending.report.target);
  });
  const std::lock_guard lock(mutex_);
  slot.written = std::move(report);
}

ReplaceAnswer ParallelCopies::askOnCaller(Slot& slot) {
  std::unique_lock lock(mutex_);
  slot.asking = true;
  changed_.notify_all();
  answered_.wait(lock, [&] { return slot.answer.has_value() || abandoned_; });
  return slot.answer.value_or(ReplaceAnswer::Stop);
}

void ParallelCopies::tellProgress(const Slot& slot, std::uint64_t& told) {
  const std::uint64_t bytesSoFar = slot.bytesSoFar.load();
  if (bytesSoFar == told || !caller_.firstFileProgress) return;
  told = bytesSoFar;
  caller_.firstFileProgress(bytesSoFar);
}

void ParallelCopies::awaitFirst(Slot& slot) {
  std::uint64_t toldBytes = 0;
  std::unique_lock lock(mutex_);
  while (!slot.written) {
    if (slot.asking && !slot.answer) {
      lock.unlock();
      const auto& pending = std::get<PendingCopy>(slot.decided);
      const ReplaceAnswer answer =
          stop_.load() ? ReplaceAnswer::Stop : caller_.askReplace(pending.report.target);
      lock.lock();
      slot.answer = answer;
      answered_.notify_all();
      continue;
    }
    const bool woken = changed_.wait_for(
        lock, PollEvery, [&] { return slot.written.has_value() || (slot.asking && !slot.answer); });
    if (woken) continue;
    lock.unlock();
    // A task that threw past its own handling stopped the workers: nothing will write the file.
    if (pool_.stopping())
      if (const std::exception_ptr failure = pool_.failure()) {
        stop();
        std::rethrow_exception(failure);
      }
    // Workers may all be busy with later files (or wait for their questions, which come only
    // after this file's): then this thread writes the first file itself.
    if (!slot.taken.exchange(true)) {
      auto& pending = std::get<PendingCopy>(slot.decided);
      writeCaught(slot, pending, [&] { writeOnCaller(slot, pending); });
    }
    tellProgress(slot, toldBytes);
    caller_.poll();
    if (caller_.abortRequested()) stop();
    lock.lock();
  }
}

void ParallelCopies::tellFirst() {
  // An abort seen between two files stops the copies not yet begun, as it stops the next file
  // of a copy one file after the other.
  if (caller_.abortRequested()) stop();
  Slot& slot = *slots_.front();
  EntryReport report;
  if (auto* settled = std::get_if<EntryReport>(&slot.decided)) {
    report = std::move(*settled);
  } else {
    awaitFirst(slot);
    report = std::move(*slot.written);
    runner_.placed(std::get<PendingCopy>(slot.decided), report);
  }
  forget(slot.key);
  slots_.pop_front();
  if (report.kind == EntryReport::Stopped) {
    stop();
    return;
  }
  caller_.tell(report);
}

void ParallelCopies::tellThoseDone() {
  while (!slots_.empty()) {
    Slot& first = *slots_.front();
    if (std::holds_alternative<PendingCopy>(first.decided)) {
      const std::lock_guard lock(mutex_);
      if (!first.written) return;
    }
    tellFirst();
  }
}

void ParallelCopies::drain() {
  while (!slots_.empty()) tellFirst();
}

void ParallelCopies::forget(const std::string& key) {
  const auto at = keys_.find(key);
  if (at != keys_.end() && --at->second == 0) keys_.erase(at);
}

}  // namespace nuvelo
