#include "engine/copy/parallel_copies.h"

#include <algorithm>
#include <chrono>

#include "engine/search/parallel_walk.h"
#include "platform/posix/folder_listing.h"

namespace nuvelo {
namespace {

// How long the calling thread waits for a copy before it lets its events through.
constexpr std::chrono::milliseconds PollEvery{20};
// Files decided ahead of the one told, for each thread: enough that the window spans many
// folders at once, since a file system makes or renames one entry of a folder at a time. Each
// holds its open source; those of one folder share the folder's descriptor.
constexpr std::size_t AheadPerThread = 32;
constexpr std::size_t MostAhead = 1024;

EntryReport stoppedReport(const PendingCopy& pending) {
  EntryReport report = pending.report;
  report.kind = EntryReport::Stopped;
  return report;
}

}  // namespace

unsigned copyThreads(unsigned asked, const std::string& destination) {
  if (asked > 0) return asked;
  return isOnRemoteFileSystem(destination) ? automaticWalkThreads(destination) : 1;
}

ParallelCopies::ParallelCopies(CopyRunner& runner, unsigned threads, CopyCaller caller)
    : runner_(runner),
      caller_(std::move(caller)),
      limit_(std::min(AheadPerThread * threads, MostAhead)),
      pool_(threads) {}

ParallelCopies::~ParallelCopies() {
  drain();
}

void ParallelCopies::add(const std::string& source) {
  std::string key = runner_.targetKey(source);
  // The names check and the policy of a file see what an earlier file of the same target
  // left, as in a copy one file after the other.
  if (keys_.contains(key)) drain();
  while (slots_.size() >= limit_) tellFirst();

  auto slot = std::make_shared<Slot>();
  slot->key = std::move(key);
  slot->decided = runner_.decide(source);
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
    return !stop_.load();
  };
  pending.hooks.abortRequested = [this] { return stop_.load(); };
  if (!needsAWriter(pending)) {
    write(slot, pending);  // decided without anything left to write
    return;
  }
  // The task holds the slot: the calling thread may have written and told the file before.
  pool_.submit(urgencyOf(pending), [this, held = slots_.back()] {
    if (!held->taken.exchange(true)) write(*held, std::get<PendingCopy>(held->decided));
  });
}

Urgency ParallelCopies::urgencyOf(const PendingCopy& pending) {
  if (pending.subpath != lastFolder_) {
    lastFolder_ = pending.subpath;
    inFolder_ = 0;
  }
  // The n-th files of the folders in the window come before their (n+1)-th files.
  return {0, (inFolder_++ << 32) | (handed_++ & 0xffffffff)};
}

void ParallelCopies::write(Slot& slot, PendingCopy& pending) {
  EntryReport report = stop_.load() ? stoppedReport(pending)
                                    : CopyRunner::write(pending, [&] { return askOnCaller(slot); });
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
  answered_.wait(lock, [&] { return slot.answer.has_value(); });
  return *slot.answer;
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
    // Workers may all be busy with later files (or wait for their questions, which come only
    // after this file's): then this thread writes the first file itself.
    if (!slot.taken.exchange(true)) writeOnCaller(slot, std::get<PendingCopy>(slot.decided));
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
