// A write into a profile file keeps how every other key reads when the file is read again:
// cases found by fuzz/profile_file_fuzz.cpp.

#include <gtest/gtest.h>

#include "engine/settings/profile_file.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

struct KeepsReadingCase {
  const char* name;
  std::string before;  // the file's bytes
  const char* key;     // written in [A]
  const char* value;
  bool refused;          // the write cannot keep the other line's reading, so it is refused
  const char* otherKey;  // in [A]: reads the same before and after
};

// Shift-JIS files whose bytes, once a line is replaced, happen to form valid UTF-8 too.
class KeepsReading : public ::testing::TestWithParam<KeepsReadingCase> {};

TEST_P(KeepsReading, OtherKeysReadAsBeforeTheWrite) {
  const KeepsReadingCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  writeFile(path, c.before);
  ProfileFile file(path);
  ASSERT_EQ(file.encoding(), TextEncoding::ShiftJis);
  const auto otherBefore = file.readValue("A", c.otherKey);
  ASSERT_TRUE(otherBefore.has_value());

  if (c.refused) {
    EXPECT_FALSE(file.writeString("A", c.key, c.value));
    EXPECT_EQ(readFile(path), c.before);
  } else {
    ASSERT_TRUE(file.writeString("A", c.key, c.value));
    EXPECT_EQ(ProfileFile(path).readValue("A", c.key), std::string(c.value));
  }
  const ProfileFile reread(path);
  EXPECT_EQ(reread.readValue("A", c.otherKey), otherBefore) << readFile(path);
  EXPECT_EQ(file.readValue("A", c.otherKey), otherBefore);
  EXPECT_EQ(reread.encoding(), file.encoding());
}

INSTANTIATE_TEST_SUITE_P(
    ShiftJisFiles, KeepsReading,
    ::testing::Values(
        // "ﾃｽ" in Shift-JIS is C3 BD, which is also UTF-8 for "ý"; "データ" is no UTF-8. Once
        // "データ" is replaced, the file is written in UTF-8 so that "ﾃｽ" stays "ﾃｽ".
        KeepsReadingCase{"HalfWidthKatakanaThatIsUtf8Too",
                         "[A]\nFrom=C:\\\xC3\xBD\nTo=\x83\x66\x81\x5B\x83\x5E\n", "To",
                         "/mnt/backup", false, "From"},
        KeepsReadingCase{"WithWindowsLineEnds", "[A]\r\nx=\xC3\xBD\xC3\xBD\r\nk=\x82\xA0\r\n", "k",
                         "1", false, "x"},
        // C7 9B is no Shift-JIS (9B lacks its second byte) but is UTF-8 "Ǜ": there is no file
        // that reads "ﾇ" followed by an unknown character as before, so nothing is written.
        KeepsReadingCase{"LineThatIsNeitherExactlyRefuses", "[a]\nx=\"q\"\xED[A]\nk=v\xC7\x9B", "x",
                         "y", true, "k"},
        KeepsReadingCase{"NothingLeftButAscii", "[A]\nk=\x82\xA0\nx=plain\n", "k", "plain too",
                         false, "x"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file whose last line ends in a carriage return without a line feed: the carriage return is
// part of the line's end, not of its value, so a line added after it keeps the value as it was.
struct CarriageReturnCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
  const char* otherKey;  // in [A], or none
  const char* otherValue;
};

class CarriageReturnAtTheEnd : public ::testing::TestWithParam<CarriageReturnCase> {};

TEST_P(CarriageReturnAtTheEnd, IsALineEnd) {
  const CarriageReturnCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  writeFile(path, c.before);
  ProfileFile file(path);
  if (c.otherKey) {
    EXPECT_EQ(file.readValue("A", c.otherKey), std::string(c.otherValue));
  }

  ASSERT_TRUE(file.writeString(c.section, c.key, c.value));
  EXPECT_EQ(readFile(path), c.after);
  const ProfileFile reread(path);
  EXPECT_EQ(reread.readValue(c.section, c.key), std::string(c.value));
  if (c.otherKey) {
    EXPECT_EQ(reread.readValue("A", c.otherKey), std::string(c.otherValue));
    EXPECT_EQ(file.readValue("A", c.otherKey), std::string(c.otherValue));
  }
}

INSTANTIATE_TEST_SUITE_P(
    LastLines, CarriageReturnAtTheEnd,
    ::testing::Values(CarriageReturnCase{"KeyAddedToTheSection", "[A]\nk=v\r", "A", "x", "1",
                                         "[A]\nk=v\r\nx=1\n", "k", "v"},
                      CarriageReturnCase{"SectionAddedAfterIt", "[A]\r\nk=v\r", "B", "y", "2",
                                         "[A]\r\nk=v\r\n[B]\r\ny=2\r\n", "k", "v"},
                      CarriageReturnCase{"ItsOwnKeyReplaced", "[A]\nk=v\r", "A", "k", "w",
                                         "[A]\nk=w\r", nullptr, nullptr},
                      CarriageReturnCase{"OnlyOneOfTwoBelongsToTheEnd", "[A]\nk=v\r\r", "A", "x",
                                         "1", "[A]\nk=v\r\r\nx=1\n", "k", "v\r"},
                      CarriageReturnCase{"HeaderAlone", "[A]\r", "A", "k", "1", "[A]\r\nk=1\n",
                                         nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
