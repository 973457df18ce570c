#include "engine/copy/copy_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace nuvelo {
namespace {

struct ReasonCase {
  const char* name;
  std::error_code code;
  std::string reason;  // what the run reports for it
};

class FailureReason : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(FailureReason, IsTheProgramsWordsOrTheSystems) {
  EXPECT_EQ(failureReason(GetParam().code), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FailureReason,
    ::testing::Values(ReasonCase{"OutsideDestination", CopyError::OutsideDestination,
                                 "コピー先の外を指すパスです"},
                      ReasonCase{"ChangedWhileCopied", CopyError::ChangedWhileCopied,
                                 "コピー中にファイルが変更されました"},
                      ReasonCase{"Differs", CopyError::Differs, "検証に失敗しました"},
                      ReasonCase{"NotARegularFile", CopyError::NotARegularFile,
                                 "通常のファイルではありません"},
                      ReasonCase{"NoLinks", CopyError::NoLinks,
                                 "コピー先のファイルシステムはシンボリックリンクを保存できません"},
                      ReasonCase{"Errno", std::error_code(ENOSPC, std::generic_category()),
                                 std::strerror(ENOSPC)},
                      // A code of the copy's category that it does not know still says something.
                      ReasonCase{"UnknownCopyCode", std::error_code(99, copyErrorCategory()),
                                 "unknown copy error"}),
    [](const auto& info) { return std::string(info.param.name); });

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
