#include "messages/copy_messages.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

struct TextCase {
  const char* name;
  std::string text;
  std::string expected;
};

class CopyText : public ::testing::TestWithParam<TextCase> {};

TEST_P(CopyText, SaysWhatTheRunFound) {
  EXPECT_EQ(GetParam().text, GetParam().expected);
}

constexpr std::uint64_t MiB = 1 << 20;

INSTANTIATE_TEST_SUITE_P(
    Texts, CopyText,
    ::testing::Values(
        TextCase{"ShortageInEachUnit",
                 spaceShortageText({(std::uint64_t{3} << 30) / 2, MiB * 200 + MiB / 2}),
                 "コピー先の空き容量が足りません (必要 1.5 GiB, 空き 200.5 MiB)"},
        TextCase{"ShortageInBytes", spaceShortageText({MiB - 1, 0}),
                 "コピー先の空き容量が足りません (必要 1048575 バイト, 空き 0 バイト)"},
        TextCase{"NoFailedNames", failedNamesText({}), ""},
        TextCase{"AllFailedNames", failedNamesText({"/s/a.txt", "/s/d/b.txt"}),
                 "失敗したファイル: a.txt, b.txt"},
        TextCase{"FirstThreeFailedNames", failedNamesText({"/a", "/b", "/c", "/d", "/e"}),
                 "失敗したファイル: a, b, c ほか 2個"},
        TextCase{"PermissionBitsAndOwners", attributesNoteText({"exFAT", true, true}),
                 "コピー先が exFAT のため、アクセス権と所有者は保存していません"},
        TextCase{"OwnersAlone", attributesNoteText({"cifs", false, true}),
                 "コピー先が cifs のため、所有者は保存していません"},
        TextCase{"Counts", copyCountsText({5, 1, 2}), "コピー 5個, スキップ 1個, 失敗 2個"},
        TextCase{"PlannedCounts", plannedCountsText({5, 1, 0}),
                 "コピー予定 5個, スキップ 1個, 失敗 0個"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
