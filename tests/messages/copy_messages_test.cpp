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
        TextCase{"AclsAlone", attributesNoteText({"ext4", false, false, true, false}),
                 "コピー先が ext4 のため、アクセス制御リストは保存していません"},
        TextCase{"AttributesAlone", attributesNoteText({"nfs", false, false, false, true}),
                 "コピー先が nfs のため、拡張属性は保存していません"},
        TextCase{"EverythingDropped", attributesNoteText({"exFAT", true, true, true, true}),
                 "コピー先が exFAT のため、アクセス権、所有者、アクセス制御リストと拡張属性は"
                 "保存していません"},
        TextCase{"Counts", copyCountsText({5, 1, 2}), "コピー 5個, スキップ 1個, 失敗 2個"},
        TextCase{"PlannedCounts", plannedCountsText({5, 1, 0}),
                 "コピー予定 5個, スキップ 1個, 失敗 0個"},
        // The time left follows the bytes: a quarter done in 10 s leaves 30 s.
        TextCase{"ProgressByBytes", copyProgressText({1, 4, 25 * MiB, 100 * MiB}, 10),
                 "ファイル 1/4, 25.0 MiB/100.0 MiB, 残り 約 30 秒"},
        // Without counted bytes, the files tell the share done.
        TextCase{"ProgressByFiles", copyProgressText({100, 300, 0, 0}, 45),
                 "ファイル 100/300, 残り 約 1 分 30 秒"},
        // Nothing to estimate from yet: no time left.
        TextCase{"ProgressAtTheStart", copyProgressText({0, 3, 0, 3 * MiB}, 5),
                 "ファイル 0/3, 0 バイト/3.0 MiB"},
        TextCase{"ProgressWithinTheFirstSecond", copyProgressText({1, 2, 0, 0}, 0.5),
                 "ファイル 1/2"},
        TextCase{"ProgressAtTheEnd", copyProgressText({2, 2, 0, 0}, 8), "ファイル 2/2"},
        // nuvelo-cli's line says what --ignore-free-space does.
        TextCase{"ShortageIgnored", spaceShortageOnCommandLineText({2 * MiB, MiB}, true),
                 "コピー先の空き容量が足りません (必要 2.0 MiB, 空き 1.0 MiB)。"
                 "--ignore-free-space によりコピーします"},
        TextCase{"ShortageRefused", spaceShortageOnCommandLineText({2 * MiB, MiB}, false),
                 "コピー先の空き容量が足りません (必要 2.0 MiB, 空き 1.0 MiB)。"
                 "それでもコピーするときは --ignore-free-space"},
        TextCase{"Interrupted", interruptedCountsText(copyCountsText({5, 1, 2})),
                 "中断しました: コピー 5個, スキップ 1個, 失敗 2個"},
        TextCase{"Meter",
                 meterProgressText({"12", "345", "1.2 MiB", "3.4 GiB", "85.3 MiB", "0:27"}),
                 "12/345 ファイル, 1.2 MiB/3.4 GiB, 85.3 MiB/s, 残り 0:27"},
        TextCase{"MeterSummary", meterSummaryText("1.2 MiB", "3.4"), "1.2 MiB, 3.4 秒"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SkipCase {
  const char* name;
  CopyKind kind;
  OverwritePolicy overwrite;
  const char* reason;
};

class SkipReason : public ::testing::TestWithParam<SkipCase> {};

// The reason follows what happened to the file before the policy: a declined replacement is
// said as such whatever the policy.
TEST_P(SkipReason, SaysWhyTheFileStayed) {
  EntryReport report;
  report.kind = GetParam().kind;
  EXPECT_EQ(skipReasonText(report, GetParam().overwrite), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Skips, SkipReason,
    ::testing::Values(
        SkipCase{"SameFile", CopyKind::SameFile, OverwriteNever, "コピー元と同じファイルです"},
        SkipCase{"Declined", CopyKind::Declined, OverwriteAsk, "置き換えませんでした"},
        SkipCase{"DeclinedUnderNever", CopyKind::Declined, OverwriteNever, "置き換えませんでした"},
        SkipCase{"KeptByNever", CopyKind::NotCopied, OverwriteNever,
                 "コピー先に同名のファイルがあります"},
        SkipCase{"KeptAsNewer", CopyKind::NotCopied, OverwriteIfNewer,
                 "コピー先のファイルは新しいか同じです"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
