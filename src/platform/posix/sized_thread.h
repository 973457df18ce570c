#pragma once
// A thread with a stack of the size it needs. std::thread takes the process's default (the
// stack's ulimit, 8 MiB on most systems), reserved as address space for every thread: 32
// workers would reserve 256 MiB for stacks that use a few dozen KiB.

#include <pthread.h>

#include <cstddef>
#include <functional>

#include "platform/result.h"

namespace nuvelo {

// The stack of a worker of the walk or of the copy. The deepest it goes is a folder read's
// 64 KiB listing buffer (readFolderEntries) with the calls above it; a copy's calls into libacl,
// the extended attributes and the hash go less deep. Every test passes with 80 KiB stacks: this
// leaves three times that. Sanitizers make every frame several times larger.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr std::size_t WorkerStackBytes = std::size_t{2} << 20;
#else
inline constexpr std::size_t WorkerStackBytes = std::size_t{256} << 10;
#endif

class SizedThread {
 public:
  SizedThread() = default;
  // Waits for the thread to end.
  ~SizedThread() { join(); }
  SizedThread(SizedThread&& other) noexcept;
  SizedThread& operator=(SizedThread&&) = delete;
  SizedThread(const SizedThread&) = delete;
  SizedThread& operator=(const SizedThread&) = delete;

  // Runs `body` on a new thread with a stack of `stackBytes`; the errno value when no thread
  // could be started (EAGAIN: no room left for its stack, or no threads left). `body` must
  // not throw: an exception that leaves it ends the program, as with std::thread.
  static Result<SizedThread> start(std::size_t stackBytes, std::function<void()> body);

  bool joinable() const { return started_; }
  void join();

 private:
  pthread_t thread_{};
  bool started_ = false;
};

}  // namespace nuvelo
