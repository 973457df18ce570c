// nuvelo-cli --keep-replaced, --prune-versions and the versions command, end to end: a good file
// backed up, then spoilt at the source, survives the next "always" run.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/cli_harness.h"
#include "engine/copy/version_history.h"
#include "support/file_tree.h"
#include "support/json_line.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

namespace fs = std::filesystem;
using testing::JsonLine;
using testing::localTime;
using testing::readFile;
using testing::SmallTmpfs;
using testing::TempFolder;
using testing::writeFile;

void put(const std::string& path, const std::string& content, const timespec& when) {
  fs::create_directories(fs::path(path).parent_path());
  writeFile(path, content);
  testing::setModified(path, when);
}

class KeepReplacedCli : public ::testing::Test {
 protected:
  void SetUp() override {
    put(source() + "/docs/thesis.odt", "good thesis", localTime(2024, 5, 2));
    fs::create_directories(destination());
  }
  // Copies the source with `options`, the files judged by their last-write time alone.
  int copy(const std::string& options) {
    return cli.run("copy --no-change-time --since 2024-05-01 --relative --overwrite always " +
                   options + " " + source() + " " + destination());
  }
  // The source spoilt: twenty bytes that are no thesis.
  void spoil() {
    put(source() + "/docs/thesis.odt", "20 random bytes!!!!!", localTime(2024, 5, 3));
  }
  std::vector<KeptVersion> versions() const {
    return keptVersionsOf(destination() + "/.nuvelo-versions", "docs/thesis.odt");
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  std::string backup() const { return destination() + "/docs/thesis.odt"; }
  std::string settings() const { return tree.path() + "/NVO.ini"; }

  TempFolder tree;
  testing::CliHarness cli{settings()};
};

TEST_F(KeepReplacedCli, TheGoodCopySurvivesTheNextRun) {
  ASSERT_EQ(copy("--keep-replaced"), 0) << cli.err.str();
  spoil();
  const std::string report = tree.path() + "/report.jsonl";
  ASSERT_EQ(copy("--keep-replaced --report " + report), 0) << cli.err.str();
  EXPECT_EQ(readFile(backup()), "20 random bytes!!!!!");
  ASSERT_EQ(versions().size(), 1u);
  EXPECT_EQ(readFile(versions()[0].path), "good thesis");
  EXPECT_NE(cli.err.str().find("置き換えたファイルを残しました: 1個"), std::string::npos)
      << cli.err.str();
  std::istringstream lines(readFile(report));
  std::string line, last;
  while (std::getline(lines, line)) last = line;
  const auto summary = JsonLine::read(last);
  ASSERT_TRUE(summary) << last;
  EXPECT_EQ(summary->at("kept"), "1");
  EXPECT_EQ(summary->at("pruned"), "0");
}

// What a search of the destination, and a comparison with it, see: the current files alone.
TEST_F(KeepReplacedCli, SearchesAndComparisonsLeaveTheVersionsOut) {
  ASSERT_EQ(copy("--keep-replaced"), 0);
  spoil();
  ASSERT_EQ(copy("--keep-replaced"), 0);
  ASSERT_EQ(cli.run("search --no-change-time --since 2000-01-01 --format tsv " + destination()), 0);
  EXPECT_EQ(cli.lines().size(), 1u) << cli.out.str();
  ASSERT_EQ(cli.run("search --compare --relative --format tsv " + source() + " " + destination()),
            0);
  EXPECT_TRUE(cli.out.str().empty()) << cli.out.str();
  put(destination() + "/.nuvelo-versions/2024-05-01_000000/docs/new.odt", "x",
      localTime(2024, 5, 1));
  put(source() + "/docs/new.odt", "new", localTime(2024, 5, 1));
  ASSERT_EQ(cli.run("search --compare --relative --format tsv " + source() + " " + destination()),
            0);
  EXPECT_EQ(cli.lines().size(), 1u) << "a file only kept is missing at the destination";
}

TEST_F(KeepReplacedCli, VersionsListsEachKeptVersionNewestFirst) {
  ASSERT_EQ(copy(""), 0);
  put(destination() + "/.nuvelo-versions/2024-05-01_080000/docs/thesis.odt", "first",
      localTime(2024, 4, 30));
  put(destination() + "/.nuvelo-versions/2024-05-02_080000/docs/thesis.odt", "second!",
      localTime(2024, 5, 1));

  ASSERT_EQ(cli.run("versions " + backup()), 0) << cli.err.str();
  std::vector<std::string> rows;
  std::istringstream text(cli.out.str());
  for (std::string row; std::getline(text, row);) rows.push_back(row);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].rfind("2024-05-02_080000  7  2024-05-01 12:00:00  ", 0), 0u) << rows[0];
  EXPECT_NE(rows[1].find("/.nuvelo-versions/2024-05-01_080000/docs/thesis.odt"), std::string::npos);

  ASSERT_EQ(cli.run("versions --format json " + backup()), 0);
  std::istringstream json(cli.out.str());
  std::string first;
  std::getline(json, first);
  const auto object = JsonLine::read(first);
  ASSERT_TRUE(object) << first;
  EXPECT_EQ(object->at("stamp"), "2024-05-02_080000");
  EXPECT_EQ(object->at("size"), "7");
  EXPECT_EQ(readFile(object->at("path")), "second!");

  ASSERT_EQ(cli.run("versions -0 " + backup()), 0);
  const std::string paths = cli.out.str();
  EXPECT_EQ(std::count(paths.begin(), paths.end(), '\0'), 2);
}

