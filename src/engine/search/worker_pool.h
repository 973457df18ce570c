#pragma once
// Threads that run tasks, the most urgent first, until they are stopped.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace nuvelo {

// How soon a task's result is needed: deeper first, then in the order they were asked for.
struct Urgency {
  std::size_t depth = 0;
  std::uint64_t order = 0;
};

class WorkerPool {
 public:
  explicit WorkerPool(unsigned threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void submit(Urgency urgency, std::function<void()> task);
  // Runs the most urgent waiting task on the calling thread; false when none waits.
  bool runOneWaiting();
  // Starts no further task, drops those waiting, and waits for the running ones to end.
  void stop();
  // Long tasks ask this between their requests.
  bool stopping() const { return stopping_.load(std::memory_order_relaxed); }

 private:
  struct Task {
    Urgency urgency;
    std::function<void()> run;
    bool operator<(const Task& other) const;  // less urgent
  };

  void work();
  // The most urgent waiting task, taken off the heap; the lock must be held and one must wait.
  std::function<void()> takeMostUrgent();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Task> tasks_;  // a heap, the most urgent on top
  std::atomic<bool> stopping_{false};
  std::vector<std::thread> threads_;
};

}  // namespace nuvelo
