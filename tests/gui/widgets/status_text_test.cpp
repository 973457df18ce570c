#include "gui/widgets/status_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace nuvelo {
namespace {

struct UpdateCase {
  const char* name;
  std::vector<std::int64_t> offeredAt;  // milliseconds
  std::vector<bool> letThrough;
};

class StatusUpdates : public ::testing::TestWithParam<UpdateCase> {};

// At most ten updates a second: the first at once, then one whenever 100 ms have passed since
// the last one let through (not since the last one offered).
TEST_P(StatusUpdates, ComeAtMostTenTimesASecond) {
  UpdateLimit limit(StatusText::IntervalMilliseconds);
  std::vector<bool> through;
  for (const std::int64_t at : GetParam().offeredAt) through.push_back(limit.due(at));
  EXPECT_EQ(through, GetParam().letThrough);
}

INSTANTIATE_TEST_SUITE_P(
    Offers, StatusUpdates,
    ::testing::Values(UpdateCase{"FirstAtOnce", {5}, {true}},
                      UpdateCase{"Burst", {0, 1, 50, 99, 100}, {true, false, false, false, true}},
                      UpdateCase{"FromTheLastShown", {0, 90, 180, 200}, {true, false, true, false}},
                      UpdateCase{"SlowOffersAllShow", {0, 150, 400}, {true, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
