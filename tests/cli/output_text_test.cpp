// The escapes of nuvelo-cli's outputs, byte for byte: each form of a name that a file system
// allows, in a tab-separated field, on a terminal and in a JSON string; and the ISO times with
// their offsets. The forms that append must give what the forms that return give.

#include "engine/text/output_text.h"

#include <gtest/gtest.h>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

struct EscapeCase {
  const char* name;
  std::string text;
  std::string tsv;
  std::string terminal;
  std::string json;  // the literal, quotes included
};

void PrintTo(const EscapeCase& c, std::ostream* out) {
  *out << c.name;
}

class Escapes : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(Escapes, WriteEveryByteSoThatItReadsBack) {
  const EscapeCase& c = GetParam();
  EXPECT_EQ(tsvField(c.text), c.tsv);
  EXPECT_EQ(terminalText(c.text), c.terminal);
  EXPECT_EQ(jsonString(c.text), c.json);
  // Appended after other text, as a row is built: what was there stays, nothing else changes.
  std::string tsv = "a\t", terminal = "a ", json = "{";
  appendTsvField(tsv, c.text);
  appendTerminalText(terminal, c.text);
  appendJsonString(json, c.text);
  EXPECT_EQ(tsv, "a\t" + c.tsv);
  EXPECT_EQ(terminal, "a " + c.terminal);
  EXPECT_EQ(json, "{" + c.json);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Escapes,
    ::testing::Values(
        EscapeCase{"Empty", "", "", "", "\"\""},
        EscapeCase{"Plain", "report 2024.txt", "report 2024.txt", "report 2024.txt",
                   "\"report 2024.txt\""},
        EscapeCase{"LineBreaks", "a\tb\nc\rd", "a\\tb\\nc\\rd", "a\\tb\\nc\\rd",
                   "\"a\\tb\\nc\\rd\""},
        EscapeCase{"Backslash", "back\\slash", "back\\\\slash", "back\\slash", "\"back\\\\slash\""},
        EscapeCase{"Quote", "say \"hi\"", "say \"hi\"", "say \"hi\"", "\"say \\\"hi\\\"\""},
        EscapeCase{"EscapeAndDelete", "\x1b[31mred\x7f", "\\x1b[31mred\\x7f", "\\x1b[31mred\\x7f",
                   "\"\\u001b[31mred\\u007f\""},
        EscapeCase{"ControlsAtBothEnds", std::string("\x01mid\x1f"), "\\x01mid\\x1f",
                   "\\x01mid\\x1f", "\"\\u0001mid\\u001f\""},
        // A C1 control (U+009B, the terminal's CSI) is valid UTF-8: JSON keeps it.
        EscapeCase{"C1Control",
                   "c1\xC2\x9b"
                   "2J",
                   "c1\\u009b2J", "c1\\u009b2J",
                   "\"c1\xC2\x9b"
                   "2J\""},
        EscapeCase{"NoBreakSpaceIsNoControl", "a\xC2\xA0z", "a\xC2\xA0z", "a\xC2\xA0z",
                   "\"a\xC2\xA0z\""},
        EscapeCase{"LoneC2AtTheEnd", "end\xC2", "end\xC2", "end\xC2", "\"end\xEF\xBF\xBD\""},
        EscapeCase{"Japanese", "日本語.txt", "日本語.txt", "日本語.txt", "\"日本語.txt\""},
        EscapeCase{"Latin1Byte", "caf\xE9.txt", "caf\xE9.txt", "caf\xE9.txt",
                   "\"caf\xEF\xBF\xBD.txt\""},
        EscapeCase{"CutSequence", "\xE6\x97", "\xE6\x97", "\xE6\x97",
                   "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        EscapeCase{"Overlong", "\xC0\x80", "\xC0\x80", "\xC0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        EscapeCase{"Surrogate", "\xED\xA0\x80", "\xED\xA0\x80", "\xED\xA0\x80",
                   "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        EscapeCase{"FourBytes", "\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!",
                   "\"\xF0\x9F\x98\x80!\""},
        // Long names are scanned eight bytes at a time: what needs an escape is found at the
        // end of such a run, at the start of the next and after it.
        EscapeCase{"LongRunsAroundEscapes", "abcdefg\\hijklmnop\x01qrstuvwxyz012345\"",
                   "abcdefg\\\\hijklmnop\\x01qrstuvwxyz012345\"",
                   "abcdefg\\hijklmnop\\x01qrstuvwxyz012345\"",
                   "\"abcdefg\\\\hijklmnop\\u0001qrstuvwxyz012345\\\"\""},
        EscapeCase{"LongRunsAroundNonAscii", "abcdefgh日本語\xE9ijklmnopqrstuvw\xC2\x85",
                   "abcdefgh日本語\xE9ijklmnopqrstuvw\\u0085",
                   "abcdefgh日本語\xE9ijklmnopqrstuvw\\u0085",
                   "\"abcdefgh日本語\xEF\xBF\xBDijklmnopqrstuvw\xC2\x85\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct PathFieldCase {
  const char* name;
  std::string path;
  std::string fields;
};

class JsonPathFields : public ::testing::TestWithParam<PathFieldCase> {};

TEST_P(JsonPathFields, AddTheBytesOnlyWhereTheTextLosesThem) {
  EXPECT_EQ(jsonPathFields("path", GetParam().path), GetParam().fields);
  std::string appended = "{\"a\": 1";
  appendJsonPathFields(appended, "path", GetParam().path);
  EXPECT_EQ(appended, "{\"a\": 1" + GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JsonPathFields,
    ::testing::Values(PathFieldCase{"Utf8", "dir/日本.txt", ", \"path\": \"dir/日本.txt\""},
                      PathFieldCase{"NotUtf8", "d\\ir/caf\xE9\"",
                                    ", \"path\": \"d\\\\ir/caf\xEF\xBF\xBD\\\"\", \"path_bytes\": "
                                    "\"d\\\\x5cir/caf\\\\xe9\\\\x22\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct IsoCase {
  const char* zone;
  std::int64_t seconds;
  const char* iso;
};

class IsoTime : public ::testing::TestWithParam<IsoCase> {};

// The text of a time, and the same from the parts a cache of local times gives row after row.
TEST_P(IsoTime, LocalTimeWithItsOffset) {
  testing::TimeZone zone(GetParam().zone);
  EXPECT_EQ(isoLocalTime(GetParam().seconds), GetParam().iso);
  LocalTimeCache cache;
  std::string appended = "x";
  appendIsoLocalTime(appended, cache.parts(GetParam().seconds));
  EXPECT_EQ(appended, std::string("x") + GetParam().iso);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, IsoTime,
    ::testing::Values(
        IsoCase{"UTC0", 0, "1970-01-01T00:00:00+00:00"},
        IsoCase{"JST-9", 1714523400, "2024-05-01T09:30:00+09:00"},
        IsoCase{"IST-5:30", 1714523400, "2024-05-01T06:00:00+05:30"},
        IsoCase{"NST3:30", 1714523400, "2024-04-30T21:00:00-03:30"},
        // Berlin a second before and after summer time begins.
        IsoCase{"CET-1CEST,M3.5.0,M10.5.0/3", 1711846799, "2024-03-31T01:59:59+01:00"},
        IsoCase{"CET-1CEST,M3.5.0,M10.5.0/3", 1711846800, "2024-03-31T03:00:00+02:00"},
        IsoCase{"UTC0", 253402300799, "9999-12-31T23:59:59+00:00"}));

}  // namespace
}  // namespace nuvelo
