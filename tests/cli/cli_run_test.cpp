#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "cli/cli_harness.h"
#include "cli/search_output.h"
#include "engine/runlog/run_log_file.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/job_dates.h"
#include "engine/text/output_text.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::todayText;
using testing::writeFile;

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    makeFile(source() + "/new.txt", localTime(2024, 5, 2), 2048);
    makeFile(source() + "/sub/deep.bak", localTime(2024, 5, 3), 10);
    makeFile(source() + "/sub/deep.txt", localTime(2024, 5, 3), 10);
    makeFile(source() + "/old.txt", localTime(2024, 4, 1));
  }
  // The trees are made just now, so every change time is today: these runs judge by the
  // last-write time alone.
  int run(const std::string& line) { return cli.run(line + " --no-change-time"); }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  std::string settings() const { return tree.path() + "/NVO.ini"; }
  std::vector<std::string> lines() const { return cli.lines(); }

  TempFolder tree;
  testing::CliHarness cli{settings()};
  std::ostringstream& out = cli.out;
  std::ostringstream& err = cli.err;
  std::atomic<bool>& interrupted = cli.interrupted;
  std::function<std::optional<bool>(const std::string&)>& ask = cli.ask;
};

TEST_F(Cli, SearchPrintsTheRowsOfTheWindowAsTsv) {
  ASSERT_EQ(run("search --since 2024-05-01 --relative --format tsv " + source()), 0) << err.str();
  const auto rows = lines();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].substr(0, rows[0].find('\t')), "deep.bak");
  EXPECT_NE(rows[1].find("\tsub/deep.txt"), std::string::npos);
  EXPECT_NE(rows[2].find("\t2KB\t"), std::string::npos);
  EXPECT_NE(rows[2].find("\tnew.txt"), std::string::npos);
  EXPECT_EQ(err.str(), "合計= 3個 (2.0 k バイト)\n");
}

TEST_F(Cli, OptionsNarrowTheSearch) {
  EXPECT_EQ(
      run("search --since 2024-05-01 --exclude-ext bak --no-subfolders --format tsv " + source()),
      0);
  EXPECT_EQ(lines().size(), 1u);
  EXPECT_EQ(run("search --since 2024-05-01 --exclude-folder /sub --format tsv " + source()), 0);
  EXPECT_EQ(lines().size(), 1u);
  EXPECT_EQ(run("search --since 2024-05-01 --per-folder --format tsv -q " + source()), 0);
  EXPECT_EQ(lines().size(), 2u);  // new.txt and the folder sub, made today
  EXPECT_TRUE(err.str().empty());
}

TEST_F(Cli, SettingsFileGivesTheDefaults) {
  writeFile(settings(),
            "[Option]\nEscExt=bak\nDirAbs=0\n[Default]\nLastCopyDate=2024/05/03\nFrom=" + source() +
                "\nTo=" + destination() + "\n");
  ASSERT_EQ(run("search --since 2024-05-01 --format tsv " + source()), 0);
  const auto rows = lines();
  ASSERT_EQ(rows.size(), 2u);                               // deep.bak excluded
  EXPECT_NE(rows[1].find("\tnew.txt"), std::string::npos);  // relative paths
  // The window's own folders start from the window's day.
  ASSERT_EQ(run("search --since-last --format tsv " + source() + " " + destination()), 0);
  EXPECT_EQ(lines().size(), 1u);  // only sub/deep.txt is from 2024/05/03 on
}

// The subfolder switch and per-folder mode come from the settings file like every other
// default, and the options override them both ways.
TEST_F(Cli, SubfoldersAndPerFolderModeDefaultToTheSettingsFile) {
  writeFile(settings(), "[Option]\nDirKAI=0\n");
  ASSERT_EQ(run("search --since 2024-05-01 --format tsv " + source()), 0);
  EXPECT_EQ(lines().size(), 1u);  // new.txt only
  ASSERT_EQ(run("search --since 2024-05-01 --subfolders --format tsv " + source()), 0);
  EXPECT_EQ(lines().size(), 3u);
  writeFile(settings(), "[Option]\nPickupFolder=1\n");
  ASSERT_EQ(run("search --since 2024-05-01 --format tsv " + source()), 0);
  EXPECT_EQ(lines().size(), 2u);  // new.txt and the folder sub, made today
  ASSERT_EQ(run("search --since 2024-05-01 --no-per-folder --format tsv " + source()), 0);
  EXPECT_EQ(lines().size(), 3u);
}

