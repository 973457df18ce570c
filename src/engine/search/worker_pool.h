#pragma once
// Threads that run tasks, the most urgent first, until they are stopped. A task that throws
// (memory ran out) stops the pool, and its exception waits for the thread that uses the pool.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/posix/sized_thread.h"

namespace nuvelo {

// How soon a task's result is needed: deeper first, then in the order they were asked for.
struct Urgency {
  std::size_t depth = 0;
  std::uint64_t order = 0;
};

class WorkerPool {
 public:
  // Starts as many of `threads` as the process has room for; throws std::bad_alloc when it has
  // room for none.
  explicit WorkerPool(unsigned threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void submit(Urgency urgency, std::function<void()> task);
  // Runs the most urgent waiting task on the calling thread; false when none waits.
  bool runOneWaiting();
  // Starts no further task, drops those waiting, and waits for the running ones to end.
  void stop();
  // Long tasks ask this between their requests. Seen true after a task threw, failure() tells
  // that task's exception.
  bool stopping() const { return stopping_.load(std::memory_order_acquire); }
  // The exception of the first task that threw on a worker; none while every task returned.
  std::exception_ptr failure();

 private:
  struct Task {
    Urgency urgency;
    std::function<void()> run;
    bool operator<(const Task& other) const;  // less urgent
  };

  void work();
  // A task threw: the pool keeps its exception and starts nothing more.
  void fail(std::exception_ptr error);
  // The most urgent waiting task, taken off the heap; the lock must be held and one must wait.
  std::function<void()> takeMostUrgent();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Task> tasks_;  // a heap, the most urgent on top
  std::atomic<bool> stopping_{false};
  std::exception_ptr failure_;  // guarded by mutex_
  std::vector<SizedThread> threads_;
};

}  // namespace nuvelo
