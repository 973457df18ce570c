#include "engine/settings/profile_file.h"

#include <gtest/gtest.h>

#include "support/non_regular_entries.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::entriesIn;
using testing::entryType;
using testing::makeEntry;
using testing::nameOf;
using testing::NonRegularKind;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

struct EditCase {
  const char* name;
  std::string before;  // "<none>" for a file that does not exist yet
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

class ProfileEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(ProfileEdit, WritesOneKeyAndKeepsEveryOtherLine) {
  const EditCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  if (c.before != "<none>") writeFile(path, c.before);

  ProfileFile file(path);
  ASSERT_TRUE(file.writeString(c.section, c.key, c.value));

  EXPECT_EQ(readFile(path), c.after);
  EXPECT_EQ(ProfileFile(path).readValue(c.section, c.key), std::string(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, ProfileEdit,
    ::testing::Values(
        EditCase{"CreatesMissingFile", "<none>", "Default", "From", "/data",
                 "[Default]\nFrom=/data\n"},
        EditCase{"ReplacesInPlace", "; mine\n[Default]\nFrom=/old\nTo=/b\n[X]\nk=v\n", "Default",
                 "From", "/new", "; mine\n[Default]\nFrom=/new\nTo=/b\n[X]\nk=v\n"},
        EditCase{"MatchesNamesWithoutCase", "[option]\n  OVERWRITE = 2\n", "Option", "Overwrite",
                 "3", "[option]\nOverwrite=3\n"},
        EditCase{"AddsKeyAfterLastLineOfSection", "[Default]\nFrom=/a\n\n[Option]\nX=1\n",
                 "Default", "To", "/b", "[Default]\nFrom=/a\nTo=/b\n\n[Option]\nX=1\n"},
        EditCase{"AddsKeyToEmptySection", "[Default]\n[Option]\n", "Default", "To", "/b",
                 "[Default]\nTo=/b\n[Option]\n"},
        EditCase{"AddsSectionAtEnd", "[Default]\nFrom=/a", "Window", "Top", "5",
                 "[Default]\nFrom=/a\n[Window]\nTop=5\n"},
        EditCase{"KeepsWindowsLineEnds", "[Default]\r\nFrom=/a\r\n", "Option", "DirKAI", "1",
                 "[Default]\r\nFrom=/a\r\n[Option]\r\nDirKAI=1\r\n"},
        EditCase{"KeepsByteOrderMark", "\xEF\xBB\xBF[Default]\nFrom=/a\n", "Default", "From", "/b",
                 "\xEF\xBB\xBF[Default]\nFrom=/b\n"},
        EditCase{"UsesFirstOfTwinSections", "[A]\nk=1\n[B]\n[a]\nk=2\n", "A", "k", "3",
                 "[A]\nk=3\n[B]\n[a]\nk=2\n"},
        EditCase{"IgnoresKeysBeforeAnySection", "k=0\n[A]\n", "A", "k", "1", "k=0\n[A]\nk=1\n"},
        EditCase{"KeepsQuotesAndTrailingBlank", "", "Default", "From", "\"/my docs\" ",
                 "[Default]\nFrom=\"/my docs\" \n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFileRead, ValuesComeBackAsStored) {
  TempFolder folder;
  const std::string path = folder.file("x.ini");
  writeFile(path, "[Default]\nFrom = \"C:\\My Docs\"\nTo=/tail \nEmpty=\n[Default]\nFrom=second\n");
  const ProfileFile file(path);
  EXPECT_EQ(file.readString("default", "from", "?"), "\"C:\\My Docs\"");
  EXPECT_EQ(file.readString("Default", "To", "?"), "/tail ");
  EXPECT_EQ(file.readString("Default", "Empty", "?"), "");
  EXPECT_EQ(file.readString("Default", "Missing", "dflt"), "dflt");
  EXPECT_EQ(file.readString("Nowhere", "From", "dflt"), "dflt");
}

TEST(ProfileFileRead, LongValuesComeBackWhole) {
  TempFolder folder;
  for (const char* encoding : {"UTF-8", "Shift-JIS"}) {
    const std::string path = folder.file(std::string(encoding) + ".ini");
    if (std::string(encoding) == "Shift-JIS") writeFile(path, "; \x95\x5C\n");
    std::string longValue;
    for (int i = 0; i < 5000; ++i) longValue += "表";
    ASSERT_TRUE(ProfileFile(path).writeString("S", "K", longValue));
    EXPECT_EQ(ProfileFile(path).readString("S", "K", ""), longValue) << encoding;
  }
}

TEST(ProfileFileRead, IntegersAndBools) {
  TempFolder folder;
  const std::string path = folder.file("x.ini");
  writeFile(path, "[O]\nHex=0x2\nWord=abc\nFive=5\nZero=0\nNeg=-7\n");
  const ProfileFile file(path);
  EXPECT_EQ(file.readInteger("O", "Hex", 1), 2);
  EXPECT_EQ(file.readInteger("O", "Word", 1), 1);
  EXPECT_EQ(file.readInteger("O", "Missing", 9), 9);
  EXPECT_EQ(file.readInteger("O", "Neg", 0), -7);
  EXPECT_TRUE(file.readBool("O", "Five", false));
  EXPECT_FALSE(file.readBool("O", "Zero", true));
  EXPECT_TRUE(file.readBool("O", "Word", true));
  EXPECT_FALSE(file.readBool("O", "Word", false));
}

struct IntegerCase {
  const char* text;
  std::optional<std::int32_t> value;
};

class ProfileInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ProfileInteger, Parses) {
  EXPECT_EQ(parseProfileInteger(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ProfileInteger,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"+42", 42},
                      IntegerCase{"-42", -42}, IntegerCase{" 7 ", 7}, IntegerCase{"$1F", 31},
                      IntegerCase{"$ff", 255}, IntegerCase{"0x2", 2}, IntegerCase{"0X1a", 26},
                      IntegerCase{"-$10", -16}, IntegerCase{"$FFFFFFFF", -1},
                      IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                      IntegerCase{"2147483648", std::nullopt},
                      IntegerCase{"$100000000", std::nullopt}, IntegerCase{"0x", std::nullopt},
                      IntegerCase{"$", std::nullopt}, IntegerCase{"", std::nullopt},
                      IntegerCase{"-", std::nullopt}, IntegerCase{"abc", std::nullopt},
                      IntegerCase{"12abc", std::nullopt}, IntegerCase{"1 2", std::nullopt},
                      IntegerCase{"x10", std::nullopt}, IntegerCase{"1.5", std::nullopt}));

TEST(ProfileFileEncoding, ShiftJisFileStaysShiftJis) {
  TempFolder folder;
  const std::string path = folder.file("cond.dat");
  // [NVO] / DirFrom=C:\データ (Shift-JIS) / a comment line in Shift-JIS, CRLF line ends.
  const std::string before =
      "[NVO]\r\nDirFrom=C:\\\x83\x66\x81\x5B\x83\x5E\r\n;\x83\x52\x83\x81\x83\x93\x83\x67\r\n";
  writeFile(path, before);

  ProfileFile file(path);
  EXPECT_EQ(file.encoding(), TextEncoding::ShiftJis);
  EXPECT_EQ(file.readString("NVO", "DirFrom", ""), "C:\\データ");

  ASSERT_TRUE(file.writeString("NVO", "DirTo", "表"));
  EXPECT_EQ(readFile(path), before + "DirTo=\x95\x5C\r\n");
  EXPECT_EQ(ProfileFile(path).readString("NVO", "DirTo", ""), "表");
}

TEST(ProfileFileEncoding, CharacterWithoutShiftJisFormTurnsFileIntoUtf8) {
  TempFolder folder;
  const std::string path = folder.file("cond.dat");
  writeFile(path, "[NVO]\nDirFrom=\x83\x66\x81\x5B\x83\x5E\n");

  ProfileFile file(path);
  ASSERT_TRUE(file.writeString("NVO", "DirTo", "/backup/😀"));
  EXPECT_EQ(readFile(path), "[NVO]\nDirFrom=データ\nDirTo=/backup/😀\n");
}

struct EncodingCase {
  const char* name;
  std::string before;                // a Shift-JIS file
  const char* value;                 // written as NVO/DirTo
  std::optional<std::string> after;  // nothing: refused, the file left as it was
};

class ShiftJisFileWrite : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ShiftJisFileWrite, TurnsToUtf8OnlyWithoutLoss) {
  const EncodingCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder.file("cond.dat");
  writeFile(path, c.before);

  ProfileFile file(path);
  if (c.after) {
    ASSERT_TRUE(file.writeString("NVO", "DirTo", c.value));
    EXPECT_EQ(readFile(path), *c.after);
    EXPECT_EQ(ProfileFile(path).readValue("NVO", "DirTo"), std::string(c.value));
    return;
  }
  const Result<> written = file.writeString("NVO", "DirTo", c.value);
  ASSERT_FALSE(written) << "the write should be refused";
  EXPECT_EQ(written.error().code, std::errc::illegal_byte_sequence);
  EXPECT_EQ(written.error().path, path);
  EXPECT_EQ(readFile(path), c.before);
  EXPECT_EQ(file.encoding(), TextEncoding::ShiftJis);
  EXPECT_FALSE(file.readValue("NVO", "DirTo"));
}

// "Note" holds a lead byte before a blank (no Shift-JIS at all), then 0x80 and 0xA0.
const std::string OddLine = "[NVO]\nNote=\xE9\x20\x80\xA0\nDirFrom=\x83\x66\n";

INSTANTIATE_TEST_SUITE_P(
    Values, ShiftJisFileWrite,
    ::testing::Values(
        EncodingCase{"OddLineKeptByteForByte", OddLine, "表", OddLine + "DirTo=\x95\x5C\n"},
        EncodingCase{"OddLineStopsTheTurnToUtf8", OddLine, "/backup/😀", std::nullopt},
        EncodingCase{"SecondCodeOfACharacterStopsIt", "[NVO]\nDirFrom=\xED\x40\n", "😀",
                     std::nullopt},
        EncodingCase{"WindowsSingleBytesConvert", "[NVO]\nNote=\x80\xA0\xFD\nDirFrom=\x83\x66\n",
                     "😀", "[NVO]\nNote=\u0080\uF8F0\uF8F1\nDirFrom=デ\nDirTo=😀\n"},
        EncodingCase{"YenSignIsNoBackslash", "[NVO]\nDirFrom=\x83\x66\n", "¥100",
                     "[NVO]\nDirFrom=デ\nDirTo=¥100\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFileWrite, FailureLeavesFileAndMemoryUnchanged) {
  TempFolder folder;
  writeFile(folder.file("plain"), "x");
  const std::string path = folder.file("plain") + "/NVO.ini";  // its folder is a file

  ProfileFile file(path);
  const Result<> written = file.writeString("Default", "From", "/a");
  ASSERT_FALSE(written) << "the write should fail";
  EXPECT_EQ(written.error().code, std::errc::no_such_file_or_directory);
  EXPECT_EQ(written.error().path, path);
  EXPECT_FALSE(file.readValue("Default", "From"));
}

TEST(ProfileFileWrite, RefusesWhatCannotBeStoredFaithfully) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  writeFile(path, "[Default]\nFrom=/a\n");

  ProfileFile file(path);
  const Result<> lineEnd = file.writeString("Default", "From", "/a\nTo=/evil");
  ASSERT_FALSE(lineEnd);
  EXPECT_EQ(lineEnd.error().code, std::errc::invalid_argument);
  EXPECT_EQ(readFile(path), "[Default]\nFrom=/a\n");

  // A "file" that cannot be read (here a folder) is never replaced by one holding only our keys.
  ProfileFile folderAsFile(folder.path());
  const Result<> unread = folderAsFile.writeString("Default", "From", "/b");
  ASSERT_FALSE(unread);
  EXPECT_EQ(unread.error().code, std::errc::io_error);
}

struct RefusedCase {
  const char* name;
  std::optional<NonRegularKind> kind;  // nothing: a read-only regular file
  bool throughLink;
  std::errc refusal;  // profileFileWritable's code
};

class RefusedProfileFile : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedProfileFile, ReadsWithoutBlockingAndIsNeverReplaced) {
  const RefusedCase& c = GetParam();
  TempFolder folder;
  const std::string entry = folder.file("entry");
  const std::string readOnlyContent = "[Default]\nFrom=/a\n";
  if (c.kind && !makeEntry(*c.kind, entry)) GTEST_SKIP() << "cannot make " << nameOf(*c.kind);
  if (!c.kind) {
    writeFile(entry, readOnlyContent);
    chmod(entry.c_str(), 0444);
  }
  const std::string path = c.throughLink ? folder.file("NVO.ini") : entry;
  if (c.throughLink) std::filesystem::create_symlink("entry", path);
  const mode_t type = entryType(entry);

  ProfileFile file(path);
  EXPECT_EQ(file.readValue("Default", "From"),
            c.kind ? std::nullopt : std::optional<std::string>("/a"));
  const Result<> written = file.writeString("Default", "From", "/b");
  ASSERT_FALSE(written) << "the write should be refused";
  EXPECT_EQ(written.error().path, path);
  EXPECT_EQ(entryType(entry), type);
  if (!c.kind) {
    EXPECT_EQ(readFile(entry), readOnlyContent);
  }
  EXPECT_EQ(entriesIn(folder.path()), c.throughLink ? 2u : 1u);  // no temporary file either
  const Result<> writable = profileFileWritable(path);
  ASSERT_FALSE(writable);
  EXPECT_EQ(writable.error().code, c.refusal);
  EXPECT_EQ(writable.error().path, path);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, RefusedProfileFile,
    ::testing::Values(
        RefusedCase{"CharacterDevice", NonRegularKind::CharacterDevice, false,
                    std::errc::invalid_argument},
        RefusedCase{"Fifo", NonRegularKind::Fifo, false, std::errc::invalid_argument},
        RefusedCase{"FifoThroughLink", NonRegularKind::Fifo, true, std::errc::invalid_argument},
        RefusedCase{"Socket", NonRegularKind::Socket, false, std::errc::invalid_argument},
        RefusedCase{"Folder", NonRegularKind::Folder, false, std::errc::is_a_directory},
        RefusedCase{"ReadOnlyFile", std::nullopt, false, std::errc::permission_denied},
        RefusedCase{"ReadOnlyFileThroughLink", std::nullopt, true, std::errc::permission_denied}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFileRefusal, NoneForFilesThatCanBeWrittenOrMade) {
  TempFolder folder;
  writeFile(folder.file("NVO.ini"), "[Default]\n");
  std::filesystem::create_symlink("new.ini", folder.file("link.ini"));
  EXPECT_TRUE(profileFileWritable(folder.file("NVO.ini")));
  EXPECT_TRUE(profileFileWritable(folder.file("new.ini")));
  EXPECT_TRUE(profileFileWritable(folder.file("link.ini")));  // makes new.ini
  const std::string lost = folder.file("no/such/NVO.ini");
  const Result<> missingFolder = profileFileWritable(lost);
  ASSERT_FALSE(missingFolder);
  EXPECT_EQ(missingFolder.error().code, std::errc::no_such_file_or_directory);
  EXPECT_EQ(missingFolder.error().path, lost);
}

TEST(ProfileFileWrite, FollowsSymbolicLinkAndKeepsIt) {
  TempFolder folder;
  const std::string real = folder.file("real.ini");
  const std::string link = folder.file("NVO.ini");
  writeFile(real, "[Default]\nFrom=/a\n");
  std::filesystem::create_symlink("real.ini", link);

  ASSERT_TRUE(ProfileFile(link).writeString("Default", "From", "/b"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readFile(real), "[Default]\nFrom=/b\n");
}

}  // namespace
}  // namespace nuvelo
