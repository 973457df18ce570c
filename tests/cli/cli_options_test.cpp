#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <sstream>

#include "messages/usage_text.h"

namespace nuvelo {
namespace {

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

struct BadLine {
  const char* line;
  const char* errorPart;
};

class BadCommandLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadCommandLine, IsRefusedWithAClearMessage) {
  const ParsedCommandLine parsed = parseCommandLine(words(GetParam().line));
  EXPECT_FALSE(parsed.options) << GetParam().line;
  EXPECT_NE(parsed.error.find(GetParam().errorPart), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadCommandLine,
    ::testing::Values(
        BadLine{"", "コマンド"}, BadLine{"list /a", "不明なコマンド"}, BadLine{"search", "検索元"},
        BadLine{"copy /a", "コピー先"}, BadLine{"search /a /b /c", "多すぎ"},
        BadLine{"copy /a /b /c", "多すぎ"},
        BadLine{"search --bogus /a", "認識できないオプションです '--bogus'"},
        BadLine{"search --since", "'--since' には引数が必要"},
        BadLine{"search --since 2024-13-01 /a", "日付ではありません"},
        BadLine{"search --since 2024-02-30 /a", "日付ではありません"},
        BadLine{"search --since 24-5-1 /a", "日付ではありません"},
        BadLine{"search --since 2024-05-01 --since-last /a", "同時に"},
        BadLine{"search --since-last --since 2024-05-01 /a", "同時に"},
        BadLine{"copy --relative --absolute /a /b", "反対"},
        BadLine{"copy --drive-letter --no-drive-letter /a /b", "反対"},
        BadLine{"copy --overwrite sometimes /a /b", "always"},
        BadLine{"search --format xml /a", "text"},
        BadLine{"copy --format json /a /b", "search だけ"},
        BadLine{"search --dry-run /a", "copy だけ"},
        BadLine{"search --overwrite never /a", "copy だけ"},
        BadLine{"search --quiet=yes /a", "'--quiet' は引数を取りません"},
        BadLine{"search --subfolders --no-subfolders /a", "反対"},
        BadLine{"search --verify /a", "copy だけ"}, BadLine{"search --threads /a", "整数"},
        BadLine{"search --threads -1 /a", "整数"}, BadLine{"search --threads 4x /a", "整数"},
        BadLine{"search --threads 1025 /a", "整数"}, BadLine{"search --compare /a", "コピー先"},
        BadLine{"copy --since 2024-05-01 --compare /a /b", "同時に"},
        BadLine{"copy --compare --since-last /a /b", "同時に"},
        BadLine{"copy --compare=bytes /a /b", "=contents だけ"},
        BadLine{"copy --compare= /a /b", "=contents だけ"},
        BadLine{"copy --conditions c.dat --job j.dat", "同時に"},
        BadLine{"search --wait /a", "copy だけ"}, BadLine{"search --retries 3 /a", "copy だけ"},
        BadLine{"search --retry-wait 1 /a", "copy だけ"},
        BadLine{"copy --retries 101 /a /b", "0 から 100"},
        BadLine{"copy --retries -1 /a /b", "0 から 100"},
        BadLine{"copy --retries two /a /b", "0 から 100"},
        BadLine{"copy --retry-wait 0.0001 /a /b", "秒数"},
        BadLine{"copy --retry-wait 1h /a /b", "秒数"},
        BadLine{"copy --retry-wait 3601 /a /b", "秒数"},
        BadLine{"copy --retries /a /b", "0 から 100"},
        BadLine{"search --change-time --no-change-time /a", "反対"},
        BadLine{"search --keep-replaced /a", "copy だけ"},
        BadLine{"search --prune-versions 3 /a", "copy だけ"},
        BadLine{"copy --keep-replaced --no-keep-replaced /a /b", "反対"},
        BadLine{"copy --keep-replaced=old --no-keep-replaced /a /b", "反対"},
        BadLine{"copy --keep-replaced= /a /b", "フォルダを書いて"},
        BadLine{"copy --prune-versions /a /b", "日数"},
        BadLine{"copy --prune-versions 2w /a /b", "日数"},
        BadLine{"copy --prune-versions 36501 /a /b", "日数"},
        BadLine{"copy --no-keep-replaced=old /a /b", "引数を取りません"},
        BadLine{"versions", "ファイルを指定"}, BadLine{"versions /a /b", "多すぎ"},
        BadLine{"versions --overwrite always /a", "copy だけ"},
        BadLine{"versions --no-keep-replaced /a", "versions では使えません"},
        BadLine{"versions --format json -0 /a", "同時に"}));

TEST(CommandLine, ReadsEveryOption) {
  const ParsedCommandLine parsed = parseCommandLine(
      words("copy --since=2024-05-01 --no-subfolders --exclude-folder /old --exclude-folder /tmp/x "
            "--exclude-ext .bak --exclude-ext tmp --per-folder --relative --no-drive-letter "
            "--overwrite newer --settings /s/NVO.ini --conditions /c.dat --dry-run -q "
            "--threads 8 --retries 0 --retry-wait 0.2 /src /dst"));
  ASSERT_TRUE(parsed.options) << parsed.error;
  const CliOptions& o = *parsed.options;
  EXPECT_EQ(o.command, CliCommand::Copy);
  EXPECT_EQ(o.since->day, (CivilDate{2024, 5, 1}));
  EXPECT_EQ(o.includeSubfolders, false);
  EXPECT_EQ(o.excludedSubfolders, (std::vector<std::string>{"/old", "/tmp/x"}));
  EXPECT_EQ(o.excludedExtensions, (std::vector<std::string>{"bak", "tmp"}));
  EXPECT_EQ(o.perFolder, true);
  EXPECT_EQ(o.dirAbs, false);
  EXPECT_EQ(o.driveLetter, false);
  EXPECT_EQ(o.overwrite, 2);
  EXPECT_EQ(o.settings, "/s/NVO.ini");
  EXPECT_EQ(o.conditions, "/c.dat");
  EXPECT_TRUE(o.dryRun);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.threads, 8u);
  EXPECT_EQ(o.retries, 0u);
  EXPECT_EQ(o.retryWait, std::chrono::milliseconds(200));
  EXPECT_EQ(o.source, "/src");
  EXPECT_EQ(o.destination, "/dst");
}

// What names a job and how it chooses its files: a search may name the destination too.
TEST(CommandLine, ReadsTheJobsOptions) {
  const ParsedCommandLine compare =
      parseCommandLine(words("search --compare --no-change-time -- /src /dst"));
  ASSERT_TRUE(compare.options) << compare.error;
  EXPECT_TRUE(compare.options->compare);
  EXPECT_FALSE(compare.options->compareContents);
  EXPECT_EQ(compare.options->changeTime, false);
  const ParsedCommandLine contents = parseCommandLine(words("search --compare=contents /s /d"));
  ASSERT_TRUE(contents.options) << contents.error;
  EXPECT_TRUE(contents.options->compareContents);
  EXPECT_EQ(compare.options->destination, "/dst");
  const ParsedCommandLine job = parseCommandLine(words("copy --since-last --wait --job /j.dat"));
  ASSERT_TRUE(job.options) << job.error;
  EXPECT_EQ(job.options->job, "/j.dat");
  EXPECT_TRUE(job.options->wait);
  EXPECT_TRUE(job.options->sinceLast);
  EXPECT_FALSE(job.options->source);
}

// --keep-replaced takes its folder only after "=": a word after it is an argument.
TEST(CommandLine, ReadsTheKeptVersionsOptions) {
  struct Case {
    const char* line;
    std::optional<bool> keep;
    std::optional<std::string> folder;
    std::optional<unsigned> prune;
    std::optional<std::string> destination;
  };
  const Case cases[] = {
      {"copy --keep-replaced /a /b", true, std::nullopt, std::nullopt, "/b"},
      {"copy --keep-replaced=old /a /b", true, "old", std::nullopt, "/b"},
      {"copy --keep-replaced=/m/v --keep-replaced /a /b", true, "/m/v", std::nullopt, "/b"},
      {"copy --no-keep-replaced --prune-versions 30 /a /b", false, std::nullopt, 30u, "/b"},
      {"copy --prune-versions=0 /a /b", std::nullopt, std::nullopt, 0u, "/b"},
      {"versions --keep-replaced=old /b/f.txt", true, "old", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = parseCommandLine(words(c.line));
    ASSERT_TRUE(parsed.options) << c.line << ": " << parsed.error;
    EXPECT_EQ(parsed.options->keepReplaced, c.keep) << c.line;
    EXPECT_EQ(parsed.options->versionsFolder, c.folder) << c.line;
    EXPECT_EQ(parsed.options->pruneVersionsDays, c.prune) << c.line;
    EXPECT_EQ(parsed.options->destination, c.destination) << c.line;
  }
  const ParsedCommandLine versions = parseCommandLine(words("versions --format json -q f.txt"));
  ASSERT_TRUE(versions.options) << versions.error;
  EXPECT_EQ(versions.options->command, CliCommand::Versions);
  EXPECT_EQ(versions.options->source, "f.txt");
  EXPECT_EQ(versions.options->format, OutputFormat::Json);
}

TEST(CommandLine, DefaultsLeaveTheSettingsFileToDecide) {
  const ParsedCommandLine parsed = parseCommandLine(words("search --format tsv /src"));
  ASSERT_TRUE(parsed.options);
  EXPECT_FALSE(parsed.options->dirAbs);
  EXPECT_FALSE(parsed.options->excludedExtensions);
  EXPECT_FALSE(parsed.options->since);
  EXPECT_FALSE(parsed.options->includeSubfolders);
  EXPECT_FALSE(parsed.options->perFolder);
  EXPECT_FALSE(parsed.options->verify);
  EXPECT_FALSE(parsed.options->threads);
  EXPECT_FALSE(parsed.options->retries);
  EXPECT_FALSE(parsed.options->retryWait);
  EXPECT_FALSE(parsed.options->changeTime);
  EXPECT_FALSE(parsed.options->keepReplaced);
  EXPECT_FALSE(parsed.options->versionsFolder);
  EXPECT_FALSE(parsed.options->pruneVersionsDays);
  EXPECT_FALSE(parsed.options->destination);
  EXPECT_EQ(parsed.options->format, OutputFormat::Tsv);
}

TEST(CommandLine, ConditionFileMayStandForSourceAndDestination) {
  EXPECT_TRUE(parseCommandLine(words("copy --conditions /c.dat")).options);
  EXPECT_TRUE(parseCommandLine(words("search --conditions /c.dat")).options);
}

TEST(CommandLine, HelpAndVersion) {
  EXPECT_EQ(parseCommandLine(words("--help")).options->command, CliCommand::Help);
  EXPECT_EQ(parseCommandLine(words("search --help")).options->command, CliCommand::Help);
  EXPECT_EQ(parseCommandLine(words("--version")).options->command, CliCommand::Version);
  EXPECT_NE(usageText().find("nuvelo-cli copy"), std::string::npos);
}

TEST(CommandLine, ArgumentsAfterDoubleDashAreNeverOptions) {
  const ParsedCommandLine parsed = parseCommandLine({"search", "--", "--odd-folder"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->source, "--odd-folder");
}

}  // namespace
}  // namespace nuvelo
