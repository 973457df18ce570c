#include "engine/copy/copy_errors.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

// The copy's codes are no errno values: none of them compares equal to one with the same number.
TEST(CopyErrorCategory, KeepsItsCodesApartFromErrnoValues) {
  const std::error_code outside = CopyError::OutsideDestination;
  EXPECT_EQ(outside.category(), copyErrorCategory());
  EXPECT_NE(outside, std::error_code(outside.value(), std::generic_category()));
  EXPECT_NE(outside, CopyError::ChangedWhileCopied);
  EXPECT_FALSE(outside.message().empty());
}

}  // namespace
}  // namespace nuvelo
