#include "messages/failure_reasons.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "engine/copy/copy_errors.h"
#include "messages/english_catalog.h"
#include "messages/wording.h"

namespace nuvelo {
namespace {

struct ReasonCase {
  const char* name;
  std::error_code code;
  std::string reason;  // what the run reports for it
};

class FailureReason : public ::testing::TestWithParam<ReasonCase> {};

// Every reason is in the program's words, whatever language the C library would speak.
TEST_P(FailureReason, IsThePrograms) {
  EXPECT_EQ(reasonText(GetParam().code), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FailureReason,
    ::testing::Values(
        ReasonCase{"OutsideDestination", CopyError::OutsideDestination,
                   "コピー先の外を指すパスです"},
        ReasonCase{"ChangedWhileCopied", CopyError::ChangedWhileCopied,
                   "コピー中にファイルが変更されました"},
        ReasonCase{"Differs", CopyError::Differs, "検証に失敗しました"},
        ReasonCase{"NotARegularFile", CopyError::NotARegularFile, "通常のファイルではありません"},
        ReasonCase{"NoLinks", CopyError::NoLinks,
                   "コピー先のファイルシステムはシンボリックリンクを保存できません"},
        ReasonCase{"NoRoom", std::error_code(ENOSPC, std::generic_category()),
                   "ディスクの空き容量が足りません"},
        ReasonCase{"NotPermitted", std::error_code(EPERM, std::generic_category()),
                   "操作が許可されていません"},
        ReasonCase{"Missing", std::error_code(ENOENT, std::generic_category()),
                   "ファイルまたはフォルダがありません"},
        ReasonCase{"NotAFolder", std::error_code(ENOTDIR, std::generic_category()),
                   "フォルダではありません"},
        ReasonCase{"LostConnection", std::error_code(ENOTCONN, std::generic_category()),
                   "接続されていません"},
        ReasonCase{"ConnectionAborted", std::error_code(ECONNABORTED, std::generic_category()),
                   "接続が中止されました"},
        // An errno value without words of the program's is named by its symbol.
        ReasonCase{"UnlistedErrno", std::error_code(EDOM, std::generic_category()),
                   "システムのエラーです (EDOM)"},
        ReasonCase{"UnknownErrno", std::error_code(4000, std::generic_category()),
                   "システムのエラーです (errno 4000)"},
        // A code of the copy's category that it does not know still says something.
        ReasonCase{"UnknownCopyCode", std::error_code(99, copyErrorCategory()),
                   "unknown copy error"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every errno value reads as words, never as a bare number (a number the system gives no
// symbol, such as 41, is named "errno 41"), in Japanese and through the English catalog (in a child
// process, whose catalog the other tests do not see).
TEST(FailureReason, OfEveryErrnoIsWords) {
  const auto walk = [](std::vector<std::string>& faults) {
    for (int value = 1; value <= 133; ++value) {
      const std::string text = reasonText(std::error_code(value, std::generic_category()));
      if (text.empty() || text.find("error number") != std::string::npos ||
          text.find("エラー番号") != std::string::npos ||
          text.find("(" + std::to_string(value) + ")") != std::string::npos)
        faults.push_back(std::to_string(value) + ": '" + text + "'");
    }
  };
  std::vector<std::string> japanese;
  walk(japanese);
  EXPECT_TRUE(japanese.empty()) << ::testing::PrintToString(japanese);

  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeFds[0]);
    const auto catalog = MessageCatalog::read(englishCatalogBytes());
    useMessageCatalog(catalog ? &*catalog : nullptr);
    std::vector<std::string> english;
    // A text the catalog lacks stays Japanese: the English reasons are ASCII.
    walk(english);
    for (int value = 1; value <= 133; ++value) {
      const std::string text = reasonText(std::error_code(value, std::generic_category()));
      if (std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; }))
        english.push_back(std::to_string(value) + " untranslated: '" + text + "'");
    }
    std::string report;
    for (const std::string& fault : english) report += fault + "\n";
    [[maybe_unused]] const ssize_t written = write(pipeFds[1], report.data(), report.size());
    _exit(0);
  }
  close(pipeFds[1]);
  std::string english;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) english.append(buffer, n);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(english, "");
}

struct DetailCase {
  const char* name;
  CopyFailure failure;
  std::string reason;
};

class FailureWithDetails : public ::testing::TestWithParam<DetailCase> {};

// The reason names what the engine found: the character, the file system and its limit, the
// other file.
TEST_P(FailureWithDetails, NamesWhatWasFound) {
  EXPECT_EQ(reasonText(GetParam().failure), GetParam().reason);
}

CopyFailure unusable(NameRefusal::Why why, char character = 0) {
  return {make_error_code(CopyError::UnusableName), NameRefusal{why, character}};
}

constexpr const char* Unusable = "コピー先のファイルシステムでは使えない名前です";

INSTANTIATE_TEST_SUITE_P(
    Details, FailureWithDetails,
    ::testing::Values(
        DetailCase{"RefusedCharacter", unusable(NameRefusal::Why::RefusedCharacter, '?'),
                   std::string(Unusable) + " (?)"},
        DetailCase{"ControlCharacter", unusable(NameRefusal::Why::ControlCharacter),
                   std::string(Unusable) + " (制御文字)"},
        DetailCase{"NotAscii", unusable(NameRefusal::Why::NotAscii),
                   std::string(Unusable) + " (ASCII 以外の文字)"},
        DetailCase{"TooLong", unusable(NameRefusal::Why::TooLong),
                   std::string(Unusable) + " (長すぎます)"},
        DetailCase{"TrailingDot", unusable(NameRefusal::Why::TrailingDotOrSpace),
                   std::string(Unusable) + " (末尾の点または空白)"},
        DetailCase{"Reserved", unusable(NameRefusal::Why::ReservedName),
                   std::string(Unusable) + " (予約された名前)"},
        DetailCase{"NotUtf8", unusable(NameRefusal::Why::NotUtf8),
                   std::string(Unusable) + " (UTF-8 でない名前)"},
        DetailCase{
            "WholeGibibytes",
            {make_error_code(CopyError::TooLarge), SizeRefusal{"FAT32", 4ull << 30}},
            "コピー先のファイルシステム (FAT32) には大きすぎるファイルです (4 GiB 未満まで)"},
        DetailCase{
            "Bytes",
            {make_error_code(CopyError::TooLarge), SizeRefusal{"FAT32", 10}},
            "コピー先のファイルシステム (FAT32) には大きすぎるファイルです (10 バイト 未満まで)"},
        DetailCase{
            "ClashWithAnotherSource",
            {make_error_code(CopyError::NameClash), NameClash{"exFAT", "/src/B.txt", true}},
            "コピー先で /src/B.txt と同じ名前になります (exFAT は大文字と小文字を区別しません)"},
        DetailCase{"ClashWithAStoredName",
                   {make_error_code(CopyError::NameClash), NameClash{"exFAT", "C.TXT", false}},
                   "コピー先の C.TXT と同じ名前になります (exFAT は大文字と小文字を区別しません)"},
        DetailCase{"CodeAlone",
                   {std::make_error_code(std::errc::permission_denied), {}},
                   "アクセスが拒否されました"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
