#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/message_boxes.h"
#include "platform/posix/date_time_value.h"

namespace nuvelo {
namespace {

TEST(TextEncoding, TellsUtf8FromShiftJis) {
  EXPECT_TRUE(isValidUtf8("plain ascii"));
  EXPECT_TRUE(isValidUtf8("表データ"));
  EXPECT_FALSE(isValidUtf8("\x95\x5C"));      // 表 in Shift-JIS
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));      // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(isValidUtf8("\xE8\xA1"));      // cut short
}

TEST(TextEncoding, ShiftJisBothWays) {
  EXPECT_EQ(shiftJisToUtf8("C:\\\x95\x5C"), "C:\\表");
  EXPECT_EQ(shiftJisToUtf8("\xB1\xB2"), "ｱｲ");  // half-width katakana
  EXPECT_EQ(shiftJisToUtf8("a\x85\x40"
                           "b"),
            "a\xEF\xBF\xBD@b");  // a row without characters
  EXPECT_EQ(utf8ToShiftJis("表"), std::string("\x95\x5C"));
  EXPECT_FALSE(utf8ToShiftJis("😀"));
}

struct ShiftJisCase {
  const char* name;
  std::string stored;                // Shift-JIS bytes
  std::string text;                  // what they read as
  std::optional<std::string> exact;  // the text when it encodes back to the same bytes
};

class ShiftJisDecoding : public ::testing::TestWithParam<ShiftJisCase> {};

TEST_P(ShiftJisDecoding, ReadsAsCodePage932) {
  const ShiftJisCase& c = GetParam();
  EXPECT_EQ(shiftJisToUtf8(c.stored), c.text);
  EXPECT_EQ(shiftJisToUtf8Exactly(c.stored), c.exact);
}

