#include "engine/search/worker_pool.h"

#include <algorithm>
#include <new>

namespace nuvelo {

bool WorkerPool::Task::operator<(const Task& other) const {
  if (urgency.depth != other.urgency.depth) return urgency.depth < other.urgency.depth;
  return urgency.order > other.urgency.order;
}

WorkerPool::WorkerPool(unsigned threads) {
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) {
    Result<SizedThread> started = SizedThread::start(WorkerStackBytes, [this] { work(); });
    if (!started) break;  // no room for another stack: the threads started do the work
    threads_.push_back(std::move(*started));
  }
  if (threads_.empty() && threads > 0) throw std::bad_alloc();
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
  for (SizedThread& thread : threads_) thread.join();
}

std::exception_ptr WorkerPool::failure() {
  const std::lock_guard lock(mutex_);
  return failure_;
}

void WorkerPool::fail(std::exception_ptr error) {
  {
    const std::lock_guard lock(mutex_);
    if (!failure_) failure_ = std::move(error);
    stopping_.store(true, std::memory_order_release);
    tasks_.clear();
  }
  wake_.notify_all();
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
    try {
      task();
    } catch (...) {
      fail(std::current_exception());
    }
  }
}

}  // namespace nuvelo
