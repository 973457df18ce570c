#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include "platform/date_time_value.h"
#include "platform/message_boxes.h"

namespace nuvelo {
namespace {

TEST(TextEncoding, TellsUtf8FromShiftJis) {
  EXPECT_TRUE(isValidUtf8("plain ascii"));
  EXPECT_TRUE(isValidUtf8("表データ"));
  EXPECT_FALSE(isValidUtf8("\x95\x5C"));        // 表 in Shift-JIS
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));        // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));    // a surrogate
  EXPECT_FALSE(isValidUtf8("\xE8\xA1"));        // cut short
}

TEST(TextEncoding, ShiftJisBothWays) {
  EXPECT_EQ(shiftJisToUtf8("C:\\\x95\x5C"), "C:\\表");
  EXPECT_EQ(shiftJisToUtf8("\xB1\xB2"), "ｱｲ");  // half-width katakana
  EXPECT_EQ(shiftJisToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(utf8ToShiftJis("表"), std::string("\x95\x5C"));
  EXPECT_FALSE(utf8ToShiftJis("😀"));
}

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
