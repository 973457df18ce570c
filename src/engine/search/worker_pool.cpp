#include "engine/search/worker_pool.h"

#include <algorithm>

namespace nuvelo {

bool WorkerPool::Task::operator<(const Task& other) const {
  if (urgency.depth != other.urgency.depth) return urgency.depth < other.urgency.depth;
  return urgency.order > other.urgency.order;
}

WorkerPool::WorkerPool(unsigned threads) {
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() {
  stop();
}

void WorkerPool::submit(Urgency urgency, std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    if (stopping()) return;
    tasks_.push_back({urgency, std::move(task)});
    std::push_heap(tasks_.begin(), tasks_.end());
  }
  wake_.notify_one();
}

void WorkerPool::stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    tasks_.clear();
  }
  wake_.notify_all();
  for (std::thread& thread : threads_)
    if (thread.joinable()) thread.join();
}

std::function<void()> WorkerPool::takeMostUrgent() {
  std::pop_heap(tasks_.begin(), tasks_.end());
  std::function<void()> task = std::move(tasks_.back().run);
  tasks_.pop_back();
  return task;
}

bool WorkerPool::runOneWaiting() {
  std::function<void()> task;
  {
    const std::lock_guard lock(mutex_);
    if (stopping() || tasks_.empty()) return false;
    task = takeMostUrgent();
  }
  task();
  return true;
}

void WorkerPool::work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping() || !tasks_.empty(); });
      if (stopping()) return;
      task = takeMostUrgent();
    }
    task();
  }
}

}  // namespace nuvelo
