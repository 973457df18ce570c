#include "platform/result.h"

#include <gtest/gtest.h>

#include <memory>

namespace nuvelo {
namespace {

Result<int> halfOf(int n) {
  if (n % 2 != 0) return failure(std::errc::invalid_argument, "odd");
  return n / 2;
}

// A value compares equal only when there is one; a failure keeps its code and path.
TEST(Result, HoldsTheValueOrTheFailure) {
  const Result<int> half = halfOf(8);
  ASSERT_TRUE(half);
  EXPECT_EQ(*half, 4);
  EXPECT_EQ(half, 4);
  EXPECT_EQ(half.value_or(-1), 4);

  const Result<int> odd = halfOf(7);
  ASSERT_FALSE(odd);
  EXPECT_EQ(odd.error().code, std::errc::invalid_argument);
  EXPECT_EQ(odd.error().path, "odd");
  EXPECT_EQ(odd.value_or(-1), -1);
  EXPECT_FALSE(odd == 0);  // a failure equals no value
}

// A value that can only be moved goes in and out without a copy.
TEST(Result, MovesAValueThatCannotBeCopied) {
  Result<std::unique_ptr<int>> held = std::make_unique<int>(5);
  ASSERT_TRUE(held);
  const std::unique_ptr<int> taken = std::move(held).value_or(nullptr);
  EXPECT_EQ(*taken, 5);
  Result<std::unique_ptr<int>> missing = failure(std::errc::no_such_file_or_directory);
  EXPECT_EQ(std::move(missing).value_or(nullptr), nullptr);
}

TEST(Result, WithoutAValueIsSuccessUntilAFailureIsAssigned) {
  Result<> done;
  EXPECT_TRUE(done);
  done = failureFromErrno("/x");
  ASSERT_FALSE(done);
  EXPECT_EQ(done.error().path, "/x");
}

}  // namespace
}  // namespace nuvelo
