#include "platform/progress_steps.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

struct StepCase {
  long long position, minimum, maximum, next;
};

class ProgressStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(ProgressStep, StartsAgainPastTheMaximum) {
  const StepCase& c = GetParam();
  EXPECT_EQ(steppedPosition(c.position, c.minimum, c.maximum), c.next);
}

INSTANTIATE_TEST_SUITE_P(Steps, ProgressStep,
                         ::testing::Values(StepCase{0, 0, 10000, 1},
                                           StepCase{9999, 0, 10000, 10000},
                                           StepCase{10000, 0, 10000, 1}, StepCase{3, 0, 10, 4},
                                           StepCase{10, 0, 10, 1}, StepCase{0, 0, 0, 0}));

TEST(ProgressStep, TwentyThousandAndOneStepsWrapTwice) {
  long long position = 0;
  for (int i = 0; i < 20001; ++i) position = steppedPosition(position, 0, 10000);
  EXPECT_EQ(position, 1);
}

}  // namespace
}  // namespace nuvelo
