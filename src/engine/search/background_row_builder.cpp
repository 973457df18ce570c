#include "engine/search/background_row_builder.h"

#include <chrono>
#include <iterator>
#include <utility>

namespace nuvelo {
namespace {

constexpr auto WaitSlice = std::chrono::milliseconds(10);

}  // namespace

BackgroundRowBuilder::BackgroundRowBuilder(bool absoluteMode, std::string root, TypeNamer& types)
    : thread_([this, absoluteMode, root = std::move(root), &types] {
        run(absoluteMode, root, types);
      }) {
  pending_.reserve(BatchEntries);
}

BackgroundRowBuilder::~BackgroundRowBuilder() {
  cancel();
}

void BackgroundRowBuilder::add(WalkEntry entry) {
  pending_.push_back(std::move(entry));
  if (pending_.size() == BatchEntries) send();
}

void BackgroundRowBuilder::send() {
  if (pending_.empty()) return;
  {
    const std::lock_guard lock(mutex_);
    batches_.push_back(std::move(pending_));
  }
  handedOver_.notify_one();
  pending_ = {};
  pending_.reserve(BatchEntries);
}

BuiltRows BackgroundRowBuilder::finish(const std::function<void()>& whileWaiting) {
  send();
  end(false, whileWaiting);
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  return std::move(built_);
}

void BackgroundRowBuilder::cancel(const std::function<void()>& whileWaiting) {
  pending_ = {};
  end(true, whileWaiting);
}

void BackgroundRowBuilder::end(bool cancelled, const std::function<void()>& whileWaiting) {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
    if (cancelled) cancelled_ = true;
  }
  handedOver_.notify_one();
  {
    std::unique_lock lock(mutex_);
    const auto isFinished = [this] { return finished_; };
    while (!done_.wait_for(lock, WaitSlice, isFinished))
      if (whileWaiting) {
        lock.unlock();
        whileWaiting();
        lock.lock();
      }
  }
  thread_.join();
}

void BackgroundRowBuilder::run(bool absoluteMode, const std::string& root, TypeNamer& types) {
  try {
    const ResultRowBuilder builder(absoluteMode, root, types);
    buildBatches(builder);
    if (!cancelled_) assemble();
  } catch (...) {
    failure_ = std::current_exception();
  }
  const std::lock_guard lock(mutex_);
  // What is not wanted is freed here, not on the thread that waits.
  batches_.clear();
  builtBatches_.clear();
  if (cancelled_) built_ = {};
  finished_ = true;
  done_.notify_all();
}

void BackgroundRowBuilder::buildBatches(const ResultRowBuilder& builder) {
  for (;;) {
    std::vector<WalkEntry> batch;
    {
      std::unique_lock lock(mutex_);
      handedOver_.wait(lock, [this] { return !batches_.empty() || ended_; });
      if (cancelled_ || batches_.empty()) return;
      batch = std::move(batches_.front());
      batches_.pop_front();
    }
    std::vector<ResultRow> rows;
    rows.reserve(batch.size());
    for (const WalkEntry& entry : batch) {
      if (cancelled_) return;
      rows.push_back(builder.rowOf(entry));
    }
    builtBatches_.push_back(std::move(rows));
  }
}

// The batches' rows in one list of the exact size, and their totals.
void BackgroundRowBuilder::assemble() {
  std::size_t count = 0;
  for (const std::vector<ResultRow>& rows : builtBatches_) count += rows.size();
  built_.rows.reserve(count);
  for (std::vector<ResultRow>& rows : builtBatches_) {
    std::move(rows.begin(), rows.end(), std::back_inserter(built_.rows));
    rows = {};
  }
  built_.totals = countChecked(built_.rows);
}

}  // namespace nuvelo