TEST_F(Cli, RefusalsUseTheWindowsMessages) {
  EXPECT_EQ(run("search --since-last " + source()), 2);
  EXPECT_NE(err.str().find("前回コピーした日付がまだありません"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("--since YYYY-MM-DD"), std::string::npos) << err.str();
  // A source that cannot be searched is named, with the reason.
  EXPECT_EQ(run("search " + tree.path() + "/missing"), 2);
  EXPECT_EQ(err.str(), "nuvelo-cli: 更新元フォルダ " + tree.path() +
                           "/missing を検索できません: ファイルまたはフォルダがありません\n");
  EXPECT_EQ(run("search " + tree.path() + "/src/new.txt"), 2);
  EXPECT_NE(err.str().find("/src/new.txt を検索できません: "), std::string::npos) << err.str();
  writeFile(tree.path() + "/bad.dat", "[Application]\nNVOFile=0\n");
  EXPECT_EQ(run("search --conditions " + tree.path() + "/bad.dat"), 2);
  EXPECT_EQ(err.str(), "nuvelo-cli: 不正なファイル形式です\n");
}

TEST_F(Cli, CopyCopiesAndRecordsTheDay) {
  std::filesystem::create_directories(destination());
  ASSERT_EQ(run("copy --since 2024-05-01 --relative --overwrite always " + source() + " " +
                destination()),
            0)
      << err.str();
  EXPECT_TRUE(std::filesystem::exists(destination() + "/new.txt"));
  EXPECT_TRUE(std::filesystem::exists(destination() + "/sub/deep.txt"));
  EXPECT_FALSE(std::filesystem::exists(destination() + "/old.txt"));
  EXPECT_EQ(lines().size(), 3u);
  EXPECT_EQ(lines()[0].rfind("copied\t", 0), 0u);
  // The job's own day; the window's day stays, since these are not the window's folders.
  EXPECT_NE(readFile(settings()).find(jobKey("", source(), destination()) + "=" + todayText()),
            std::string::npos);
  EXPECT_EQ(readFile(settings()).find("LastCopyDate="), std::string::npos);

  ASSERT_EQ(
      run("copy --since 2024-05-01 --relative --overwrite newer " + source() + " " + destination()),
      0);
  EXPECT_TRUE(lines().empty()) << out.str();  // what stayed as it was is told only with -v
  ASSERT_EQ(run("copy -v --since 2024-05-01 --relative --overwrite newer " + source() + " " +
                destination()),
            0);
  EXPECT_EQ(lines().size(), 3u);
  EXPECT_EQ(lines()[0].rfind("skipped\t", 0), 0u);
}

// A pulled drive must not lose what the job already counts as copied: the day, the retry list
// and the run log's line are written only once what the run placed is synced.
TEST_F(Cli, NothingOfARunIsRecordedBeforeWhatItPlacedIsSynced) {
  std::filesystem::create_directories(destination());
  const std::string key = jobKey("", source(), destination());
  const std::string retryList = tree.path() + "/NVO-state/" + key + ".retry";
  std::vector<std::string> recordedAtSync;
  cli.flushWatch = [&](const FlushStep&) {
    const bool day =
        std::filesystem::exists(settings()) && readFile(settings()).find(key) != std::string::npos;
    recordedAtSync.push_back(std::string(day ? "day " : "") +
                             (std::filesystem::exists(retryList) ? "retry list " : "") +
                             (std::filesystem::exists(runLogPath(settings())) ? "log" : ""));
  };
  // new.txt (2 KiB) fails at its first chunk, so the run has a retry list to write too.
  cli.chunkFault = [](std::uint64_t bytes) { return bytes >= 2048 ? EIO : 0; };
  EXPECT_EQ(run("copy --since 2024-05-01 --retries 0 --overwrite always " + source() + " " +
                destination()),
            1);
  EXPECT_EQ(recordedAtSync, std::vector<std::string>{""}) << err.str();
  EXPECT_NE(readFile(settings()).find(key + "=" + todayText()), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(retryList));
  EXPECT_TRUE(std::filesystem::exists(runLogPath(settings())));
}

TEST_F(Cli, DryRunWritesNothing) {
  ASSERT_EQ(run("copy --dry-run --since 2024-05-01 --relative " + source() + " " + destination()),
            0);
  EXPECT_EQ(lines().size(), 3u);
  EXPECT_EQ(lines()[0].rfind("would copy\t", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(destination()));
  EXPECT_FALSE(std::filesystem::exists(settings()));
}

// A destination that cannot be a folder says what is wrong with it and where: a file in its
// place is not "missing", and a folder that cannot be made is named with its reason.
TEST_F(Cli, DestinationThatCannotBeAFolderIsNamedWithItsReason) {
  writeFile(tree.path() + "/plain", "");
  struct Case {
    std::string destination;
    std::string told;
  };
  const Case cases[] = {
      {tree.path() + "/plain", "コピー先 " + tree.path() + "/plain はフォルダではありません"},
      {tree.path() + "/plain/sub", "コピー先 " + tree.path() + "/plain/sub を作れません: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination);
    err.str("");
    EXPECT_EQ(
        run("copy --since 2024-05-01 --overwrite always --mkdir " + source() + " " + c.destination),
        2);
    EXPECT_NE(err.str().find(c.told), std::string::npos) << err.str();
  }
}

TEST_F(Cli, MissingDestinationIsMadeOnlyWhenTheTerminalSaysYes) {
  EXPECT_EQ(run("copy --since 2024-05-01 --overwrite never " + source() + " " + destination()),
            2);  // no terminal
  EXPECT_FALSE(std::filesystem::exists(destination()));
  ask = [](const std::string& q) -> std::optional<bool> {
    return q == "コピー先が存在しません。作成しますか？";
  };
  EXPECT_EQ(run("copy --since 2024-05-01 " + source() + " " + destination() + "/a/b"), 0)
      << err.str();
  EXPECT_TRUE(std::filesystem::is_directory(destination() + "/a/b"));
}

// The question breaks its line where its text does; only the name in it is made safe for the
// terminal.
TEST_F(Cli, TheOverwriteQuestionKeepsItsLineBreak) {
  std::filesystem::create_directories(destination());
  writeFile(destination() + "/new.txt", "old");
  std::vector<std::string> asked;
  ask = [&](const std::string& q) -> std::optional<bool> {
    asked.push_back(q);
    return false;
  };
  run("copy --since 2024-05-01 --relative --overwrite ask " + source() + " " + destination());
  ASSERT_FALSE(asked.empty()) << err.str();
  EXPECT_EQ(asked[0], destination() + "/new.txt は既にあります。\n置き換えますか？");
}

// One answer can stand for every later namesake too (a, N), or stop the run (q); each is asked
// once, and the files it keeps are untouched.
TEST_F(Cli, TheOverwriteQuestionTakesAnAnswerForEveryLaterFile) {
  struct Case {
    ReplaceChoice answer;
    int status;
    int replaced;
  };
  // q comes first: the job's day is not recorded by a run stopped there.
  for (const Case c : {Case{ReplaceChoice::Quit, 130, 0}, Case{ReplaceChoice::ReplaceAll, 0, 3},
                       Case{ReplaceChoice::KeepAll, 0, 0}}) {
    std::filesystem::remove_all(destination());
    for (const char* name : {"/new.txt", "/sub/deep.bak", "/sub/deep.txt"}) {
      std::filesystem::create_directories(destination() + "/sub");
      writeFile(destination() + name, "old");
    }
    int asked = 0;
    cli.askReplace = [&](const std::string&) -> std::optional<ReplaceChoice> {
      ++asked;
      return c.answer;
    };
    EXPECT_EQ(
        run("copy --since 2024-05-01 --relative --overwrite ask " + source() + " " + destination()),
        c.status)
        << err.str();
    EXPECT_EQ(asked, 1);
    int replaced = 0;
    for (const char* name : {"/new.txt", "/sub/deep.bak", "/sub/deep.txt"})
      replaced += readFile(destination() + name) != "old";
    EXPECT_EQ(replaced, c.replaced) << static_cast<int>(c.answer);
    if (c.answer == ReplaceChoice::Quit) {
      EXPECT_FALSE(std::filesystem::exists(settings()));
    }
  }
}

TEST(ReplaceAnswer, ReadsTheLettersAndWords) {
  struct Case {
    const char* typed;
    std::optional<ReplaceChoice> choice;
  };
  for (const Case c : {Case{"y", ReplaceChoice::Replace}, Case{" Y ", ReplaceChoice::Replace},
                       Case{"n", ReplaceChoice::Keep}, Case{"", ReplaceChoice::Keep},
                       Case{"N", ReplaceChoice::KeepAll}, Case{"none", ReplaceChoice::KeepAll},
                       Case{"a", ReplaceChoice::ReplaceAll}, Case{"A", ReplaceChoice::ReplaceAll},
                       Case{"q", ReplaceChoice::Quit}, Case{"x", std::nullopt},
                       Case{"yn", std::nullopt}, Case{"al", std::nullopt}})
    EXPECT_EQ(replaceChoiceOf(c.typed), c.choice) << '"' << c.typed << '"';
}

TEST_F(Cli, FailedFilesGiveStatusOne) {
  std::filesystem::create_directories(destination() + "/sub");
  std::filesystem::create_directory(destination() + "/sub/deep.txt");  // a folder in the way
  EXPECT_EQ(run("copy --since 2024-05-01 --relative --overwrite always " + source() + " " +
                destination()),
            1);
  EXPECT_NE(err.str().find("failed\t" + source() + "/sub/deep.txt"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(destination() + "/new.txt"));
}

TEST_F(Cli, InterruptStopsWithoutHalfWrittenFilesOrDate) {
  std::filesystem::create_directories(destination());
  writeFile(destination() + "/new.txt", "old");
  // The interrupt comes while the run asks about the first namesake.
  ask = [&](const std::string&) -> std::optional<bool> {
    interrupted = true;
    return true;
  };
  EXPECT_EQ(
      run("copy --since 2024-05-01 --relative --overwrite ask " + source() + " " + destination()),
      130);
  EXPECT_EQ(readFile(destination() + "/new.txt"), "old");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(destination()))
    EXPECT_EQ(entry.path().filename().string().find(".nuvelo-"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(settings()));
}

TEST_F(Cli, ConditionFileStandsForTheArgumentsAndOptionsOverrideIt) {
  SearchConditions conditions;
  conditions.source = source();
  conditions.destination = destination();
  conditions.includeSubfolders = false;
  conditions.excludedExtensions = {"txt"};
  ASSERT_TRUE(writeConditionFile(tree.path() + "/c.dat", conditions));
  ASSERT_EQ(run("search --since 2024-05-01 --format tsv --conditions " + tree.path() + "/c.dat"),
            0);
  EXPECT_TRUE(lines().empty());  // no subfolders, no .txt
  ASSERT_EQ(run("search --since 2024-05-01 --format tsv --exclude-ext bak --conditions " +
                tree.path() + "/c.dat"),
            0);
  EXPECT_EQ(lines().size(), 1u);  // new.txt
}

OutputRow outputRow(const char* name, const char* size, const char* path) {
  OutputRow row;
  row.name = name;
  row.size = size;
  row.type = "t";
  row.modified = "d";
  row.path = path;
  return row;
}

TEST(SearchOutput, JsonIsOneObjectALineAndKeepsNoStrayBytes) {
  EXPECT_EQ(jsonString("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
  EXPECT_EQ(jsonString("caf\xE9"), "\"caf\xEF\xBF\xBD\"");
  EXPECT_EQ(jsonString("表"), "\"表\"");
  OutputRow row = outputRow("a", "1KB", "a");
  row.bytes = 1500;
  row.modifiedIso = "2024-05-01T00:00:00+09:00";
  row.changedIso = "2024-06-01T10:00:00+09:00";
  row.relative = "caf\xE9/a";
  row.absolute = "/x/caf\xE9/a";
  std::ostringstream out;
  writeRows(out, {row, row}, OutputFormat::Json);
  const std::string line =
      "{\"name\": \"a\", \"kind\": \"file\", \"size\": 1500, \"type\": \"t\", \"modified\": "
      "\"2024-05-01T00:00:00+09:00\", \"changed\": \"2024-06-01T10:00:00+09:00\", \"path\": "
      "\"caf\xEF\xBF\xBD/a\", \"path_bytes\": "
      "\"caf\\\\xe9/a\", \"absolute\": \"/x/caf\xEF\xBF\xBD/a\", \"absolute_bytes\": "
      "\"/x/caf\\\\xe9/a\"}\n";
  EXPECT_EQ(out.str(), line + line);
  std::ostringstream empty;
  writeRows(empty, {}, OutputFormat::Json);
  EXPECT_EQ(empty.str(), "");
}

TEST(SearchOutput, TextAlignsSizesAndTsvKeepsBytes) {
  std::ostringstream text;
  writeRows(text, {outputRow("a", "1KB", "p"), outputRow("b", "100KB", "p")}, OutputFormat::Text);
  EXPECT_EQ(text.str(), "a    1KB  t  d  p\nb  100KB  t  d  p\n");
  std::ostringstream tsv;
  writeRows(tsv, {outputRow("caf\xE9", "1KB", "/caf\xE9")}, OutputFormat::Tsv);
  EXPECT_EQ(tsv.str(), "caf\xE9\t1KB\tt\td\t/caf\xE9\n");
}

}  // namespace
}  // namespace nuvelo