TEST_F(KeepReplacedCli, VersionsSaysWhenThereAreNoneOrNoDestination) {
  fs::create_directories(destination() + "/.nuvelo-versions");
  struct Case {
    std::string path;
    int status;
    const char* told;
  };
  const Case cases[] = {
      {destination() + "/docs/never-replaced.odt", 0, "残された版はありません"},
      {source() + "/docs/thesis.odt", 2, "の中にありません"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cli.run("versions " + c.path), c.status) << c.path;
    EXPECT_TRUE(cli.out.str().empty());
    EXPECT_NE(cli.err.str().find(c.told), std::string::npos) << cli.err.str();
  }
}

TEST_F(KeepReplacedCli, PruneRemovesOldRunsAfterTheCopy) {
  put(destination() + "/.nuvelo-versions/2000-01-01_000000/docs/thesis.odt", "ancient",
      localTime(2000, 1, 1));
  put(destination() + "/.nuvelo-versions/2000-01-01_000000/docs/other.odt", "ancient",
      localTime(2000, 1, 1));
  put(destination() + "/.nuvelo-versions/keep me/x", "not a run", localTime(2000, 1, 1));
  ASSERT_EQ(copy("--prune-versions 30"), 0) << cli.err.str();
  EXPECT_FALSE(fs::exists(destination() + "/.nuvelo-versions/2000-01-01_000000"));
  EXPECT_TRUE(fs::exists(destination() + "/.nuvelo-versions/keep me/x"));
  EXPECT_NE(cli.err.str().find("古い版を削除しました: 2個"), std::string::npos) << cli.err.str();
}

// The job file's keys, and the settings file's, with -v naming where each came from.
TEST_F(KeepReplacedCli, JobAndSettingsFilesSayWhereVersionsGo) {
  const std::string job = tree.path() + "/nightly.dat";
  writeFile(job, "[Application]\nNVOFile=1\n[NVO]\nDirFrom=" + source() +
                     "\nDirTo=" + destination() +
                     "\nCBKai=1\n[Job]\nOverwrite=always\nDirAbs=0\nChangeTime=0\n"
                     "KeepReplaced=1\nVersionsFolder=old\nPruneVersions=10\n");
  ASSERT_EQ(cli.run("copy --since 2024-05-01 --job " + job), 0) << cli.err.str();
  spoil();
  ASSERT_EQ(cli.run("copy -v --since 2024-05-01 --job " + job), 0) << cli.err.str();
  const std::string err = cli.err.str();
  EXPECT_NE(err.find("--keep-replaced  (" + job + " [Job] KeepReplaced)"), std::string::npos)
      << err;
  EXPECT_NE(err.find("--keep-replaced=old  (" + job + " [Job] VersionsFolder)"), std::string::npos);
  EXPECT_NE(err.find("--prune-versions 10  (" + job + " [Job] PruneVersions)"), std::string::npos);
  ASSERT_EQ(keptVersionsOf(destination() + "/old", "docs/thesis.odt").size(), 1u);
  // The versions command finds them through the job file.
  ASSERT_EQ(cli.run("versions --job " + job + " " + backup()), 0) << cli.err.str();
  EXPECT_NE(cli.out.str().find("/old/"), std::string::npos) << cli.out.str();

  writeFile(settings(), "[Option]\nKeepReplaced=1\nVersionsFolder=kept\n");
  ASSERT_EQ(cli.run("search -v --no-change-time --since 2024-05-01 " + source()), 0);
  EXPECT_NE(cli.err.str().find("--keep-replaced  (" + settings() + " [Option] KeepReplaced)"),
            std::string::npos)
      << cli.err.str();
  EXPECT_NE(
      cli.err.str().find("--keep-replaced=kept  (" + settings() + " [Option] VersionsFolder)"),
      std::string::npos);
  spoil();
  put(source() + "/docs/thesis.odt", "third", localTime(2024, 5, 4));
  ASSERT_EQ(copy(""), 0) << cli.err.str();
  EXPECT_EQ(keptVersionsOf(destination() + "/kept", "docs/thesis.odt").size(), 1u);
  ASSERT_EQ(copy("--no-keep-replaced"), 0);
  EXPECT_EQ(keptVersionsOf(destination() + "/kept", "docs/thesis.odt").size(), 1u);
}

// A folder that cannot take the versions stops the run before anything is copied.
TEST_F(KeepReplacedCli, RefusesAVersionsFolderThatCannotServe) {
  SmallTmpfs other(64 * 1024);
  struct Case {
    const char* name;
    std::string folder;
    const char* told;
  };
  std::vector<Case> cases = {
      {"Destination", ".", "コピー先そのもの"},
      {"InsideSource", source() + "/kept", "検索元の中"},
  };
  if (other.usable()) cases.push_back({"OtherDrive", other.path(), "別のファイルシステム"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(copy("--keep-replaced=" + c.folder), 2);
    EXPECT_NE(cli.err.str().find(c.told), std::string::npos) << cli.err.str();
    EXPECT_FALSE(fs::exists(backup()));
  }
}

}  // namespace
}  // namespace nuvelo
