#include "engine/search/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <thread>

namespace nuvelo {
namespace {

// A task that throws (memory ran out) stops the pool: no task starts after it, and its
// exception waits for the thread that uses the pool.
TEST(WorkerPool, ATaskThatThrowsStopsThePoolAndKeepsItsException) {
  WorkerPool pool(2);
  EXPECT_FALSE(pool.failure());
  pool.submit({0, 0}, [] { throw std::bad_alloc(); });
  while (!pool.stopping()) std::this_thread::yield();
  std::atomic<int> ranAfter{0};
  pool.submit({0, 1}, [&] { ++ranAfter; });
  EXPECT_FALSE(pool.runOneWaiting());
  pool.stop();
  EXPECT_EQ(ranAfter.load(), 0);
  ASSERT_TRUE(pool.failure());
  EXPECT_THROW(std::rethrow_exception(pool.failure()), std::bad_alloc);
}

}  // namespace
}  // namespace nuvelo