const std::string Fffd = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    Bytes, ShiftJisDecoding,
    ::testing::Values(ShiftJisCase{"Kanji", "\x95\x5C", "表", "表"},
                      ShiftJisCase{"SingleByte80", "\x80", "\u0080", "\u0080"},
                      ShiftJisCase{"SingleByteA0", "a\xA0", "a\uF8F0", "a\uF8F0"},
                      ShiftJisCase{"SingleBytesFdToFf", "\xFD\xFE\xFF", "\uF8F1\uF8F2\uF8F3",
                                   "\uF8F1\uF8F2\uF8F3"},
                      ShiftJisCase{"NecRow13", "\x87\x40\x87\x82\x87\x93", "①№∮", "①№∮"},
                      ShiftJisCase{"IbmExtension", "\xFA\x40\xFA\x5C\xFC\x4B", "ⅰ纊黑", "ⅰ纊黑"},
                      ShiftJisCase{"UserDefinedRows", "\xF0\x40\xF9\xFC", "\uE000\uE757",
                                   "\uE000\uE757"},
                      // Characters with two codes read well but encode as their other code.
                      ShiftJisCase{"NecSelectedIbmExtension", "\xED\x40", "纊", std::nullopt},
                      ShiftJisCase{"NecTwinOfJisSymbol", "\x87\x90", "≒", std::nullopt},
                      ShiftJisCase{"IbmTwinOfNecNumeral", "\xFA\x4A", "Ⅰ", std::nullopt},
                      ShiftJisCase{"LeadByteBeforeBlank", "\xE9\x20\x80\xA0",
                                   Fffd + " \u0080\uF8F0", std::nullopt},
                      ShiftJisCase{"LeadByteAtEnd", "ab\x81", "ab" + Fffd, std::nullopt},
                      ShiftJisCase{"TrailOutOfRange", "\x81\xFD", Fffd + "\uF8F1", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodeCase {
  const char* name;
  std::string text;
  std::optional<std::string> stored;
};

class ShiftJisEncoding : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(ShiftJisEncoding, PicksTheCodeWindowsPicksAndOnlyOnesThatReadBack) {
  EXPECT_EQ(utf8ToShiftJis(GetParam().text), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, ShiftJisEncoding,
    ::testing::Values(EncodeCase{"JisBeforeNec", "≒∵", "\x81\xE0\x81\xE6"},
                      EncodeCase{"NecBeforeIbm", "Ⅰ№㈱", "\x87\x54\x87\x82\x87\x8A"},
                      EncodeCase{"IbmBeforeNecSelected", "纊ⅰ", "\xFA\x5C\xFA\x40"},
                      EncodeCase{"FullWidthNot", "￢", "\x81\xCA"},
                      EncodeCase{"SingleBytes", "\u0080\uF8F0\uF8F3", "\x80\xA0\xFF"},
                      EncodeCase{"UserDefined", "\uE000", "\xF0\x40"},
                      EncodeCase{"FullWidthTilde", "～", "\x81\x60"},
                      EncodeCase{"YenSign", "¥", std::nullopt},      // would read back as "\\"
                      EncodeCase{"WaveDash", "〜", std::nullopt},    // would read back as "～"
                      EncodeCase{"EmDash", "\u2014", std::nullopt},  // would read back as U+2015
                      EncodeCase{"NotSign", "¬", std::nullopt},      // would read back as "￢"
                      EncodeCase{"Emoji", "😀", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Windows' code page 932 has 7724 two-byte characters (JIS X 0208, NEC row 13 and both IBM
// extension sets) and 1880 user-defined codes; 398 of the characters have a second code.
TEST(ShiftJisTable, CoversEveryCodeOfCodePage932) {
  int singles = 0;
  for (int b = 0; b < 0x100; ++b) {
    const std::string text = shiftJisToUtf8(std::string(1, static_cast<char>(b)));
    if (text.find(Fffd) == std::string::npos) ++singles;
  }
  int characters = 0;
  int twins = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;  // single bytes, no lead bytes
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string stored{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string text = shiftJisToUtf8(stored);
      if (text.find(Fffd) != std::string::npos || !isValidUtf8(text)) continue;
      ++characters;
      if (!shiftJisToUtf8Exactly(stored)) ++twins;
    }
  }
  EXPECT_EQ(singles, 128 + 63 + 5);  // ASCII, half-width katakana, 0x80, 0xA0, 0xFD-0xFF
  EXPECT_EQ(characters, 7724 + 1880);
  EXPECT_EQ(twins, 398);
}

struct DisplayCase {
  const char* name;
  std::string bytes;
  std::string shown;
};

class NameForDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(NameForDisplay, ReadsEachComponentAsUtf8ThenShiftJis) {
  EXPECT_EQ(nameForDisplay(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameForDisplay,
    ::testing::Values(
        DisplayCase{"Utf8", "/共有/表データ.txt", "/共有/表データ.txt"},
        DisplayCase{"ShiftJisName", "\x95\x5C\x83\x66\x81\x5B\x83\x5E.txt", "表データ.txt"},
        // A UTF-8 folder and a Shift-JIS name in one path: each component read on its own.
        DisplayCase{"MixedParts", "/共有/\x95\x5C.txt", "/共有/表.txt"},
        DisplayCase{"HalfWidthKatakana", "\xB1\xB2/x", "ｱｲ/x"},
        // Neither UTF-8 nor Shift-JIS: a lead byte without its second byte.
        DisplayCase{"Neither", "caf\xE9.txt", "caf\uFFFD.txt"},
        DisplayCase{"NeitherInAFolder", "/a\xE9/b\x95\x5C", "/a\uFFFD/b表"},
        DisplayCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextEncoding, CutsWholeCharacters) {
  EXPECT_EQ(firstCharacters("abc", 2), "ab");
  EXPECT_EQ(firstCharacters("表表表", 2), "表表");
  EXPECT_EQ(firstCharacters("ab", 5), "ab");
}

struct ErrorTextCase {
  std::string message;
  std::string shown;
};

class ApplicationErrorText : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ApplicationErrorText, AppendsPeriodAfterCharactersSortingAfterIt) {
  EXPECT_EQ(applicationErrorText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ApplicationErrorText,
    ::testing::Values(ErrorTextCase{"/a/NVO.ini に書き込めません", "/a/NVO.ini に書き込めません."},
                      ErrorTextCase{"done.", "done."}, ErrorTextCase{"(x)", "(x)"},
                      ErrorTextCase{"value -", "value -"}, ErrorTextCase{"file/", "file/."},
                      ErrorTextCase{"abc", "abc."}, ErrorTextCase{"", ""}));

TEST(MessagePlacement, PositionedBoxTruncatesTowardZero) {
  EXPECT_EQ(MessagePlacement::positionedOn({100, 50, 420, 440}),
            (MessagePlacement{false, 210, 220}));
  EXPECT_EQ(MessagePlacement::positionedOn({0, 0, 201, 101}), (MessagePlacement{false, 0, 0}));
  // (199 - 200) / 2 is 0 when truncated toward zero, not -1.
  EXPECT_EQ(MessagePlacement::positionedOn({10, 10, 199, 99}), (MessagePlacement{false, 10, 10}));
}

TEST(DateTimeValue, DaysSince1899) {
  EXPECT_EQ(dateValueOf({1899, 12, 30}), 0.0);
  EXPECT_EQ(dateValueOf({2024, 5, 1}), 45413.0);
  EXPECT_EQ(civilDateOf(45413.75), (CivilDate{2024, 5, 1}));
  EXPECT_EQ(civilDateOf(dateValueOf({2100, 1, 1})), (CivilDate{2100, 1, 1}));
  EXPECT_EQ(slashDateText({2024, 5, 1}), "2024/05/01");
}

}  // namespace
}  // namespace nuvelo
