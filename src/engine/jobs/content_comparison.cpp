#include "engine/jobs/content_comparison.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "engine/copy/content_hash.h"
#include "engine/search/worker_pool.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

constexpr auto ProgressEvery = std::chrono::milliseconds(100);

// Opens a file to be read, without following a link put in its place, and without waiting for
// a writer when a pipe was.
Result<Descriptor> openToRead(const std::string& path) {
  constexpr int Flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  Result<Descriptor> fd = openEntry(path, Flags | O_NOATIME);
  // Only the file's owner (or a privileged reader) may leave its access time alone.
  if (!fd && fd.error().code == std::errc::operation_not_permitted) fd = openEntry(path, Flags);
  return fd;
}

// The verdict when the source cannot be opened: gone, turned into a link (which the copy then
// takes as it is), or unreadable.
PairOutcome sourceNotOpened(const std::error_code& code) {
  if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory)
    return {PairVerdict::SourceGone, code};
  if (code == std::errc::too_many_symbolic_link_levels) return {PairVerdict::Differs, {}};
  return {PairVerdict::SourceUnreadable, code};
}

// The digest of the open file's bytes; nothing when the reading was stopped.
Result<std::optional<std::uint64_t>> digestOf(
    int fd, const struct stat& st, const std::function<bool(std::uint64_t)>& chunkHashed) {
  ContentHash hash;
  const Result<DataCopy> read =
      hashRegions(fd, static_cast<std::uint64_t>(st.st_size), hasHoles(st), hash,
                  [&](const char*, std::size_t count, std::uint64_t) -> Result<DataCopy> {
                    return chunkHashed(count) ? DataCopy::Done : DataCopy::Stopped;
                  });
  if (!read) return Unexpected(read.error());
  if (*read == DataCopy::Stopped) return std::optional<std::uint64_t>();
  return std::optional<std::uint64_t>(hash.digest());
}

std::error_code lastError() {
  return {errno, std::generic_category()};
}

// Runs the pairs on worker threads, each taking the next pair left, and watches them.
class Comparison {
 public:
  explicit Comparison(const ContentComparison& comparison)
      : comparison_(comparison), outcomes_(comparison.pairs) {}

  std::optional<std::vector<PairOutcome>> run(WalkObserver& observer) {
    const auto threads =
        static_cast<unsigned>(std::clamp<std::size_t>(comparison_.threads, 1, comparison_.pairs));
    WorkerPool pool(threads);
    for (unsigned i = 0; i < threads; ++i) pool.submit({}, [this] { work(); });
    try {
      watch(observer, pool);
    } catch (...) {
      stop_ = true;
      throw;
    }
    pool.stop();
    if (const std::exception_ptr failure = pool.failure()) std::rethrow_exception(failure);
    if (stop_) return std::nullopt;
    return std::move(outcomes_);
  }

 private:
  void work() {
    for (std::size_t i = 0; !stop_ && (i = next_++) < comparison_.pairs;) {
      const std::optional<PairOutcome> outcome =
          comparePair(comparison_.pairAt(i), [this](std::uint64_t bytes) {
            hashed_ += bytes;
            return !stop_;
          });
      if (!outcome) return;
      outcomes_[i] = *outcome;
      if (++done_ == comparison_.pairs) {
        const std::lock_guard lock(mutex_);
        finished_.notify_all();
      }
    }
  }

  // Tells the progress until every pair is done, an abort comes, or a worker failed.
  void watch(WalkObserver& observer, const WorkerPool& pool) {
    std::unique_lock lock(mutex_);
    while (done_ < comparison_.pairs && !pool.stopping()) {
      finished_.wait_for(lock, ProgressEvery);
      lock.unlock();
      observer.poll();
      if (observer.abortRequested()) {
        stop_ = true;
        return;
      }
      observer.contentsHashed(hashed_, comparison_.bytes);
      lock.lock();
    }
  }

  const ContentComparison& comparison_;
  std::vector<PairOutcome> outcomes_;
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> done_{0};
  std::atomic<std::uint64_t> hashed_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable finished_;
};

}  // namespace

std::optional<PairOutcome> comparePair(const FilePair& pair,
                                       const std::function<bool(std::uint64_t)>& chunkHashed) {
  const Result<Descriptor> source = openToRead(pair.source);
  if (!source) return sourceNotOpened(source.error().code);
  const Result<Descriptor> copy = openToRead(pair.copy);
  if (!copy) return PairOutcome{PairVerdict::CopyUnreadable, copy.error().code};
  struct stat sourceStatus {};
  struct stat copyStatus {};
  if (fstat(source->get(), &sourceStatus) != 0)
    return PairOutcome{PairVerdict::SourceUnreadable, lastError()};
  if (fstat(copy->get(), &copyStatus) != 0)
    return PairOutcome{PairVerdict::CopyUnreadable, lastError()};
  // Something else took a side's place since the walk, or a side changed its size meanwhile.
  if (!S_ISREG(sourceStatus.st_mode) || !S_ISREG(copyStatus.st_mode) ||
      sourceStatus.st_size != copyStatus.st_size)
    return PairOutcome{PairVerdict::Differs, {}};
  const auto sourceDigest = digestOf(source->get(), sourceStatus, chunkHashed);
  if (!sourceDigest) return PairOutcome{PairVerdict::SourceUnreadable, sourceDigest.error().code};
  if (!*sourceDigest) return std::nullopt;
  const auto copyDigest = digestOf(copy->get(), copyStatus, chunkHashed);
  if (!copyDigest) return PairOutcome{PairVerdict::CopyUnreadable, copyDigest.error().code};
  if (!*copyDigest) return std::nullopt;
  return PairOutcome{**sourceDigest == **copyDigest ? PairVerdict::Same : PairVerdict::Differs, {}};
}

std::optional<std::vector<PairOutcome>> compareContents(const ContentComparison& comparison,
                                                        WalkObserver& observer) {
  if (comparison.pairs == 0) return std::vector<PairOutcome>();
  return Comparison(comparison).run(observer);
}

}  // namespace nuvelo
