// nuvelo-cli speaks Japanese to a user whose messages locale (or LANGUAGE, where the locale
// names a language) is Japanese and English to every other, "C" and POSIX included; the real
// program is run with just the locale variables of each case.

#include <gtest/gtest.h>

#include "cli/message_language.h"
#include "support/mounted_image.h"
#include "support/temp_folder.h"

#include <filesystem>

namespace nuvelo {
namespace {

using testing::ProgramRun;
using testing::runProgram;

struct LanguageCase {
  std::vector<std::string> environment;
  bool japanese;
};

void PrintTo(const LanguageCase& c, std::ostream* out) {
  for (const std::string& e : c.environment) *out << e << ' ';
}

class Language : public ::testing::TestWithParam<LanguageCase> {
 protected:
  ProgramRun run(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"/usr/bin/env", "-i"};
    argv.insert(argv.end(), GetParam().environment.begin(), GetParam().environment.end());
    argv.push_back(NUVELO_CLI_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv);
  }
};

TEST_P(Language, OfEveryTextFollowsTheMessagesLocale) {
  const bool ja = GetParam().japanese;
  const ProgramRun bad = run({"search", "--bogus", "/"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, ja ? "nuvelo-cli: 認識できないオプションです '--bogus'\n"
                          "詳しくは nuvelo-cli --help\n"
                        : "nuvelo-cli: unrecognized option '--bogus'\n"
                          "Try nuvelo-cli --help for more.\n");
  const ProgramRun help = run({"--help"});
  EXPECT_EQ(help.out.rfind(ja ? "使い方:\n" : "Usage:\n", 0), 0u) << help.out;
  // A text of the messages the window shares, reached through the engine's refusal.
  const ProgramRun missing = run({"search", "--since", "today", "/no/such/folder"});
  EXPECT_EQ(missing.err, ja ? "nuvelo-cli: 更新元フォルダ /no/such/folder を検索できません: "
                              "ファイルまたはフォルダがありません\n"
                            : "nuvelo-cli: cannot search the source folder /no/such/folder: "
                              "No such file or directory\n");
}

INSTANTIATE_TEST_SUITE_P(
    Locales, Language,
    ::testing::Values(LanguageCase{{}, false}, LanguageCase{{"LANG=C"}, false},
                      LanguageCase{{"LANG=POSIX"}, false},
                      LanguageCase{{"LANG=en_US.UTF-8"}, false},
                      LanguageCase{{"LANG=de_DE.UTF-8"}, false},
                      LanguageCase{{"LANG=C.UTF-8", "LANGUAGE=ja"}, false},
                      LanguageCase{{"LANG=ja_JP.UTF-8"}, true},
                      LanguageCase{{"LANG=C", "LC_MESSAGES=ja_JP.UTF-8"}, true},
                      LanguageCase{{"LANG=ja_JP.UTF-8", "LC_MESSAGES=C"}, false},
                      LanguageCase{{"LANG=ja_JP.UTF-8", "LC_ALL=C.UTF-8"}, false},
                      LanguageCase{{"LC_ALL=ja_JP.eucJP"}, true},
                      LanguageCase{{"LANG=en_US.UTF-8", "LANGUAGE=ja"}, true},
                      LanguageCase{{"LANG=ja_JP.UTF-8", "LANGUAGE=en_GB:ja"}, false},
                      LanguageCase{{"LANG=de_DE.UTF-8", "LANGUAGE=de:ja_JP"}, true},
                      LanguageCase{{"LANG=ja_JP.UTF-8", "LANGUAGE=fr"}, true},
                      LanguageCase{{"LANG=C", "LANGUAGE=ja"}, false}));

// The English texts are built into the program: a copy of it anywhere, away from its build and
// its install, speaks English all the same.
TEST(CopiedProgram, SpeaksEnglishUnderC) {
  testing::TempFolder folder;
  const std::string copy = folder.file("nuvelo-cli");
  std::filesystem::copy_file(NUVELO_CLI_PATH, copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const ProgramRun run = runProgram({"/usr/bin/env", "-i", "LANG=C", copy, "search", "-x", "/"});
  EXPECT_EQ(run.err, "nuvelo-cli: invalid option -- 'x'\nTry nuvelo-cli --help for more.\n");
}

TEST(MessagesLocale, IsReadAsSetlocaleReadsIt) {
  EXPECT_TRUE(readsJapanese("fr:ja", "en_US.UTF-8"));
  EXPECT_FALSE(readsJapanese("ja", "C.UTF-8")) << "LANGUAGE is ignored where the locale is C";
  EXPECT_FALSE(readsJapanese("", "en_US.UTF-8"));
  EXPECT_FALSE(readsJapanese("jam:en", "ja_JP.UTF-8")) << "jam is not Japanese";
  EXPECT_EQ(messagesLocale("", "ja_JP.UTF-8", "C"), "ja_JP.UTF-8");
  EXPECT_EQ(messagesLocale("C", "ja_JP.UTF-8", "ja_JP.UTF-8"), "C");
  EXPECT_EQ(messagesLocale(nullptr, nullptr, nullptr), "C");
  for (const char* japanese : {"ja", "ja_JP", "ja_JP.UTF-8", "ja_JP.eucJP", "ja.UTF-8"})
    EXPECT_TRUE(isJapaneseLocale(japanese)) << japanese;
  for (const char* other : {"C", "jam_XX", "en_US.UTF-8", "", "POSIX", "jv_ID"})
    EXPECT_FALSE(isJapaneseLocale(other)) << other;
}

}  // namespace
}  // namespace nuvelo
