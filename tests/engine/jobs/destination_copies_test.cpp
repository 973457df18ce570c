// What a source file's copy at the destination says of it, by the facts the two walks gave.

#include "engine/jobs/destination_copies.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

constexpr std::int64_t Fine = 1;
constexpr std::int64_t Fat = 2000;  // FAT keeps times to 2 s

CopyFacts file(std::int64_t bytes, std::int64_t seconds, long nanoseconds = 0) {
  return {EntryKind::File, bytes, {seconds, nanoseconds}};
}

CopyFacts link(std::int64_t seconds) {
  return {EntryKind::Link, 0, {seconds, 0}};
}

struct VerdictCase {
  const char* name;
  CopyFacts source;
  std::optional<CopyFacts> copy;
  std::int64_t granularityMs;
  CopyVerdict verdict;
};

class CopyVerdicts : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(CopyVerdicts, AreByTimeThenKindThenSize) {
  const VerdictCase& c = GetParam();
  EXPECT_EQ(copyVerdict(c.source, c.copy, c.granularityMs), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyVerdicts,
    ::testing::Values(
        VerdictCase{"Missing", file(10, 100), std::nullopt, Fine, CopyVerdict::Missing},
        VerdictCase{"Older", file(10, 100), file(10, 99), Fine, CopyVerdict::Older},
        VerdictCase{"CutShortTimeKept", file(10, 100), file(4, 100), Fine, CopyVerdict::Damaged},
        VerdictCase{"NewerAndSameSize", file(10, 100), file(10, 500), Fine,
                    CopyVerdict::SameOnTheFace},
        // Whole seconds at the destination: the copy is no older, and its size tells.
        VerdictCase{"WholeSecondsOtherSize", file(10, 100, 900'000'000), file(9, 100), Fat,
                    CopyVerdict::Damaged},
        VerdictCase{"Links", link(100), link(100), Fine, CopyVerdict::SameOnTheFace},
        VerdictCase{"FileWhereALinkWas", link(100), file(10, 100), Fine, CopyVerdict::Damaged},
        VerdictCase{"LinkWhereAFileWas", file(10, 100), link(100), Fine, CopyVerdict::Damaged}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace nuvelo
